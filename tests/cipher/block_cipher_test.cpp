// The block cipher unit: tables and lookups, Init's order of checks, proven mode, the life cycle,
// the one-shot call and the Advanced pair with its state record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "crypto/core/bytes.h"
#include "tests/cipher/unit_driver.h"
#include "tests/support/library_seams.h"

namespace {

using zlc::test::Bytes;
using zlc::test::feed;
using zlc::test::from_hex;
using zlc::test::new_block_unit;
using zlc::test::random_bytes;
using zlc::test::run_unit;
using zlc::test::to_hex;

struct AlgorithmRow {
    uint32_t value;
    const char* name;
    int32_t key;
    int32_t block;
    bool proven;
};
const AlgorithmRow kAlgorithms[] = {
    {0x01000100, "AES_128", 16, 16, false},     {0x01000200, "AES_192", 24, 16, false},
    {0x01000300, "AES_256", 32, 16, false},     {0x02000100, "ZLC_DES", 8, 8, false},
    {0x02000200, "ZLC_DES_EDE", 24, 8, false},  {0x02001200, "ZLC_DES_EDE", 16, 8, false},
    {0x02010200, "ZLC_DES_EDE", 24, 8, false},  {0x03000100, "ARIA_128", 16, 16, true},
    {0x03000200, "ARIA_192", 24, 16, true},     {0x03000300, "ARIA_256", 32, 16, true},
    {0x04000100, "ZLC_SEED", 16, 16, true},     {0x04000200, "SEED_256", 32, 16, false},
    {0x05000100, "ZLC_RC5", 16, 8, false},      {0x06000100, "BlowFish", 16, 8, false},
    {0x07000100, "ZLC_RC2_128", 16, 8, false},  {0x07000200, "ZLC_RC2_40", 5, 8, false},
    {0x07000300, "ZLC_RC2_64", 8, 8, false},    {0x08000100, "LEA_128", 16, 16, false},
    {0x08000200, "LEA_192", 24, 16, false},     {0x08000300, "LEA_256", 32, 16, false},
};

const Bytes kKey = random_bytes(32, 11);
const Bytes kIv = random_bytes(16, 12);

uint32_t failing_self_test() { return 0x1A010019; }

TEST(BlockCipherLookups, EveryAlgorithmAndMode) {
    for (const auto& a : kAlgorithms) {
        // The low byte (mode and flag) is ignored.
        for (uint32_t low : {0x00u, 0x21u, 0x4Cu, 0xFFu}) {
            EXPECT_STREQ(ZLC_Get_Block_Alg_Name(a.value | low), a.name);
            EXPECT_EQ(ZLC_Get_Key_Length(a.value | low), a.key) << a.name;
            EXPECT_EQ(ZLC_Get_Block_Length(a.value | low), a.block) << a.name;
            EXPECT_EQ(ZLC_Get_IV_Length(a.value | low), a.block) << a.name;
        }
    }
    for (uint32_t unknown : {0x00000000u, 0x09000100u, 0x03000400u, 0x02000300u, 0x06000200u}) {
        EXPECT_EQ(ZLC_Get_Block_Alg_Name(unknown), nullptr) << std::hex << unknown;
        EXPECT_EQ(ZLC_Get_Key_Length(unknown), 0);
        EXPECT_EQ(ZLC_Get_Block_Length(unknown), 0);
        EXPECT_EQ(ZLC_Get_IV_Length(unknown), 0);
    }
    const struct {
        uint32_t low;
        const char* name;
    } modes[] = {{0x00, "ECB"},   {0x01, "ECB"},   {0x20, "CBC"},   {0x21, "CBC"},    {0x40, "CFB"},
                 {0x42, "CFB1"},  {0x44, "CFB8"},  {0x46, "CFB16"}, {0x48, "CFB32"},  {0x4A, "CFB64"},
                 {0x4D, "CFB128"}, {0x60, "OFB"},  {0x80, "CTR"},   {0x81, "CTR"},    {0x02, nullptr},
                 {0x22, nullptr}, {0x4E, nullptr}, {0xA0, nullptr}, {0xFE, nullptr}};
    for (const auto& m : modes) {
        EXPECT_STREQ(ZLC_Get_Mode_Name(ZLC_ARIA_128 | m.low), m.name) << std::hex << m.low;
        EXPECT_STREQ(ZLC_Get_Mode_Name(0x09000100 | m.low), m.name) << "mode names ignore the algorithm";
    }
}

TEST(BlockCipherLookups, FailingSelfTestEmptiesEveryLookupAndStopsInit) {
    zlc::test::ModuleFlagsScope gate({false, true, true}, failing_self_test);
    EXPECT_EQ(ZLC_Get_Block_Alg_Name(ZLC_ARIA_128), nullptr);
    EXPECT_EQ(ZLC_Get_Mode_Name(ZLC_MODE_CBC), nullptr);
    EXPECT_EQ(ZLC_Get_Block_Length(ZLC_ARIA_128), 0);
    EXPECT_EQ(ZLC_Get_Key_Length(ZLC_ARIA_128), 0);
    EXPECT_EQ(ZLC_Get_IV_Length(ZLC_ARIA_128), -1);
    auto unit = new_block_unit();
    EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_ARIA_128, kKey.data(), nullptr, 1), 0x1A010019u);
    EXPECT_EQ(unit->initialised, 0xFFFFFFFFu);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(ZLC_ARIA_128, 1, kKey.data(), nullptr, kKey.data(), 16, Bytes(32).data(), nullptr),
              0x05080021u);
}

