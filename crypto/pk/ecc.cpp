// Elliptic-curve containers: records of integers, no curve arithmetic.
#include "crypto/pk/ecc.h"

#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/core/memory.h"
#include "crypto/pk/pk_common.h"

namespace zlc::ecc {
namespace {

namespace bi = zlc::bigint;

// One word of storage holding 0, length 0.
bool zero_value(BIGINT** slot) {
    if (*slot == nullptr) {
        *slot = bi::new_bigint();
        if (*slot == nullptr) return false;
    } else {
        bi::clear(*slot);
    }
    if (!bi::grow(*slot, 1)) return false;
    (*slot)->words[0] = 0;
    (*slot)->length = 0;
    return true;
}

}  // namespace

ECPOINT* new_point() noexcept {
    return mem::alloc_record<ECPOINT>();
}

void clean_point(ECPOINT* point) noexcept {
    if (point == nullptr) return;
    pk::release(&point->x);
    pk::release(&point->y);
}

void free_point(ECPOINT* point) noexcept {
    if (point == nullptr) return;
    clean_point(point);
    mem::free_record(point);
}

void zero_point(ECPOINT* point) noexcept {
    if (point == nullptr) return;
    (void)zero_value(&point->x);
    (void)zero_value(&point->y);
}

ECURVE* new_curve() noexcept {
    ECURVE* curve = mem::alloc_record<ECURVE>();
    if (curve == nullptr) return nullptr;
    curve->generator = new_point();
    if (curve->generator == nullptr) {
        mem::free_record(curve);
        return nullptr;
    }
    return curve;
}

void clean_curve(ECURVE* curve) noexcept {
    if (curve == nullptr) return;
    for (BIGINT** slot : {&curve->p, &curve->a, &curve->b, &curve->order}) pk::release(slot);
    free_point(curve->generator);
    std::memset(curve, 0, sizeof *curve);
}

void free_curve(ECURVE* curve) noexcept {
    if (curve == nullptr) return;
    clean_curve(curve);
    mem::free_record(curve);
}

std::uint32_t set_curve_params(ECURVE* curve, std::int32_t curve_id, const char* name,
                               const BIGINT* p, const BIGINT* a, const BIGINT* b,
                               const ECPOINT* generator, const BIGINT* order) noexcept {
    if (curve == nullptr) return 1;
    curve->curve_id = curve_id;
    if (name != nullptr) {
        std::memset(curve->name, 0, sizeof curve->name);
        std::strncpy(curve->name, name, sizeof curve->name - 1);
    }
    const struct {
        BIGINT** slot;
        const BIGINT* value;
    } fields[] = {{&curve->p, p}, {&curve->a, a}, {&curve->b, b}, {&curve->order, order}};
    for (const auto& f : fields) {
        if (f.value != nullptr && !pk::store_copy(f.slot, f.value)) return 1;
    }
    if (generator != nullptr) {
        if (curve->generator == nullptr) curve->generator = new_point();
        if (curve->generator == nullptr) return 1;
        if (generator->x != nullptr && !pk::store_copy(&curve->generator->x, generator->x))
            return 1;
        if (generator->y != nullptr && !pk::store_copy(&curve->generator->y, generator->y))
            return 1;
    }
    return 0;
}

ECC_Key* new_key() noexcept {
    return mem::alloc_record<ECC_Key>();
}

void clean_key(ECC_Key* key) noexcept {
    if (key == nullptr) return;
    free_curve(key->curve);
    free_point(key->public_point);
    pk::release(&key->private_scalar);
    platform::secure_zero(key, sizeof *key);
}

void free_key(ECC_Key* key) noexcept {
    if (key == nullptr) return;
    clean_key(key);
    mem::free_record(key);
}

}  // namespace zlc::ecc

extern "C" {

ZLC_API ECPOINT* ZLC_New_ECPOINT(void) ZLC_NOEXCEPT {
    return zlc::ecc::new_point();
}
ZLC_API void ZLC_Clean_ECPOINT(ECPOINT* point) ZLC_NOEXCEPT {
    zlc::ecc::clean_point(point);
}
ZLC_API void ZLC_Free_ECPOINT(ECPOINT* point) ZLC_NOEXCEPT {
    zlc::ecc::free_point(point);
}
ZLC_API void ZLC_Zero_Value_ECPOINT(ECPOINT* point) ZLC_NOEXCEPT {
    zlc::ecc::zero_point(point);
}
ZLC_API ECURVE* ZLC_New_ECURVE(void) ZLC_NOEXCEPT {
    return zlc::ecc::new_curve();
}
ZLC_API void ZLC_Clean_ECURVE(ECURVE* curve) ZLC_NOEXCEPT {
    zlc::ecc::clean_curve(curve);
}
ZLC_API void ZLC_Free_ECURVE(ECURVE* curve) ZLC_NOEXCEPT {
    zlc::ecc::free_curve(curve);
}
ZLC_API uint32_t ZLC_Set_ECURVE_Params(ECURVE* curve, int32_t curve_id, const char* name,
                                       const BIGINT* p, const BIGINT* a, const BIGINT* b,
                                       const ECPOINT* generator, const BIGINT* order) ZLC_NOEXCEPT {
    return zlc::ecc::set_curve_params(curve, curve_id, name, p, a, b, generator, order);
}
ZLC_API ECC_Key* ZLC_New_ECC_Key(void) ZLC_NOEXCEPT {
    return zlc::ecc::new_key();
}
ZLC_API void ZLC_Clean_ECC_Key(ECC_Key* key) ZLC_NOEXCEPT {
    zlc::ecc::clean_key(key);
}
ZLC_API void ZLC_Free_ECC_Key(ECC_Key* key) ZLC_NOEXCEPT {
    zlc::ecc::free_key(key);
}

}  // extern "C"
