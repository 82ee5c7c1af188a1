// The expected bytes of the known-answer tests as their comparisons see them, and the seam that
// lets a test of the library change one of them.
#include <atomic>

#include "crypto/selftest/kat_data.h"
#include "crypto/selftest/kat_vectors.h"

namespace zlc::selftest {
namespace {

// The corrupted byte: (test index + 1) << 32 | byte index; 0 when none.
std::atomic<std::uint64_t> g_corrupted{0};

template <class Vectors, class Field>
std::size_t total(const Vectors& table, Field field) {
    std::size_t n = 0;
    for (const auto& v : table) n += (v.*field).size();
    return n;
}

}  // namespace

std::size_t expected_size(KatId id) noexcept {
    using namespace vectors;
    switch (id) {
        case KatId::Drbg:
            return total(kDrbg, &DrbgVector::expected);
        case KatId::Hmac:
            return total(kHmac, &HmacVector::expected);
        case KatId::Digest:
            return total(kDigest, &DigestVector::expected);
        case KatId::BlockCipher:
            return total(kBlockCipher, &BlockCipherVector::expected);
        case KatId::Rsaes:
            return sizeof(kRsaesMessage);
        case KatId::Rsassa:
            return sizeof(kRsassaMessage);
        case KatId::Kcdsa:
            return total(kKcdsa, &KcdsaVector::r) + total(kKcdsa, &KcdsaVector::s);
    }
    return 0;
}

void corrupt_expected_byte(KatId id, std::size_t index) noexcept {
    if (index >= expected_size(id)) {
        restore_expected();
        return;
    }
    const auto test = static_cast<std::uint64_t>(id) + 1;
    g_corrupted.store(test << 32 | index);
}

void restore_expected() noexcept {
    g_corrupted.store(0);
}

std::uint8_t seen_expected(KatId id, std::size_t index, std::uint8_t byte) noexcept {
    const std::uint64_t corrupted = g_corrupted.load(std::memory_order_relaxed);
    const auto test = static_cast<std::uint64_t>(id) + 1;
    return corrupted == (test << 32 | index) ? static_cast<std::uint8_t>(byte ^ 0x01) : byte;
}

bool matches_expected(KatId id, std::size_t offset, const std::uint8_t* actual,
                      Bytes expected) noexcept {
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        difference |=
            static_cast<std::uint8_t>(actual[i] ^ seen_expected(id, offset + i, expected[i]));
    }
    return difference == 0;
}

void copy_expected(KatId id, std::size_t offset, Bytes expected, std::uint8_t* out) noexcept {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        out[i] = seen_expected(id, offset + i, expected[i]);
    }
}

}  // namespace zlc::selftest
