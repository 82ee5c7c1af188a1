// RC2, RFC 2268: key expansion (section 2), encryption (section 3) and decryption (section 4).
#include "crypto/cipher/rc2.h"

#include <array>
#include <cstring>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"

namespace zlc::cipher {
namespace {

// RFC 2268's PITABLE, a permutation of 0..255 based on the digits of pi.
constexpr std::array<std::uint8_t, 256> kPiTable = {
    0xd9, 0x78, 0xf9, 0xc4, 0x19, 0xdd, 0xb5, 0xed, 0x28, 0xe9, 0xfd, 0x79, 0x4a, 0xa0, 0xd8, 0x9d,
    0xc6, 0x7e, 0x37, 0x83, 0x2b, 0x76, 0x53, 0x8e, 0x62, 0x4c, 0x64, 0x88, 0x44, 0x8b, 0xfb, 0xa2,
    0x17, 0x9a, 0x59, 0xf5, 0x87, 0xb3, 0x4f, 0x13, 0x61, 0x45, 0x6d, 0x8d, 0x09, 0x81, 0x7d, 0x32,
    0xbd, 0x8f, 0x40, 0xeb, 0x86, 0xb7, 0x7b, 0x0b, 0xf0, 0x95, 0x21, 0x22, 0x5c, 0x6b, 0x4e, 0x82,
    0x54, 0xd6, 0x65, 0x93, 0xce, 0x60, 0xb2, 0x1c, 0x73, 0x56, 0xc0, 0x14, 0xa7, 0x8c, 0xf1, 0xdc,
    0x12, 0x75, 0xca, 0x1f, 0x3b, 0xbe, 0xe4, 0xd1, 0x42, 0x3d, 0xd4, 0x30, 0xa3, 0x3c, 0xb6, 0x26,
    0x6f, 0xbf, 0x0e, 0xda, 0x46, 0x69, 0x07, 0x57, 0x27, 0xf2, 0x1d, 0x9b, 0xbc, 0x94, 0x43, 0x03,
    0xf8, 0x11, 0xc7, 0xf6, 0x90, 0xef, 0x3e, 0xe7, 0x06, 0xc3, 0xd5, 0x2f, 0xc8, 0x66, 0x1e, 0xd7,
    0x08, 0xe8, 0xea, 0xde, 0x80, 0x52, 0xee, 0xf7, 0x84, 0xaa, 0x72, 0xac, 0x35, 0x4d, 0x6a, 0x2a,
    0x96, 0x1a, 0xd2, 0x71, 0x5a, 0x15, 0x49, 0x74, 0x4b, 0x9f, 0xd0, 0x5e, 0x04, 0x18, 0xa4, 0xec,
    0xc2, 0xe0, 0x41, 0x6e, 0x0f, 0x51, 0xcb, 0xcc, 0x24, 0x91, 0xaf, 0x50, 0xa1, 0xf4, 0x70, 0x39,
    0x99, 0x7c, 0x3a, 0x85, 0x23, 0xb8, 0xb4, 0x7a, 0xfc, 0x02, 0x36, 0x5b, 0x25, 0x55, 0x97, 0x31,
    0x2d, 0x5d, 0xfa, 0x98, 0xe3, 0x8a, 0x92, 0xae, 0x05, 0xdf, 0x29, 0x10, 0x67, 0x6c, 0xba, 0xc9,
    0xd3, 0x00, 0xe6, 0xcf, 0xe1, 0x9e, 0xa8, 0x2c, 0x63, 0x16, 0x01, 0x3f, 0x58, 0xe2, 0x89, 0xa9,
    0x0d, 0x38, 0x34, 0x1b, 0xab, 0x33, 0xff, 0xb0, 0xbb, 0x48, 0x0c, 0x5f, 0xb9, 0xb1, 0xcd, 0x2e,
    0xc5, 0xf3, 0xdb, 0x47, 0xe5, 0xa5, 0x9c, 0x77, 0x0a, 0xa6, 0x20, 0x68, 0xfe, 0x7f, 0xc1, 0xad,
};

constexpr bool is_permutation() {
    std::array<bool, 256> seen{};
    for (auto v : kPiTable) {
        if (seen[v]) return false;
        seen[v] = true;
    }
    return true;
}
static_assert(is_permutation());

constexpr std::uint32_t kMaxKeyBytes = 128;
constexpr std::uint32_t kMaxEffectiveBits = 1024;

inline std::uint16_t rotl16(std::uint16_t x, int n) {
    return static_cast<std::uint16_t>((x << n) | (x >> (16 - n)));
}
inline std::uint16_t rotr16(std::uint16_t x, int n) {
    return static_cast<std::uint16_t>((x >> n) | (x << (16 - n)));
}

struct Words {
    std::uint16_t r0, r1, r2, r3;
};

inline Words load(const std::uint8_t* b) {
    return {load_le16(b), load_le16(b + 2), load_le16(b + 4), load_le16(b + 6)};
}
inline void store(std::uint8_t* b, const Words& w) {
    store_le16(b, w.r0);
    store_le16(b + 2, w.r1);
    store_le16(b + 4, w.r2);
    store_le16(b + 6, w.r3);
}

// The mixing round of RFC 2268 section 3.1 on R[0..3], consuming K[j..j+3].
inline void mix(Words& w, const std::uint16_t* k) {
    w.r0 = rotl16(static_cast<std::uint16_t>(w.r0 + k[0] + (w.r3 & w.r2) + (~w.r3 & w.r1)), 1);
    w.r1 = rotl16(static_cast<std::uint16_t>(w.r1 + k[1] + (w.r0 & w.r3) + (~w.r0 & w.r2)), 2);
    w.r2 = rotl16(static_cast<std::uint16_t>(w.r2 + k[2] + (w.r1 & w.r0) + (~w.r1 & w.r3)), 3);
    w.r3 = rotl16(static_cast<std::uint16_t>(w.r3 + k[3] + (w.r2 & w.r1) + (~w.r2 & w.r0)), 5);
}

inline void mash(Words& w, const std::uint16_t* k) {
    w.r0 = static_cast<std::uint16_t>(w.r0 + k[w.r3 & 63]);
    w.r1 = static_cast<std::uint16_t>(w.r1 + k[w.r0 & 63]);
    w.r2 = static_cast<std::uint16_t>(w.r2 + k[w.r1 & 63]);
    w.r3 = static_cast<std::uint16_t>(w.r3 + k[w.r2 & 63]);
}

// The r-mixing round of section 4.1, consuming K[j-3..j] downwards.
inline void unmix(Words& w, const std::uint16_t* k) {
    w.r3 = static_cast<std::uint16_t>(rotr16(w.r3, 5) - k[3] - (w.r2 & w.r1) - (~w.r2 & w.r0));
    w.r2 = static_cast<std::uint16_t>(rotr16(w.r2, 3) - k[2] - (w.r1 & w.r0) - (~w.r1 & w.r3));
    w.r1 = static_cast<std::uint16_t>(rotr16(w.r1, 2) - k[1] - (w.r0 & w.r3) - (~w.r0 & w.r2));
    w.r0 = static_cast<std::uint16_t>(rotr16(w.r0, 1) - k[0] - (w.r3 & w.r2) - (~w.r3 & w.r1));
}

inline void unmash(Words& w, const std::uint16_t* k) {
    w.r3 = static_cast<std::uint16_t>(w.r3 - k[w.r2 & 63]);
    w.r2 = static_cast<std::uint16_t>(w.r2 - k[w.r1 & 63]);
    w.r1 = static_cast<std::uint16_t>(w.r1 - k[w.r0 & 63]);
    w.r0 = static_cast<std::uint16_t>(w.r0 - k[w.r3 & 63]);
}

// Five mixing rounds, a mashing round, six mixing rounds, a mashing round, five mixing rounds.
inline void encrypt_words(Words& w, const std::uint16_t* k) {
    for (int i = 0; i < 5; ++i) mix(w, k + 4 * i);
    mash(w, k);
    for (int i = 5; i < 11; ++i) mix(w, k + 4 * i);
    mash(w, k);
    for (int i = 11; i < 16; ++i) mix(w, k + 4 * i);
}

inline void decrypt_words(Words& w, const std::uint16_t* k) {
    for (int i = 15; i >= 11; --i) unmix(w, k + 4 * i);
    unmash(w, k);
    for (int i = 10; i >= 5; --i) unmix(w, k + 4 * i);
    unmash(w, k);
    for (int i = 4; i >= 0; --i) unmix(w, k + 4 * i);
}

Status set_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
               std::uint32_t effective_bits) {
    return Rc2SetKey(static_cast<RC2_KEY_SCHEDULE*>(schedule), effective_bits, key, key_length);
}

void encrypt_blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                    std::size_t count) {
    const std::uint16_t* k = static_cast<const RC2_KEY_SCHEDULE*>(schedule)->k;
    for (std::size_t i = 0; i < count; ++i, in += 8, out += 8) {
        Words w = load(in);
        encrypt_words(w, k);
        store(out, w);
    }
}

