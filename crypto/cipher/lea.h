#pragma once
// LEA (TTAK.KO-12.0223, ISO/IEC 29192-2) with 128-, 192- and 256-bit keys: the key-schedule record,
// its key setup and the block functions. Keys and blocks are little-endian 32-bit words.
#include <cstddef>
#include <cstdint>

#include "crypto/platform/cpu.h"

namespace zlc::cipher {

struct LEA_KEY_SCHEDULE {
    std::uint32_t round_keys[32 * 6];  // round key i in words 6i..6i+5
    std::uint32_t rounds;              // 24, 28 or 32
};
static_assert(sizeof(LEA_KEY_SCHEDULE) == 772);

// 0 on success; 1 for a key length other than 16, 24 or 32, or a null schedule or key.
int LeaSetKey(LEA_KEY_SCHEDULE* schedule, std::uint32_t key_length,
              const std::uint8_t* key) noexcept;

// One 16-byte block; in and out may coincide. One schedule serves both directions.
void LeaEncryptBlock(const LEA_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                     std::uint8_t* out) noexcept;
void LeaDecryptBlock(const LEA_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                     std::uint8_t* out) noexcept;

// Multi-block forms on the path in use (in == out allowed). The CTR counter is one
// big-endian 128-bit integer over the block's bytes, left at the next unused value.
void lea_encrypt_blocks(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) noexcept;
void lea_decrypt_blocks(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) noexcept;
void lea_ctr_blocks(const LEA_KEY_SCHEDULE* s, std::uint8_t* counter, const std::uint8_t* in,
                    std::uint8_t* out, std::size_t blocks) noexcept;
void lea_cbc_encrypt_blocks(const LEA_KEY_SCHEDULE* s, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) noexcept;
void lea_cbc_decrypt_blocks(const LEA_KEY_SCHEDULE* s, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) noexcept;

// One implementation of the independent-block forms, which the modes above run on.
struct LeaPathOps {
    void (*encrypt_blocks)(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                           std::size_t blocks) noexcept;
    void (*decrypt_blocks)(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                           std::size_t blocks) noexcept;
};

// The LEA paths, best first (AVX-512 then AVX2 batches, AVX2 batches, portable), and the one in
// use.
platform::PathChoice<LeaPathOps>& lea_paths() noexcept;

// Word-sliced x86 paths (lea_x86.cpp): whole batches of 8 blocks with AVX2, of 16 with
// AVX-512F/VL; each returns how many blocks it processed, leaving the rest to the caller.
std::size_t lea_encrypt_blocks_avx2(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in,
                                    std::uint8_t* out, std::size_t blocks) noexcept;
std::size_t lea_decrypt_blocks_avx2(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in,
                                    std::uint8_t* out, std::size_t blocks) noexcept;
std::size_t lea_encrypt_blocks_avx512(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in,
                                      std::uint8_t* out, std::size_t blocks) noexcept;
std::size_t lea_decrypt_blocks_avx512(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in,
                                      std::uint8_t* out, std::size_t blocks) noexcept;

}  // namespace zlc::cipher
