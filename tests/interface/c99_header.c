/* The exported header must compile as plain C99. */
#include "zlc.h"

int zlc_c99_header_probe(void) {
    DIGEST_UNIT *unit = ZLC_New_DIGEST_Unit();
    int ok = unit != NULL;
    ZLC_Free_DIGEST_Unit(unit);
    return ok;
}
