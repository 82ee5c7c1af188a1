// The Advanced pair: Init Advanced's checks, the record's layout, repeated messages, and records
// DoFinal must refuse. Every schedule field that bounds a loop or an index must hold what the
// record's key length gives, or DoFinal refuses the record before any block is run; those cases
// run in child processes, so that a crash fails the test instead of ending the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "crypto/cipher/aes.h"
#include "crypto/cipher/aria.h"
#include "crypto/cipher/lea.h"
#include "crypto/cipher/rc2.h"
#include "crypto/cipher/rc5.h"
#include "crypto/cipher/seed.h"
#include "crypto/core/bytes.h"
#include "tests/cipher/unit_driver.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "zlc.h"

namespace {

using zlc::test::Bytes;
using zlc::test::random_bytes;
using zlc::test::run_unit;
using zlc::test::to_hex;

const Bytes kKey = random_bytes(32, 11);
const Bytes kIv = random_bytes(16, 12);

class AdvancedPair : public testing::Test {
  protected:
    uint8_t state_[900] = {};
    int32_t state_length_ = ZLC_ADVANCED_BLOCK_CIPHER_STATE_LENGTH;
};

TEST_F(AdvancedPair, InitChecksInOrder) {
    EXPECT_EQ(
        ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, nullptr, nullptr, 1, state_, &state_length_),
        0x050A0049u);
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, nullptr,
                                             &state_length_),
              0x050A0049u);
    EXPECT_EQ(
        ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, state_, nullptr),
        0x050A0049u);
    int32_t short_length = 875;
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_BLOWFISH + ZLC_MODE_CBC, kKey.data(), kIv.data(),
                                             1, state_, &short_length),
              0x050A0048u);
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, state_,
                                             &short_length),
              0x050A0006u);
    EXPECT_EQ(short_length, 875);
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128 + ZLC_MODE_CBC, kKey.data(), nullptr, 1,
                                             state_, &state_length_),
              0x050A0021u);
    state_length_ = 900;
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, state_,
                                             &state_length_),
              0u);
    EXPECT_EQ(state_length_, 876);
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, state_,
                                                 &state_length_),
                  0x050A0021u);
    }
}

TEST_F(AdvancedPair, RecordLayoutAndRepeatedMessages) {
    const uint32_t id = ZLC_ARIA_192 + ZLC_MODE_CBC;
    ASSERT_EQ(
        ZLC_Init_Advanced_BLOCK_CIPHER(id, kKey.data(), kIv.data(), 1, state_, &state_length_), 0u);
    EXPECT_EQ(zlc::load_le32(state_ + 0), ZLC_ARIA_192);
    EXPECT_EQ(zlc::load_le32(state_ + 4), 16u);
    EXPECT_EQ(zlc::load_le32(state_ + 8), 24u);
    EXPECT_EQ(zlc::load_le32(state_ + 12), 16u);
    EXPECT_EQ(state_[20], 0x20);
    EXPECT_EQ(state_[21], 0);
    EXPECT_EQ(zlc::load_le32(state_ + 32), 1u);
    EXPECT_EQ(to_hex(state_ + 36, 16), to_hex(kIv));
    EXPECT_EQ(to_hex(state_ + 52, 16), to_hex(kIv));
    EXPECT_EQ(zlc::load_le32(state_ + 856), 548u);
    EXPECT_EQ(zlc::load_le32(state_ + 864), 15u);
    EXPECT_EQ(zlc::load_le32(state_ + 868), 0xFFFFFFFFu);
    EXPECT_EQ(std::count(state_ + 68 + 548, state_ + 856, 0), 788 - 548);

    const Bytes pt = random_bytes(50, 15);
    const Bytes expected = run_unit(id, true, Bytes(kKey.begin(), kKey.begin() + 24), kIv, pt).out;
    for (int call = 0; call < 2; ++call) {
        Bytes out(pt.size() + 16);
        int32_t length = 0;
        ASSERT_EQ(
            ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0xDEAD, pt.data(), 50, out.data(), &length),
            0u);
        out.resize(static_cast<size_t>(length));
        EXPECT_EQ(to_hex(out), to_hex(expected));
    }
    Bytes out(80);
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(nullptr, 0, pt.data(), 50, out.data(), nullptr),
              0x050B0049u);
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, pt.data(), 50, nullptr, nullptr),
              0x050B0049u);
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, pt.data(), 0, out.data(), nullptr),
              0x050B005Au);
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, nullptr, 16, out.data(), nullptr),
              0x050B005Au);

    // Decryption under a record of its own; a padding failure is Final's.
    ASSERT_EQ(
        ZLC_Init_Advanced_BLOCK_CIPHER(id, kKey.data(), kIv.data(), 0, state_, &state_length_), 0u);
    int32_t length = 0;
    ASSERT_EQ(
        ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, expected.data(), 64, out.data(), &length), 0u);
    EXPECT_EQ(to_hex(out.data(), static_cast<size_t>(length)), to_hex(pt));
    EXPECT_EQ(
        ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, expected.data(), 40, out.data(), &length),
        0x050B0017u);
}

