// The FIPS 186-2 (Appendix 3.1, with Change Notice 1's general-purpose output) random number
// generator: XVAL = (XKEY + XSEED) mod 2^b, x = G(t, XVAL), XKEY = (1 + XKEY + x) mod 2^b, with b
// fixed at 8 x the XKEY length. G is a digest's compression over a zero-padded block, chained from
// step to step in the unit's state, or a 160-bit function over ARIA or SEED.
#include "crypto/rand/prng.h"

#include <array>
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/cipher/aria.h"
#include "crypto/cipher/seed.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/digest/has160.h"
#include "crypto/digest/sha1.h"
#include "crypto/digest/sha256.h"
#include "crypto/digest/sha512.h"
#include "crypto/platform/entropy_sources.h"
#include "crypto/rand/entropy.h"

namespace zlc::prng {
namespace {

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Prng, op, reason);
}
constexpr Status kInitNull = st(0x01, REASON_NULL_ARGUMENT);
constexpr Status kInitProven = st(0x01, REASON_NOT_APPROVED);
constexpr Status kInitInvalid = st(0x01, REASON_INIT_FAILED);
constexpr Status kInitDigest = st(0x01, 0x000F);
constexpr Status kInitRandom = st(0x01, REASON_RANDOM_FAILED);
constexpr Status kInitAlloc = st(0x01, REASON_ALLOC_FAILED_B);
constexpr Status kSetGInit = st(0x02, REASON_INIT_FAILED);
constexpr Status kSetGUnknown = st(0x07, REASON_UNKNOWN_ALGORITHM);
constexpr Status kStepNull = st(0x03, REASON_NULL_ARGUMENT);
constexpr Status kStepNoKey = st(0x03, 0x004B);
constexpr Status kStepFailed = st(0x03, REASON_ALLOC_FAILED_B);
constexpr Status kDsaNoPool = st(0x03, REASON_NO_POOL);
constexpr Status kDsaNoKey = st(0x04, 0x004B);
constexpr Status kGetNull = st(0x04, REASON_NULL_ARGUMENT);
constexpr Status kGetLength = st(0x04, REASON_INVALID_ARGUMENT);
constexpr Status kGetStep = st(0x04, 0x004E);
constexpr Status kGetRepeated = st(0x04, 0x0014);
constexpr Status kBigintNull = st(0x05, REASON_NULL_ARGUMENT);
constexpr Status kBigintBits = st(0x05, REASON_INVALID_ARGUMENT);
constexpr Status kBigintAlloc = st(0x05, REASON_ALLOC_FAILED_B);
constexpr Status kBytesAlloc = st(0x06, REASON_ALLOC_FAILED_B);
constexpr Status kBytesRefused = st(0x06, REASON_GENERATOR_REFUSED);
constexpr Status kBytesFailed = st(0x06, REASON_RANDOM_FAILED);

constexpr std::uint32_t kInitialisedMarker = 0xFFFFFFFFu;
constexpr std::int32_t kMinKeyLength = 20;
constexpr std::int32_t kMaxKeyLength = 64;
constexpr std::int32_t kDerivedSeedLength = 20;

// t of FIPS 186-2: the SHA-1 initial value H0..H4. A digest G starts from its own initial value,
// which for SHA-1 is this t, and chains from there.
constexpr std::array<std::uint32_t, 5> kT = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476,
                                             0xc3d2e1f0};

bool is_digest_g(std::uint32_t g) {
    return g == ZLC_SHA1 || g == ZLC_SHA224 || g == ZLC_SHA256 || g == ZLC_SHA384 ||
           g == ZLC_SHA512 || g == ZLC_HAS160;
}
bool is_cipher_g(std::uint32_t g) {
    return g == ZLC_ARIA_128 || g == ZLC_ARIA_192 || g == ZLC_ARIA_256 || g == ZLC_SEED_128;
}

// Bytes of output per step: the digest length, or the cipher's block.
std::int32_t step_length(std::uint32_t g) {
    const digest::DigestAlgorithm* row = digest::find_digest(g);
    return row != nullptr ? row->digest_length : 16;
}

