// Random integers of a given bit length, shaped at the top and bottom as prime generation and
// key generation need them.
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/bigint/prime.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/rand/drbg.h"
#include "crypto/rand/prng.h"

namespace zlc::bigint {
namespace {

constexpr Status kExNull = st(0x17, REASON_NULL_ARGUMENT);
constexpr Status kExInvalid = st(0x17, REASON_INVALID_ARGUMENT);
constexpr Status kExAlloc = st(0x17, REASON_ALLOC_FAILED_B);
constexpr Status kExRandom = st(0x17, REASON_RANDOM_FAILED);
constexpr Status kExConvert = st(0x17, REASON_TO_BIGINT_FAILED);
constexpr Status kPrngNull = st(0x18, REASON_NULL_ARGUMENT);
constexpr Status kPrngInvalid = st(0x18, REASON_INVALID_ARGUMENT);
constexpr Status kPrngAlloc = st(0x18, REASON_ALLOC_FAILED_B);
constexpr Status kPrngRefused = st(0x18, REASON_GENERATOR_REFUSED);
constexpr Status kPrngRandom = st(0x18, REASON_RANDOM_FAILED);
constexpr Status kPrngConvert = st(0x18, REASON_TO_BIGINT_FAILED);

struct Codes {
    Status alloc, random, convert;
};

// Fills (bits + 7) / 8 bytes through `fill`, shapes them and loads them into r. The buffer has one
// spare byte so that top = 1 with the top bit at the bottom of byte 0 can set bit bits - 2 in
// byte 1 without a special case.
template <class Fill>
Status shaped(BIGINT* r, std::int32_t bits, std::int32_t top, std::int32_t bottom,
              const Codes& codes, Fill fill) {
    if (bits == 0) return bigint::set_word(r, 0) == kOk ? kOk : codes.convert;
    const std::size_t n = (static_cast<std::size_t>(bits) + 7) / 8;
    auto* bytes = static_cast<std::uint8_t*>(mem::alloc_zeroed(n + 1));
    if (bytes == nullptr) return codes.alloc;
    mem::ScopeExit release([&] { mem::free_wiped(bytes, n + 1); });
    if (!fill(bytes, n)) return codes.random;
    const int t = (bits - 1) % 8;
    if (top == 0) {
        bytes[0] |= static_cast<std::uint8_t>(1u << t);
    } else if (top != -1) {
        if (t > 0) {
            bytes[0] |= static_cast<std::uint8_t>(3u << (t - 1));
        } else {
            bytes[0] = 1;
            bytes[1] |= 0x80;
        }
    }
    bytes[0] &= static_cast<std::uint8_t>(0xFFu >> (7 - t));
    if (bottom != 0) bytes[n - 1] |= 1;
    return bigint::binary_to(bytes, static_cast<std::int32_t>(n), r) != nullptr ? kOk
                                                                                : codes.convert;
}

}  // namespace

Status rand_ex(BIGINT* r, std::int32_t bits, std::int32_t top, std::int32_t bottom,
               BIGINT_POOL*) noexcept {
    if (r == nullptr) return kExNull;
    if (bits < 0) return kExInvalid;
    return shaped(r, bits, top, bottom, {kExAlloc, kExRandom, kExConvert},
                  [](std::uint8_t* out, std::size_t n) {
                      return rand::rand_bytes(out, static_cast<std::int32_t>(n)) == kOk;
                  });
}

Status rand(BIGINT* r, std::int32_t bits, std::int32_t top, std::int32_t bottom, BIGINT_POOL* pool,
            std::uint32_t digest) noexcept {
    if (core::pass_gate() != kOk || core::is_proven()) return kPrngRefused;
    if (r == nullptr) return kPrngNull;
    if (bits < 0) return kPrngInvalid;
    PRNG_UNIT* unit = prng::new_unit();
    if (unit == nullptr) return kPrngAlloc;
    mem::ScopeExit release([&] { prng::free_unit(unit); });
    if (prng::init(unit, digest != 0 ? digest : ZLC_SHA1, nullptr, 0, nullptr, 0, pool) != kOk) {
        return kPrngRefused;
    }
    return shaped(r, bits, top, bottom, {kPrngAlloc, kPrngRandom, kPrngConvert},
                  [unit](std::uint8_t* out, std::size_t n) {
                      return prng::get_rand(unit, out, static_cast<std::int32_t>(n)) == kOk;
                  });
}

}  // namespace zlc::bigint

extern "C" {

ZLC_API uint32_t ZLC_Rand_BIGINT_Ex(BIGINT* r, int32_t bits, int32_t top, int32_t bottom,
                                    BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return zlc::bigint::rand_ex(r, bits, top, bottom, pool);
}

ZLC_API uint32_t ZLC_Rand_BIGINT(BIGINT* r, int32_t bits, int32_t top, int32_t bottom,
                                 BIGINT_POOL* pool, uint32_t digest) ZLC_NOEXCEPT {
    return zlc::bigint::rand(r, bits, top, bottom, pool, digest);
}

}  // extern "C"
