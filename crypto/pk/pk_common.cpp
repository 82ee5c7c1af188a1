// Shared pieces of DSA and KCDSA.
#include "crypto/pk/pk_common.h"

#include <cstring>

#include "crypto/bigint/modular.h"
#include "crypto/bigint/prime_table.h"
#include "crypto/core/memory.h"

namespace zlc::pk {

Status exp_secret(BIGINT* r, const BIGINT* a, const BIGINT* e, std::int32_t exponent_bits,
                  const BIGINT* m, BIGINT_POOL* pool) noexcept {
    return bigint::mod_exp_mont_consttime(r, a, e, exponent_bits, m, pool);
}

Status inverse_mod_prime(BIGINT* r, const BIGINT* a, const BIGINT* q, BIGINT_POOL* pool) noexcept {
    bigint::PoolFrame frame(pool);
    BIGINT* e = frame.take();
    if (e == nullptr) return bigint::st(bigint::op::kModInverse, REASON_POOL_FAILED);
    Status status = bigint::copy(e, q);
    if (status == kOk) status = bigint::sub_word(e, 2);
    if (status == kOk) status = exp_secret(r, a, e, bigint::get_bits_length(q), q, pool);
    if (status == kOk && bigint::is_zero(r)) {
        status = bigint::st(bigint::op::kModInverse, REASON_SET_WORD_FAILED);
    }
    return status;
}

bool survives_small_primes(const BIGINT* n) noexcept {
    // Primes up to about 2000 remove some 85 % of odd candidates.
    constexpr std::size_t kSievePrimes = 300;
    static_assert(kSievePrimes <= bigint::kSmallPrimes.size());
    for (std::size_t i = 1; i < kSievePrimes; ++i) {
        const std::uint32_t prime = bigint::kSmallPrimes[i];
        if (n->length == 1 && n->words[0] == prime) return true;
        if (bigint::mod_word(n, prime) == 0) return false;
    }
    return true;
}

bool write_fixed(const BIGINT* n, std::uint8_t* out, std::int32_t width) noexcept {
    const std::int32_t length = byte_length(n);
    if (length > width) return false;
    std::memset(out, 0, static_cast<std::size_t>(width - length));
    if (length > 0) (void)bigint::to_binary_unsigned(n, out + (width - length));
    return true;
}

std::int32_t byte_length(const BIGINT* n) noexcept {
    return (bigint::get_bits_length(n) + 7) / 8;
}

bool equal_bytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) noexcept {
    std::uint8_t diff = 0;
    for (std::size_t i = 0; i < n; ++i) diff |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    return diff == 0;
}

bool store_copy(BIGINT** slot, const BIGINT* src) noexcept {
    if (*slot == nullptr) *slot = bigint::new_bigint();
    return *slot != nullptr && bigint::copy(*slot, src) == kOk;
}

void release(BIGINT** slot) noexcept {
    if (*slot != nullptr) (void)bigint::free(*slot);
    *slot = nullptr;
}

bool copy_all(std::span<BIGINT*> out, std::span<const BIGINT* const> src) noexcept {
    bool ok = out.size() == src.size();
    for (std::size_t i = 0; ok && i < src.size(); ++i) {
        if (src[i] != nullptr) ok = store_copy(&out[i], src[i]);
    }
    if (!ok) {
        for (BIGINT*& n : out) release(&n);
    }
    return ok;
}

Buffer::Buffer(std::size_t n) noexcept
    : data_(static_cast<std::uint8_t*>(mem::alloc_zeroed(n == 0 ? 1 : n))), size_(n == 0 ? 1 : n) {}

Buffer::~Buffer() {
    mem::free_wiped(data_, size_);
}

}  // namespace zlc::pk
