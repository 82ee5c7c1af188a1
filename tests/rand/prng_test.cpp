// The FIPS 186-2 style generator: NIST CAVP RNG vectors where the construction coincides (a fresh
// SHA-1 unit, caller XKEY and XSEED, first output), the step pattern of the byte draws, every G,
// the continuous test, and the statuses.
#include "crypto/rand/prng.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/bigint/bigint_support.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "tests/support/vector_file.h"

namespace {

using zlc::test::Big;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::new_big;

struct UnitFree {
    void operator()(PRNG_UNIT* u) const { ZLC_Free_PRNG_Unit(u); }
};
using Unit = std::unique_ptr<PRNG_UNIT, UnitFree>;

Unit seeded_unit(uint32_t g, const Bytes& xkey, const Bytes& xseed) {
    Unit unit(ZLC_New_PRNG_Unit());
    EXPECT_EQ(ZLC_Init_PRNG(unit.get(), g, xkey.data(), static_cast<int32_t>(xkey.size()),
                            xseed.data(), static_cast<int32_t>(xseed.size()), nullptr),
              0u);
    return unit;
}

Bytes bytes_of(const BIGINT* n, size_t width) {
    Bytes out(width);
    const int32_t len = (ZLC_Get_BIGINT_Bits_Length(n) + 7) / 8;
    ZLC_BIGINT_To_Binary_Unsigned(n, out.data() + (width - static_cast<size_t>(len)));
    return out;
}

// The G values of `count` consecutive steps, each advancing XKEY by the whole value.
std::vector<Bytes> step_values(uint32_t g, const Bytes& xkey, const Bytes& xseed, int count,
                               size_t width) {
    Unit unit = seeded_unit(g, xkey, xseed);
    std::vector<Bytes> values;
    Big k = new_big();
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(ZLC_Get_Rand_DSA_BIGINT(unit.get(), k.get(), nullptr), 0u);
        values.push_back(bytes_of(k.get(), width));
    }
    return values;
}

Bytes draw(PRNG_UNIT* unit, int32_t length, uint32_t expected_status = 0) {
    Bytes out(static_cast<size_t>(length) + 1);  // never a null buffer, even for 0 bytes
    EXPECT_EQ(ZLC_Get_Rand(unit, out.data(), length), expected_status) << length;
    out.pop_back();
    return out;
}

// FIPS 186-2 Appendix 3.1 for DSA x (x = G(t, XKEY + XSEED) mod q) and Change Notice 1's general
// purpose generator (no reduction): the first value of a fresh unit.
void check_first_values(const std::string& file, bool reduce, int expected_count) {
    int count = 0;
    Big q;
    for (const auto& record : zlc::test::read_vector_file(file)) {
        if (record.section != "Xorg - SHA1") continue;
        if (record.has("Q")) q = zlc::test::hex_big(record.at("Q").c_str());
        if (!record.has("X")) continue;
        SCOPED_TRACE(file + " line " + std::to_string(record.line));
        ASSERT_EQ(record.at("b"), std::to_string(4 * record.at("XKey").size()));
        Unit unit =
            seeded_unit(ZLC_SHA1, from_hex(record.at("XKey")), from_hex(record.at("XSeed")));
        Big x = new_big();
        ASSERT_EQ(ZLC_Get_Rand_DSA_BIGINT(unit.get(), x.get(), reduce ? q.get() : nullptr), 0u);
        EXPECT_EQ(zlc::test::to_hex(bytes_of(x.get(), 20)), record.at("X"));
        ++count;
    }
    EXPECT_EQ(count, expected_count);
}

TEST(PrngVectors, CavpFirstValues) {
    check_first_values("prng/FIPS186_VST.rsp", true, 160);
    check_first_values("prng/FIPS186_VSTGEN.rsp", false, 160);
}

const Bytes kKey = from_hex("8b2f41c9e3d05a7761fe02b4c8d39a1e5f60712c");
const Bytes kSeed = from_hex("1d3e5f708192a3b4c5d6e7f8091a2b3c4d5e6f70");

