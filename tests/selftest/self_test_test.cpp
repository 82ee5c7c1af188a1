// The self-test sequence in a program that links the static library: no loaded module carries
// the marker, so the integrity test is pointed at files through its internal seam.
#include "crypto/selftest/self_test.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "crypto/core/memory.h"
#include "crypto/selftest/integrity.h"
#include "crypto/selftest/kat.h"
#include "tests/selftest/module_files.h"
#include "tests/support/library_seams.h"
#include "zlc.h"

namespace {

namespace fs = std::filesystem;
using zlc::selftest::Step;
using zlc::test::ModuleFlagsScope;
using zlc::test::ModulePathScope;
using zlc::test::ScratchDirectory;
using zlc::test::StepRecorder;

constexpr std::uint32_t kNoModule = 0x1A010050;
constexpr std::uint32_t kNotVerified = 0x1A010019;

const std::vector<Step> kKnownAnswerSteps = {Step::KatDrbg,        Step::KatHmac,  Step::KatDigest,
                                             Step::KatBlockCipher, Step::KatRsaes, Step::KatRsassa,
                                             Step::KatKcdsa};

std::vector<Step> with_known_answers(std::vector<Step> steps) {
    steps.insert(steps.end(), kKnownAnswerSteps.begin(), kKnownAnswerSteps.end());
    return steps;
}

// The signed shared library of this build, and altered copies of it.
class SignedLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef ZLC_SIGNED_LIBRARY
        GTEST_SKIP() << "built without the module signature";
#else
        signed_ = ZLC_SIGNED_LIBRARY;
        contents_ = zlc::test::read_bytes(signed_);
        ASSERT_GT(contents_.size(), 4096u);
        ASSERT_FALSE(scratch_.path().empty());
#endif
    }

    // A copy with the byte at `offset` (counted from the end when negative) flipped.
    std::string altered(const std::string& name, long offset) {
        auto bytes = contents_;
        const auto at = offset >= 0 ? static_cast<std::size_t>(offset)
                                    : bytes.size() - static_cast<std::size_t>(-offset);
        bytes[at] ^= 0x01;
        return write(name, bytes);
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = scratch_.path() / name;
        zlc::test::write_bytes(path, bytes);
        return path.string();
    }

    std::string signed_;
    std::vector<std::uint8_t> contents_;
    ScratchDirectory scratch_;
};

TEST(SelfTestStatic, NoMarkedModuleStopsTheSequenceAtTheIntegrityTest) {
    if (zlc::test::program_path_is_marked()) {
        GTEST_SKIP() << "this program's own path carries the module marker";
    }
    char path[zlc::selftest::kModulePathBuffer] = {};
    EXPECT_EQ(zlc::selftest::FindModuleFile(path), 1);
    EXPECT_EQ(path[0], '\0');
    StepRecorder recorder;
    EXPECT_EQ(ZLC_Crypto_Self_Test(), kNoModule);
    EXPECT_EQ(StepRecorder::steps(), std::vector<Step>{Step::Integrity});
}

TEST_F(SignedLibrary, SequenceRunsEveryStepInOrderOutsideProvenMode) {
    ModulePathScope module(signed_);
    StepRecorder recorder;
    EXPECT_EQ(ZLC_Crypto_Self_Test(), 0u);
    EXPECT_EQ(StepRecorder::steps(), with_known_answers({Step::Integrity, Step::Objects}));
}

TEST_F(SignedLibrary, ProvenModeAddsTheEntropyTest) {
    ModuleFlagsScope flags(zlc::test::proven_mode());
    ModulePathScope module(signed_);
    {
        StepRecorder recorder;
        EXPECT_EQ(ZLC_Crypto_Self_Test(), 0u);
        EXPECT_EQ(StepRecorder::steps(),
                  with_known_answers({Step::Integrity, Step::Objects, Step::Entropy}));
    }
    // Without the kernel's generator the draws fail, and no known-answer test runs.
    zlc::test::SystemRandomFailureScope no_random;
    StepRecorder recorder;
    EXPECT_EQ(ZLC_Crypto_Self_Test(), 0x1A040014u);
    EXPECT_EQ(StepRecorder::steps(),
              (std::vector<Step>{Step::Integrity, Step::Objects, Step::Entropy}));
}