void release_g_state(PRNG_UNIT* unit) {
    mem::free_wiped(unit->g_state, static_cast<std::size_t>(unit->g_state_size));
    unit->g_state = nullptr;
    unit->g_state_size = 0;
}

void release_number(BIGINT** n) {
    (void)bigint::free(*n);
    *n = nullptr;
}

// n = n mod 2^b.
void truncate_bits(BIGINT* n, std::int32_t b) {
    const std::int32_t words = (b + 31) / 32;
    if (n->length < words) return;
    n->length = words;
    if (b % 32 != 0) n->words[words - 1] &= (1u << (b % 32)) - 1u;
    bigint::normalise(n);
}

// x as `width` big-endian bytes, left-padded; the caller guarantees x < 2^(8 width).
void store_padded(const BIGINT* x, std::uint8_t* out, std::int32_t width) {
    std::memset(out, 0, static_cast<std::size_t>(width));
    const std::int32_t bytes = (bigint::get_bits_length(x) + 7) / 8;
    (void)bigint::to_binary_unsigned(x, out + (width - bytes));
}

// G over a digest: XVAL, as b / 8 bytes, at the start of a zero block of the digest's block size,
// one compression on the unit's chained state; the value is the chaining value.
Status g_hash(PRNG_UNIT* unit, const BIGINT* xval, std::uint8_t* out) {
    const digest::DigestAlgorithm* row = digest::find_digest(unit->g_algorithm);
    std::array<std::uint8_t, 128> block{};
    mem::WipeOnExit wipe(block);
    store_padded(xval, block.data(), unit->xkey_bits / 8);
    if (row == nullptr || row->update(unit->g_state, block.data(),
                                      static_cast<std::uint32_t>(row->block_size)) != kOk) {
        return kStepFailed;
    }
    // No chaining value has more than eight words, nor `out` room for more than 64 bytes.
    auto words32 = [out](const std::uint32_t* h, int count) {
        for (int i = 0; i < count && i < 8; ++i) store_be32(out + 4 * i, h[i]);
    };
    auto words64 = [out](const std::uint64_t* h, int count) {
        for (int i = 0; i < count && i < 8; ++i) store_be64(out + 8 * i, h[i]);
    };
    switch (unit->g_algorithm) {
        case ZLC_SHA1:
            words32(static_cast<const digest::SHA1_STATE*>(unit->g_state)->h, 5);
            break;
        case ZLC_HAS160:
            words32(static_cast<const digest::HAS160_STATE*>(unit->g_state)->h, 5);
            break;
        case ZLC_SHA224:
        case ZLC_SHA256:
            words32(static_cast<const digest::SHA256_STATE*>(unit->g_state)->h,
                    row->digest_length / 4);
            break;
        default:
            words64(static_cast<const digest::SHA512_STATE*>(unit->g_state)->h,
                    row->digest_length / 8);
            break;
    }
    return kOk;
}