TEST(BlockCipherInit, RefusedIdentifiersAndMissingIvs) {
    struct Row {
        uint32_t id;
        bool with_key;
        bool with_iv;
        uint32_t status;
        uint32_t algorithm_after;
    };
    std::vector<Row> rows = {
        {0x0300014A, true, true, 0x05010023, 0},           // CFB64 on a 16-byte block: refused before the lookup
        {0x0200014C, true, true, 0x05010023, 0},           // CFB128 on an 8-byte block
        {0x07000180, true, true, 0x05010023, 0x07000100},  // RC2 has no CTR
        {0x09000120, true, true, 0x05010023, 0},           // unknown algorithm
        {0x03000122, true, true, 0x05010023, 0},           // unknown mode
        {0x030001A0, true, true, 0x05010023, 0},
        {0x03000120, true, false, 0x0501004A, 0x03000100},
        {0x02000140, true, false, 0x0501004A, 0x02000100},
        {0x0300014C, true, false, 0x0501004A, 0x03000100},
        {0x03000160, true, false, 0x0501004A, 0x03000100},
        {0x03000100, true, false, 0, 0x03000100},          // ECB ignores the IV
        {0x03000181, true, false, 0, 0x03000100},          // CTR starts from a zero counter
    };
    for (const auto& a : kAlgorithms) {
        for (uint32_t narrow : {0x42u, 0x44u, 0x46u, 0x48u}) rows.push_back({a.value | narrow, true, true, 0x05010023, 0});
        rows.push_back({a.value | 0x21, false, true, 0x05010023, a.value});  // no key: refused by every key setup
    }
    for (const auto& r : rows) {
        auto unit = new_block_unit();
        EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), r.id, r.with_key ? kKey.data() : nullptr,
                                        r.with_iv ? kIv.data() : nullptr, 1),
                  r.status)
            << std::hex << r.id;
        EXPECT_EQ(ZLC_Get_Block_Alg_ID(unit.get()), r.algorithm_after) << std::hex << r.id;
    }
    EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(nullptr, ZLC_ARIA_128, kKey.data(), nullptr, 1), 0x0501002Bu);
    EXPECT_EQ(ZLC_Get_Block_Alg_ID(nullptr), 0u);
}