TEST_F(AdvancedPair, CorruptedRecordsAreRefused) {
    const uint32_t id = ZLC_SEED_128 + ZLC_MODE_CTR;
    ASSERT_EQ(
        ZLC_Init_Advanced_BLOCK_CIPHER(id, kKey.data(), kIv.data(), 1, state_, &state_length_), 0u);
    const uint32_t seed_ctr_routine = zlc::load_le32(state_ + 28);
    struct Patch {
        const char* what;
        size_t offset;
        uint32_t value;  // written little-endian, 4 bytes (1 byte at 20, 21 and 872)
    };
    const Patch patches[] = {
        {"key-setup index out of range", 24, 0xFFFFFFFF},
        {"key-setup index of another family", 24, 0},
        {"block routine index out of range", 28, 1000},
        {"block routine of another mode", 28, seed_ctr_routine - 1},
        {"Blowfish", 0, 0x06000100},
        {"unknown algorithm", 0, 0x09000100},
        {"algorithm with a mode byte", 0, 0x04000180},
        {"narrow CFB", 20, 0x44},
        {"CFB128 alias not stored as CFB", 20, 0x4C},
        {"block length", 4, 8},
        {"IV length", 12, 32},
        {"key length", 8, 32},
        {"block mask", 864, 0},
        {"schedule size above 788", 856, 4168},
        {"schedule size not the table's", 856, 200},
        {"held block", 860, 1},
        {"not initialised", 868, 0},
        {"encrypt flag", 32, 2},
        {"padding flag", 21, 2},
        {"proven flag", 872, 7},
    };
    uint8_t out[64];
    const uint8_t in[32] = {};
    for (const auto& p : patches) {
        uint8_t copy[900];
        std::memcpy(copy, state_, sizeof(copy));
        if (p.offset == 20 || p.offset == 21 || p.offset == 872) {
            copy[p.offset] = static_cast<uint8_t>(p.value);
        } else {
            zlc::store_le32(copy + p.offset, p.value);
        }
        EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(copy, 0, in, 32, out, nullptr), 0x050B002Bu)
            << p.what;
    }
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, in, 32, out, nullptr), 0u);
}

constexpr size_t kScheduleOffset = 68;

struct Field {
    uint32_t algorithm;
    const char* name;
    size_t offset;  // inside the key schedule
};

const Field kFields[] = {
    {ZLC_AES_128, "AES rounds", offsetof(zlc::cipher::AES_KEY_SCHEDULE, rounds)},
    {ZLC_AES_192, "AES rounds", offsetof(zlc::cipher::AES_KEY_SCHEDULE, rounds)},
    {ZLC_AES_256, "AES rounds", offsetof(zlc::cipher::AES_KEY_SCHEDULE, rounds)},
    {ZLC_ARIA_128, "ARIA rounds", offsetof(zlc::cipher::ARIA_KEY_SCHEDULE, rounds)},
    {ZLC_ARIA_192, "ARIA rounds", offsetof(zlc::cipher::ARIA_KEY_SCHEDULE, rounds)},
    {ZLC_ARIA_256, "ARIA rounds", offsetof(zlc::cipher::ARIA_KEY_SCHEDULE, rounds)},
    {ZLC_SEED_128, "SEED subkey count", offsetof(zlc::cipher::SEED_KEY_SCHEDULE, count)},
    {ZLC_SEED_256, "SEED subkey count", offsetof(zlc::cipher::SEED_KEY_SCHEDULE, count)},
    {ZLC_LEA_128, "LEA rounds", offsetof(zlc::cipher::LEA_KEY_SCHEDULE, rounds)},
    {ZLC_LEA_192, "LEA rounds", offsetof(zlc::cipher::LEA_KEY_SCHEDULE, rounds)},
    {ZLC_LEA_256, "LEA rounds", offsetof(zlc::cipher::LEA_KEY_SCHEDULE, rounds)},
    {ZLC_RC5, "RC5 rounds", offsetof(zlc::cipher::RC5_KEY_SCHEDULE, rounds)},
    {ZLC_RC2_128, "RC2 T1", offsetof(zlc::cipher::RC2_KEY_SCHEDULE, t1)},
    {ZLC_RC2_40, "RC2 T1", offsetof(zlc::cipher::RC2_KEY_SCHEDULE, t1)},
    {ZLC_RC2_64, "RC2 T8", offsetof(zlc::cipher::RC2_KEY_SCHEDULE, t8)},
    {ZLC_RC2_40, "RC2 TM", offsetof(zlc::cipher::RC2_KEY_SCHEDULE, tm)},
    {ZLC_RC2_128, "RC2 reserved", offsetof(zlc::cipher::RC2_KEY_SCHEDULE, reserved)},
};