// A draw's first step is a reference; a request of exactly one step output skips one more step;
// every later step supplies up to one output, the last one only the rest.
TEST(PrngDraws, StepPattern) {
    struct Case {
        uint32_t g;
        size_t step;
        int32_t length;
        std::vector<std::pair<int, size_t>> pieces;  // (step index, bytes taken)
    };
    const Case cases[] = {
        {ZLC_SHA1, 20, 19, {{1, 19}}},
        {ZLC_SHA1, 20, 20, {{2, 20}}},
        {ZLC_SHA1, 20, 41, {{1, 20}, {2, 20}, {3, 1}}},
        {ZLC_SHA1, 20, 0, {}},
        {ZLC_ARIA_128, 16, 16, {{2, 16}}},
        {ZLC_SEED_128, 16, 33, {{1, 16}, {2, 16}, {3, 1}}},
        {ZLC_SHA512, 64, 64, {{2, 64}}},
        {ZLC_SHA384, 48, 100, {{1, 48}, {2, 48}, {3, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.g << std::dec << " length " << c.length);
        const size_t width = c.step == 16 ? 20 : c.step;
        const std::vector<Bytes> values = step_values(c.g, kKey, kSeed, 4, width);
        Bytes expected;
        for (auto [index, take] : c.pieces) {
            expected.insert(expected.end(), values[static_cast<size_t>(index)].begin(),
                            values[static_cast<size_t>(index)].begin() + static_cast<long>(take));
        }
        Unit unit = seeded_unit(c.g, kKey, kSeed);
        EXPECT_EQ(draw(unit.get(), c.length), expected);
    }
}

// Every G over many steps: no two consecutive outputs alike (SHA-384 and SHA-512 compress on
// every step), and XKEY keeps its width b even from a key with leading zero bytes.
TEST(PrngDraws, EveryGKeepsMovingWithFixedWidth) {
    const Bytes small_key = from_hex("0000000000000000000000000000000000000001");
    for (uint32_t g : {ZLC_SHA1, ZLC_SHA224, ZLC_SHA256, ZLC_SHA384, ZLC_SHA512, ZLC_HAS160,
                       ZLC_ARIA_128, ZLC_ARIA_192, ZLC_ARIA_256, ZLC_SEED_128}) {
        SCOPED_TRACE(testing::Message() << std::hex << g);
        Unit unit = seeded_unit(g, small_key, Bytes(20, 0));
        EXPECT_EQ(unit->xkey_bits, 160);
        std::set<std::string> seen;
        int32_t widest = 0;
        for (int i = 0; i < 600; ++i) {
            uint8_t block[zlc::prng::kMaxStepLength];
            int32_t length = 0;
            ASSERT_EQ(zlc::prng::PrngStep(unit.get(), block, &length), 0u);
            seen.insert(zlc::test::to_hex(block, static_cast<size_t>(length)));
            widest = std::max(widest, ZLC_Get_BIGINT_Bits_Length(unit->xkey));
        }
        EXPECT_EQ(seen.size(), 600u);
        EXPECT_EQ(widest, 160);
        draw(unit.get(), 48);
        draw(unit.get(), 64);
    }
}

TEST(PrngDraws, SameInputsSameBytesDifferentSeedsDiffer) {
    Unit a = seeded_unit(ZLC_HAS160, kKey, kSeed);
    Unit b = seeded_unit(ZLC_HAS160, kKey, kSeed);
    EXPECT_EQ(draw(a.get(), 77), draw(b.get(), 77));

    // Generated XKEY and XSEED: every unit its own sequence, and XKEY 20 to 64 bytes.
    std::set<std::string> outputs;
    for (int i = 0; i < 40; ++i) {
        Unit unit(ZLC_New_PRNG_Unit());
        ASSERT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA256, nullptr, 0, nullptr, 0, nullptr), 0u);
        EXPECT_GE(unit->xkey_bits, 160);
        EXPECT_LE(unit->xkey_bits, 512);
        EXPECT_EQ(unit->xkey_bits % 8, 0);
        outputs.insert(zlc::test::to_hex(draw(unit.get(), 32)));
    }
    EXPECT_EQ(outputs.size(), 40u);

    Bytes one(40), two(40);
    ASSERT_EQ(ZLC_Rand_Bytes_PRNG(one.data(), 40), 0u);
    ASSERT_EQ(ZLC_Rand_Bytes_PRNG(two.data(), 40), 0u);
    EXPECT_NE(one, two);
}