TEST(BlockCipherInit, FieldsFromTheTable) {
    auto unit = new_block_unit();
    ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), 0x08000321, kKey.data(), kIv.data(), 0), 0u);
    EXPECT_EQ(ZLC_Get_Block_Alg_ID(unit.get()), 0x08000300u);
    EXPECT_EQ(unit->mode, 0x20);
    EXPECT_EQ(unit->no_padding, 1);
    EXPECT_EQ(unit->key_length, 32u);
    EXPECT_EQ(unit->iv_length, 16u);
    EXPECT_EQ(unit->block_mask, 15u);
    EXPECT_EQ(unit->key_schedule_size, 772u);
    EXPECT_EQ(unit->encrypt, 0u);
    EXPECT_EQ(0, std::memcmp(unit->chain, kIv.data(), 16));

    // The padding flag changes nothing but itself; CFB64/CFB128 are CFB under another name.
    BLOCK_CIPHER_UNIT padded{}, plain{};
    ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(&padded, 0x03000100, kKey.data(), nullptr, 1), 0u);
    ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(&plain, 0x03000101, kKey.data(), nullptr, 1), 0u);
    EXPECT_EQ(padded.process, plain.process);
    EXPECT_EQ(padded.key_setup, plain.key_setup);
    EXPECT_NE(padded.no_padding, plain.no_padding);
    ZLC_Clean_BLOCK_CIPHER_Unit(&padded);
    ZLC_Clean_BLOCK_CIPHER_Unit(&plain);
    const Bytes pt = random_bytes(45, 13);
    for (const auto& [alias, cfb] : {std::pair{0x0300014Du, 0x03000141u}, std::pair{0x0200014Bu, 0x02000141u}}) {
        const Bytes key(kKey.begin(), kKey.begin() + ZLC_Get_Key_Length(cfb));
        EXPECT_EQ(to_hex(run_unit(alias, true, key, kIv, pt).out), to_hex(run_unit(cfb, true, key, kIv, pt).out));
        auto u = new_block_unit();
        ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(u.get(), alias, key.data(), kIv.data(), 1), 0u);
        EXPECT_EQ(u->mode, 0x40);
    }
}

TEST(BlockCipherInit, ProvenModeAllowsAriaAndSeed128WithoutCtr) {
    zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
    for (const auto& a : kAlgorithms) {
        for (uint32_t mode : {ZLC_MODE_ECB, ZLC_MODE_CBC, ZLC_MODE_CFB, ZLC_MODE_OFB, ZLC_MODE_CTR}) {
            const uint32_t expected = !a.proven ? 0x05010023u : mode == ZLC_MODE_CTR ? 0x050100F0u : 0u;
            auto unit = new_block_unit();
            EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), a.value | mode, kKey.data(), kIv.data(), 1), expected)
                << a.name << " mode " << std::hex << mode;
            EXPECT_EQ(unit->proven_copy, 1);
        }
    }
}

TEST(BlockCipherUnit, CleanFreeAndAllocationFailures) {
    ZLC_Free_BLOCK_CIPHER_Unit(nullptr);
    ZLC_Clean_BLOCK_CIPHER_Unit(nullptr);
    auto unit = new_block_unit();
    const BLOCK_CIPHER_UNIT zero{};
    ZLC_Clean_BLOCK_CIPHER_Unit(unit.get());
    EXPECT_EQ(0, std::memcmp(unit.get(), &zero, sizeof(zero)));
    ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_SEED_128 + ZLC_MODE_OFB, kKey.data(), kIv.data(), 1), 0u);
    ZLC_Clean_BLOCK_CIPHER_Unit(unit.get());
    EXPECT_EQ(0, std::memcmp(unit.get(), &zero, sizeof(zero)));
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_ARIA_256, kKey.data(), nullptr, 1), 0x0501003Au);
        EXPECT_EQ(ZLC_BLOCK_CIPHER(ZLC_ARIA_256, 1, kKey.data(), nullptr, kIv.data(), 16, Bytes(32).data(), nullptr),
                  0x0508003Bu);
    }
    {
        zlc::test::FailAllocationsScope fail(1);
        EXPECT_EQ(ZLC_BLOCK_CIPHER(ZLC_ARIA_256, 1, kKey.data(), nullptr, kIv.data(), 16, Bytes(32).data(), nullptr),
                  0x05080021u);
    }
    // A unit that Init failed on is released by Free (the sanitizer build checks for leaks).
    EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_ARIA_128 + ZLC_MODE_CBC, kKey.data(), nullptr, 1), 0x0501004Au);
    EXPECT_NE(unit->key_schedule, nullptr);
}

