#pragma once
// The record types of the known-answer vectors (kat_vectors.h) and the comparison the tests make
// with them, through the expected-bytes seam of kat.h.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "crypto/selftest/kat.h"

namespace zlc::selftest {

using Bytes = std::span<const std::uint8_t>;

struct DrbgVector {
    std::uint32_t digest;
    Bytes entropy, nonce, personalization;
    Bytes additional1, reseed_entropy1, additional2, reseed_entropy2;
    Bytes expected;  // output of the second generate
};

struct HmacVector {
    std::uint32_t digest;
    Bytes key, message;
    Bytes expected;  // the compared leading bytes of the MAC
};

struct DigestVector {
    std::uint32_t digest;
    Bytes message, expected;
};

struct BlockCipherVector {
    std::uint32_t id;  // algorithm and mode, without the no-padding flag
    Bytes key, iv, plaintext, expected;
};

struct RsaKey {
    Bytes e, d, n, p, q;
};

struct KcdsaVector {
    std::uint32_t digest;
    Bytes p, q, g, x, y, message, r, s;
};

// A library record released (wiped) by its own free routine when the owner goes.
template <auto Free>
struct Releaser {
    template <class T>
    void operator()(T* p) const noexcept {
        (void)Free(p);
    }
};
template <class T, auto Free>
using Owned = std::unique_ptr<T, Releaser<Free>>;

// Expected byte `index` of test `id` as the comparison sees it (changed only by the seam).
std::uint8_t seen_expected(KatId id, std::size_t index, std::uint8_t byte) noexcept;

// True when `actual` equals `expected`, whose first byte is byte `offset` of the test's expected
// bytes, seen through the seam.
bool matches_expected(KatId id, std::size_t offset, const std::uint8_t* actual,
                      Bytes expected) noexcept;

// Copies `expected` (from byte `offset` of the test's expected bytes) to out through the seam, for
// the tests that hand their expected bytes to the library rather than compare them.
void copy_expected(KatId id, std::size_t offset, Bytes expected, std::uint8_t* out) noexcept;

}  // namespace zlc::selftest