void decrypt_blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                    std::size_t count) {
    const std::uint16_t* k = static_cast<const RC2_KEY_SCHEDULE*>(schedule)->k;
    for (std::size_t i = 0; i < count; ++i, in += 8, out += 8) {
        Words w = load(in);
        decrypt_words(w, k);
        store(out, w);
    }
}

}  // namespace

Status Rc2SetKey(RC2_KEY_SCHEDULE* schedule, std::uint32_t effective_bits, const std::uint8_t* key,
                 std::uint32_t key_length) noexcept {
    if (schedule == nullptr || key == nullptr || key_length == 0) return kRc2KeySetupFailed;
    const std::uint32_t t = key_length < kMaxKeyBytes ? key_length : kMaxKeyBytes;
    const std::uint32_t t1 = effective_bits == 0 || effective_bits > kMaxEffectiveBits
                                 ? kMaxEffectiveBits
                                 : effective_bits;
    const std::uint32_t t8 = (t1 + 7) / 8;
    const std::uint32_t tm = 255u >> (8 * t8 - t1);

    std::array<std::uint8_t, 128> l{};
    mem::WipeOnExit wipe(l);
    std::memcpy(l.data(), key, t);
    for (std::uint32_t i = t; i < 128; ++i) l[i] = kPiTable[(l[i - 1] + l[i - t]) & 255];
    l[128 - t8] = kPiTable[l[128 - t8] & tm];
    for (std::uint32_t i = 128 - t8; i-- > 0;) l[i] = kPiTable[l[i + 1] ^ l[i + t8]];
    for (int i = 0; i < 64; ++i)
        schedule->k[i] = static_cast<std::uint16_t>(l[2 * i] | (l[2 * i + 1] << 8));
    schedule->t1 = t1;
    schedule->t8 = t8;
    schedule->tm = tm;
    schedule->reserved = 0;
    return kOk;
}

