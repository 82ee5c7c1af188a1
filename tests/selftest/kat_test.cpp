// The known-answer tests: each passes as built, in proven mode too, and fails with its own status
// when any byte it checks against is changed or an allocation fails.
#include "crypto/selftest/kat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>

#include "crypto/cipher/block_cipher.h"
#include "crypto/rand/drbg.h"
#include "tests/support/library_seams.h"

namespace zlc::selftest {
namespace {

struct KatCase {
    const char* name;
    KatId id;
    Status (*run)() noexcept;
    std::size_t expected_bytes;  // all the bytes the test checks results against
};

const KatCase kCases[] = {
    {"Drbg", KatId::Drbg, KatDrbg, 28 + 32 + 48 + 64},
    {"Hmac", KatId::Hmac, KatHmac, 14 + 16 + 24 + 32},  // the compared MAC bytes only
    {"Digest", KatId::Digest, KatDigest, 28 + 32 + 48 + 64},
    {"BlockCipher", KatId::BlockCipher, KatBlockCipher, 16 * 16},
    {"Rsaes", KatId::Rsaes, KatRsaes, 62},
    {"Rsassa", KatId::Rsassa, KatRsassa, 128},
    {"Kcdsa", KatId::Kcdsa, KatKcdsa, 2 * 28 + 2 * 32},  // r and s of both vectors
};

void PrintTo(const KatCase& c, std::ostream* os) {
    *os << c.name;
}

class CorruptedByte {
  public:
    CorruptedByte(KatId id, std::size_t index) { corrupt_expected_byte(id, index); }
    ~CorruptedByte() { restore_expected(); }
    CorruptedByte(const CorruptedByte&) = delete;
    CorruptedByte& operator=(const CorruptedByte&) = delete;
};

class Kat : public ::testing::TestWithParam<KatCase> {};

TEST_P(Kat, PassesAsBuiltAndInProvenMode) {
    const KatCase& c = GetParam();
    EXPECT_EQ(c.run(), kOk);
    test::ModuleFlagsScope proven(test::proven_mode());
    EXPECT_EQ(c.run(), kOk);
}

TEST_P(Kat, EveryExpectedByteMatters) {
    const KatCase& c = GetParam();
    ASSERT_EQ(expected_size(c.id), c.expected_bytes);
    for (std::size_t i = 0; i < c.expected_bytes; ++i) {
        CorruptedByte corrupted(c.id, i);
        ASSERT_EQ(c.run(), kat_failure(c.id)) << "byte " << i;
    }
    // Restored, and an index beyond the expected bytes changes nothing.
    EXPECT_EQ(c.run(), kOk);
    CorruptedByte beyond(c.id, c.expected_bytes);
    EXPECT_EQ(c.run(), kOk);
}

TEST_P(Kat, CorruptionStaysWithItsTest) {
    const KatCase& c = GetParam();
    CorruptedByte corrupted(c.id, 0);
    for (const KatCase& other : kCases) {
        if (other.id != c.id) {
            EXPECT_EQ(other.run(), kOk) << other.name;
        }
    }
}

// Every allocation in turn fails: the test reports its own status (and, under the sanitizers,
// leaks nothing) until enough succeed for it to pass.
TEST_P(Kat, FailedAllocationGivesItsStatus) {
    const KatCase& c = GetParam();
    long allowed = 0;
    for (;; ++allowed) {
        Status status;
        {
            test::FailAllocationsScope fail(allowed);
            status = c.run();
        }
        if (status == kOk) break;
        ASSERT_EQ(status, kat_failure(c.id)) << "after " << allowed << " allocations";
    }
    EXPECT_GT(allowed, 0);
}

INSTANTIATE_TEST_SUITE_P(Selftest, Kat, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A cipher that copies its input: SEED or ARIA broken in a build.
void copy_blocks(const void*, const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) {
    std::memmove(out, in, blocks * 16);
}

TEST(KatBlockCipher, FailsWithSeedOrAriaBroken) {
    for (const cipher::BlockCipherOps* family : {&cipher::kSeedOps, &cipher::kAriaOps}) {
        cipher::BlockCipherOps broken = *family;
        broken.encrypt_blocks = broken.decrypt_blocks = copy_blocks;
        broken.ctr_blocks = nullptr;
        broken.cbc_encrypt_blocks = broken.cbc_decrypt_blocks = nullptr;
        const cipher::BlockCipherOps* own = cipher::replace_family_ops(*family, &broken);
        EXPECT_EQ(KatBlockCipher(), kat_failure(KatId::BlockCipher));
        cipher::replace_family_ops(*family, own);
    }
    EXPECT_EQ(KatBlockCipher(), kOk);
}

TEST(KatDrbg, LeavesTheSavedGeneratorStateAlone) {
    std::uint8_t warm[16];
    ASSERT_EQ(rand::rand_bytes(warm, sizeof(warm)), kOk);
    const rand::DRBG_SAVED_STATE before = rand::drbg_saved_state();
    ASSERT_EQ(KatDrbg(), kOk);
    EXPECT_EQ(std::memcmp(&before, &rand::drbg_saved_state(), sizeof(before)), 0);
}

}  // namespace
}  // namespace zlc::selftest
