#pragma once
// Internal view of the integer records: storage rules, status vocabulary and the pool-frame guard
// shared by every big-integer source.
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::bigint {

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Bigint, op, reason);
}

// Operation numbers of the big-integer module.
namespace op {
inline constexpr std::uint8_t kInit = 0x01, kFree = 0x02, kAddWord = 0x03, kSubWord = 0x04,
                              kMtpWord = 0x05, kGcd = 0x06, kModInverse = 0x07, kMontSetup = 0x09,
                              kModExpMont = 0x0A, kMontMul = 0x0B, kMontReduce = 0x0C, kAdd = 0x0D,
                              kSub = 0x0E, kModSub = 0x0F, kDiv = 0x10, kSqr = 0x11, kMtp = 0x12,
                              kModMtp = 0x13, kModExp = 0x14, kLeftShift = 0x15, kRightShift = 0x16,
                              kFreePool = 0x19, kClearPool = 0x1A, kStartPool = 0x1B,
                              kFinishPool = 0x1C, kCopy = 0x1F, kSetWord = 0x20, kSetBit = 0x21;
}  // namespace op

// Reasons used only by this module.
inline constexpr std::uint16_t REASON_GROWTH_FAILED = 0x0016;
inline constexpr std::uint16_t REASON_OPERAND_TOO_LARGE = 0x0028;  // also: division by zero
inline constexpr std::uint16_t REASON_COPY_FAILED = 0x000D;
inline constexpr std::uint16_t REASON_SQUARE_FAILED = 0x0056;
inline constexpr std::uint16_t REASON_FROM_MONT_FAILED = 0x0002;
inline constexpr std::uint16_t REASON_TO_MONT_FAILED = 0x0004;
inline constexpr std::uint16_t REASON_MONT_MUL_FAILED = 0x0043;
inline constexpr std::uint16_t REASON_MULTIPLY_STEP_FAILED = 0x0001;
inline constexpr std::uint16_t REASON_DIVISION_STEP_FAILED = 0x0010;
inline constexpr std::uint16_t REASON_INVERSE_FAILED = 0x0041;
inline constexpr std::uint16_t REASON_MOD_MUL_FAILED = 0x0042;
inline constexpr std::uint16_t REASON_GCD_LOOP_FAILED = 0x0015;

inline constexpr std::int32_t kMaxWords = ZLC_BIGINT_MAX_WORDS;

inline bool is_zero(const BIGINT* n) noexcept {
    return n->length == 0;
}
// Static records (the shared constants, and records their words were swapped into) are never
// written: every operation refuses one as its result, like a record that cannot grow.
inline bool writable(const BIGINT* n) noexcept {
    return (n->flags & BIGINT_FLAG_STATIC) == 0;
}
inline bool is_odd(const BIGINT* n) noexcept {
    return n->length > 0 && (n->words[0] & 1u) != 0;
}

// Ensures room for `words` words, keeping the value. The old array is wiped before release.
// Fails for static records and for requests above kMaxWords.
[[nodiscard]] bool grow(BIGINT* n, std::int64_t words) noexcept;

// Drops leading zero words.
void normalise(BIGINT* n) noexcept;

// Bit length of one word.
std::int32_t word_bits(std::uint32_t w) noexcept;

// r = a * 2^k and r = a div 2^k; r may be a.
[[nodiscard]] Status left_shift(BIGINT* r, const BIGINT* a, std::int32_t k) noexcept;
[[nodiscard]] Status right_shift(BIGINT* r, const BIGINT* a, std::int32_t k) noexcept;

// The operations of the C interface as the library calls them: each ZLC_..._BIGINT function is a
// shim over its counterpart here, with the same arguments, results and statuses (zlc.h documents
// them). Library code calls these, never the exported symbols.

// Records.
BIGINT* new_bigint() noexcept;
[[nodiscard]] Status init(BIGINT* n) noexcept;
void clear(BIGINT* n) noexcept;
Status free(BIGINT* n) noexcept;
[[nodiscard]] Status copy(BIGINT* dst, const BIGINT* src) noexcept;
BIGINT* dup(const BIGINT* src) noexcept;
void swap(BIGINT* a, BIGINT* b) noexcept;

// Conversions.
BIGINT* binary_to(const std::uint8_t* bytes, std::int32_t count, BIGINT* target) noexcept;
std::int32_t to_binary(const BIGINT* n, std::uint8_t* out) noexcept;
std::int32_t to_binary_unsigned(const BIGINT* n, std::uint8_t* out) noexcept;
BIGINT* hex_to(const char* text) noexcept;
char* to_hex(const BIGINT* n) noexcept;
char* to_dec(const BIGINT* n) noexcept;
void print(const BIGINT* n) noexcept;
char* dump(const BIGINT* n) noexcept;