TEST(BlockCipherOneShot, EqualsTheUnitAndMapsEveryFailure) {
    const Bytes pt = random_bytes(70, 14);
    Bytes out(pt.size() + 16);
    int32_t length = 0;
    const uint32_t id = ZLC_SEED_128 + ZLC_MODE_CBC;
    ASSERT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), kIv.data(), pt.data(), 70, out.data(), &length), 0u);
    EXPECT_EQ(length, 80);
    out.resize(80);
    EXPECT_EQ(to_hex(out), to_hex(run_unit(id, true, Bytes(kKey.begin(), kKey.begin() + 16), kIv, pt).out));
    Bytes back(96);
    ASSERT_EQ(ZLC_BLOCK_CIPHER(id, 0, kKey.data(), kIv.data(), out.data(), 80, back.data(), &length), 0u);
    EXPECT_EQ(to_hex(back.data(), static_cast<size_t>(length)), to_hex(pt));

    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), kIv.data(), pt.data(), 0, out.data(), &length), 0x0508005Au);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), kIv.data(), nullptr, 16, out.data(), &length), 0x0508005Au);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), kIv.data(), pt.data(), 16, nullptr, &length), 0x0508005Au);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, nullptr, kIv.data(), pt.data(), 16, out.data(), &length), 0x05080021u);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), nullptr, pt.data(), 16, out.data(), &length), 0x05080021u);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id + 1, 1, kKey.data(), kIv.data(), pt.data(), 17, back.data(), &length), 0x05080017u);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 0, kKey.data(), kIv.data(), pt.data(), 32, back.data(), &length), 0x05080017u);
}

class AdvancedPair : public testing::Test {
protected:
    uint8_t state_[900] = {};
    int32_t state_length_ = ZLC_ADVANCED_BLOCK_CIPHER_STATE_LENGTH;
};

TEST_F(AdvancedPair, InitChecksInOrder) {
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, nullptr, nullptr, 1, state_, &state_length_), 0x050A0049u);
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, nullptr, &state_length_),
              0x050A0049u);
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, state_, nullptr), 0x050A0049u);
    int32_t short_length = 875;
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_BLOWFISH + ZLC_MODE_CBC, kKey.data(), kIv.data(), 1, state_,
                                             &short_length),
              0x050A0048u);
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, state_, &short_length),
              0x050A0006u);
    EXPECT_EQ(short_length, 875);
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128 + ZLC_MODE_CBC, kKey.data(), nullptr, 1, state_,
                                             &state_length_),
              0x050A0021u);
    state_length_ = 900;
    EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, state_, &state_length_), 0u);
    EXPECT_EQ(state_length_, 876);
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(ZLC_ARIA_128, kKey.data(), nullptr, 1, state_, &state_length_),
                  0x050A0021u);
    }
}

TEST_F(AdvancedPair, RecordLayoutAndRepeatedMessages) {
    const uint32_t id = ZLC_ARIA_192 + ZLC_MODE_CBC;
    ASSERT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(id, kKey.data(), kIv.data(), 1, state_, &state_length_), 0u);
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
        ASSERT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0xDEAD, pt.data(), 50, out.data(), &length), 0u);
        out.resize(static_cast<size_t>(length));
        EXPECT_EQ(to_hex(out), to_hex(expected));
    }
    Bytes out(80);
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(nullptr, 0, pt.data(), 50, out.data(), nullptr), 0x050B0049u);
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, pt.data(), 50, nullptr, nullptr), 0x050B0049u);
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, pt.data(), 0, out.data(), nullptr), 0x050B005Au);
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, nullptr, 16, out.data(), nullptr), 0x050B005Au);

    // Decryption under a record of its own; a padding failure is Final's.
    ASSERT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(id, kKey.data(), kIv.data(), 0, state_, &state_length_), 0u);
    int32_t length = 0;
    ASSERT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, expected.data(), 64, out.data(), &length), 0u);
    EXPECT_EQ(to_hex(out.data(), static_cast<size_t>(length)), to_hex(pt));
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, expected.data(), 40, out.data(), &length), 0x050B0017u);
}

TEST_F(AdvancedPair, CorruptedRecordsAreRefused) {
    const uint32_t id = ZLC_SEED_128 + ZLC_MODE_CTR;
    ASSERT_EQ(ZLC_Init_Advanced_BLOCK_CIPHER(id, kKey.data(), kIv.data(), 1, state_, &state_length_), 0u);
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
        EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(copy, 0, in, 32, out, nullptr), 0x050B002Bu) << p.what;
    }
    EXPECT_EQ(ZLC_DoFinal_Advanced_BLOCK_CIPHER(state_, 0, in, 32, out, nullptr), 0u);
}

}  // namespace
