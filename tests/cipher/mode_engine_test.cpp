// The mode engine over test descriptors backed by OpenSSL: the SP 800-38A examples, OpenSSL's own
// modes on random messages split at random points, and the buffering, padding and reset rules.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <random>

#include "tests/cipher/evp_block_ops.h"
#include "tests/cipher/unit_driver.h"
#include "tests/support/library_seams.h"
#include "tests/support/vector_file.h"

namespace {

using zlc::test::Bytes;
using zlc::test::FamilyOpsScope;
using zlc::test::feed;
using zlc::test::from_hex;
using zlc::test::new_block_unit;
using zlc::test::Outcome;
using zlc::test::random_bytes;
using zlc::test::run_unit;
using zlc::test::to_hex;

constexpr uint32_t kPadFailure = 0x05050009u;

struct Descriptor {
    const char* name;
    const zlc::cipher::BlockCipherOps* ops;
};
const Descriptor kAesDescriptors[] = {{"fast paths", &zlc::test::kEvpAesOps},
                                      {"generic paths", &zlc::test::kEvpAesGenericOps}};

uint32_t aes_id(size_t key_length) {
    return ZLC_AES_128 + static_cast<uint32_t>(key_length / 8 - 2) * 0x100;
}

// Every way of feeding a message: one Update, two pieces split at each offset, one byte at a time.
std::vector<std::vector<size_t>> splits(size_t length) {
    std::vector<std::vector<size_t>> all = {{}, std::vector<size_t>(length, 1)};
    for (size_t cut = 1; cut < length; ++cut) all.push_back({cut});
    return all;
}

TEST(ModeEngine, Sp800_38aExamplesForEverySplitAndPath) {
    const std::map<std::string, uint32_t> modes = {{"ECB", ZLC_MODE_ECB},
                                                   {"CBC", ZLC_MODE_CBC},
                                                   {"CFB128", ZLC_MODE_CFB128},
                                                   {"OFB", ZLC_MODE_OFB},
                                                   {"CTR", ZLC_MODE_CTR}};
    int checked = 0;
    for (const auto& record : zlc::test::read_vector_file("cipher/sp800_38a_examples.txt")) {
        const auto mode = modes.find(record.at("MODE"));
        if (mode == modes.end()) continue;  // CFB8: a width the unit refuses
        const Bytes key = from_hex(record.at("KEY")), pt = from_hex(record.at("PT")),
                    ct = from_hex(record.at("CT"));
        const Bytes iv = record.has("IV") ? from_hex(record.at("IV")) : Bytes{};
        const uint32_t id = aes_id(key.size()) + mode->second + ZLC_NO_PADDING;
        for (const auto& d : kAesDescriptors) {
            FamilyOpsScope scope(zlc::cipher::kAesOps, *d.ops);
            SCOPED_TRACE(testing::Message() << "line " << record.line << ", " << d.name);
            for (const auto& pieces : splits(pt.size())) {
                EXPECT_EQ(to_hex(run_unit(id, true, key, iv, pt, pieces).out), to_hex(ct));
                EXPECT_EQ(to_hex(run_unit(id, false, key, iv, ct, pieces).out), to_hex(pt));
            }
            // With padding, ECB and CBC add one block; decryption takes it off again.
            if (mode->second == ZLC_MODE_ECB || mode->second == ZLC_MODE_CBC) {
                const Outcome padded = run_unit(id - ZLC_NO_PADDING, true, key, iv, pt);
                ASSERT_EQ(padded.out.size(), pt.size() + 16);
                EXPECT_EQ(to_hex(Bytes(padded.out.begin(), padded.out.begin() + 64)), to_hex(ct));
                EXPECT_EQ(
                    to_hex(run_unit(id - ZLC_NO_PADDING, false, key, iv, padded.out, {33}).out),
                    to_hex(pt));
            }
        }
        ++checked;
    }
    EXPECT_EQ(checked, 15);
}

// OpenSSL's full modes as the reference: same key, IV, message and padding rule.
Bytes openssl_mode(const char* name, bool encrypt, bool pad, const Bytes& key, const Bytes& iv,
                   const Bytes& in) {
    const EVP_CIPHER* type = EVP_get_cipherbyname(name);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(in.size() + 32);
    int n = 0, m = 0;
    EXPECT_EQ(EVP_CipherInit_ex(ctx, type, nullptr, key.data(), iv.empty() ? nullptr : iv.data(),
                                encrypt),
              1);
    EVP_CIPHER_CTX_set_padding(ctx, pad ? 1 : 0);
    EXPECT_EQ(EVP_CipherUpdate(ctx, out.data(), &n, in.data(), static_cast<int>(in.size())), 1);
    EXPECT_EQ(EVP_CipherFinal_ex(ctx, out.data() + n, &m), 1);
    EVP_CIPHER_CTX_free(ctx);
    out.resize(static_cast<size_t>(n + m));
    return out;
}

TEST(ModeEngine, MatchesOpenSslOnRandomMessagesAndSplits) {
    struct Config {
        const char* openssl;
        uint32_t id;
        const zlc::cipher::BlockCipherOps* family;
        const zlc::cipher::BlockCipherOps* ops;
        bool padded;
    };
    const Config configs[] = {
        {"AES-128-ECB", ZLC_AES_128 + ZLC_MODE_ECB, &zlc::cipher::kAesOps, &zlc::test::kEvpAesOps,
         true},
        {"AES-128-ECB", ZLC_AES_128 + ZLC_MODE_ECB + 1, &zlc::cipher::kAesOps,
         &zlc::test::kEvpAesOps, false},
        {"AES-192-CBC", ZLC_AES_192 + ZLC_MODE_CBC, &zlc::cipher::kAesOps, &zlc::test::kEvpAesOps,
         true},
        {"AES-256-CBC", ZLC_AES_256 + ZLC_MODE_CBC, &zlc::cipher::kAesOps,
         &zlc::test::kEvpAesGenericOps, true},
        {"AES-128-CBC", ZLC_AES_128 + ZLC_MODE_CBC + 1, &zlc::cipher::kAesOps,
         &zlc::test::kEvpAesGenericOps, false},
        {"AES-128-CFB", ZLC_AES_128 + ZLC_MODE_CFB + 1, &zlc::cipher::kAesOps,
         &zlc::test::kEvpAesOps, false},
        {"AES-128-OFB", ZLC_AES_128 + ZLC_MODE_OFB + 1, &zlc::cipher::kAesOps,
         &zlc::test::kEvpAesOps, false},
        {"AES-128-CTR", ZLC_AES_128 + ZLC_MODE_CTR + 1, &zlc::cipher::kAesOps,
         &zlc::test::kEvpAesOps, false},
        {"AES-256-CTR", ZLC_AES_256 + ZLC_MODE_CTR + 1, &zlc::cipher::kAesOps,
         &zlc::test::kEvpAesGenericOps, false},
        {"DES-EDE3-ECB", ZLC_TDES_3KEY + ZLC_MODE_ECB, &zlc::cipher::kTripleDesOps,
         &zlc::test::kEvpTdesOps, true},
        {"DES-EDE-ECB", ZLC_TDES_2KEY + ZLC_MODE_ECB + 1, &zlc::cipher::kTripleDesOps,
         &zlc::test::kEvpTdesOps, false},
        {"DES-EDE3-CBC", ZLC_TDES_3KEY + ZLC_MODE_CBC, &zlc::cipher::kTripleDesOps,
         &zlc::test::kEvpTdesOps, true},
        {"DES-EDE3-CFB", ZLC_TDES_3KEY + ZLC_MODE_CFB64 + 1, &zlc::cipher::kTripleDesOps,
         &zlc::test::kEvpTdesOps, false},
        {"DES-EDE3-OFB", ZLC_TDES_3KEY_ALT + ZLC_MODE_OFB + 1, &zlc::cipher::kTripleDesOps,
         &zlc::test::kEvpTdesOps, false},
    };
    std::mt19937_64 rng(5);
    for (const auto& c : configs) {
        FamilyOpsScope scope(*c.family, *c.ops);
        const auto key_length = static_cast<size_t>(ZLC_Get_Key_Length(c.id));
        const auto block = static_cast<size_t>(ZLC_Get_Block_Length(c.id));
        for (int trial = 0; trial < 40; ++trial) {
            const Bytes key = random_bytes(key_length, rng()), iv = random_bytes(block, rng());
            size_t length = 1 + rng() % 200;
            if (!c.padded && (c.id & 0xE0) <= ZLC_MODE_CBC) length = block * (1 + rng() % 12);
            const Bytes pt = random_bytes(length, rng());
            std::vector<size_t> pieces;
            for (int i = 0; i < 4; ++i) pieces.push_back(rng() % (length / 2 + 1));
            SCOPED_TRACE(testing::Message()
                         << c.openssl << " length " << length << " trial " << trial);
            const Bytes ct = openssl_mode(c.openssl, true, c.padded, key, iv, pt);
            const Outcome enc = run_unit(c.id, true, key, iv, pt, pieces);
            EXPECT_EQ(enc.final_status, 0u);
            EXPECT_EQ(to_hex(enc.out), to_hex(ct));
            const Outcome dec =
                run_unit(c.id | (c.padded ? 0 : ZLC_NO_PADDING), false, key, iv, ct, pieces);
            EXPECT_EQ(dec.final_status, 0u);
            EXPECT_EQ(to_hex(dec.out), to_hex(pt));
        }
    }
}

// Each cipher's own CTR and CBC fast paths against the engine's generic paths over the same block
// functions, on every CPU path, with counters that carry across words and wrap inside one call.
TEST(ModeEngine, CipherFastPathsAgreeWithTheGenericModes) {
    const std::pair<const zlc::cipher::BlockCipherOps*, uint32_t> families[] = {
        {&zlc::cipher::kAesOps, ZLC_AES_256},         {&zlc::cipher::kDesOps, ZLC_DES},
        {&zlc::cipher::kTripleDesOps, ZLC_TDES_3KEY}, {&zlc::cipher::kAriaOps, ZLC_ARIA_192},
        {&zlc::cipher::kSeedOps, ZLC_SEED_128},       {&zlc::cipher::kRc5Ops, ZLC_RC5},
        {&zlc::cipher::kBlowfishOps, ZLC_BLOWFISH},   {&zlc::cipher::kRc2Ops, ZLC_RC2_64},
        {&zlc::cipher::kLeaOps, ZLC_LEA_128},
    };
    for (bool portable : {false, true}) {
        zlc::test::PortablePathsScope paths(portable);
        for (const auto& [family, algorithm] : families) {
            const zlc::cipher::BlockCipherOps* own =
                zlc::cipher::replace_family_ops(*family, nullptr);
            if (own->set_encrypt_key == nullptr) continue;  // not in this build
            zlc::cipher::BlockCipherOps generic = *own;
            generic.ctr_blocks = nullptr;
            generic.cbc_encrypt_blocks = nullptr;
            generic.cbc_decrypt_blocks = nullptr;
            const auto b = static_cast<size_t>(ZLC_Get_Block_Length(algorithm));
            const Bytes key =
                random_bytes(static_cast<size_t>(ZLC_Get_Key_Length(algorithm)), algorithm);
            Bytes near_wrap(b, 0xFF), word_carry(b, 0);
            near_wrap[b - 1] = 0xF0;
            std::fill(word_carry.end() - 4, word_carry.end(), 0xFF);
            word_carry[b - 1] = 0xF5;
            for (const Bytes& iv : {near_wrap, word_carry}) {
                for (uint32_t mode : {ZLC_MODE_CBC, ZLC_MODE_CTR + ZLC_NO_PADDING}) {
                    if (family == &zlc::cipher::kRc2Ops && mode != ZLC_MODE_CBC) continue;
                    const Bytes pt = random_bytes(45 * b + 3, mode);
                    for (bool encrypt : {true, false}) {
                        SCOPED_TRACE(testing::Message()
                                     << std::hex << algorithm + mode << (encrypt ? " enc" : " dec")
                                     << (portable ? " portable" : " native"));
                        const Bytes in =
                            encrypt ? pt : run_unit(algorithm + mode, true, key, iv, pt).out;
                        const Outcome fast =
                            run_unit(algorithm + mode, encrypt, key, iv, in, {b * 3 + 1});
                        FamilyOpsScope scope(*family, generic);
                        const Outcome slow = run_unit(algorithm + mode, encrypt, key, iv, in, {5});
                        EXPECT_EQ(fast.final_status, 0u);
                        EXPECT_EQ(to_hex(fast.out), to_hex(slow.out));
                    }
                }
            }
        }
    }
}

class EngineEdgeCases : public testing::Test {
  protected:
    FamilyOpsScope aes_{zlc::cipher::kAesOps, zlc::test::kEvpAesGenericOps};
    FamilyOpsScope tdes_{zlc::cipher::kTripleDesOps, zlc::test::kEvpTdesOps};
    const Bytes key16_ = random_bytes(16, 1);
    const Bytes key24_ = random_bytes(24, 2);
    const Bytes iv_ = random_bytes(16, 3);

