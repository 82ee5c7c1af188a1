#pragma once
// ARIA's substitution boxes as the standard defines them (KS X 1213, RFC 5794 section 2.4.2):
// S1(x) = A * x^-1 + 0x63 and S2(x) = B * x^247 + 0xE2 over GF(2^8) modulo x^8 + x^4 + x^3 + x + 1,
// with A and B the standard's 8x8 bit matrices, given here by their columns (the image of bit k).
#include <array>
#include <cstdint>

namespace zlc::cipher::aria_sbox {

using Columns = std::array<std::uint8_t, 8>;

inline constexpr Columns kS1Matrix = {0x1F, 0x3E, 0x7C, 0xF8, 0xF1, 0xE3, 0xC7, 0x8F};
inline constexpr std::uint8_t kS1Constant = 0x63;
inline constexpr Columns kS2Matrix = {0xAC, 0xC5, 0x12, 0xCF, 0x5B, 0x5F, 0x85, 0xEE};
inline constexpr std::uint8_t kS2Constant = 0xE2;

constexpr std::uint8_t gf_mul(std::uint8_t a, std::uint8_t b) {
    unsigned r = 0;
    unsigned x = a;
    for (; b != 0; b = static_cast<std::uint8_t>(b >> 1)) {
        if (b & 1) r ^= x;
        x <<= 1;
        if (x & 0x100) x ^= 0x11B;
    }
    return static_cast<std::uint8_t>(r);
}

constexpr std::uint8_t gf_pow(std::uint8_t a, unsigned e) {
    std::uint8_t r = 1;
    for (; e != 0; e >>= 1) {
        if (e & 1) r = gf_mul(r, a);
        a = gf_mul(a, a);
    }
    return r;
}

constexpr std::uint8_t apply(const Columns& m, std::uint8_t v) {
    std::uint8_t r = 0;
    for (int k = 0; k < 8; ++k) {
        if ((v >> k) & 1) r ^= m[k];
    }
    return r;
}

constexpr Columns compose(const Columns& outer, const Columns& inner) {
    Columns c{};
    for (int k = 0; k < 8; ++k) c[k] = apply(outer, inner[k]);
    return c;
}

constexpr Columns invert(const Columns& m) {
    Columns c{};
    for (int k = 0; k < 8; ++k) {
        for (unsigned v = 0; v < 256; ++v) {
            if (apply(m, static_cast<std::uint8_t>(v)) == (1u << k)) c[k] = static_cast<std::uint8_t>(v);
        }
    }
    return c;
}

// x^247 = (x^-1)^8, and raising to the 8th power is linear, so S2 is B * F^3 applied to x^-1.
constexpr Columns frobenius3() {
    Columns c{};
    for (int k = 0; k < 8; ++k) c[k] = gf_pow(static_cast<std::uint8_t>(1u << k), 8);
    return c;
}
inline constexpr Columns kS2AfterInverse = compose(kS2Matrix, frobenius3());

constexpr std::uint8_t s1(std::uint8_t x) { return apply(kS1Matrix, gf_pow(x, 254)) ^ kS1Constant; }
constexpr std::uint8_t s2(std::uint8_t x) { return apply(kS2Matrix, gf_pow(x, 247)) ^ kS2Constant; }

}  // namespace zlc::cipher::aria_sbox
