// LEA, TTAK.KO-12.0223: key schedules for 128-, 192- and 256-bit keys and the ARX round function.
// The word-sliced AVX2/AVX-512 paths (lea_x86.cpp) take whole batches of independent blocks.
#include "crypto/cipher/lea.h"

#include <bit>
#include <cstring>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/bytes.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::cipher {
namespace {

constexpr std::uint32_t kDelta[8] = {0xc3efe9db, 0x44626b02, 0x79e27c8a, 0x78df30ec,
                                     0x715ea49e, 0xc785da0a, 0xe04ef22a, 0xe5c40957};
constexpr int kKeyRotations[6] = {1, 3, 6, 11, 13, 17};

constexpr Status kLeaUnitKeySetupFailed = make_status(Module::Lea, 0x02, REASON_INIT_FAILED);

// Batch size of the CTR and CBC-decryption buffers; a multiple of every sliced width.
constexpr std::size_t kBatch = 64;

void set_key_128(std::uint32_t* rk, const std::uint8_t* key) {
    std::uint32_t t[4];
    for (int j = 0; j < 4; ++j) t[j] = load_le32(key + 4 * j);
    for (int i = 0; i < 24; ++i, rk += 6) {
        const std::uint32_t d = kDelta[i % 4];
        t[0] = std::rotl(t[0] + std::rotl(d, i), 1);
        t[1] = std::rotl(t[1] + std::rotl(d, i + 1), 3);
        t[2] = std::rotl(t[2] + std::rotl(d, i + 2), 6);
        t[3] = std::rotl(t[3] + std::rotl(d, i + 3), 11);
        rk[0] = t[0], rk[1] = t[1], rk[2] = t[2], rk[3] = t[1], rk[4] = t[3], rk[5] = t[1];
    }
    platform::secure_zero(t, sizeof(t));
}

void set_key_192(std::uint32_t* rk, const std::uint8_t* key) {
    std::uint32_t t[6];
    for (int j = 0; j < 6; ++j) t[j] = load_le32(key + 4 * j);
    for (int i = 0; i < 28; ++i, rk += 6) {
        const std::uint32_t d = kDelta[i % 6];
        for (int j = 0; j < 6; ++j)
            rk[j] = t[j] = std::rotl(t[j] + std::rotl(d, i + j), kKeyRotations[j]);
    }
    platform::secure_zero(t, sizeof(t));
}

void set_key_256(std::uint32_t* rk, const std::uint8_t* key) {
    std::uint32_t t[8];
    for (int j = 0; j < 8; ++j) t[j] = load_le32(key + 4 * j);
    for (int i = 0; i < 32; ++i, rk += 6) {
        const std::uint32_t d = kDelta[i % 8];
        for (int j = 0; j < 6; ++j) {
            const int k = (6 * i + j) % 8;
            rk[j] = t[k] = std::rotl(t[k] + std::rotl(d, i + j), kKeyRotations[j]);
        }
    }
    platform::secure_zero(t, sizeof(t));
}

void encrypt_block_portable(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out) {
    std::uint32_t x0 = load_le32(in), x1 = load_le32(in + 4), x2 = load_le32(in + 8),
                  x3 = load_le32(in + 12);
    const std::uint32_t* rk = s->round_keys;
    // Four rounds per step, so the word rotation of the state is only a renaming.
    for (std::uint32_t r = 0; r < s->rounds; r += 4, rk += 24) {
        x3 = std::rotr((x2 ^ rk[4]) + (x3 ^ rk[5]), 3);
        x2 = std::rotr((x1 ^ rk[2]) + (x2 ^ rk[3]), 5);
        x1 = std::rotl((x0 ^ rk[0]) + (x1 ^ rk[1]), 9);
        x0 = std::rotr((x3 ^ rk[10]) + (x0 ^ rk[11]), 3);
        x3 = std::rotr((x2 ^ rk[8]) + (x3 ^ rk[9]), 5);
        x2 = std::rotl((x1 ^ rk[6]) + (x2 ^ rk[7]), 9);
        x1 = std::rotr((x0 ^ rk[16]) + (x1 ^ rk[17]), 3);
        x0 = std::rotr((x3 ^ rk[14]) + (x0 ^ rk[15]), 5);
        x3 = std::rotl((x2 ^ rk[12]) + (x3 ^ rk[13]), 9);
        x2 = std::rotr((x1 ^ rk[22]) + (x2 ^ rk[23]), 3);
        x1 = std::rotr((x0 ^ rk[20]) + (x1 ^ rk[21]), 5);
        x0 = std::rotl((x3 ^ rk[18]) + (x0 ^ rk[19]), 9);
    }
    store_le32(out, x0), store_le32(out + 4, x1), store_le32(out + 8, x2), store_le32(out + 12, x3);
}

void decrypt_block_portable(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out) {
    std::uint32_t x0 = load_le32(in), x1 = load_le32(in + 4), x2 = load_le32(in + 8),
                  x3 = load_le32(in + 12);
    const std::uint32_t* rk = s->round_keys + 6 * s->rounds;
    for (std::uint32_t r = 0; r < s->rounds; r += 4) {
        rk -= 24;
        x0 = (std::rotr(x0, 9) - (x3 ^ rk[18])) ^ rk[19];
        x1 = (std::rotl(x1, 5) - (x0 ^ rk[20])) ^ rk[21];
        x2 = (std::rotl(x2, 3) - (x1 ^ rk[22])) ^ rk[23];
        x3 = (std::rotr(x3, 9) - (x2 ^ rk[12])) ^ rk[13];
        x0 = (std::rotl(x0, 5) - (x3 ^ rk[14])) ^ rk[15];
        x1 = (std::rotl(x1, 3) - (x0 ^ rk[16])) ^ rk[17];
        x2 = (std::rotr(x2, 9) - (x1 ^ rk[6])) ^ rk[7];
        x3 = (std::rotl(x3, 5) - (x2 ^ rk[8])) ^ rk[9];
        x0 = (std::rotl(x0, 3) - (x3 ^ rk[10])) ^ rk[11];
        x1 = (std::rotr(x1, 9) - (x0 ^ rk[0])) ^ rk[1];
        x2 = (std::rotl(x2, 5) - (x1 ^ rk[2])) ^ rk[3];
        x3 = (std::rotl(x3, 3) - (x2 ^ rk[4])) ^ rk[5];
    }
    store_le32(out, x0), store_le32(out + 4, x1), store_le32(out + 8, x2), store_le32(out + 12, x3);
}

void xor_bytes(std::uint8_t* out, const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
}

// Status adapters and block forms for the block cipher unit.
Status unit_set_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                    std::uint32_t) {
    return LeaSetKey(static_cast<LEA_KEY_SCHEDULE*>(schedule), key_length, key) == 0
               ? kOk
               : kLeaUnitKeySetupFailed;
}
void unit_encrypt(const void* s, const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) {
    lea_encrypt_blocks(static_cast<const LEA_KEY_SCHEDULE*>(s), in, out, blocks);
}
void unit_decrypt(const void* s, const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) {
    lea_decrypt_blocks(static_cast<const LEA_KEY_SCHEDULE*>(s), in, out, blocks);
}
void unit_ctr(const void* s, std::uint8_t* counter, const std::uint8_t* in, std::uint8_t* out,
              std::size_t blocks) {
    lea_ctr_blocks(static_cast<const LEA_KEY_SCHEDULE*>(s), counter, in, out, blocks);
}
void unit_cbc_encrypt(const void* s, std::uint8_t* chain, const std::uint8_t* in, std::uint8_t* out,
                      std::size_t blocks) {
    lea_cbc_encrypt_blocks(static_cast<const LEA_KEY_SCHEDULE*>(s), chain, in, out, blocks);
}
void unit_cbc_decrypt(const void* s, std::uint8_t* chain, const std::uint8_t* in, std::uint8_t* out,
                      std::size_t blocks) {
    lea_cbc_decrypt_blocks(static_cast<const LEA_KEY_SCHEDULE*>(s), chain, in, out, blocks);
}