    const Bytes& key_for(uint32_t id) const {
        return ZLC_Get_Key_Length(id) == 16 ? key16_ : key24_;
    }
    Bytes iv_for(uint32_t id) const {
        return Bytes(iv_.begin(), iv_.begin() + ZLC_Get_Block_Length(id));
    }
    // Raw block encryption or decryption under the same key (ECB, no padding).
    Bytes ecb(uint32_t algorithm, bool encrypt, const Bytes& in) const {
        return run_unit(algorithm + ZLC_MODE_ECB + ZLC_NO_PADDING, encrypt, key_for(algorithm), {},
                        in)
            .out;
    }
};

TEST_F(EngineEdgeCases, EmptyPaddedMessageIsOneBlockOfPadding) {
    for (uint32_t algorithm : {ZLC_AES_128, ZLC_TDES_3KEY}) {
        const auto b = static_cast<uint8_t>(ZLC_Get_Block_Length(algorithm));
        for (uint32_t mode : {ZLC_MODE_ECB, ZLC_MODE_CBC}) {
            auto unit = new_block_unit();
            ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), algorithm + mode, key_for(algorithm).data(),
                                            iv_for(algorithm).data(), 1),
                      0u);
            uint8_t out[16];
            int32_t length = 0;
            ASSERT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), out, &length), 0u);
            ASSERT_EQ(length, b);
            Bytes plain = ecb(algorithm, false, Bytes(out, out + b));
            if (mode == ZLC_MODE_CBC) {
                for (size_t i = 0; i < b; ++i) plain[i] ^= iv_[i];
            }
            EXPECT_EQ(to_hex(plain), to_hex(Bytes(b, b))) << std::hex << algorithm + mode;
        }
    }
}

