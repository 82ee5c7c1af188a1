#pragma once
// Constant-time vocabulary: masks that are all ones or all zeros, built and used with arithmetic
// only, so that code over secret values has no branch or memory index that depends on them.
#include <cstddef>
#include <cstdint>

namespace zlc::ct {

// Hides a value from the optimiser, which could otherwise turn mask arithmetic back into a branch.
inline std::uint64_t barrier(std::uint64_t x) noexcept {
    __asm__("" : "+r"(x));
    return x;
}

// All ones for bit = 1, zero for bit = 0.
inline std::uint64_t mask(std::uint64_t bit) noexcept {
    return barrier(0 - bit);
}

// All ones when a == b, else zero.
inline std::uint64_t eq_mask(std::uint64_t a, std::uint64_t b) noexcept {
    const std::uint64_t d = a ^ b;
    return mask(1 ^ ((d | (0 - d)) >> 63));
}

// x where the mask is set, y where it is clear.
inline std::uint64_t select(std::uint64_t m, std::uint64_t x, std::uint64_t y) noexcept {
    return y ^ (m & (x ^ y));
}

// The same over 32-bit masks, for byte scans and lengths.
inline std::uint32_t barrier32(std::uint32_t v) noexcept {
    __asm__("" : "+r"(v));
    return v;
}
inline std::uint32_t zero_mask32(std::uint32_t v) noexcept {
    return barrier32(static_cast<std::uint32_t>((static_cast<std::uint64_t>(v) - 1) >> 32));
}
inline std::uint32_t eq_mask32(std::uint32_t a, std::uint32_t b) noexcept {
    return zero_mask32(a ^ b);
}
// All ones when a < b (signed 32-bit values).
inline std::uint32_t lt_mask32(std::int32_t a, std::int32_t b) noexcept {
    return barrier32(static_cast<std::uint32_t>(
        (static_cast<std::int64_t>(a) - static_cast<std::int64_t>(b)) >> 63));
}
inline std::uint32_t select32(std::uint32_t m, std::uint32_t x, std::uint32_t y) noexcept {
    return y ^ (m & (x ^ y));
}
// All ones when the n bytes of a and b are equal; every byte is read.
inline std::uint32_t bytes_eq_mask(const std::uint8_t* a, const std::uint8_t* b,
                                   std::size_t n) noexcept {
    std::uint32_t diff = 0;
    for (std::size_t i = 0; i < n; ++i) diff |= static_cast<std::uint32_t>(a[i] ^ b[i]);
    return zero_mask32(diff);
}

}  // namespace zlc::ct
