// Triple DES (NIST SP 800-67): three DES stages between one initial and one final permutation,
// since the final permutation of a stage and the initial permutation of the next cancel out.
#include "crypto/cipher/triple_des.h"

#include <utility>

#include "crypto/cipher/block64_cbc.h"
#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/bytes.h"

namespace zlc::cipher {
namespace {

constexpr Status kTripleDesUnitKeySetupFailed =
    make_status(Module::TripleDes, 0x02, REASON_INIT_FAILED);

constexpr Status kSetKeyNull = make_status(Module::TripleDes, 0x01, REASON_NULL_ARGUMENT);

inline void crypt_words(const TDES_KEY_SCHEDULE* schedule, std::uint32_t& left,
                        std::uint32_t& right) {
    des_detail::initial_permutation(left, right);
    des_detail::rounds(&schedule->stage[0], left, right);
    des_detail::rounds(&schedule->stage[1], right, left);
    des_detail::rounds(&schedule->stage[2], left, right);
    des_detail::final_permutation(right, left);
    std::swap(left, right);
}

Status set_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
               std::uint32_t direction) {
    if (schedule == nullptr || key == nullptr) return kSetKeyNull;
    return TripleDesSetKey(key_length, static_cast<TDES_KEY_SCHEDULE*>(schedule), key, direction);
}

Status set_encrypt_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                       std::uint32_t) {
    return set_key(schedule, key, key_length, kDesEncrypt);
}

Status set_decrypt_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                       std::uint32_t) {
    return set_key(schedule, key, key_length, kDesDecrypt);
}

void blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    const auto* ks = static_cast<const TDES_KEY_SCHEDULE*>(schedule);
    for (std::size_t i = 0; i < count; ++i) TripleDesBlock(ks, in + 8 * i, out + 8 * i);
}

void cbc_encrypt(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                 std::uint8_t* out, std::size_t count) {
    cbc64_encrypt(static_cast<const TDES_KEY_SCHEDULE*>(schedule), crypt_words, chain, in, out,
                  count);
}

void cbc_decrypt(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                 std::uint8_t* out, std::size_t count) {
    cbc64_decrypt(static_cast<const TDES_KEY_SCHEDULE*>(schedule), crypt_words, chain, in, out,
                  count);
}

}  // namespace

Status TripleDesSetKey(std::uint32_t key_length, TDES_KEY_SCHEDULE* schedule,
                       const std::uint8_t* key, std::uint32_t direction) noexcept {
    if (key_length != 16 && key_length != 24) return kTripleDesSetKeyLength;
    const std::uint8_t* k1 = key;
    const std::uint8_t* k2 = key + 8;
    const std::uint8_t* k3 = key_length == 24 ? key + 16 : key;
    const bool decrypt = direction == kDesDecrypt;
    const std::uint32_t outer = decrypt ? kDesDecrypt : kDesEncrypt;
    const std::uint32_t inner = decrypt ? kDesEncrypt : kDesDecrypt;
    (void)DesSetKey(decrypt ? k3 : k1, &schedule->stage[0], outer);
    (void)DesSetKey(k2, &schedule->stage[1], inner);
    (void)DesSetKey(decrypt ? k1 : k3, &schedule->stage[2], outer);
    return kOk;
}

void TripleDesBlock(const TDES_KEY_SCHEDULE* schedule, const std::uint8_t in[8],
                    std::uint8_t out[8]) noexcept {
    std::uint32_t left = load_be32(in), right = load_be32(in + 4);
    crypt_words(schedule, left, right);
    store_be32(out, left);
    store_be32(out + 4, right);
}

const BlockCipherOps kTripleDesOps{.module = Module::TripleDes,
                                   .block_length = 8,
                                   .schedule_size = sizeof(TDES_KEY_SCHEDULE),
                                   .key_setup_failure = kTripleDesUnitKeySetupFailed,
                                   .counter_mode = true,
                                   .set_encrypt_key = &set_encrypt_key,
                                   .set_decrypt_key = &set_decrypt_key,
                                   .encrypt_blocks = &blocks,
                                   .decrypt_blocks = &blocks,
                                   .ctr_blocks = nullptr,
                                   .cbc_encrypt_blocks = &cbc_encrypt,
                                   .cbc_decrypt_blocks = &cbc_decrypt,
                                   .schedule_matches = nullptr};

}  // namespace zlc::cipher