TEST_F(EngineEdgeCases, SixteenBytesOfCbcAndTheHeldBackBlock) {
    const uint32_t id = ZLC_AES_128 + ZLC_MODE_CBC;
    const Bytes pt = random_bytes(16, 4);
    auto unit = new_block_unit();
    ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), id, key16_.data(), iv_.data(), 1), 0u);
    uint8_t ct[48];
    int32_t n = 0, m = 0;
    ASSERT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), ct, &n, pt.data(), 16), 0u);
    ASSERT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), ct + n, &m), 0u);
    EXPECT_EQ(n, 16);
    EXPECT_EQ(m, 16);

    ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), id, key16_.data(), iv_.data(), 0), 0u);
    uint8_t pt_out[48];
    ASSERT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), pt_out, &n, ct, 32), 0u);
    EXPECT_EQ(n, 16);
    EXPECT_EQ(unit->held, 1u);
    ASSERT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), pt_out + n, &m), 0u);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(to_hex(pt_out, 16), to_hex(pt));
}

TEST_F(EngineEdgeCases, BadPaddingIsRefusedWithNothingWritten) {
    // Last plaintext blocks, made into ciphertext with the no-padding ECB encryption.
    const char* blocks[] = {
        "000102030405060708090a0b0c0d0e00",  // pad byte 0
        "000102030405060708090a0b0c0d0e11",  // above the block length
        "11111111111111111111111111111111",  // above the block length, a consistent run
        "000102030405060708090a0b0c020303",  // run 02 03 03 under pad 3
        "0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f10",  // pad 16 with one wrong byte at the front
        "1010101010101010101010101010100f",  // pad 15, a 10 inside the run
    };
    for (const char* block : blocks) {
        const Bytes ct = ecb(ZLC_AES_128, true, from_hex(block));
        auto unit = new_block_unit();
        ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_AES_128 + ZLC_MODE_ECB, key16_.data(),
                                        nullptr, 0),
                  0u);
        const Outcome o = feed(unit.get(), ct);
        EXPECT_EQ(o.final_status, kPadFailure) << block;
        EXPECT_EQ(o.final_length, 0) << block;
        EXPECT_TRUE(o.out.empty()) << block;
        // The failure ended the message: a good one follows on the same unit.
        const Bytes good = ecb(ZLC_AES_128, true, from_hex("000102030405060708090a0b0c0d0e01"));
        EXPECT_EQ(to_hex(feed(unit.get(), good).out), "000102030405060708090a0b0c0d0e");
    }
    // A valid full padding block comes off whole.
    const Bytes full = ecb(ZLC_AES_128, true, Bytes(16, 16));
    EXPECT_TRUE(run_unit(ZLC_AES_128 + ZLC_MODE_ECB, false, key16_, {}, full).out.empty());
}

