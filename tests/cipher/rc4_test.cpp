// RC4: RFC 6229's keystreams, streaming in pieces, the unit's life cycle and argument checks, and
// OpenSSL on random keys.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "tests/support/hex.h"
#include "tests/support/openssl_cipher.h"
#include "tests/support/vector_file.h"
#include "zlc.h"

namespace {

using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::to_hex;

constexpr uint32_t kInvalid = 0x1600002B;

struct UnitDeleter {
    void operator()(RC4_UNIT* u) const { ZLC_Free_RC4_Unit(u); }
};
using UnitPtr = std::unique_ptr<RC4_UNIT, UnitDeleter>;

UnitPtr keyed_unit(const Bytes& key) {
    UnitPtr unit(ZLC_New_RC4_Unit());
    EXPECT_NE(unit, nullptr);
    EXPECT_EQ(ZLC_Init_RC4(unit.get(), key.data(), static_cast<int32_t>(key.size())), 0u);
    return unit;
}

Bytes rc4(const Bytes& key, const Bytes& in) {
    auto unit = keyed_unit(key);
    Bytes out(in.size());
    EXPECT_EQ(ZLC_Do_RC4(unit.get(), in.data(), static_cast<uint32_t>(in.size()), out.data()), 0u);
    return out;
}

TEST(Rc4, Rfc6229Keystreams) {
    const auto records = zlc::test::read_vector_file("rc4/rfc6229.txt");
    ASSERT_FALSE(records.empty());
    std::map<std::string, Bytes> keystreams;  // one 4112-byte keystream per key
    for (const auto& r : records) {
        SCOPED_TRACE("line " + std::to_string(r.line));
        auto [it, fresh] = keystreams.try_emplace(r.at("KEY"));
        if (fresh) it->second = rc4(from_hex(r.at("KEY")), Bytes(4112, 0));
        const std::size_t offset = std::stoul(r.at("OFFSET"));
        ASSERT_LE(offset + 16, it->second.size());
        EXPECT_EQ(to_hex(it->second.data() + offset, 16), r.at("KEYSTREAM"));
    }
}

TEST(Rc4, PiecesOfAnySizeContinueOneKeystream) {
    const Bytes key = zlc::test::random_bytes(16, 1), msg = zlc::test::random_bytes(1000, 2);
    const Bytes whole = rc4(key, msg);
    std::mt19937 rng(6229);
    for (int trial = 0; trial < 20; ++trial) {
        auto unit = keyed_unit(key);
        Bytes out(msg.size());
        for (std::size_t at = 0; at < msg.size();) {
            const std::size_t n = std::min<std::size_t>(msg.size() - at, 1 + rng() % 40);
            ASSERT_EQ(ZLC_Do_RC4(unit.get(), msg.data() + at, static_cast<uint32_t>(n), out.data() + at), 0u);
            at += n;
        }
        EXPECT_EQ(to_hex(out), to_hex(whole));
    }
    // In place, and a second unit under the same key restores the message.
    Bytes data = msg;
    auto a = keyed_unit(key), b = keyed_unit(key);
    ASSERT_EQ(ZLC_Do_RC4(a.get(), data.data(), static_cast<uint32_t>(data.size()), data.data()), 0u);
    EXPECT_EQ(to_hex(data), to_hex(whole));
    ASSERT_EQ(ZLC_Do_RC4(b.get(), data.data(), static_cast<uint32_t>(data.size()), data.data()), 0u);
    EXPECT_EQ(to_hex(data), to_hex(msg));
}

TEST(Rc4, ArgumentChecksChangeNothing) {
    const Bytes key = zlc::test::random_bytes(5, 3);
    uint8_t in[8] = {1, 2, 3, 4, 5, 6, 7, 8}, out[8] = {};
    auto unit = keyed_unit(key);
    RC4_UNIT before;
    std::memcpy(&before, unit.get(), sizeof(before));

    EXPECT_EQ(ZLC_Init_RC4(nullptr, key.data(), 5), kInvalid);
    EXPECT_EQ(ZLC_Init_RC4(unit.get(), nullptr, 5), kInvalid);
    EXPECT_EQ(ZLC_Init_RC4(unit.get(), key.data(), 0), kInvalid);
    EXPECT_EQ(ZLC_Init_RC4(unit.get(), key.data(), -1), kInvalid);
    EXPECT_EQ(ZLC_Do_RC4(nullptr, in, 8, out), kInvalid);
    EXPECT_EQ(ZLC_Do_RC4(unit.get(), nullptr, 8, out), kInvalid);
    EXPECT_EQ(ZLC_Do_RC4(unit.get(), in, 8, nullptr), kInvalid);
    EXPECT_EQ(ZLC_Do_RC4(unit.get(), in, 0, out), kInvalid);
    EXPECT_EQ(std::memcmp(&before, unit.get(), sizeof(before)), 0);
    ZLC_Clean_RC4_Unit(nullptr);
    ZLC_Free_RC4_Unit(nullptr);
}

// A unit that holds no key refuses to run instead of passing its input through unchanged.
TEST(Rc4, UnkeyedOrCleanedUnitIsRefused) {
    static_assert(sizeof(RC4_UNIT) == 1032);
    UnitPtr fresh(ZLC_New_RC4_Unit());
    ASSERT_NE(fresh, nullptr);
    const RC4_UNIT zero{};
    EXPECT_EQ(std::memcmp(fresh.get(), &zero, sizeof(zero)), 0);
    uint8_t in[4] = {1, 2, 3, 4}, out[4] = {};
    EXPECT_EQ(ZLC_Do_RC4(fresh.get(), in, 4, out), kInvalid);

    auto keyed = keyed_unit(zlc::test::random_bytes(16, 4));
    ZLC_Clean_RC4_Unit(keyed.get());
    EXPECT_EQ(std::memcmp(keyed.get(), &zero, sizeof(zero)), 0);
    EXPECT_EQ(ZLC_Do_RC4(keyed.get(), in, 4, out), kInvalid);
    const Bytes key = zlc::test::random_bytes(16, 5);
    ASSERT_EQ(ZLC_Init_RC4(keyed.get(), key.data(), 16), 0u);
    EXPECT_EQ(ZLC_Do_RC4(keyed.get(), in, 4, out), 0u);
}

// The unit is caller memory: whatever it holds, the generator stays inside it.
TEST(Rc4, ScribbledUnitStaysInBounds) {
    auto unit = keyed_unit(zlc::test::random_bytes(16, 6));
    unit->x = 0xFFFFFFFF;
    unit->y = 0x12345678;
    for (uint32_t i = 0; i < 256; ++i) unit->state[i] = 0xABCDEF00u + i * 0x01010101u;
    Bytes data(300, 0);
    EXPECT_EQ(ZLC_Do_RC4(unit.get(), data.data(), 300, data.data()), 0u);
}

TEST(Rc4, MatchesOpenSslOnRandomKeys) {
    if (!zlc::test::openssl_legacy_available()) GTEST_SKIP() << "OpenSSL legacy provider not installed";
    std::mt19937 rng(4);
    for (int n = 0; n < 50; ++n) {
        const Bytes key = zlc::test::random_bytes(1 + rng() % 256, rng());
        const Bytes msg = zlc::test::random_bytes(1 + rng() % 2000, rng());
        EXPECT_EQ(to_hex(rc4(key, msg)), to_hex(zlc::test::openssl_crypt("RC4", key, {}, msg, true)))
            << "key length " << key.size();
    }
}

}  // namespace