// G over a 128-bit block cipher, on t and the low 160 bits of XVAL (the whole of it for a
// 20-byte XKEY): five encryptions under keys drawn from XVAL, folded into five output words.
void g_cipher(PRNG_UNIT* unit, const BIGINT* xval, std::uint8_t* out) {
    struct {
        std::array<std::uint8_t, kMaxKeyLength> wide;
        std::array<std::uint32_t, 5> c, x;
        std::array<std::array<std::uint32_t, 4>, 5> y;
        std::array<std::uint8_t, 32> key;
        std::array<std::uint8_t, 16> block;
    } work{};
    mem::WipeOnExit wipe(work);
    auto& [wide, c, x, y, key, block] = work;
    store_padded(xval, wide.data(), kMaxKeyLength);
    for (int i = 0; i < 5; ++i) {
        c[i] = load_be32(wide.data() + kMaxKeyLength - kCipherGLength + 4 * i);
        x[i] = kT[i] ^ c[i];
    }
    const std::uint32_t g = unit->g_algorithm;
    const std::uint32_t key_length = g == ZLC_ARIA_192 ? 24 : g == ZLC_ARIA_256 ? 32 : 16;
    for (int j = 0; j < 5; ++j) {
        auto X = [&](int i) { return x[(j + i) % 5]; };
        auto C = [&](int i) { return c[(j + i) % 5]; };
        const std::uint32_t plain[4] = {X(0), X(1) ^ X(3), X(0) ^ X(2) ^ X(3),
                                        X(0) ^ X(1) ^ X(2) ^ X(4)};
        const std::uint32_t key_words[8] = {C(4), C(3), C(2), C(1), C(0), C(4), C(3), C(2)};
        for (int i = 0; i < 4; ++i) store_be32(block.data() + 4 * i, plain[i]);
        for (int i = 0; i < 8; ++i) store_be32(key.data() + 4 * i, key_words[i]);
        if (g == ZLC_SEED_128) {
            auto* schedule = static_cast<cipher::SEED_KEY_SCHEDULE*>(unit->g_state);
            cipher::SeedSetKey128(key.data(), schedule);
            cipher::SeedEncryptBlock(schedule, block.data(), block.data());
        } else {
            auto* schedule = static_cast<cipher::ARIA_KEY_SCHEDULE*>(unit->g_state);
            (void)cipher::AriaSetEncryptKey(key.data(), key_length,
                                            schedule);  // length and pointers valid
            cipher::AriaEncryptBlock(schedule, block.data(), block.data());
        }
        for (int i = 0; i < 4; ++i) y[j][i] = load_be32(block.data() + 4 * i);
    }
    for (int j = 0; j < 5; ++j) {
        auto Y = [&](int i) -> const std::array<std::uint32_t, 4>& { return y[(j + i) % 5]; };
        store_be32(out + 4 * j,
                   Y(0)[0] ^ Y(0)[1] ^ Y(1)[0] ^ Y(1)[1] ^ Y(2)[2] ^ Y(4)[2] ^ Y(3)[3]);
    }
}

// G's value for the current XKEY into `value` (20 bytes for a cipher G, the digest length
// otherwise), also loaded into x.
Status evaluate_g(PRNG_UNIT* unit, bigint::PoolFrame& frame, std::uint8_t* value,
                  std::int32_t* value_length, BIGINT** x) {
    BIGINT* xval;
    if (!frame.take_all(xval, *x)) return kStepFailed;
    if (const Status s = bigint::add(xval, unit->xkey, unit->xseed); s != kOk) return s;
    truncate_bits(xval, unit->xkey_bits);
    if (is_cipher_g(unit->g_algorithm)) {
        g_cipher(unit, xval, value);
        *value_length = kCipherGLength;
    } else {
        if (const Status s = g_hash(unit, xval, value); s != kOk) return s;
        *value_length = step_length(unit->g_algorithm);
    }
    return bigint::binary_to(value, *value_length, *x) != nullptr ? kOk : kStepFailed;
}

// XKEY = (1 + XKEY + addend) mod 2^b.
Status advance_xkey(PRNG_UNIT* unit, const BIGINT* addend) {
    if (const Status s = bigint::add(unit->xkey, unit->xkey, addend); s != kOk) return s;
    if (const Status s = bigint::add_word(unit->xkey, 1); s != kOk) return s;
    truncate_bits(unit->xkey, unit->xkey_bits);
    return kOk;
}

// XKEY and XSEED material of one initialisation attempt.
struct Seeds {
    std::array<std::uint8_t, kMaxKeyLength> key{};
    std::array<std::uint8_t, kDerivedSeedLength> seed{};
    std::int32_t key_length = 0;
};

bool generate_key(Seeds& seeds) {
    std::uint32_t pick = 0;
    if (!platform::system_random(reinterpret_cast<std::uint8_t*>(&pick), sizeof(pick)))
        return false;
    seeds.key_length =
        kMinKeyLength + static_cast<std::int32_t>(pick % (kMaxKeyLength - kMinKeyLength + 1));
    return platform::system_random(seeds.key.data(), static_cast<std::size_t>(seeds.key_length));
}