TEST_F(EngineEdgeCases, PartialBlocksAndStreamModes) {
    struct Row {
        uint32_t id;
        bool encrypt;
        size_t length;
        int32_t update_length;
        uint32_t final_status;
        int32_t final_length;
    };
    const Row rows[] = {
        // ECB/CBC without padding: a partial block fails, whole blocks end with nothing more.
        {ZLC_AES_128 + ZLC_MODE_ECB + 1, true, 20, 16, 0x0505000Au, 0},
        {ZLC_AES_128 + ZLC_MODE_CBC + 1, false, 20, 16, kPadFailure, 0},
        {ZLC_TDES_3KEY + ZLC_MODE_CBC + 1, true, 24, 24, 0, 0},
        {ZLC_AES_128 + ZLC_MODE_ECB + 1, false, 32, 32, 0, 0},
        // Padded decryption of something that is not whole blocks.
        {ZLC_AES_128 + ZLC_MODE_CBC, false, 20, 16, kPadFailure, 0},
        // Stream modes: 5 bytes come out of Final; decryption needs the no-padding flag.
        {ZLC_AES_128 + ZLC_MODE_CFB, true, 5, 0, 0, 5},
        {ZLC_AES_128 + ZLC_MODE_OFB + 1, false, 5, 0, 0, 5},
        {ZLC_TDES_3KEY + ZLC_MODE_CTR, true, 5, 0, 0, 5},
        {ZLC_TDES_3KEY + ZLC_MODE_CFB64 + 1, false, 5, 0, 0, 5},
        {ZLC_AES_128 + ZLC_MODE_CFB, false, 5, 0, kPadFailure, 0},
        {ZLC_AES_128 + ZLC_MODE_OFB, false, 21, 16, kPadFailure, 0},
        {ZLC_AES_128 + ZLC_MODE_OFB, false, 32, 16, kPadFailure,
         0},  // the last block is held back, then lost
        {ZLC_TDES_3KEY + ZLC_MODE_CTR, false, 5, 0, kPadFailure, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << r.id << (r.encrypt ? " encrypt " : " decrypt ") << std::dec
                     << r.length);
        auto unit = new_block_unit();
        ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), r.id, key_for(r.id).data(), iv_.data(),
                                        r.encrypt ? 1 : 0),
                  0u);
        Bytes out(r.length + 16);
        int32_t written = -1;
        const Bytes in = random_bytes(r.length, r.id);
        ASSERT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out.data(), &written, in.data(),
                                          static_cast<int32_t>(r.length)),
                  0u);
        EXPECT_EQ(written, r.update_length);
        uint8_t last[16];
        int32_t final_length = -1;
        EXPECT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), last, &final_length), r.final_status);
        EXPECT_EQ(final_length, r.final_length);
        EXPECT_EQ(unit->pending_count, 0u);
        EXPECT_EQ(unit->held, 0u);
        EXPECT_EQ(0, std::memcmp(unit->chain, unit->saved_iv, 16));
    }
}