TEST(PrngDraws, BoundedIntegers) {
    for (int32_t bits : {0, 1, 7, 12, 160, 161}) {
        SCOPED_TRACE(bits);
        Unit unit = seeded_unit(ZLC_SHA1, kKey, kSeed);
        Unit twin = seeded_unit(ZLC_SHA1, kKey, kSeed);
        Big r = new_big();
        ASSERT_EQ(ZLC_Get_Rand_BIGINT(unit.get(), r.get(), bits), 0u);
        Bytes raw = draw(twin.get(), (bits + 7) / 8);
        if (!raw.empty())
            raw[0] = static_cast<uint8_t>(raw[0] >> (8 * raw.size() - static_cast<size_t>(bits)));
        Big expected(ZLC_Binary_To_BIGINT(raw.data(), static_cast<int32_t>(raw.size()), nullptr));
        EXPECT_EQ(ZLC_Cmp_BIGINT(r.get(), expected.get()), 0);
        EXPECT_LE(ZLC_Get_BIGINT_Bits_Length(r.get()), bits);
    }
}

// Ciphers G on a collapsed XKEY width: a state that stops moving after its first step is caught
// by comparing each block with the one before it.
TEST(PrngContinuousTest, StuckGeneratorIsCaught) {
    Unit all_stuck = seeded_unit(ZLC_ARIA_128, kKey, kSeed);
    all_stuck->xkey_bits = 0;  // XKEY and XVAL held at zero
    draw(all_stuck.get(), 32, 0x14040014u);

    // With b = 8 find a key byte k whose successor f is a fixed point (f != k): outputs G(k), G(f),
    // G(f), ... - the second and third blocks are equal, though both differ from the first.
    for (uint32_t g : {ZLC_ARIA_128, ZLC_ARIA_192, ZLC_ARIA_256, ZLC_SEED_128}) {
        auto successor = [g](int key) {
            Unit unit = seeded_unit(g, Bytes(20, 0), Bytes(1, 1));
            unit->xkey_bits = 8;
            Big k = new_big();
            ZLC_Set_BIGINT_Word(unit->xkey, static_cast<uint32_t>(key));
            EXPECT_EQ(ZLC_Get_Rand_DSA_BIGINT(unit.get(), k.get(), nullptr), 0u);
            return static_cast<int>(ZLC_Get_BIGINT_Word(unit->xkey));
        };
        int next[256];
        for (int key = 0; key < 256; ++key) next[key] = successor(key);
        for (int key = 0; key < 256; ++key) {
            const int f = next[key];
            if (f == key || next[f] != f) continue;
            Unit unit = seeded_unit(g, Bytes(20, 0), Bytes(1, 1));
            unit->xkey_bits = 8;
            ZLC_Set_BIGINT_Word(unit->xkey, static_cast<uint32_t>(key));
            draw(unit.get(), 32, 0x14040014u);
            return;
        }
    }
    FAIL() << "no key with a fixed-point successor";
}

TEST(PrngStatuses, InitialisationAndDraws) {
    Unit unit(ZLC_New_PRNG_Unit());
    struct KeyCase {
        size_t length;
        uint32_t status;
    };
    for (const KeyCase& c :
         {KeyCase{19, 0x14010023u}, KeyCase{65, 0x14010023u}, KeyCase{20, 0}, KeyCase{64, 0}}) {
        const Bytes key(c.length, 0x5A);
        EXPECT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA1, key.data(), static_cast<int32_t>(c.length),
                                nullptr, 0, nullptr),
                  c.status)
            << c.length;
    }
    // A refused XKEY leaves the unit without one.
    const Bytes short_key(19, 1);
    ASSERT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA1, short_key.data(), 19, nullptr, 0, nullptr),
              0x14010023u);
    EXPECT_EQ(unit->xkey, nullptr);
    draw(unit.get(), 8, 0x1404004Eu);
    Big k = new_big();
    EXPECT_EQ(ZLC_Get_Rand_DSA_BIGINT(unit.get(), k.get(), nullptr), 0x1404004Bu);

    EXPECT_EQ(ZLC_Init_PRNG(nullptr, ZLC_SHA1, nullptr, 0, nullptr, 0, nullptr), 0x14010049u);
    EXPECT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_MD5, nullptr, 0, nullptr, 0, nullptr), 0x14010023u);
    EXPECT_EQ(unit->g_algorithm, 0u);
    EXPECT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA1, kKey.data(), 20, kKey.data(), 20, nullptr),
              0x14010023u);
    EXPECT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA1, kKey.data(), 20, kSeed.data(), -1, nullptr),
              0x14010023u);

    // Re-initialisation replaces G, XKEY and XSEED, and moves between own and caller pools.
    zlc::test::Pool pool = zlc::test::new_pool();
    ASSERT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_ARIA_256, kKey.data(), 20, kSeed.data(), 20, nullptr),
              0u);
    ASSERT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA512, kKey.data(), 20, kSeed.data(), 20, pool.get()),
              0u);
    EXPECT_EQ(unit->owns_pool, 0u);
    EXPECT_EQ(draw(unit.get(), 30), draw(seeded_unit(ZLC_SHA512, kKey, kSeed).get(), 30));

    uint8_t byte = 0;
    EXPECT_EQ(ZLC_Get_Rand(nullptr, &byte, 1), 0x14040049u);
    EXPECT_EQ(ZLC_Get_Rand(unit.get(), nullptr, 1), 0x14040049u);
    EXPECT_EQ(ZLC_Get_Rand(unit.get(), &byte, -1), 0x1404002Bu);
    EXPECT_EQ(ZLC_Get_Rand_BIGINT(unit.get(), nullptr, 8), 0x14050049u);
    EXPECT_EQ(ZLC_Get_Rand_BIGINT(unit.get(), k.get(), -8), 0x1405002Bu);
    EXPECT_EQ(ZLC_Get_Rand_DSA_BIGINT(nullptr, k.get(), nullptr), 0x14030049u);
    EXPECT_EQ(ZLC_Get_Rand_DSA_BIGINT(unit.get(), k.get(), zlc::test::hex_big("00").get()),
              0x04100028u);

    // An uninitialised unit has no pool; cleaning it changes nothing.
    Unit blank(ZLC_New_PRNG_Unit());
    EXPECT_EQ(ZLC_Get_Rand_DSA_BIGINT(blank.get(), k.get(), nullptr), 0x14030057u);
    blank->g_algorithm = 7;
    ZLC_Clean_PRNG_Unit(blank.get());
    EXPECT_EQ(blank->g_algorithm, 7u);
    ZLC_Free_PRNG_Unit(nullptr);
}

