// AES, FIPS 197: key expansion (5.2), the cipher (5.1) and the equivalent inverse cipher (5.3.5),
// portable through 32-bit lookup tables that fold SubBytes, ShiftRows and MixColumns together.
#include "crypto/cipher/aes.h"

#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/bytes.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::cipher {
namespace {

constexpr std::uint8_t xtime(std::uint8_t x) {
    return static_cast<std::uint8_t>((x << 1) ^ ((x >> 7) * 0x1B));
}

constexpr std::uint8_t gf_mul(std::uint8_t a, std::uint8_t b) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i) {
        r = static_cast<std::uint8_t>(r ^ ((b & 1) * a));
        a = xtime(a);
        b = static_cast<std::uint8_t>(b >> 1);
    }
    return r;
}

constexpr std::array<std::uint8_t, 256> make_sbox() {
    std::array<std::uint8_t, 256> s{};
    for (int x = 0; x < 256; ++x) {
        // Multiplicative inverse as x^254; 0 maps to 0.
        std::uint8_t inv = 1;
        std::uint8_t sq = static_cast<std::uint8_t>(x);
        for (int e = 254; e != 0; e >>= 1) {
            if (e & 1) inv = gf_mul(inv, sq);
            sq = gf_mul(sq, sq);
        }
        if (x == 0) inv = 0;
        const auto rot = [](std::uint8_t v, int n) {
            return static_cast<std::uint8_t>((v << n) | (v >> (8 - n)));
        };
        s[x] = static_cast<std::uint8_t>(inv ^ rot(inv, 1) ^ rot(inv, 2) ^ rot(inv, 3) ^
                                         rot(inv, 4) ^ 0x63);
    }
    return s;
}

constexpr std::array<std::uint8_t, 256> make_inv_sbox(const std::array<std::uint8_t, 256>& s) {
    std::array<std::uint8_t, 256> inv{};
    for (int x = 0; x < 256; ++x) inv[s[x]] = static_cast<std::uint8_t>(x);
    return inv;
}

constexpr std::uint32_t word(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return (std::uint32_t{a} << 24) | (std::uint32_t{b} << 16) | (std::uint32_t{c} << 8) | d;
}

constexpr std::array<std::uint8_t, 256> kSbox = make_sbox();
constexpr std::array<std::uint8_t, 256> kInvSbox = make_inv_sbox(kSbox);

// Column (2s, s, s, 3s) of MixColumns applied to SubBytes; the other rows are byte rotations.
constexpr std::array<std::uint32_t, 256> make_te() {
    std::array<std::uint32_t, 256> t{};
    for (int x = 0; x < 256; ++x) {
        const std::uint8_t s = kSbox[x];
        t[x] = word(gf_mul(s, 2), s, s, gf_mul(s, 3));
    }
    return t;
}

// Column (14s, 9s, 13s, 11s) of InvMixColumns applied to InvSubBytes.
constexpr std::array<std::uint32_t, 256> make_td() {
    std::array<std::uint32_t, 256> t{};
    for (int x = 0; x < 256; ++x) {
        const std::uint8_t s = kInvSbox[x];
        t[x] = word(gf_mul(s, 14), gf_mul(s, 9), gf_mul(s, 13), gf_mul(s, 11));
    }
    return t;
}

constexpr std::array<std::uint32_t, 256> kTe = make_te();
constexpr std::array<std::uint32_t, 256> kTd = make_td();

// The key-setup failure of the unit routines has always carried module number 0x02.
constexpr Status kAesUnitKeySetupFailed =
    make_status(Module::Aria, 0x02, REASON_KEY_SCHEDULE_FAILED);

std::uint32_t sub_word_portable(std::uint32_t w) noexcept {
    return word(kSbox[w >> 24], kSbox[(w >> 16) & 0xFF], kSbox[(w >> 8) & 0xFF], kSbox[w & 0xFF]);
}

std::uint32_t inv_mix_column(std::uint32_t w) {
    const auto a0 = static_cast<std::uint8_t>(w >> 24), a1 = static_cast<std::uint8_t>(w >> 16),
               a2 = static_cast<std::uint8_t>(w >> 8), a3 = static_cast<std::uint8_t>(w);
    return word(gf_mul(a0, 14) ^ gf_mul(a1, 11) ^ gf_mul(a2, 13) ^ gf_mul(a3, 9),
                gf_mul(a0, 9) ^ gf_mul(a1, 14) ^ gf_mul(a2, 11) ^ gf_mul(a3, 13),
                gf_mul(a0, 13) ^ gf_mul(a1, 9) ^ gf_mul(a2, 14) ^ gf_mul(a3, 11),
                gf_mul(a0, 11) ^ gf_mul(a1, 13) ^ gf_mul(a2, 9) ^ gf_mul(a3, 14));
}