TEST_F(EngineEdgeCases, CounterCarriesAcrossTheWholeBlock) {
    struct Row {
        uint32_t algorithm;
        const char* counter;
        const char* next;
    };
    const Row rows[] = {
        {ZLC_AES_128, "000000000000000000000000000000ff", "00000000000000000000000000000100"},
        {ZLC_AES_128, "00000000000000000000ffffffffffff", "00000000000000000001000000000000"},
        {ZLC_AES_128, "ffffffffffffffffffffffffffffffff", "00000000000000000000000000000000"},
        {ZLC_TDES_3KEY, "00000000000000ff", "0000000000000100"},
        {ZLC_TDES_3KEY, "00000000ffffffff", "0000000100000000"},
        {ZLC_TDES_3KEY, "ffffffffffffffff", "0000000000000000"},
    };
    for (const auto& d : kAesDescriptors) {
        FamilyOpsScope scope(zlc::cipher::kAesOps, *d.ops);
        for (const auto& r : rows) {
            const Bytes counter = from_hex(r.counter);
            const size_t b = counter.size();
            Bytes counters = counter;
            const Bytes next = from_hex(r.next);
            counters.insert(counters.end(), next.begin(), next.end());
            const Bytes keystream = ecb(r.algorithm, true, counters);
            // Split so that the carry happens both inside one Update and between two.
            for (const auto& pieces : std::vector<std::vector<size_t>>{{}, {b}, {3}}) {
                const Outcome o = run_unit(r.algorithm + ZLC_MODE_CTR, true, key_for(r.algorithm),
                                           counter, Bytes(2 * b, 0), pieces);
                EXPECT_EQ(to_hex(o.out), to_hex(keystream)) << r.counter << " " << d.name;
            }
        }
    }
    // Without an IV the counter starts at zero.
    const Outcome zero = run_unit(ZLC_AES_128 + ZLC_MODE_CTR, true, key16_, {}, Bytes(16, 0));
    EXPECT_EQ(to_hex(zero.out), to_hex(ecb(ZLC_AES_128, true, Bytes(16, 0))));
}