// The counts of every key length of every cipher, their neighbours, and values far out of range
// (the correct value of a field is skipped).
const uint32_t kValues[] = {
    0,  1,  4,   5,   8,   9,   10,   11,         12,         13,         14,         15,
    16, 17, 23,  24,  25,  28,  31,   32,         33,         40,         47,         48,
    49, 64, 127, 128, 255, 256, 1024, 0x40000000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF0, 0xFFFFFFFF};

const uint32_t kModes[] = {ZLC_MODE_ECB, ZLC_MODE_CBC, ZLC_MODE_CFB, ZLC_MODE_OFB, ZLC_MODE_CTR};

// Runs in the child: the intact record works, every damaged copy is refused. Names the case on
// stderr before each call, so that a crash shows which one it was.
[[noreturn]] void check_damaged_records(const Field& field, uint32_t id, bool encrypt) {
    const Bytes key = random_bytes(static_cast<size_t>(ZLC_Get_Key_Length(id)), id);
    const Bytes iv = random_bytes(16, 7);
    uint8_t state[ZLC_ADVANCED_BLOCK_CIPHER_STATE_LENGTH];
    int32_t state_length = sizeof(state);
    if (ZLC_Init_Advanced_BLOCK_CIPHER(id, key.data(), iv.data(), encrypt ? 1 : 0, state,
                                       &state_length) != 0) {
        std::fprintf(stderr, "Init Advanced failed\n");
        std::_Exit(2);
    }
    const Bytes in = random_bytes(48, 9);
    uint8_t out[64];
    int32_t length = 0;
    if (ZLC_DoFinal_Advanced_BLOCK_CIPHER(state, 0, in.data(), 48, out, &length) != 0) {
        std::fprintf(stderr, "intact record refused\n");
        std::_Exit(3);
    }
    const uint32_t correct = zlc::load_le32(state + kScheduleOffset + field.offset);
    for (uint32_t value : kValues) {
        if (value == correct) continue;
        std::fprintf(stderr, "%s = %u\n", field.name, value);
        uint8_t damaged[sizeof(state)];
        std::memcpy(damaged, state, sizeof(state));
        zlc::store_le32(damaged + kScheduleOffset + field.offset, value);
        length = -1;
        const uint32_t status =
            ZLC_DoFinal_Advanced_BLOCK_CIPHER(damaged, 0, in.data(), 48, out, &length);
        if (status != 0x050B002Bu || length != -1) {
            std::fprintf(stderr, "status %08X, length %d\n", status, length);
            std::_Exit(1);
        }
    }
    std::_Exit(0);
}

TEST(AdvancedRecordDeathTest, DamagedScheduleFieldsAreRefusedInEveryMode) {
    for (const Field& field : kFields) {
        for (uint32_t mode : kModes) {
            if ((field.algorithm >> 24) == 0x07 && mode == ZLC_MODE_CTR)
                continue;  // RC2 has no CTR
            for (bool encrypt : {true, false}) {
                // Decryption without padding, so that the intact record takes any input.
                const uint32_t id = field.algorithm + mode + (encrypt ? 0 : ZLC_NO_PADDING);
                SCOPED_TRACE(testing::Message() << field.name << " of " << std::hex << id
                                                << (encrypt ? " enc" : " dec"));
                EXPECT_EXIT(check_damaged_records(field, id, encrypt), testing::ExitedWithCode(0),
                            "");
            }
        }
    }
}

}  // namespace