// XSEED byte i: the pool's summary after XKEY byte i is folded in and the summary rehashed.
Status derive_seed(Seeds& seeds) {
    if (!rand::EnsureSeedPool()) return kInitRandom;
    std::uint8_t* summary = rand::seed_pool().summary;
    for (std::int32_t i = 0; i < kDerivedSeedLength; ++i) {
        summary[i] ^= seeds.key[static_cast<std::size_t>(i)];
        std::array<std::uint8_t, kDerivedSeedLength> next{};
        mem::WipeOnExit wipe(next);
        std::int32_t length = 0;
        if (digest::one_shot(ZLC_SHA1, summary, kDerivedSeedLength, next.data(), &length) != kOk)
            return kInitDigest;
        std::memcpy(summary, next.data(), next.size());
        seeds.seed[static_cast<std::size_t>(i)] = summary[i];
    }
    return kOk;
}

bool load(BIGINT** slot, const std::uint8_t* bytes, std::int32_t length) {
    if (*slot == nullptr) *slot = bigint::new_bigint();
    return *slot != nullptr && bigint::binary_to(bytes, length, *slot) != nullptr;
}

Status adopt_pool(PRNG_UNIT* unit, BIGINT_POOL* pool) {
    if (pool != nullptr) {
        if (unit->owns_pool != 0) (void)bigint::free_pool(unit->pool);
        unit->pool = pool;
        unit->owns_pool = 0;
        return kOk;
    }
    if (unit->owns_pool != 0 && unit->pool != nullptr) return kOk;
    unit->pool = bigint::new_pool();
    if (unit->pool == nullptr) return kInitAlloc;
    unit->owns_pool = 1;
    return kOk;
}

// Steps 6 to 11 of initialisation: XKEY and XSEED from the caller or generated, loaded, and made
// again while they are equal.
Status seed_unit(PRNG_UNIT* unit, const std::uint8_t* xkey, std::int32_t xkey_length,
                 const std::uint8_t* xseed, std::int32_t xseed_length) {
    Seeds seeds;
    mem::WipeOnExit wipe(seeds);
    for (;;) {
        if (xkey != nullptr) {
            std::memcpy(seeds.key.data(), xkey, static_cast<std::size_t>(xkey_length));
            seeds.key_length = xkey_length;
        } else if (!generate_key(seeds)) {
            return kInitRandom;
        }
        if (xseed == nullptr) {
            if (const Status s = derive_seed(seeds); s != kOk) return s;
        }
        if (!load(&unit->xkey, seeds.key.data(), seeds.key_length) ||
            !(xseed != nullptr ? load(&unit->xseed, xseed, xseed_length)
                               : load(&unit->xseed, seeds.seed.data(), kDerivedSeedLength))) {
            return kInitAlloc;
        }
        unit->xkey_bits = 8 * seeds.key_length;
        if (bigint::cmp(unit->xkey, unit->xseed) != 0) return kOk;
        if (xkey != nullptr && xseed != nullptr) return kInitInvalid;
    }
}

}  // namespace

PRNG_UNIT* new_unit() noexcept {
    return mem::alloc_record<PRNG_UNIT>();
}

void clean_unit(PRNG_UNIT* unit) noexcept {
    if (unit == nullptr || unit->initialised != kInitialisedMarker) return;
    release_number(&unit->xkey);
    release_number(&unit->xseed);
    release_g_state(unit);
    if (unit->owns_pool != 0) (void)bigint::free_pool(unit->pool);
    platform::secure_zero(unit, sizeof(*unit));
}

void free_unit(PRNG_UNIT* unit) noexcept {
    if (unit == nullptr) return;
    clean_unit(unit);
    mem::free_record(unit);
}

Status PrngSetG(PRNG_UNIT* unit, std::uint32_t g) noexcept {
    if (const Status s = core::pass_gate(); s != kOk) return s;
    release_g_state(unit);
    unit->g_algorithm = g;
    std::size_t size = 0;
    const digest::DigestAlgorithm* row = nullptr;
    if (is_digest_g(g)) {
        row = digest::find_digest(g);
        size = static_cast<std::size_t>(row->state_size);
    } else if (is_cipher_g(g)) {
        size = g == ZLC_SEED_128 ? sizeof(cipher::SEED_KEY_SCHEDULE)
                                 : sizeof(cipher::ARIA_KEY_SCHEDULE);
    } else {
        unit->g_algorithm = 0;
        return kSetGUnknown;
    }
    unit->g_state = mem::alloc_zeroed(size);
    if (unit->g_state == nullptr) return kSetGInit;
    unit->g_state_size = static_cast<std::int32_t>(size);
    if (row != nullptr && row->init(unit->g_state) != kOk) return kSetGInit;
    return kOk;
}