TEST_F(EngineEdgeCases, TwoMessagesInARowGiveEqualOutputs) {
    const Bytes pt = random_bytes(37, 6);
    for (uint32_t mode : {ZLC_MODE_ECB, ZLC_MODE_CBC, ZLC_MODE_CFB, ZLC_MODE_OFB, ZLC_MODE_CTR}) {
        for (uint32_t algorithm : {ZLC_AES_256, ZLC_TDES_2KEY}) {
            const uint32_t id = algorithm + mode;
            auto unit = new_block_unit();
            ASSERT_EQ(
                ZLC_Init_BLOCK_CIPHER(unit.get(), id, random_bytes(32, 7).data(), iv_.data(), 1),
                0u);
            const Outcome first = feed(unit.get(), pt, {5});
            const Outcome second = feed(unit.get(), pt, {20});
            EXPECT_EQ(to_hex(first.out), to_hex(second.out)) << std::hex << id;
            const size_t b = algorithm == ZLC_AES_256 ? 16 : 8;
            EXPECT_EQ(first.out.size(), mode <= ZLC_MODE_CBC ? (pt.size() / b + 1) * b : pt.size());
        }
    }
}

TEST_F(EngineEdgeCases, InPlaceAndOverlappingBuffersGiveTheSameResult) {
    const Bytes pt = random_bytes(100, 8);
    struct Row {
        uint32_t id;
        bool encrypt;
    };
    const Row rows[] = {
        {ZLC_AES_128 + ZLC_MODE_CBC, true},      {ZLC_AES_128 + ZLC_MODE_CBC, false},
        {ZLC_AES_128 + ZLC_MODE_ECB, false},     {ZLC_TDES_3KEY + ZLC_MODE_CBC, false},
        {ZLC_AES_128 + ZLC_MODE_CFB + 1, false}, {ZLC_AES_128 + ZLC_MODE_CTR + 1, true},
        {ZLC_TDES_3KEY + ZLC_MODE_OFB + 1, true}};
    for (const auto& r : rows) {
        const Bytes& key = key_for(r.id);
        // Input that this direction accepts: ciphertext of the message when decrypting.
        const Bytes in = r.encrypt ? pt : run_unit(r.id, true, key, iv_, pt).out;
        const Bytes expected = run_unit(r.id, r.encrypt, key, iv_, in).out;
        const std::vector<size_t> piece_sets[] = {{}, {16}, {7, 16, 1, 40}, {33, 3}};
        for (const auto& pieces : piece_sets) {
            for (ptrdiff_t shift : {0, 3, -5, 16, 17}) {
                // One working buffer; each piece is placed `shift` bytes after where its output
                // goes.
                auto unit = new_block_unit();
                ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), r.id, key.data(), iv_.data(),
                                                r.encrypt ? 1 : 0),
                          0u);
                Bytes result;
                size_t at = 0;
                std::vector<size_t> sizes = pieces;
                size_t used = 0;
                for (size_t s : pieces) used += s;
                sizes.push_back(in.size() - used);
                for (size_t n : sizes) {
                    Bytes buffer(n + 64, 0xCC);
                    uint8_t* out = buffer.data() + 24;
                    uint8_t* src = out + shift;
                    std::memcpy(src, in.data() + at, n);
                    int32_t written = -1;
                    ASSERT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &written, src,
                                                      static_cast<int32_t>(n)),
                              0u);
                    result.insert(result.end(), out, out + written);
                    at += n;
                }
                uint8_t last[16];
                int32_t m = 0;
                ASSERT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), last, &m), 0u);
                result.insert(result.end(), last, last + m);
                EXPECT_EQ(to_hex(result), to_hex(expected))
                    << std::hex << r.id << " shift " << std::dec << shift;
            }
        }
    }
}

