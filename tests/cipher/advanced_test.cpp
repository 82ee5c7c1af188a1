// The Advanced state record against damaged key schedules: every schedule field that bounds a loop
// or an index must hold what the record's key length gives, or DoFinal refuses the record before
// any block is run. Each case runs in a child process, so that a crash fails the test instead of
// ending the test program.
#include <gtest/gtest.h>

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
#include "tests/support/hex.h"
#include "zlc.h"

namespace {

using zlc::test::Bytes;
using zlc::test::random_bytes;

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