bool valid_key_length(std::uint32_t n) {
    return n == 16 || n == 24 || n == 32;
}

void encrypt_block_portable(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out) {
    const std::uint32_t* rk = s->round_keys;
    std::uint32_t s0 = load_be32(in) ^ rk[0];
    std::uint32_t s1 = load_be32(in + 4) ^ rk[1];
    std::uint32_t s2 = load_be32(in + 8) ^ rk[2];
    std::uint32_t s3 = load_be32(in + 12) ^ rk[3];
    const auto te = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                       std::uint32_t k) {
        return kTe[a >> 24] ^ std::rotr(kTe[(b >> 16) & 0xFF], 8) ^
               std::rotr(kTe[(c >> 8) & 0xFF], 16) ^ std::rotr(kTe[d & 0xFF], 24) ^ k;
    };
    for (std::uint32_t r = 1; r < s->rounds; ++r) {
        rk += 4;
        const std::uint32_t t0 = te(s0, s1, s2, s3, rk[0]);
        const std::uint32_t t1 = te(s1, s2, s3, s0, rk[1]);
        const std::uint32_t t2 = te(s2, s3, s0, s1, rk[2]);
        const std::uint32_t t3 = te(s3, s0, s1, s2, rk[3]);
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    rk += 4;
    const auto last = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                         std::uint32_t k) {
        return word(kSbox[a >> 24], kSbox[(b >> 16) & 0xFF], kSbox[(c >> 8) & 0xFF],
                    kSbox[d & 0xFF]) ^
               k;
    };
    store_be32(out, last(s0, s1, s2, s3, rk[0]));
    store_be32(out + 4, last(s1, s2, s3, s0, rk[1]));
    store_be32(out + 8, last(s2, s3, s0, s1, rk[2]));
    store_be32(out + 12, last(s3, s0, s1, s2, rk[3]));
}

void decrypt_block_portable(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out) {
    const std::uint32_t* rk = s->round_keys;
    std::uint32_t s0 = load_be32(in) ^ rk[0];
    std::uint32_t s1 = load_be32(in + 4) ^ rk[1];
    std::uint32_t s2 = load_be32(in + 8) ^ rk[2];
    std::uint32_t s3 = load_be32(in + 12) ^ rk[3];
    const auto td = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                       std::uint32_t k) {
        return kTd[a >> 24] ^ std::rotr(kTd[(b >> 16) & 0xFF], 8) ^
               std::rotr(kTd[(c >> 8) & 0xFF], 16) ^ std::rotr(kTd[d & 0xFF], 24) ^ k;
    };
    for (std::uint32_t r = 1; r < s->rounds; ++r) {
        rk += 4;
        const std::uint32_t t0 = td(s0, s3, s2, s1, rk[0]);
        const std::uint32_t t1 = td(s1, s0, s3, s2, rk[1]);
        const std::uint32_t t2 = td(s2, s1, s0, s3, rk[2]);
        const std::uint32_t t3 = td(s3, s2, s1, s0, rk[3]);
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    rk += 4;
    const auto last = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                         std::uint32_t k) {
        return word(kInvSbox[a >> 24], kInvSbox[(b >> 16) & 0xFF], kInvSbox[(c >> 8) & 0xFF],
                    kInvSbox[d & 0xFF]) ^
               k;
    };
    store_be32(out, last(s0, s3, s2, s1, rk[0]));
    store_be32(out + 4, last(s1, s0, s3, s2, rk[1]));
    store_be32(out + 8, last(s2, s1, s0, s3, rk[2]));
    store_be32(out + 12, last(s3, s2, s1, s0, rk[3]));
}