// Decryption with padding in place holds back a block on every Update: over messages of several
// bounce-buffer chunks, each Update writes what the same Update into a separate buffer writes, in
// the padded modes and in the stream modes that take the hold-back path without the no-padding
// flag.
TEST_F(EngineEdgeCases, InPlaceHoldBackMatchesSeparateBuffersOverLongUpdates) {
    const uint32_t ids[] = {ZLC_AES_128 + ZLC_MODE_CBC, ZLC_AES_128 + ZLC_MODE_ECB,
                            ZLC_TDES_3KEY + ZLC_MODE_CBC, ZLC_AES_128 + ZLC_MODE_CFB,
                            ZLC_TDES_3KEY + ZLC_MODE_CTR};
    const std::vector<size_t> piece_sets[] = {
        {1024, 1024, 1024}, {16, 2000, 32, 520}, {5, 1500, 3, 8, 1100}, {512, 1, 511, 1040}};
    for (uint32_t id : ids) {
        const Bytes& key = key_for(id);
        const Bytes ct = random_bytes(3072, id);
        for (const auto& pieces : piece_sets) {
            auto apart = new_block_unit();
            auto in_place = new_block_unit();
            ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(apart.get(), id, key.data(), iv_.data(), 0), 0u);
            ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(in_place.get(), id, key.data(), iv_.data(), 0), 0u);
            size_t at = 0;
            for (size_t n : pieces) {
                SCOPED_TRACE(testing::Message()
                             << std::hex << id << std::dec << " piece at " << at);
                Bytes out(n + 32, 0xCC);
                Bytes buffer(n + 32, 0xCC);
                std::memcpy(buffer.data(), ct.data() + at, n);
                int32_t apart_length = -1, in_place_length = -1;
                ASSERT_EQ(ZLC_Update_BLOCK_CIPHER(apart.get(), out.data(), &apart_length,
                                                  ct.data() + at, static_cast<int32_t>(n)),
                          0u);
                ASSERT_EQ(ZLC_Update_BLOCK_CIPHER(in_place.get(), buffer.data(), &in_place_length,
                                                  buffer.data(), static_cast<int32_t>(n)),
                          0u);
                ASSERT_EQ(in_place_length, apart_length);
                EXPECT_EQ(to_hex(buffer.data(), static_cast<size_t>(in_place_length)),
                          to_hex(out.data(), static_cast<size_t>(apart_length)));
                at += n;
            }
            uint8_t last_apart[16], last_in_place[16];
            int32_t apart_length = -1, in_place_length = -1;
            EXPECT_EQ(ZLC_Final_BLOCK_CIPHER(apart.get(), last_apart, &apart_length),
                      ZLC_Final_BLOCK_CIPHER(in_place.get(), last_in_place, &in_place_length));
            ASSERT_EQ(in_place_length, apart_length);
            EXPECT_EQ(to_hex(last_in_place, static_cast<size_t>(in_place_length)),
                      to_hex(last_apart, static_cast<size_t>(apart_length)));
        }
    }
}