void Rc2EncryptBlock(std::uint8_t block[8], const RC2_KEY_SCHEDULE* schedule) noexcept {
    encrypt_blocks(schedule, block, block, 1);
}

void Rc2DecryptBlock(std::uint8_t block[8], const RC2_KEY_SCHEDULE* schedule) noexcept {
    decrypt_blocks(schedule, block, block, 1);
}

namespace {

// The effective-bit fields are the ones Rc2SetKey derives from the unit's effective bits.
bool schedule_matches(const void* schedule, std::uint32_t, std::uint32_t effective_bits) {
    const auto* s = static_cast<const RC2_KEY_SCHEDULE*>(schedule);
    const std::uint32_t t8 = (effective_bits + 7) / 8;
    return s->t1 == effective_bits && s->t8 == t8 && s->tm == 255u >> (8 * t8 - effective_bits) &&
           s->reserved == 0;
}

}  // namespace

const BlockCipherOps kRc2Ops{.module = Module::Rc2,
                             .block_length = 8,
                             .schedule_size = sizeof(RC2_KEY_SCHEDULE),
                             .key_setup_failure = kRc2KeySetupFailed,
                             .counter_mode = false,
                             .set_encrypt_key = &set_key,
                             .set_decrypt_key = &set_key,
                             .encrypt_blocks = &encrypt_blocks,
                             .decrypt_blocks = &decrypt_blocks,
                             .ctr_blocks = nullptr,
                             .cbc_encrypt_blocks = nullptr,
                             .cbc_decrypt_blocks = nullptr,
                             .schedule_matches = &schedule_matches};

}  // namespace zlc::cipher
