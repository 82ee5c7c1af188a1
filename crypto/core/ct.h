#pragma once
// Constant-time vocabulary: masks that are all ones or all zeros, built and used with arithmetic
// only, so that code over secret values has no branch or memory index that depends on them.
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

}  // namespace zlc::ct