TEST_F(SignedLibrary, IntegrityTestVerifiesTheWholeFile) {
    const long size = static_cast<long>(contents_.size());
    const std::vector<std::uint8_t> first_257(contents_.begin(), contents_.begin() + 257);
    const std::vector<std::uint8_t> all_but_last(contents_.begin(), contents_.end() - 1);
    struct Case {
        const char* what;
        std::string path;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"as signed", signed_, 0},
        {"first byte changed", altered("libzeltavine_first.so", 0), kNotVerified},
        {"middle byte changed", altered("libzeltavine_middle.so", size / 2), kNotVerified},
        {"last signed byte changed", altered("libzeltavine_last.so", -257), kNotVerified},
        {"first signature byte changed", altered("libzeltavine_sig0.so", -256), kNotVerified},
        {"last signature byte changed", altered("libzeltavine_sig255.so", -1), kNotVerified},
        {"last byte cut off", write("libzeltavine_cut.so", all_but_last), kNotVerified},
        {"signature appended twice",
         write("libzeltavine_twice.so",
               [&] {
                   auto bytes = contents_;
                   bytes.insert(bytes.end(), contents_.end() - 256, contents_.end());
                   return bytes;
               }()),
         kNotVerified},
        {"257 bytes", write("libzeltavine_257.so", first_257), kNotVerified},
        {"256 bytes", write("libzeltavine_256.so", {first_257.begin(), first_257.end() - 1}),
         kNotVerified},
        {"empty", write("libzeltavine_empty.so", {}), kNotVerified},
        {"missing", (scratch_.path() / "libzeltavine_missing.so").string(), kNotVerified},
        {"a directory",
         [&] {
             fs::create_directory(scratch_.path() / "libzeltavine_dir.so");
             return (scratch_.path() / "libzeltavine_dir.so").string();
         }(),
         kNotVerified},
        // The seam obeys the search's rules: the marker is needed, and a longer path is skipped.
        {"unmarked", write("libplain.so", contents_), kNoModule},
        {"longer than 260 characters",
         write(std::string(130, 'a') + "/" + std::string(130, 'b') + "/libzeltavine_long.so",
               contents_),
         kNoModule},
    };
    for (const Case& c : cases) {
        ModulePathScope module(c.path);
        StepRecorder recorder;
        EXPECT_EQ(zlc::selftest::IntegrityTest(), c.expected) << c.what;
        EXPECT_EQ(ZLC_Crypto_Self_Test(), c.expected) << c.what;
        if (c.expected != 0) {
            EXPECT_EQ(StepRecorder::steps(), std::vector<Step>{Step::Integrity}) << c.what;
        }
    }
}

TEST_F(SignedLibrary, AllocationFailuresFailTheirStepAndLeakNothing) {
    ModulePathScope module(signed_);
    // Each allocation of the integrity test and of the object test in turn fails.
    for (long succeed = 0;; ++succeed) {
        std::uint32_t integrity = 0;
        {
            zlc::test::FailAllocationsScope fail(succeed);
            integrity = zlc::selftest::IntegrityTest();
        }
        if (integrity == 0) break;
        EXPECT_TRUE(integrity == 0x1A01003Bu || integrity == kNotVerified ||
                    integrity == 0x1A010023u || integrity == 0x1A01005Cu)
            << std::hex << integrity << " after " << succeed;
        ASSERT_LT(succeed, 1000);
    }
    for (long succeed = 0;; ++succeed) {
        std::uint32_t objects = 0;
        {
            zlc::test::FailAllocationsScope fail(succeed);
            objects = zlc::selftest::ObjectTest();
        }
        if (objects == 0) break;
        EXPECT_EQ(objects, 0x1A020059u) << "after " << succeed;
        ASSERT_LT(succeed, 1000);
    }
}

TEST(ReadModuleFile, RefusesWhatCannotHoldASignedModule) {
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.path().empty());
    std::uint8_t sentinel = 0;  // a result pointer left over from before must be cleared
    std::uint8_t* contents = &sentinel;
    EXPECT_EQ(zlc::selftest::ReadModuleFile(nullptr, &contents), -1);
    EXPECT_EQ(contents, nullptr);
    for (const std::size_t size : {0u, 1u, 255u, 256u}) {
        const auto path = scratch.path() / ("short" + std::to_string(size));
        zlc::test::write_bytes(path, std::vector<std::uint8_t>(size, 0xA5));
        contents = &sentinel;
        EXPECT_EQ(zlc::selftest::ReadModuleFile(path.c_str(), &contents), -1) << size;
        EXPECT_EQ(contents, nullptr) << size;
    }
    const auto missing = scratch.path() / "missing";
    EXPECT_EQ(zlc::selftest::ReadModuleFile(missing.c_str(), &contents), -1);
    EXPECT_EQ(zlc::selftest::ReadModuleFile(scratch.path().c_str(), &contents), -1);
    EXPECT_EQ(contents, nullptr);
    if (geteuid() != 0) {
        const auto unreadable = scratch.path() / "unreadable";
        zlc::test::write_bytes(unreadable, std::vector<std::uint8_t>(1000, 1));
        fs::permissions(unreadable, fs::perms::none);
        EXPECT_EQ(zlc::selftest::ReadModuleFile(unreadable.c_str(), &contents), -1);
        EXPECT_EQ(contents, nullptr);
    }
}