using WideBlocks = std::size_t (*)(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in,
                                   std::uint8_t* out, std::size_t blocks) noexcept;

// The widest batches first, each leaving its remainder to the next, single blocks last.
template <auto Block, WideBlocks... Wide>
void blocks_with(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                 std::size_t blocks) noexcept {
    std::size_t done = 0;
    ((done += Wide(s, in + 16 * done, out + 16 * done, blocks - done)), ...);
    for (; done < blocks; ++done) Block(s, in + 16 * done, out + 16 * done);
}

constexpr platform::Path<LeaPathOps> kPaths[] = {
#ifdef ZLC_X86_64
    {"avx512",
     platform::kAvx512f | platform::kAvx2,
     {blocks_with<encrypt_block_portable, lea_encrypt_blocks_avx512, lea_encrypt_blocks_avx2>,
      blocks_with<decrypt_block_portable, lea_decrypt_blocks_avx512, lea_decrypt_blocks_avx2>}},
    {"avx2",
     platform::kAvx2,
     {blocks_with<encrypt_block_portable, lea_encrypt_blocks_avx2>,
      blocks_with<decrypt_block_portable, lea_decrypt_blocks_avx2>}},
#endif
    {"portable", 0, {blocks_with<encrypt_block_portable>, blocks_with<decrypt_block_portable>}},
};
constinit platform::PathChoice<LeaPathOps> g_paths(kPaths);

}  // namespace

