/* Prints the SHA-256 of a file in lower-case hexadecimal.
 *   cc sha256_file.c $(pkg-config --cflags --libs zeltavine-crypto) -o sha256_file
 *   ./sha256_file FILE */
#include <stdio.h>
#include <zlc.h>

int main(int argc, char **argv) {
    FILE *file = argc == 2 ? fopen(argv[1], "rb") : NULL;
    DIGEST_UNIT *unit = ZLC_New_DIGEST_Unit();
    uint8_t buffer[1 << 16], digest[ZLC_DIGEST_MAX_LENGTH];
    int32_t length = 0;
    size_t n;
    uint32_t status = file && unit ? ZLC_Init_DIGEST(unit, ZLC_SHA256) : 1;
    while (status == 0 && (n = fread(buffer, 1, sizeof buffer, file)) > 0)
        status = ZLC_Update_DIGEST(unit, buffer, (int32_t)n);
    if (status == 0)
        status = ferror(file) ? 1 : ZLC_Final_DIGEST(unit, digest, &length);
    for (int32_t i = 0; i < length; i++)
        printf("%02x", digest[i]);
    if (status == 0)
        printf("\n");
    else
        fprintf(stderr, "sha256_file: cannot digest %s (status 0x%08X)\n", argc == 2 ? argv[1] : "-",
                (unsigned)status);
    ZLC_Free_DIGEST_Unit(unit);
    if (file)
        fclose(file);
    return status != 0;
}