void xor16(std::uint8_t* out, const std::uint8_t* a, const std::uint8_t* b) {
    for (int i = 0; i < 16; ++i) out[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
}

void increment_be128(std::uint8_t* counter) {
    for (int i = 15; i >= 0; --i) {
        if (++counter[i] != 0) break;
    }
}

void aes_encrypt_blocks_portable(const AES_KEY_SCHEDULE* s, const std::uint8_t* in,
                                 std::uint8_t* out, std::size_t blocks) noexcept {
    for (std::size_t i = 0; i < blocks; ++i) encrypt_block_portable(s, in + 16 * i, out + 16 * i);
}

void aes_decrypt_blocks_portable(const AES_KEY_SCHEDULE* s, const std::uint8_t* in,
                                 std::uint8_t* out, std::size_t blocks) noexcept {
    for (std::size_t i = 0; i < blocks; ++i) decrypt_block_portable(s, in + 16 * i, out + 16 * i);
}

void aes_ctr_blocks_portable(const AES_KEY_SCHEDULE* s, std::uint8_t* counter,
                             const std::uint8_t* in, std::uint8_t* out,
                             std::size_t blocks) noexcept {
    std::uint8_t keystream[16];
    for (std::size_t i = 0; i < blocks; ++i) {
        encrypt_block_portable(s, counter, keystream);
        increment_be128(counter);
        xor16(out + 16 * i, in + 16 * i, keystream);
    }
    platform::secure_zero(keystream, sizeof(keystream));
}

void aes_cbc_encrypt_blocks_portable(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                                     const std::uint8_t* in, std::uint8_t* out,
                                     std::size_t blocks) noexcept {
    for (std::size_t i = 0; i < blocks; ++i) {
        xor16(chain, chain, in + 16 * i);
        encrypt_block_portable(s, chain, chain);
        std::memcpy(out + 16 * i, chain, 16);
    }
}

void aes_cbc_decrypt_blocks_portable(const AES_KEY_SCHEDULE* s, std::uint8_t* chain,
                                     const std::uint8_t* in, std::uint8_t* out,
                                     std::size_t blocks) noexcept {
    std::uint8_t c[16];
    std::uint8_t p[16];
    for (std::size_t i = 0; i < blocks; ++i) {
        std::memcpy(c, in + 16 * i, 16);
        decrypt_block_portable(s, c, p);
        xor16(out + 16 * i, p, chain);
        std::memcpy(chain, c, 16);
    }
    platform::secure_zero(p, sizeof(p));
}

constexpr platform::Path<AesPathOps> kPaths[] = {
#ifdef ZLC_X86_64
    {"vaes512",
     platform::kVaes | platform::kAvx512f | platform::kAvx512bw | platform::kAesni |
         platform::kSse41 | platform::kSsse3,
     {aes_sub_word_aesni, aes_encrypt_blocks_vaes512, aes_decrypt_blocks_vaes512,
      aes_ctr_blocks_vaes512, aes_cbc_encrypt_blocks_aesni, aes_cbc_decrypt_blocks_vaes512}},
    {"vaes256",
     platform::kVaes | platform::kAvx2 | platform::kAesni | platform::kSse41 | platform::kSsse3,
     {aes_sub_word_aesni, aes_encrypt_blocks_vaes256, aes_decrypt_blocks_vaes256,
      aes_ctr_blocks_vaes256, aes_cbc_encrypt_blocks_aesni, aes_cbc_decrypt_blocks_vaes256}},
    {"aesni",
     platform::kAesni | platform::kSse41 | platform::kSsse3,
     {aes_sub_word_aesni, aes_encrypt_blocks_aesni, aes_decrypt_blocks_aesni, aes_ctr_blocks_aesni,
      aes_cbc_encrypt_blocks_aesni, aes_cbc_decrypt_blocks_aesni}},
#endif
    {"portable",
     0,
     {sub_word_portable, aes_encrypt_blocks_portable, aes_decrypt_blocks_portable,
      aes_ctr_blocks_portable, aes_cbc_encrypt_blocks_portable, aes_cbc_decrypt_blocks_portable}},
};
constinit platform::PathChoice<AesPathOps> g_paths(kPaths);

void expand_key(AES_KEY_SCHEDULE* s, std::uint32_t key_length, const std::uint8_t* key) {
    // On AES-NI machines SubWord comes from the instruction, so the key never indexes a table.
    const auto sub_word = g_paths.ops().sub_word;
    const std::uint32_t nk = key_length / 4;
    const std::uint32_t rounds = nk + 6;
    std::uint32_t* w = s->round_keys;
    for (std::uint32_t i = 0; i < nk; ++i) w[i] = load_be32(key + 4 * i);
    std::uint32_t rcon = 0x01;
    for (std::uint32_t i = nk; i < 4 * (rounds + 1); ++i) {
        std::uint32_t t = w[i - 1];
        if (i % nk == 0) {
            t = std::rotl(t, 8);
            t = sub_word(t) ^ (rcon << 24);
            rcon = xtime(static_cast<std::uint8_t>(rcon));
        } else if (nk > 6 && i % nk == 4) {
            t = sub_word(t);
        }
        w[i] = w[i - nk] ^ t;
    }
    s->rounds = rounds;
}

// Adapters for the block cipher unit.
Status unit_set_encrypt_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                            std::uint32_t) {
    return AesSetEncryptKey(static_cast<AES_KEY_SCHEDULE*>(schedule), key_length, key) == kOk
               ? kOk
               : kAesUnitKeySetupFailed;
}
Status unit_set_decrypt_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                            std::uint32_t) {
    return AesSetDecryptKey(static_cast<AES_KEY_SCHEDULE*>(schedule), key_length, key) == kOk
               ? kOk
               : kAesUnitKeySetupFailed;
}
void unit_encrypt(const void* s, const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) {
    aes_encrypt_blocks(static_cast<const AES_KEY_SCHEDULE*>(s), in, out, blocks);
}
void unit_decrypt(const void* s, const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) {
    aes_decrypt_blocks(static_cast<const AES_KEY_SCHEDULE*>(s), in, out, blocks);
}
void unit_ctr(const void* s, std::uint8_t* counter, const std::uint8_t* in, std::uint8_t* out,
              std::size_t blocks) {
    aes_ctr_blocks(static_cast<const AES_KEY_SCHEDULE*>(s), counter, in, out, blocks);
}
void unit_cbc_encrypt(const void* s, std::uint8_t* chain, const std::uint8_t* in, std::uint8_t* out,
                      std::size_t blocks) {
    aes_cbc_encrypt_blocks(static_cast<const AES_KEY_SCHEDULE*>(s), chain, in, out, blocks);
}
void unit_cbc_decrypt(const void* s, std::uint8_t* chain, const std::uint8_t* in, std::uint8_t* out,
                      std::size_t blocks) {
    aes_cbc_decrypt_blocks(static_cast<const AES_KEY_SCHEDULE*>(s), chain, in, out, blocks);
}

}  // namespace

