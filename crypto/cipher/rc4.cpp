// RC4 (ARCFOUR): the key-scheduling pass over a 256-entry permutation and the output generator, in
// the library's own 1032-byte unit.
#include "crypto/cipher/rc4.h"

#include <cstring>

#include "crypto/core/memory.h"
#include "crypto/core/status.h"
#include "zlc.h"

static_assert(sizeof(RC4_UNIT) == 1032);
static_assert(zlc::make_status(zlc::Module::Rc4, 0x00, zlc::REASON_INVALID_ARGUMENT) == ZLC_RC4_INVALID_ARGUMENT);

namespace zlc::rc4 {
namespace {

constexpr Status kInvalidArgument = make_status(Module::Rc4, 0x00, REASON_INVALID_ARGUMENT);

// Any permutation of 0..255 has distinct first two entries; a fresh or cleaned unit (all zero) has
// not, and would otherwise pass its input through unchanged.
bool holds_key(const RC4_UNIT* unit) { return unit->state[0] != unit->state[1]; }

}  // namespace

Status init(RC4_UNIT* unit, const std::uint8_t* key, std::int32_t key_length) noexcept {
    if (unit == nullptr || key == nullptr || key_length <= 0) return kInvalidArgument;
    const auto length = static_cast<std::uint32_t>(key_length);
    std::uint32_t* s = unit->state;
    unit->x = 0;
    unit->y = 0;
    for (std::uint32_t i = 0; i < 256; ++i) s[i] = i;
    std::uint32_t j = 0, k = 0;
    for (std::uint32_t i = 0; i < 256; ++i) {
        const std::uint32_t t = s[i];
        j = (j + t + key[k]) & 255;
        s[i] = s[j];
        s[j] = t;
        k = k + 1 == length ? 0 : k + 1;
    }
    return kOk;
}

// Every index is reduced modulo 256, so even a unit the caller has scribbled over stays in bounds.
Status run(RC4_UNIT* unit, const std::uint8_t* in, std::uint32_t length,
           std::uint8_t* out) noexcept {
    if (unit == nullptr || in == nullptr || out == nullptr || length == 0 || !holds_key(unit)) {
        return kInvalidArgument;
    }
    std::uint32_t* s = unit->state;
    std::uint32_t x = unit->x & 255, y = unit->y & 255;
    auto step = [&](std::size_t n) {
        x = (x + 1) & 255;
        const std::uint32_t tx = s[x];
        y = (y + tx) & 255;
        const std::uint32_t ty = s[y];
        s[x] = ty;
        s[y] = tx;
        out[n] = static_cast<std::uint8_t>(in[n] ^ s[(tx + ty) & 255]);
    };
    std::size_t n = 0;
    for (; n + 8 <= length; n += 8) {
        step(n);
        step(n + 1);
        step(n + 2);
        step(n + 3);
        step(n + 4);
        step(n + 5);
        step(n + 6);
        step(n + 7);
    }
    for (; n < length; ++n) step(n);
    unit->x = x;
    unit->y = y;
    return kOk;
}

RC4_UNIT* new_unit() noexcept {
    return mem::alloc_record<RC4_UNIT>();
}

void clean_unit(RC4_UNIT* unit) noexcept {
    if (unit != nullptr) platform::secure_zero(unit, sizeof(*unit));
}

void free_unit(RC4_UNIT* unit) noexcept {
    mem::free_record(unit);
}

}  // namespace zlc::rc4

extern "C" {

ZLC_API RC4_UNIT* ZLC_New_RC4_Unit(void) ZLC_NOEXCEPT {
    return zlc::rc4::new_unit();
}

ZLC_API void ZLC_Clean_RC4_Unit(RC4_UNIT* unit) ZLC_NOEXCEPT {
    zlc::rc4::clean_unit(unit);
}

ZLC_API void ZLC_Free_RC4_Unit(RC4_UNIT* unit) ZLC_NOEXCEPT {
    zlc::rc4::free_unit(unit);
}

ZLC_API uint32_t ZLC_Init_RC4(RC4_UNIT* unit, const uint8_t* key, int32_t key_length) ZLC_NOEXCEPT {
    return zlc::rc4::init(unit, key, key_length);
}

ZLC_API uint32_t ZLC_Do_RC4(RC4_UNIT* unit, const uint8_t* in, uint32_t length, uint8_t* out) ZLC_NOEXCEPT {
    return zlc::rc4::run(unit, in, length, out);
}

}  // extern "C"