TEST_F(EngineEdgeCases, UpdateAndFinalRefuseBadArgumentsAndUnusableUnits) {
    auto unit = new_block_unit();
    uint8_t in[32] = {}, out[64];
    int32_t n = 0;
    // Fresh: no routine bound.
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &n, in, 16), 0x0502002Bu);
    EXPECT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), out, &n), 0x0505002Bu);
    // Every failed Init leaves the unit refused.
    const struct {
        uint32_t id;
        const uint8_t* key;
        const uint8_t* iv;
        uint32_t status;
    } failed_inits[] = {{ZLC_AES_128 + ZLC_MODE_CBC, key16_.data(), nullptr, 0x0501004Au},
                        {0x09000100, key16_.data(), iv_.data(), 0x05010023u},
                        {ZLC_AES_128 + ZLC_MODE_CFB8, key16_.data(), iv_.data(), 0x05010023u},
                        {ZLC_AES_128 + ZLC_MODE_ECB, nullptr, nullptr, 0x05010023u}};
    for (const auto& f : failed_inits) {
        ASSERT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_AES_128 + ZLC_MODE_ECB, key16_.data(),
                                        nullptr, 1),
                  0u);
        EXPECT_EQ(ZLC_Init_BLOCK_CIPHER(unit.get(), f.id, f.key, f.iv, 1), f.status);
        EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &n, in, 16), 0x0502002Bu)
            << std::hex << f.id;
        EXPECT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), out, &n), 0x0505002Bu) << std::hex << f.id;
    }
    ASSERT_EQ(
        ZLC_Init_BLOCK_CIPHER(unit.get(), ZLC_AES_128 + ZLC_MODE_CBC, key16_.data(), iv_.data(), 1),
        0u);
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(nullptr, out, &n, in, 16), 0x0502002Bu);
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &n, in, 0), 0x0502002Bu);
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &n, in, -16), 0x0502002Bu);
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &n, in, 0x7FFFFFFF - 31), 0x0502002Bu);
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &n, nullptr, 16), 0x0502002Bu);
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), nullptr, &n, in, 16), 0x0502002Bu);
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, nullptr, in, 16), 0x0502002Bu);
    EXPECT_EQ(ZLC_Final_BLOCK_CIPHER(nullptr, out, &n), 0x0505002Bu);
    EXPECT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), nullptr, &n), 0x0505002Bu);
    EXPECT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), out, nullptr), 0x0505002Bu);
    // None of that disturbed the message.
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &n, in, 20), 0u);
    EXPECT_EQ(n, 16);
    // A unit whose buffering fields were overwritten is refused rather than run past its buffers.
    unit->pending_count = 40;
    EXPECT_EQ(ZLC_Update_BLOCK_CIPHER(unit.get(), out, &n, in, 16), 0x0502002Bu);
    EXPECT_EQ(ZLC_Final_BLOCK_CIPHER(unit.get(), out, &n), 0x0505002Bu);
}

}  // namespace