TEST(ReadModuleFile, ReadsAWholeFile) {
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.path().empty());
    for (const std::size_t size : {257u, 100000u}) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        const auto path = scratch.path() / ("file" + std::to_string(size));
        zlc::test::write_bytes(path, bytes);
        std::uint8_t* contents = nullptr;
        ASSERT_EQ(zlc::selftest::ReadModuleFile(path.c_str(), &contents),
                  static_cast<std::int32_t>(size));
        ASSERT_NE(contents, nullptr);
        EXPECT_EQ(std::memcmp(contents, bytes.data(), size), 0);
        zlc::mem::free_wiped(contents, size);
    }
}

// Restores every known-answer vector when the scope ends.
class CorruptExpectedScope {
  public:
    CorruptExpectedScope(zlc::selftest::KatId id, std::size_t index) {
        zlc::selftest::corrupt_expected_byte(id, index);
    }
    ~CorruptExpectedScope() { zlc::selftest::restore_expected(); }
    CorruptExpectedScope(const CorruptExpectedScope&) = delete;
    CorruptExpectedScope& operator=(const CorruptExpectedScope&) = delete;
};

TEST_F(SignedLibrary, FailingKnownAnswerTestStopsTheSequence) {
    ModulePathScope module(signed_);
    CorruptExpectedScope corrupt(zlc::selftest::KatId::Digest, 0);
    StepRecorder recorder;
    EXPECT_EQ(ZLC_Crypto_Self_Test(), 0x1A070059u);
    EXPECT_EQ(StepRecorder::steps(),
              (std::vector<Step>{Step::Integrity, Step::Objects, Step::KatDrbg, Step::KatHmac,
                                 Step::KatDigest}));
}

// The gate runs the library's own sequence (no replacement) once a self-test is pending.
TEST_F(SignedLibrary, GateRunsTheSequenceUntilItPasses) {
    ModuleFlagsScope flags({false, true, true});
    ModulePathScope module(signed_);
    StepRecorder recorder;
    {
        // The last step fails, through a corrupted expected byte of its vectors.
        CorruptExpectedScope corrupt(zlc::selftest::KatId::Kcdsa, 0);
        constexpr std::uint32_t kKcdsaFailed = 0x1A0D0059;
        DIGEST_UNIT* unit = ZLC_New_DIGEST_Unit();
        EXPECT_EQ(ZLC_Init_DIGEST(unit, ZLC_SHA256), kKcdsaFailed);
        EXPECT_EQ(ZLC_Crypto_Initialize(), kKcdsaFailed);
        EXPECT_EQ(ZLC_Get_DIGEST_Length(ZLC_SHA256), 0);
        std::uint8_t out[32];
        EXPECT_EQ(ZLC_DIGEST(ZLC_SHA256, out, 0, out, nullptr), 0x0A050022u);
        ZLC_Free_DIGEST_Unit(unit);
        EXPECT_EQ(StepRecorder::runs(), 4);
        const auto state = zlc::core::module_flags();
        EXPECT_TRUE(state.gate_armed);
        EXPECT_TRUE(state.self_test_pending);
    }
    {
        // A module file that does not verify fails the gate the same way.
        ModulePathScope corrupted(altered("libzeltavine_bad.so", 1000));
        EXPECT_EQ(ZLC_Crypto_Initialize(), kNotVerified);
        EXPECT_TRUE(zlc::core::module_flags().self_test_pending);
    }
    StepRecorder::steps().clear();
    DIGEST_UNIT* unit = ZLC_New_DIGEST_Unit();
    EXPECT_EQ(ZLC_Init_DIGEST(unit, ZLC_SHA256), 0u);
    EXPECT_EQ(StepRecorder::steps(), with_known_answers({Step::Integrity, Step::Objects}));
    EXPECT_EQ(ZLC_Init_DIGEST(unit, ZLC_SHA256), 0u);
    EXPECT_EQ(ZLC_Get_DIGEST_Length(ZLC_SHA256), 32);
    ZLC_Free_DIGEST_Unit(unit);
    EXPECT_EQ(StepRecorder::runs(), 1);
    const auto state = zlc::core::module_flags();
    EXPECT_TRUE(state.gate_armed);
    EXPECT_FALSE(state.self_test_pending);
}

}  // namespace