Status AesSetEncryptKey(AES_KEY_SCHEDULE* schedule, std::uint32_t key_length,
                        const std::uint8_t* key) noexcept {
    if (schedule == nullptr || key == nullptr || !valid_key_length(key_length))
        return kAesSetKeyInvalid;
    expand_key(schedule, key_length, key);
    return kOk;
}

Status AesSetDecryptKey(AES_KEY_SCHEDULE* schedule, std::uint32_t key_length,
                        const std::uint8_t* key) noexcept {
    if (schedule == nullptr || key == nullptr || !valid_key_length(key_length))
        return kAesSetKeyInvalid;
    expand_key(schedule, key_length, key);
    std::uint32_t* w = schedule->round_keys;
    const std::uint32_t rounds = schedule->rounds;
    for (std::uint32_t i = 0, j = 4 * rounds; i < j; i += 4, j -= 4) {
        for (int k = 0; k < 4; ++k) std::swap(w[i + k], w[j + k]);
    }
    for (std::uint32_t i = 4; i < 4 * rounds; ++i) w[i] = inv_mix_column(w[i]);
    return kOk;
}

void AesEncryptBlock(const AES_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                     std::uint8_t* out) noexcept {
    aes_encrypt_blocks(schedule, in, out, 1);
}

void AesDecryptBlock(const AES_KEY_SCHEDULE* schedule, const std::uint8_t* in,
                     std::uint8_t* out) noexcept {
    aes_decrypt_blocks(schedule, in, out, 1);
}

void aes_encrypt_blocks(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) noexcept {
    g_paths.ops().encrypt_blocks(s, in, out, blocks);
}

void aes_decrypt_blocks(const AES_KEY_SCHEDULE* s, const std::uint8_t* in, std::uint8_t* out,
                        std::size_t blocks) noexcept {
    g_paths.ops().decrypt_blocks(s, in, out, blocks);
}

void aes_ctr_blocks(const AES_KEY_SCHEDULE* s, std::uint8_t* counter, const std::uint8_t* in,
                    std::uint8_t* out, std::size_t blocks) noexcept {
    g_paths.ops().ctr_blocks(s, counter, in, out, blocks);
}

void aes_cbc_encrypt_blocks(const AES_KEY_SCHEDULE* s, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) noexcept {
    g_paths.ops().cbc_encrypt_blocks(s, chain, in, out, blocks);
}

void aes_cbc_decrypt_blocks(const AES_KEY_SCHEDULE* s, std::uint8_t* chain, const std::uint8_t* in,
                            std::uint8_t* out, std::size_t blocks) noexcept {
    g_paths.ops().cbc_decrypt_blocks(s, chain, in, out, blocks);
}

platform::PathChoice<AesPathOps>& aes_paths() noexcept {
    return g_paths;
}

namespace {

// FIPS 197: Nr = Nk + 6.
bool unit_schedule_matches(const void* schedule, std::uint32_t key_length, std::uint32_t) {
    return static_cast<const AES_KEY_SCHEDULE*>(schedule)->rounds == key_length / 4 + 6;
}

}  // namespace

const BlockCipherOps kAesOps{.module = Module::Aes,
                             .block_length = 16,
                             .schedule_size = sizeof(AES_KEY_SCHEDULE),
                             .key_setup_failure = kAesUnitKeySetupFailed,
                             .counter_mode = true,
                             .set_encrypt_key = unit_set_encrypt_key,
                             .set_decrypt_key = unit_set_decrypt_key,
                             .encrypt_blocks = unit_encrypt,
                             .decrypt_blocks = unit_decrypt,
                             .ctr_blocks = unit_ctr,
                             .cbc_encrypt_blocks = unit_cbc_encrypt,
                             .cbc_decrypt_blocks = unit_cbc_decrypt,
                             .schedule_matches = unit_schedule_matches};

}  // namespace zlc::cipher