// Without the operating system's generator no XKEY can be made: the unit is left with nothing to
// draw from, not with its previous XKEY.
TEST(PrngStatuses, NoSystemRandomness) {
    Unit unit = seeded_unit(ZLC_SHA1, kKey, kSeed);
    Big r = new_big();
    {
        zlc::test::SystemRandomFailureScope no_random;
        EXPECT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA1, nullptr, 0, kSeed.data(), 20, nullptr),
                  0x1401001Du);
        draw(unit.get(), 8, 0x1404004Eu);
        uint8_t out[8];
        EXPECT_EQ(ZLC_Rand_Bytes_PRNG(out, 8), 0x14060025u);
        EXPECT_EQ(ZLC_Rand_BIGINT(r.get(), 64, 0, 0, nullptr, 0), 0x04180025u);
        EXPECT_EQ(ZLC_Generate_BIGINT_Prime(r.get(), 64, nullptr, 0), 0x041E004Du);
    }
}

TEST(PrngStatuses, ProvenModeAndGate) {
    Unit unit(ZLC_New_PRNG_Unit());
    uint8_t out[8];
    {
        zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
        EXPECT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA256, kKey.data(), 20, nullptr, 0, nullptr),
                  0x140100F0u);
        EXPECT_EQ(ZLC_Rand_Bytes_PRNG(out, 8), 0x14060025u);
    }
    {
        zlc::test::ModuleFlagsScope failing({false, true, true},
                                            [] { return zlc::Status{0x1A010067}; });
        EXPECT_EQ(ZLC_Init_PRNG(unit.get(), ZLC_SHA256, kKey.data(), 20, nullptr, 0, nullptr),
                  0x1A010067u);
        EXPECT_EQ(ZLC_Rand_Bytes_PRNG(out, 8), 0x14060025u);
    }
}

// Every allocation failing in turn: a status or a full result, nothing leaked.
TEST(PrngStatuses, AllocationFailures) {
    for (long countdown = 0; countdown < 400; ++countdown) {
        uint32_t status;
        Bytes out(50);
        {
            zlc::test::FailAllocationsScope fail(countdown);
            Unit unit(ZLC_New_PRNG_Unit());
            status =
                unit ? ZLC_Init_PRNG(unit.get(), ZLC_SHA384, nullptr, 0, nullptr, 0, nullptr) : 1;
            if (status == 0) status = ZLC_Get_Rand(unit.get(), out.data(), 50);
            if (status == 0) status = ZLC_Rand_Bytes_PRNG(out.data(), 50);
        }
        if (status == 0) return;
    }
    FAIL() << "never succeeded";
}

}  // namespace
