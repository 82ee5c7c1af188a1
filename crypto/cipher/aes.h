#pragma once
// AES (FIPS 197) with 128-, 192- and 256-bit keys: the key-schedule record, its encryption and
// decryption key setups and the block functions, each choosing AES-NI/VAES when the CPU has them.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"
#include "crypto/platform/cpu.h"

namespace zlc::cipher {

// Round-key words are FIPS 197's w[i] (first key-schedule byte most significant). A decryption
// schedule holds the round keys in reverse order, the inner ones through InvMixColumns (the
// equivalent inverse cipher).
struct AES_KEY_SCHEDULE {
    std::uint32_t round_keys[60];
    std::uint32_t rounds;  // 10, 12 or 14
};
static_assert(sizeof(AES_KEY_SCHEDULE) == 244);

inline constexpr Status kAesSetKeyInvalid = make_status(Module::Aes, 0x01, REASON_INVALID_ARGUMENT);

// Null schedule or key, or a key length other than 16, 24 or 32: kAesSetKeyInvalid.
[[nodiscard]] Status AesSetEncryptKey(AES_KEY_SCHEDULE* schedule, std::uint32_t key_length,
                                      const std::uint8_t* key) noexcept;
[[nodiscard]] Status AesSetDecryptKey(AES_KEY_SCHEDULE* schedule, std::uint32_t key_length,
                                      const std::uint8_t* key) noexcept;

// One 16-byte block; in and out may coincide. Decryption takes a decryption schedule.
void AesEncryptBlock(const AES_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                     std::uint8_t* out) noexcept;
void AesDecryptBlock(const AES_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                     std::uint8_t* out) noexcept;

// Multi-block forms on the path in use (in == out allowed). The counter of CTR is one
// big-endian 128-bit integer, left at the next unused value.
void aes_encrypt_blocks(const AES_KEY_SCHEDULE* schedule, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) noexcept;
void aes_decrypt_blocks(const AES_KEY_SCHEDULE* schedule, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) noexcept;
void aes_ctr_blocks(const AES_KEY_SCHEDULE* schedule, std::uint8_t* counter, const std::uint8_t* in,
                    std::uint8_t* out, std::size_t blocks) noexcept;
void aes_cbc_encrypt_blocks(const AES_KEY_SCHEDULE* schedule, std::uint8_t* chain,
                            const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) noexcept;
void aes_cbc_decrypt_blocks(const AES_KEY_SCHEDULE* schedule, std::uint8_t* chain,
                            const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) noexcept;

// One implementation of the key setup's SubWord and the multi-block forms above.
struct AesPathOps {
    std::uint32_t (*sub_word)(std::uint32_t word) noexcept;
    void (*encrypt_blocks)(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                           std::size_t blocks) noexcept;
    void (*decrypt_blocks)(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                           std::size_t blocks) noexcept;
    void (*ctr_blocks)(const AES_KEY_SCHEDULE* s, std::uint8_t* counter, const std::uint8_t* in,
                       std::uint8_t* out, std::size_t blocks) noexcept;
    void (*cbc_encrypt_blocks)(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                               const std::uint8_t* in, std::uint8_t* out,
                               std::size_t blocks) noexcept;
    void (*cbc_decrypt_blocks)(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                               const std::uint8_t* in, std::uint8_t* out,
                               std::size_t blocks) noexcept;
};

// The AES paths, best first (VAES-512, VAES-256, AES-NI, portable), and the one in use.
platform::PathChoice<AesPathOps>& aes_paths() noexcept;

// The x86 paths (aes_x86.cpp): AES-NI with 8 blocks in flight, VAES over 256-bit registers (needs
// AVX2) and over 512-bit registers (needs AVX-512F/BW).
std::uint32_t aes_sub_word_aesni(std::uint32_t word) noexcept;
void aes_encrypt_blocks_aesni(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                              std::size_t blocks) noexcept;
void aes_decrypt_blocks_aesni(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                              std::size_t blocks) noexcept;
void aes_ctr_blocks_aesni(const AES_KEY_SCHEDULE* s, std::uint8_t* counter, const std::uint8_t* in,
                          std::uint8_t* out, std::size_t blocks) noexcept;
void aes_cbc_encrypt_blocks_aesni(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                                  const std::uint8_t* in, std::uint8_t* out,
                                  std::size_t blocks) noexcept;
void aes_cbc_decrypt_blocks_aesni(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                                  const std::uint8_t* in, std::uint8_t* out,
                                  std::size_t blocks) noexcept;
void aes_encrypt_blocks_vaes256(const AES_KEY_SCHEDULE* s, const std::uint8_t* in,
                                std::uint8_t* out, std::size_t blocks) noexcept;
void aes_decrypt_blocks_vaes256(const AES_KEY_SCHEDULE* s, const std::uint8_t* in,
                                std::uint8_t* out, std::size_t blocks) noexcept;
void aes_ctr_blocks_vaes256(const AES_KEY_SCHEDULE* s, std::uint8_t* counter,
                            const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) noexcept;
void aes_cbc_decrypt_blocks_vaes256(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                                    const std::uint8_t* in, std::uint8_t* out,
                                    std::size_t blocks) noexcept;
void aes_encrypt_blocks_vaes512(const AES_KEY_SCHEDULE* s, const std::uint8_t* in,
                                std::uint8_t* out, std::size_t blocks) noexcept;
void aes_decrypt_blocks_vaes512(const AES_KEY_SCHEDULE* s, const std::uint8_t* in,
                                std::uint8_t* out, std::size_t blocks) noexcept;
void aes_ctr_blocks_vaes512(const AES_KEY_SCHEDULE* s, std::uint8_t* counter,
                            const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) noexcept;
void aes_cbc_decrypt_blocks_vaes512(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                                    const std::uint8_t* in, std::uint8_t* out,
                                    std::size_t blocks) noexcept;

}  // namespace zlc::cipher
