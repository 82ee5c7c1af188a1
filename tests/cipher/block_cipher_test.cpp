// The block cipher unit: tables and lookups, Init's order of checks, proven mode, the life cycle
// and the one-shot call.
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
    uint32_t schedule;
    bool proven;
};
const AlgorithmRow kAlgorithms[] = {
    {0x01000100, "AES_128", 16, 16, 244, false},    {0x01000200, "AES_192", 24, 16, 244, false},
    {0x01000300, "AES_256", 32, 16, 244, false},    {0x02000100, "ZLC_DES", 8, 8, 128, false},
    {0x02000200, "ZLC_DES_EDE", 24, 8, 384, false}, {0x02001200, "ZLC_DES_EDE", 16, 8, 384, false},
    {0x02010200, "ZLC_DES_EDE", 24, 8, 384, false}, {0x03000100, "ARIA_128", 16, 16, 548, true},
    {0x03000200, "ARIA_192", 24, 16, 548, true},    {0x03000300, "ARIA_256", 32, 16, 548, true},
    {0x04000100, "ZLC_SEED", 16, 16, 196, true},    {0x04000200, "SEED_256", 32, 16, 196, false},
    {0x05000100, "ZLC_RC5", 16, 8, 140, false},     {0x06000100, "BlowFish", 16, 8, 4168, false},
    {0x07000100, "ZLC_RC2_128", 16, 8, 144, false}, {0x07000200, "ZLC_RC2_40", 5, 8, 144, false},
    {0x07000300, "ZLC_RC2_64", 8, 8, 144, false},   {0x08000100, "LEA_128", 16, 16, 772, false},
    {0x08000200, "LEA_192", 24, 16, 772, false},    {0x08000300, "LEA_256", 32, 16, 772, false},
};

const Bytes kKey = random_bytes(32, 11);
const Bytes kIv = random_bytes(16, 12);

uint32_t failing_self_test() {
    return 0x1A010019;
}

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
    } modes[] = {{0x00, "ECB"},   {0x01, "ECB"},   {0x20, "CBC"},    {0x21, "CBC"},
                 {0x40, "CFB"},   {0x42, "CFB1"},  {0x44, "CFB8"},   {0x46, "CFB16"},
                 {0x48, "CFB32"}, {0x4A, "CFB64"}, {0x4D, "CFB128"}, {0x60, "OFB"},
                 {0x80, "CTR"},   {0x81, "CTR"},   {0x02, nullptr},  {0x22, nullptr},
                 {0x4E, nullptr}, {0xA0, nullptr}, {0xFE, nullptr}};
    for (const auto& m : modes) {
        EXPECT_STREQ(ZLC_Get_Mode_Name(ZLC_ARIA_128 | m.low), m.name) << std::hex << m.low;
        EXPECT_STREQ(ZLC_Get_Mode_Name(0x09000100 | m.low), m.name)
            << "mode names ignore the algorithm";
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
    EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_ARIA_128, kKey.data(), nullptr, 1),
              0x1A010019u);
    EXPECT_EQ(unit->initialised, 0xFFFFFFFFu);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(ZLC_ARIA_128, 1, kKey.data(), nullptr, kKey.data(), 16,
                               Bytes(32).data(), nullptr),
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
        {0x0300014A, true, true, 0x05010023,
         0},  // CFB64 on a 16-byte block: refused before the lookup
        {0x0200014C, true, true, 0x05010023, 0},           // CFB128 on an 8-byte block
        {0x07000180, true, true, 0x05010023, 0x07000100},  // RC2 has no CTR
        {0x09000120, true, true, 0x05010023, 0},           // unknown algorithm
        {0x03000122, true, true, 0x05010023, 0},           // unknown mode
        {0x030001A0, true, true, 0x05010023, 0},
        {0x03000120, true, false, 0x0501004A, 0x03000100},
        {0x02000140, true, false, 0x0501004A, 0x02000100},
        {0x0300014C, true, false, 0x0501004A, 0x03000100},
        {0x03000160, true, false, 0x0501004A, 0x03000100},
        {0x03000100, true, false, 0, 0x03000100},  // ECB ignores the IV
        {0x03000181, true, false, 0, 0x03000100},  // CTR starts from a zero counter
    };
    for (const auto& a : kAlgorithms) {
        for (uint32_t narrow : {0x42u, 0x44u, 0x46u, 0x48u})
            rows.push_back({a.value | narrow, true, true, 0x05010023, 0});
        rows.push_back({a.value | 0x21, false, true, 0x05010023,
                        a.value});  // no key: refused by every key setup
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
    for (const auto& a : kAlgorithms) {
        ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), a.value, kKey.data(), nullptr, 1), 0u)
            << a.name;
        EXPECT_EQ(unit->block_length, static_cast<uint32_t>(a.block)) << a.name;
        EXPECT_EQ(unit->key_schedule_size, a.schedule) << a.name;
    }
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
    for (const auto& [alias, cfb] :
         {std::pair{0x0300014Du, 0x03000141u}, std::pair{0x0200014Bu, 0x02000141u}}) {
        const Bytes key(kKey.begin(), kKey.begin() + ZLC_Get_Key_Length(cfb));
        EXPECT_EQ(to_hex(run_unit(alias, true, key, kIv, pt).out),
                  to_hex(run_unit(cfb, true, key, kIv, pt).out));
        auto u = new_block_unit();
        ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(u.get(), alias, key.data(), kIv.data(), 1), 0u);
        EXPECT_EQ(u->mode, 0x40);
    }
}

