#include "tests/cipher/evp_block_ops.h"

#include <openssl/evp.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace zlc::test {
namespace {

// What the "schedule" holds: the raw key and the direction it was set up for. Encrypting with a
// decryption schedule (or the reverse) yields zeros, so a wrong schedule choice shows up.
struct EvpSchedule {
    std::uint32_t key_length;
    std::uint32_t decrypt;
    std::uint8_t key[32];
};
static_assert(sizeof(EvpSchedule) <= 128);

const EVP_CIPHER* aes(std::uint32_t key_length, const char* mode) {
    const std::string name = "AES-" + std::to_string(key_length * 8) + "-" + mode;
    return EVP_get_cipherbyname(name.c_str());
}

const EVP_CIPHER* tdes_ecb(std::uint32_t key_length) {
    return key_length == 16 ? EVP_des_ede_ecb() : EVP_des_ede3_ecb();
}

Status set_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
               std::uint32_t decrypt) {
    auto* s = static_cast<EvpSchedule*>(schedule);
    if (key_length > sizeof(s->key)) return 1;
    s->key_length = key_length;
    s->decrypt = decrypt;
    std::memcpy(s->key, key, key_length);
    return kOk;
}
Status set_encrypt_key(void* s, const std::uint8_t* k, std::uint32_t n, std::uint32_t) {
    return set_key(s, k, n, 0);
}
Status set_decrypt_key(void* s, const std::uint8_t* k, std::uint32_t n, std::uint32_t) {
    return set_key(s, k, n, 1);
}

void run(const EVP_CIPHER* type, const EvpSchedule* s, const std::uint8_t* iv, bool encrypt,
         const std::uint8_t* in, std::uint8_t* out, std::size_t length) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int n = 0;
    if (ctx == nullptr || EVP_CipherInit_ex(ctx, type, nullptr, s->key, iv, encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx, 0) != 1 ||
        EVP_CipherUpdate(ctx, out, &n, in, static_cast<int>(length)) != 1 ||
        static_cast<std::size_t>(n) != length) {
        EVP_CIPHER_CTX_free(ctx);
        throw std::runtime_error("OpenSSL cipher failed");
    }
    EVP_CIPHER_CTX_free(ctx);
}

template <bool Encrypt, std::size_t Block>
void blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    const auto* s = static_cast<const EvpSchedule*>(schedule);
    if (s->decrypt == (Encrypt ? 1u : 0u)) {
        std::memset(out, 0, count * Block);
        return;
    }
    run(Block == 16 ? aes(s->key_length, "ECB") : tdes_ecb(s->key_length), s, nullptr, Encrypt, in,
        out, count * Block);
}

void add_blocks(std::uint8_t* counter, std::size_t count) {
    for (std::size_t i = 16; i-- > 0 && count != 0;) {
        const std::size_t sum = counter[i] + (count & 0xFF);
        counter[i] = static_cast<std::uint8_t>(sum);
        count = (count >> 8) + (sum >> 8);
    }
}

void ctr_blocks(const void* schedule, std::uint8_t* counter, const std::uint8_t* in,
                std::uint8_t* out, std::size_t count) {
    const auto* s = static_cast<const EvpSchedule*>(schedule);
    run(aes(s->key_length, "CTR"), s, counter, true, in, out, count * 16);
    add_blocks(counter, count);
}

template <bool Encrypt>
void cbc_blocks(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                std::uint8_t* out, std::size_t count) {
    const auto* s = static_cast<const EvpSchedule*>(schedule);
    std::uint8_t next[16];
    if (!Encrypt) std::memcpy(next, in + (count - 1) * 16, 16);
    run(aes(s->key_length, "CBC"), s, chain, Encrypt, in, out, count * 16);
    std::memcpy(chain, Encrypt ? out + (count - 1) * 16 : next, 16);
}

}  // namespace

// Only the operations count: Init and the key setup take the schedule size and the failure
// status from the family's own descriptor.
const cipher::BlockCipherOps kEvpAesOps{.module = Module::Aes,
                                        .block_length = 16,
                                        .schedule_size = sizeof(EvpSchedule),
                                        .key_setup_failure = 1,
                                        .counter_mode = true,
                                        .set_encrypt_key = set_encrypt_key,
                                        .set_decrypt_key = set_decrypt_key,
                                        .encrypt_blocks = blocks<true, 16>,
                                        .decrypt_blocks = blocks<false, 16>,
                                        .ctr_blocks = ctr_blocks,
                                        .cbc_encrypt_blocks = cbc_blocks<true>,
                                        .cbc_decrypt_blocks = cbc_blocks<false>,
                                        .schedule_matches = nullptr};
const cipher::BlockCipherOps kEvpAesGenericOps{.module = Module::Aes,
                                               .block_length = 16,
                                               .schedule_size = sizeof(EvpSchedule),
                                               .key_setup_failure = 1,
                                               .counter_mode = true,
                                               .set_encrypt_key = set_encrypt_key,
                                               .set_decrypt_key = set_decrypt_key,
                                               .encrypt_blocks = blocks<true, 16>,
                                               .decrypt_blocks = blocks<false, 16>,
                                               .ctr_blocks = nullptr,
                                               .cbc_encrypt_blocks = nullptr,
                                               .cbc_decrypt_blocks = nullptr,
                                               .schedule_matches = nullptr};
const cipher::BlockCipherOps kEvpTdesOps{.module = Module::TripleDes,
                                         .block_length = 8,
                                         .schedule_size = sizeof(EvpSchedule),
                                         .key_setup_failure = 1,
                                         .counter_mode = true,
                                         .set_encrypt_key = set_encrypt_key,
                                         .set_decrypt_key = set_decrypt_key,
                                         .encrypt_blocks = blocks<true, 8>,
                                         .decrypt_blocks = blocks<false, 8>,
                                         .ctr_blocks = nullptr,
                                         .cbc_encrypt_blocks = nullptr,
                                         .cbc_decrypt_blocks = nullptr,
                                         .schedule_matches = nullptr};

}  // namespace zlc::test
