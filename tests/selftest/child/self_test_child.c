/* Loads every library named on the command line by its path, in that order, runs the self-test
 * of the first one and prints its status as eight hexadecimal digits. It links nothing of the
 * library's, so the self-test sees only the modules the dynamic loader lists.
 * Exit status 0, or 2 when a library cannot be loaded or lacks the function. */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>

typedef uint32_t (*SelfTest)(void);

int main(int argc, char** argv) {
    void* first = NULL;
    SelfTest self_test;
    int i;
    if (argc < 2) {
        fputs("usage: self_test_child LIBRARY...\n", stderr);
        return 2;
    }
    for (i = 1; i < argc; ++i) {
        void* handle = dlopen(argv[i], RTLD_NOW | RTLD_LOCAL);
        if (handle == NULL) {
            fprintf(stderr, "%s\n", dlerror());
            return 2;
        }
        if (first == NULL) first = handle;
    }
    /* POSIX allows a function pointer to be read out of dlsym's result this way. */
    *(void**)(&self_test) = dlsym(first, "ZLC_Crypto_Self_Test");
    if (self_test == NULL) {
        fputs("ZLC_Crypto_Self_Test not found\n", stderr);
        return 2;
    }
    printf("%08x\n", (unsigned)self_test());
    return 0;
}