TEST(BlockCipherInit, ProvenModeAllowsAriaAndSeed128WithoutCtr) {
    zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
    for (const auto& a : kAlgorithms) {
        for (uint32_t mode :
             {ZLC_MODE_ECB, ZLC_MODE_CBC, ZLC_MODE_CFB, ZLC_MODE_OFB, ZLC_MODE_CTR}) {
            const uint32_t expected = !a.proven              ? 0x05010023u
                                      : mode == ZLC_MODE_CTR ? 0x050100F0u
                                                             : 0u;
            auto unit = new_block_unit();
            EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), a.value | mode, kKey.data(), kIv.data(), 1),
                      expected)
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
    ASSERT_EQ(
        ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_SEED_128 + ZLC_MODE_OFB, kKey.data(), kIv.data(), 1),
        0u);
    ZLC_Clean_BLOCK_CIPHER_Unit(unit.get());
    EXPECT_EQ(0, std::memcmp(unit.get(), &zero, sizeof(zero)));
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_ARIA_256, kKey.data(), nullptr, 1),
                  0x0501003Au);
        EXPECT_EQ(ZLC_BLOCK_CIPHER(ZLC_ARIA_256, 1, kKey.data(), nullptr, kIv.data(), 16,
                                   Bytes(32).data(), nullptr),
                  0x0508003Bu);
    }
    {
        zlc::test::FailAllocationsScope fail(1);
        EXPECT_EQ(ZLC_BLOCK_CIPHER(ZLC_ARIA_256, 1, kKey.data(), nullptr, kIv.data(), 16,
                                   Bytes(32).data(), nullptr),
                  0x05080021u);
    }
    // A unit that Init failed on is released by Free (the sanitizer build checks for leaks).
    EXPECT_EQ(
        ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_ARIA_128 + ZLC_MODE_CBC, kKey.data(), nullptr, 1),
        0x0501004Au);
    EXPECT_NE(unit->key_schedule, nullptr);
}

TEST(BlockCipherOneShot, EqualsTheUnitAndMapsEveryFailure) {
    const Bytes pt = random_bytes(70, 14);
    Bytes out(pt.size() + 16);
    int32_t length = 0;
    const uint32_t id = ZLC_SEED_128 + ZLC_MODE_CBC;
    ASSERT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), kIv.data(), pt.data(), 70, out.data(), &length),
              0u);
    EXPECT_EQ(length, 80);
    out.resize(80);
    EXPECT_EQ(to_hex(out),
              to_hex(run_unit(id, true, Bytes(kKey.begin(), kKey.begin() + 16), kIv, pt).out));
    Bytes back(96);
    ASSERT_EQ(
        ZLC_BLOCK_CIPHER(id, 0, kKey.data(), kIv.data(), out.data(), 80, back.data(), &length), 0u);
    EXPECT_EQ(to_hex(back.data(), static_cast<size_t>(length)), to_hex(pt));

    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), kIv.data(), pt.data(), 0, out.data(), &length),
              0x0508005Au);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), kIv.data(), nullptr, 16, out.data(), &length),
              0x0508005Au);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), kIv.data(), pt.data(), 16, nullptr, &length),
              0x0508005Au);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, nullptr, kIv.data(), pt.data(), 16, out.data(), &length),
              0x05080021u);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 1, kKey.data(), nullptr, pt.data(), 16, out.data(), &length),
              0x05080021u);
    EXPECT_EQ(
        ZLC_BLOCK_CIPHER(id + 1, 1, kKey.data(), kIv.data(), pt.data(), 17, back.data(), &length),
        0x05080017u);
    EXPECT_EQ(ZLC_BLOCK_CIPHER(id, 0, kKey.data(), kIv.data(), pt.data(), 32, back.data(), &length),
              0x05080017u);
}

}  // namespace