Status init(PRNG_UNIT* unit, std::uint32_t g, const std::uint8_t* xkey, std::int32_t xkey_length,
            const std::uint8_t* xseed, std::int32_t xseed_length, BIGINT_POOL* pool) noexcept {
    if (const Status s = core::pass_gate(); s != kOk) return s;
    if (unit == nullptr) return kInitNull;
    if (core::is_proven()) return kInitProven;
    if (xkey != nullptr && (xkey_length < kMinKeyLength || xkey_length > kMaxKeyLength)) {
        release_number(&unit->xkey);
        return kInitInvalid;
    }
    if (xseed != nullptr && xseed_length < 0) return kInitInvalid;
    unit->initialised = kInitialisedMarker;
    Status s = adopt_pool(unit, pool);
    if (s == kOk)
        s = PrngSetG(unit, g) == kOk ? seed_unit(unit, xkey, xkey_length, xseed, xseed_length)
                                     : kInitInvalid;
    if (s != kOk) {
        // A failed initialisation leaves nothing to draw from, not the previous XKEY under a new G.
        release_number(&unit->xkey);
        release_number(&unit->xseed);
    }
    return s;
}

Status PrngStep(PRNG_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) noexcept {
    if (const Status s = core::pass_gate(); s != kOk) return s;
    if (unit == nullptr || out == nullptr) return kStepNull;
    if (unit->xkey == nullptr || unit->xseed == nullptr || unit->g_state == nullptr)
        return kStepNoKey;
    bigint::PoolFrame frame(unit->pool);
    std::array<std::uint8_t, kMaxStepLength> value{};
    mem::WipeOnExit wipe(value);
    std::int32_t value_length = 0;
    BIGINT* x = nullptr;
    if (const Status s = evaluate_g(unit, frame, value.data(), &value_length, &x); s != kOk)
        return s;
    if (const Status s = advance_xkey(unit, x); s != kOk) return s;
    const std::int32_t length = step_length(unit->g_algorithm);
    std::memcpy(out, value.data(), static_cast<std::size_t>(length));
    if (out_length != nullptr) *out_length = length;
    return kOk;
}

Status get_rand(PRNG_UNIT* unit, std::uint8_t* out, std::int32_t length) noexcept {
    if (unit == nullptr || out == nullptr) return kGetNull;
    if (length < 0) return kGetLength;
    std::array<std::uint8_t, kMaxStepLength> previous{};
    std::array<std::uint8_t, kMaxStepLength> current{};
    mem::WipeOnExit wipe_previous(previous), wipe_current(current);
    std::int32_t step = 0;
    // The continuous test: every output block differs from the block drawn before it.
    auto next = [&]() -> Status {
        previous = current;
        if (PrngStep(unit, current.data(), &step) != kOk) return kGetStep;
        return std::memcmp(previous.data(), current.data(), static_cast<std::size_t>(step)) == 0
                   ? kGetRepeated
                   : kOk;
    };
    // The first step is the reference and is never output.
    if (PrngStep(unit, current.data(), &step) != kOk) return kGetStep;
    if (step == length) {
        // Two more steps when one block fills the request exactly.
        if (PrngStep(unit, current.data(), &step) != kOk) return kGetStep;
    }
    // At least one compared block, so that even a short request is checked.
    std::int32_t done = 0;
    do {
        if (const Status s = next(); s != kOk) return s;
        const std::int32_t take = length - done < step ? length - done : step;
        std::memcpy(out + done, current.data(), static_cast<std::size_t>(take));
        done += take;
    } while (done < length);
    return kOk;
}