int LeaSetKey(LEA_KEY_SCHEDULE* schedule, std::uint32_t key_length,
              const std::uint8_t* key) noexcept {
    if (schedule == nullptr || key == nullptr) return 1;
    switch (key_length) {
        case 16:
            set_key_128(schedule->round_keys, key);
            schedule->rounds = 24;
            return 0;
        case 24:
            set_key_192(schedule->round_keys, key);
            schedule->rounds = 28;
            return 0;
        case 32:
            set_key_256(schedule->round_keys, key);
            schedule->rounds = 32;
            return 0;
        default:
            return 1;
    }
}

void LeaEncryptBlock(const LEA_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                     std::uint8_t* out) noexcept {
    encrypt_block_portable(schedule, in, out);
}

void LeaDecryptBlock(const LEA_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                     std::uint8_t* out) noexcept {
    decrypt_block_portable(schedule, in, out);
}

void lea_encrypt_blocks(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) noexcept {
    g_paths.ops().encrypt_blocks(s, in, out, blocks);
}

void lea_decrypt_blocks(const LEA_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) noexcept {
    g_paths.ops().decrypt_blocks(s, in, out, blocks);
}

platform::PathChoice<LeaPathOps>& lea_paths() noexcept {
    return g_paths;
}

void lea_ctr_blocks(const LEA_KEY_SCHEDULE* s, std::uint8_t* counter, const std::uint8_t* in,
                    std::uint8_t* out, std::size_t blocks) noexcept {
    std::uint8_t keystream[16 * kBatch];
    const std::size_t used = blocks < kBatch ? blocks : kBatch;
    while (blocks > 0) {
        const std::size_t n = blocks < kBatch ? blocks : kBatch;
        std::uint64_t hi = load_be64(counter), lo = load_be64(counter + 8);
        for (std::size_t i = 0; i < n; ++i) {
            store_be64(keystream + 16 * i, hi);
            store_be64(keystream + 16 * i + 8, lo);
            hi += ++lo == 0 ? 1 : 0;
        }
        store_be64(counter, hi);
        store_be64(counter + 8, lo);
        lea_encrypt_blocks(s, keystream, keystream, n);
        xor_bytes(out, in, keystream, 16 * n);
        in += 16 * n, out += 16 * n, blocks -= n;
    }
    platform::secure_zero(keystream, 16 * used);
}

void lea_cbc_encrypt_blocks(const LEA_KEY_SCHEDULE* s, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) noexcept {
    for (std::size_t i = 0; i < blocks; ++i) {
        xor_bytes(chain, chain, in + 16 * i, 16);
        encrypt_block_portable(s, chain, chain);
        std::memcpy(out + 16 * i, chain, 16);
    }
}

void lea_cbc_decrypt_blocks(const LEA_KEY_SCHEDULE* s, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) noexcept {
    // The previous ciphertext blocks are copied first, so decryption may run in place.
    std::uint8_t previous[16 * (kBatch + 1)];
    std::memcpy(previous, chain, 16);
    while (blocks > 0) {
        const std::size_t n = blocks < kBatch ? blocks : kBatch;
        std::memcpy(previous + 16, in, 16 * n);
        lea_decrypt_blocks(s, in, out, n);
        xor_bytes(out, out, previous, 16 * n);
        std::memcpy(previous, previous + 16 * n, 16);
        in += 16 * n, out += 16 * n, blocks -= n;
    }
    std::memcpy(chain, previous, 16);
}

namespace {

// 24, 28 or 32 rounds for 128-, 192- and 256-bit keys.
bool unit_schedule_matches(const void* schedule, std::uint32_t key_length, std::uint32_t) {
    return static_cast<const LEA_KEY_SCHEDULE*>(schedule)->rounds == key_length / 2 + 16;
}

}  // namespace

const BlockCipherOps kLeaOps{.module = Module::Lea,
                             .block_length = 16,
                             .schedule_size = sizeof(LEA_KEY_SCHEDULE),
                             .key_setup_failure = kLeaUnitKeySetupFailed,
                             .counter_mode = true,
                             .set_encrypt_key = unit_set_key,
                             .set_decrypt_key = unit_set_key,
                             .encrypt_blocks = unit_encrypt,
                             .decrypt_blocks = unit_decrypt,
                             .ctr_blocks = unit_ctr,
                             .cbc_encrypt_blocks = unit_cbc_encrypt,
                             .cbc_decrypt_blocks = unit_cbc_decrypt,
                             .schedule_matches = unit_schedule_matches};

}  // namespace zlc::cipher
