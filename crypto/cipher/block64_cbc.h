#pragma once
// CBC for the 64-bit block ciphers that work on two big-endian 32-bit halves (DES, triple DES,
// Blowfish), over a block function `crypt(schedule, left, right)`; `chain` ends as the last
// ciphertext block.
#include <cstddef>
#include <cstdint>

#include "crypto/core/bytes.h"

namespace zlc::cipher {

template <class Schedule, class Crypt>
void cbc64_encrypt(const Schedule* schedule, Crypt crypt, std::uint8_t* chain,
                   const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    std::uint32_t left = load_be32(chain), right = load_be32(chain + 4);
    for (std::size_t i = 0; i < count; ++i, in += 8, out += 8) {
        left ^= load_be32(in);
        right ^= load_be32(in + 4);
        crypt(schedule, left, right);
        store_be32(out, left);
        store_be32(out + 4, right);
    }
    store_be32(chain, left);
    store_be32(chain + 4, right);
}

template <class Schedule, class Crypt>
void cbc64_decrypt(const Schedule* schedule, Crypt crypt, std::uint8_t* chain,
                   const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    std::uint32_t prev_left = load_be32(chain), prev_right = load_be32(chain + 4);
    for (std::size_t i = 0; i < count; ++i, in += 8, out += 8) {
        const std::uint32_t c_left = load_be32(in), c_right = load_be32(in + 4);
        std::uint32_t left = c_left, right = c_right;
        crypt(schedule, left, right);
        store_be32(out, left ^ prev_left);
        store_be32(out + 4, right ^ prev_right);
        prev_left = c_left;
        prev_right = c_right;
    }
    store_be32(chain, prev_left);
    store_be32(chain + 4, prev_right);
}

}  // namespace zlc::cipher
