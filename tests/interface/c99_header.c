/* The exported header must compile as plain C99. */
#include "zlc.h"

int zlc_c99_header_probe(void) {
    DIGEST_UNIT *unit = ZLC_New_DIGEST_Unit();
    int ok = unit != NULL;
    HMAC_UNIT *mac = ZLC_New_HMAC_Unit();
    ZLC_Free_DIGEST_Unit(unit);
    ok = ok && mac != NULL;
    ZLC_Free_HMAC_Unit(mac);
    return ok;
}