Status get_rand_bigint(PRNG_UNIT* unit, BIGINT* r, std::int32_t bits) noexcept {
    if (const Status s = core::pass_gate(); s != kOk) return s;
    if (unit == nullptr || r == nullptr) return kBigintNull;
    if (bits < 0) return kBigintBits;
    const std::int32_t n = (bits + 7) / 8;
    auto* bytes = static_cast<std::uint8_t*>(mem::alloc_zeroed(static_cast<std::size_t>(n) + 1));
    if (bytes == nullptr) return kBigintAlloc;
    mem::ScopeExit release([&] { mem::free_wiped(bytes, static_cast<std::size_t>(n) + 1); });
    if (const Status s = get_rand(unit, bytes, n); s != kOk) return s;
    if (n > 0) bytes[0] = static_cast<std::uint8_t>(bytes[0] >> (8 * n - bits));
    return bigint::binary_to(bytes, n, r) != nullptr ? kOk : kBigintAlloc;
}

Status get_rand_dsa_bigint(PRNG_UNIT* unit, BIGINT* k, const BIGINT* q) noexcept {
    if (unit == nullptr) return kStepNull;
    if (const Status s = core::pass_gate(); s != kOk) return s;
    if (unit->pool == nullptr) return kDsaNoPool;
    if (k == nullptr) return kStepNull;
    if (unit->xkey == nullptr || unit->xseed == nullptr || unit->g_state == nullptr)
        return kDsaNoKey;
    bigint::PoolFrame frame(unit->pool);
    std::array<std::uint8_t, kMaxStepLength> value{};
    mem::WipeOnExit wipe(value);
    std::int32_t value_length = 0;
    BIGINT* x = nullptr;
    if (const Status s = evaluate_g(unit, frame, value.data(), &value_length, &x); s != kOk)
        return s;
    const Status s = q != nullptr ? bigint::div(nullptr, k, x, q, unit->pool) : bigint::copy(k, x);
    if (s != kOk) return s;
    return advance_xkey(unit, k);
}

Status rand_bytes(std::uint8_t* out, std::int32_t length) noexcept {
    const Status gate = core::pass_gate();
    PRNG_UNIT* unit = new_unit();
    if (unit == nullptr) return kBytesAlloc;
    mem::ScopeExit release([&] { free_unit(unit); });
    if (gate != kOk || core::is_proven()) return kBytesRefused;
    if (init(unit, ZLC_SHA1, nullptr, 0, nullptr, 0, nullptr) != kOk) return kBytesRefused;
    return get_rand(unit, out, length) == kOk ? kOk : kBytesFailed;
}

}  // namespace zlc::prng

extern "C" {

ZLC_API PRNG_UNIT* ZLC_New_PRNG_Unit(void) ZLC_NOEXCEPT {
    return zlc::prng::new_unit();
}
ZLC_API void ZLC_Free_PRNG_Unit(PRNG_UNIT* unit) ZLC_NOEXCEPT {
    zlc::prng::free_unit(unit);
}
ZLC_API void ZLC_Clean_PRNG_Unit(PRNG_UNIT* unit) ZLC_NOEXCEPT {
    zlc::prng::clean_unit(unit);
}

ZLC_API uint32_t ZLC_Init_PRNG(PRNG_UNIT* unit, uint32_t g_algorithm, const uint8_t* xkey,
                               int32_t xkey_length, const uint8_t* xseed, int32_t xseed_length,
                               BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return zlc::prng::init(unit, g_algorithm, xkey, xkey_length, xseed, xseed_length, pool);
}

ZLC_API uint32_t ZLC_Get_Rand(PRNG_UNIT* unit, uint8_t* out, int32_t length) ZLC_NOEXCEPT {
    return zlc::prng::get_rand(unit, out, length);
}

ZLC_API uint32_t ZLC_Get_Rand_BIGINT(PRNG_UNIT* unit, BIGINT* r, int32_t bits) ZLC_NOEXCEPT {
    return zlc::prng::get_rand_bigint(unit, r, bits);
}

ZLC_API uint32_t ZLC_Get_Rand_DSA_BIGINT(PRNG_UNIT* unit, BIGINT* k, const BIGINT* q) ZLC_NOEXCEPT {
    return zlc::prng::get_rand_dsa_bigint(unit, k, q);
}

ZLC_API uint32_t ZLC_Rand_Bytes_PRNG(uint8_t* out, int32_t length) ZLC_NOEXCEPT {
    return zlc::prng::rand_bytes(out, length);
}

}  // extern "C"
