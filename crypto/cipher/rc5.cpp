// RC5-32/12/16, R. L. Rivest, "The RC5 Encryption Algorithm" (1994): key expansion with the magic
// constants P32 and Q32, and the data-dependent-rotation rounds.
#include "crypto/cipher/rc5.h"

#include <array>
#include <bit>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"

namespace zlc::cipher {
namespace {

constexpr std::uint32_t kP32 = 0xB7E15163;
constexpr std::uint32_t kQ32 = 0x9E3779B9;
constexpr std::uint32_t kTableWords = 2 * kRc5Rounds + 2;
constexpr std::uint32_t kMaxKeyBytes = 255;

inline std::uint32_t rotl(std::uint32_t x, std::uint32_t n) {
    return std::rotl(x, static_cast<int>(n & 31));
}
inline std::uint32_t rotr(std::uint32_t x, std::uint32_t n) {
    return std::rotr(x, static_cast<int>(n & 31));
}

inline void encrypt_words(const std::uint32_t* s, std::uint32_t& a, std::uint32_t& b) {
    a += s[0];
    b += s[1];
    for (std::uint32_t i = 1; i <= kRc5Rounds; ++i) {
        a = rotl(a ^ b, b) + s[2 * i];
        b = rotl(b ^ a, a) + s[2 * i + 1];
    }
}

inline void decrypt_words(const std::uint32_t* s, std::uint32_t& a, std::uint32_t& b) {
    for (std::uint32_t i = kRc5Rounds; i >= 1; --i) {
        b = rotr(b - s[2 * i + 1], a) ^ a;
        a = rotr(a - s[2 * i], b) ^ b;
    }
    b -= s[1];
    a -= s[0];
}

Status set_key(void* schedule, const std::uint8_t* key, std::uint32_t key_length, std::uint32_t) {
    if (key == nullptr) return kRc5KeySetupFailed;
    return Rc5SetKey(key, key_length, static_cast<RC5_KEY_SCHEDULE*>(schedule));
}

void encrypt_blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                    std::size_t count) {
    const std::uint32_t* s = static_cast<const RC5_KEY_SCHEDULE*>(schedule)->s;
    for (std::size_t i = 0; i < count; ++i, in += 8, out += 8) {
        std::uint32_t a = load_le32(in), b = load_le32(in + 4);
        encrypt_words(s, a, b);
        store_le32(out, a);
        store_le32(out + 4, b);
    }
}

void decrypt_blocks(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                    std::size_t count) {
    const std::uint32_t* s = static_cast<const RC5_KEY_SCHEDULE*>(schedule)->s;
    for (std::size_t i = 0; i < count; ++i, in += 8, out += 8) {
        std::uint32_t a = load_le32(in), b = load_le32(in + 4);
        decrypt_words(s, a, b);
        store_le32(out, a);
        store_le32(out + 4, b);
    }
}

}  // namespace

Status Rc5SetKey(const std::uint8_t* key, std::uint32_t key_length,
                 RC5_KEY_SCHEDULE* schedule) noexcept {
    if (schedule == nullptr || (key == nullptr && key_length != 0) || key_length > kMaxKeyBytes) {
        return kRc5KeySetupFailed;
    }
    // The key bytes as little-endian words L[0..c-1], c at least 1.
    std::array<std::uint32_t, (kMaxKeyBytes + 3) / 4> l{};
    mem::WipeOnExit wipe(l);
    for (std::uint32_t i = 0; i < key_length; ++i)
        l[i / 4] |= std::uint32_t{key[i]} << (8 * (i % 4));
    const std::uint32_t c = key_length == 0 ? 1 : (key_length + 3) / 4;

    std::uint32_t* s = schedule->s;
    s[0] = kP32;
    for (std::uint32_t i = 1; i < kTableWords; ++i) s[i] = s[i - 1] + kQ32;
    for (std::uint32_t i = kTableWords; i < 34; ++i) s[i] = 0;

    std::uint32_t a = 0, b = 0, i = 0, j = 0;
    const std::uint32_t steps = 3 * (kTableWords > c ? kTableWords : c);
    for (std::uint32_t k = 0; k < steps; ++k) {
        a = s[i] = rotl(s[i] + a + b, 3);
        b = l[j] = rotl(l[j] + a + b, a + b);
        i = (i + 1) % kTableWords;
        j = (j + 1) % c;
    }
    schedule->rounds = kRc5Rounds;
    return kOk;
}

void Rc5EncryptBlock(const RC5_KEY_SCHEDULE* schedule, std::uint32_t words[2]) noexcept {
    encrypt_words(schedule->s, words[0], words[1]);
}

void Rc5DecryptBlock(const RC5_KEY_SCHEDULE* schedule, std::uint32_t words[2]) noexcept {
    decrypt_words(schedule->s, words[0], words[1]);
}

namespace {

bool schedule_matches(const void* schedule, std::uint32_t, std::uint32_t) {
    return static_cast<const RC5_KEY_SCHEDULE*>(schedule)->rounds == kRc5Rounds;
}

}  // namespace

const BlockCipherOps kRc5Ops{.module = Module::Rc5,
                             .block_length = 8,
                             .schedule_size = sizeof(RC5_KEY_SCHEDULE),
                             .key_setup_failure = kRc5KeySetupFailed,
                             .counter_mode = true,
                             .set_encrypt_key = &set_key,
                             .set_decrypt_key = &set_key,
                             .encrypt_blocks = &encrypt_blocks,
                             .decrypt_blocks = &decrypt_blocks,
                             .ctr_blocks = nullptr,
                             .cbc_encrypt_blocks = nullptr,
                             .cbc_decrypt_blocks = nullptr,
                             .schedule_matches = &schedule_matches};

}  // namespace zlc::cipher