// Inspection, words and bits.
std::int32_t get_bits_length(const BIGINT* n) noexcept;
std::int32_t cmp(const BIGINT* a, const BIGINT* b) noexcept;
std::uint32_t get_word(const BIGINT* n) noexcept;
[[nodiscard]] Status set_word(BIGINT* n, std::uint32_t w) noexcept;
[[nodiscard]] Status set_bit(BIGINT* n, std::int32_t i) noexcept;
std::int32_t is_bit_set(const BIGINT* n, std::int32_t i) noexcept;
const BIGINT* value_one() noexcept;
const BIGINT* value_zero() noexcept;

// The pool.
BIGINT_POOL* new_pool() noexcept;
[[nodiscard]] Status start_pool(BIGINT_POOL* pool) noexcept;
BIGINT* get_pool(BIGINT_POOL* pool) noexcept;
Status finish_pool(BIGINT_POOL* pool) noexcept;
Status clear_pool(BIGINT_POOL* pool) noexcept;
Status free_pool(BIGINT_POOL* pool) noexcept;

// Arithmetic.
[[nodiscard]] Status add(BIGINT* r, const BIGINT* a, const BIGINT* b) noexcept;
[[nodiscard]] Status sub(BIGINT* r, const BIGINT* a, const BIGINT* b, BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status add_word(BIGINT* n, std::uint32_t w) noexcept;
[[nodiscard]] Status sub_word(BIGINT* n, std::uint32_t w) noexcept;
[[nodiscard]] Status mtp_word(BIGINT* n, std::uint32_t w) noexcept;
std::uint32_t div_word(BIGINT* n, std::uint32_t w) noexcept;
std::uint32_t mod_word(const BIGINT* n, std::uint32_t w) noexcept;
[[nodiscard]] Status div(BIGINT* quotient, BIGINT* remainder, const BIGINT* a, const BIGINT* d,
                         BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status mtp(BIGINT* r, const BIGINT* a, const BIGINT* b, BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status sqr(BIGINT* r, const BIGINT* a, BIGINT_POOL* pool) noexcept;

// Modular arithmetic (Montgomery contexts, gcd: crypto/bigint/modular.h).
[[nodiscard]] Status mod_sub(BIGINT* r, const BIGINT* a, const BIGINT* b, const BIGINT* m,
                             BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status mod_mtp(BIGINT* r, const BIGINT* a, const BIGINT* b, const BIGINT* m,
                             BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status mod_exp(BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m,
                             BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status mod_exp_mont(BIGINT* r, const BIGINT* a, const BIGINT* e, const BIGINT* m,
                                  BIGINT_POOL* pool) noexcept;
[[nodiscard]] Status mod_inverse(BIGINT* r, const BIGINT* a, const BIGINT* m,
                                 BIGINT_POOL* pool) noexcept;

// Opens a pool frame for the scope and finishes it on every exit path.
class PoolFrame {
  public:
    explicit PoolFrame(BIGINT_POOL* pool) noexcept
        : pool_(pool), open_(pool != nullptr && start_pool(pool) == kOk) {}
    ~PoolFrame() {
        if (open_) (void)finish_pool(pool_);
    }
    PoolFrame(const PoolFrame&) = delete;
    PoolFrame& operator=(const PoolFrame&) = delete;

    bool open() const noexcept { return open_; }
    // A zero record from the frame, or null.
    BIGINT* take() noexcept { return open_ ? get_pool(pool_) : nullptr; }
    // Takes one record into each argument; false as soon as one is missing.
    template <class... R>
    bool take_all(R*&... out) noexcept {
        return (((out = take()) != nullptr) && ...);
    }

  private:
    BIGINT_POOL* pool_;
    bool open_;
};

// A pool the operation made for itself, cleared and released when the scope ends.
class PrivatePool {
  public:
    explicit PrivatePool(BIGINT_POOL* given) noexcept
        : owned_(given == nullptr ? new_pool() : nullptr),
          pool_(given != nullptr ? given : owned_) {}
    ~PrivatePool() {
        if (owned_ != nullptr) (void)free_pool(owned_);
    }
    PrivatePool(const PrivatePool&) = delete;
    PrivatePool& operator=(const PrivatePool&) = delete;

    BIGINT_POOL* get() const noexcept { return pool_; }

  private:
    BIGINT_POOL* owned_;
    BIGINT_POOL* pool_;
};

// A heap record released (wiped) when the scope ends.
class OwnedBigint {
  public:
    OwnedBigint() noexcept : n_(new_bigint()) {}
    ~OwnedBigint() { (void)free(n_); }
    OwnedBigint(const OwnedBigint&) = delete;
    OwnedBigint& operator=(const OwnedBigint&) = delete;
    BIGINT* get() const noexcept { return n_; }

  private:
    BIGINT* n_;
};

}  // namespace zlc::bigint
