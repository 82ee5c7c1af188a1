// HMAC: RFC 2202 / RFC 4231 and NIST CAVP vectors, the phase rules of the unit, every status of
// its failure table, and a differential check against OpenSSL for each digest both libraries have.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstring>
#include <map>
#include <random>
#include <string>

#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "tests/support/vector_file.h"
#include "zlc.h"

namespace {

using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::random_bytes;
using zlc::test::to_hex;

// The digests checked against published vectors and against OpenSSL: one row per digest.
struct Hash {
    const char* vector_name;  // HASH field of the RFC vector files
    int nist_length;          // [L=..] section of HMAC.rsp; 0 when the file has none
    uint32_t id;
    const EVP_MD* (*openssl)();
};
const Hash kHashes[] = {
    {"SHA-1", 20, ZLC_SHA1, EVP_sha1},
    {"SHA-224", 28, ZLC_SHA224, EVP_sha224},
    {"SHA-256", 32, ZLC_SHA256, EVP_sha256},
    {"SHA-384", 48, ZLC_SHA384, EVP_sha384},
    {"SHA-512", 64, ZLC_SHA512, EVP_sha512},
    {"MD5", 0, ZLC_MD5, EVP_md5},  // not in the CAVP file
};

const Hash* hash_named(const std::string& name) {
    for (const auto& h : kHashes) {
        if (name == h.vector_name) return &h;
    }
    return nullptr;
}

struct UnitDeleter {
    void operator()(HMAC_UNIT* u) const { ZLC_Free_HMAC_Unit(u); }
};
using UnitPtr = std::unique_ptr<HMAC_UNIT, UnitDeleter>;
UnitPtr new_unit() { return UnitPtr(ZLC_New_HMAC_Unit()); }

int32_t len(const Bytes& b) { return static_cast<int32_t>(b.size()); }
// A valid pointer even for an empty key or message (a null key is refused, an empty one is not).
const uint8_t* nonnull(const Bytes& key) {
    static const uint8_t empty = 0;
    return key.empty() ? &empty : key.data();
}

Bytes one_shot(uint32_t id, const Bytes& key, const Bytes& msg) {
    Bytes out(ZLC_DIGEST_MAX_LENGTH);
    int32_t out_len = 0;
    EXPECT_EQ(ZLC_HMAC(id, nonnull(key), len(key), msg.data(), len(msg), out.data(), &out_len), 0u);
    out.resize(static_cast<size_t>(out_len));
    return out;
}

Bytes finish(HMAC_UNIT* unit) {
    Bytes out(ZLC_DIGEST_MAX_LENGTH);
    int32_t out_len = 0;
    EXPECT_EQ(ZLC_Final_HMAC(unit, out.data(), &out_len), 0u);
    out.resize(static_cast<size_t>(out_len));
    return out;
}

// Feeds msg in pieces of random sizes (an empty message is not fed at all).
void feed(HMAC_UNIT* unit, const Bytes& msg, std::mt19937& rng) {
    size_t pos = 0;
    while (pos < msg.size()) {
        const size_t n = std::min<size_t>(msg.size() - pos, 1 + rng() % 150);
        ASSERT_EQ(ZLC_Update_HMAC(unit, msg.data() + pos, static_cast<int32_t>(n)), 0u);
        pos += n;
    }
}

Bytes openssl_hmac(const Hash& h, const Bytes& key, const Bytes& msg) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int out_len = 0;
    HMAC(h.openssl(), nonnull(key), len(key), nonnull(msg), msg.size(), out, &out_len);
    return Bytes(out, out + out_len);
}

// A published MAC, possibly truncated, through the one-shot call and through a reused unit.
void check_vector(uint32_t id, const Bytes& key, const Bytes& msg, const std::string& mac, int line) {
    Bytes full = one_shot(id, key, msg);
    EXPECT_EQ(to_hex(full).substr(0, mac.size()), mac) << "line " << line;
    auto unit = new_unit();
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), id, nonnull(key), len(key)), 0u);
    std::mt19937 rng(static_cast<unsigned>(line));
    for (int message = 0; message < 2; ++message) {
        feed(unit.get(), msg, rng);
        EXPECT_EQ(finish(unit.get()), full) << "line " << line << " message " << message;
    }
}

TEST(HmacVectors, Rfc2202AndRfc4231) {
    std::map<uint32_t, int> checked;
    for (const char* file : {"hmac/rfc2202_hmac_md5.txt", "hmac/rfc2202_hmac_sha1.txt", "hmac/rfc4231_hmac_sha2.txt"}) {
        for (const auto& r : zlc::test::read_vector_file(file)) {
            const Hash* h = hash_named(r.at("HASH"));
            if (h == nullptr) continue;
            check_vector(h->id, from_hex(r.at("KEY")), from_hex(r.at("MSG")), r.at("MAC"), r.line);
            ++checked[h->id];
        }
    }
    for (const auto& h : kHashes) EXPECT_GE(checked[h.id], 7) << h.vector_name;
}

TEST(HmacVectors, NistCavp) {
    std::map<uint32_t, int> checked;
    for (const auto& r : zlc::test::read_vector_file("hmac/HMAC.rsp")) {
        const Hash* h = nullptr;
        for (const auto& row : kHashes) {
            if (r.section == "L=" + std::to_string(row.nist_length)) h = &row;
        }
        if (h == nullptr) continue;
        const Bytes key = from_hex(r.at("Key"));
        ASSERT_EQ(key.size(), std::stoul(r.at("Klen")));
        const Bytes mac = one_shot(h->id, key, from_hex(r.at("Msg")));
        EXPECT_EQ(to_hex(mac).substr(0, 2 * std::stoul(r.at("Tlen"))), r.at("Mac")) << "line " << r.line;
        ++checked[h->id];
    }
    for (const auto& h : kHashes) {
        if (h.nist_length != 0) {
            EXPECT_GT(checked[h.id], 30) << h.vector_name;
        }
    }
}

// Keys around the block size (hashed above it), messages of random sizes in random pieces, several
// messages per unit: all equal OpenSSL.
TEST(HmacDifferential, MatchesOpenSsl) {
    std::mt19937 rng(4231);
    for (const auto& h : kHashes) {
        const int block = EVP_MD_get_block_size(h.openssl());
        for (int key_length : {0, 1, 20, block - 1, block, block + 1, 200}) {
            const Bytes key = random_bytes(static_cast<size_t>(key_length), rng());
            auto unit = new_unit();
            ASSERT_EQ(ZLC_Init_HMAC(unit.get(), h.id, nonnull(key), key_length), 0u);
            for (int message = 0; message < 4; ++message) {
                const Bytes msg = random_bytes(rng() % 400, rng());
                feed(unit.get(), msg, rng);
                EXPECT_EQ(finish(unit.get()), openssl_hmac(h, key, msg))
                    << h.vector_name << " key " << key_length << " message " << msg.size();
            }
        }
    }
}

// RFC 2104 built from the library's own one-shot digest: H((K ^ opad) || H((K ^ ipad) || m)), with K
// the key (or its digest when longer than the block) zero-padded, or cut, to the block.
Bytes construction(uint32_t id, size_t block, const Bytes& key, const Bytes& msg) {
    auto digest = [id](const Bytes& m) {
        Bytes out(ZLC_DIGEST_MAX_LENGTH);
        int32_t out_len = 0;
        EXPECT_EQ(ZLC_DIGEST(id, m.data(), len(m), out.data(), &out_len), 0u);
        out.resize(static_cast<size_t>(out_len));
        return out;
    };
    Bytes k = key.size() > block ? digest(key) : key;
    k.resize(block);
    Bytes inner(k), outer(k);
    for (size_t i = 0; i < block; ++i) {
        inner[i] ^= 0x36;
        outer[i] ^= 0x5C;
    }
    inner.insert(inner.end(), msg.begin(), msg.end());
    const Bytes inner_digest = digest(inner);
    outer.insert(outer.end(), inner_digest.begin(), inner_digest.end());
    return digest(outer);
}

// Digests no peer library offers: the unit against the construction, keys around the block size.
TEST(HmacConstruction, DigestsWithoutAPeer) {
    const struct {
        uint32_t id;
        size_t block;
    } rows[] = {{ZLC_SHA256, 64},  // anchors the construction to a digest checked against OpenSSL above
                {ZLC_HAS160, 64},
                {ZLC_MDC2, 8}};
    std::mt19937 rng(2104);
    for (const auto& row : rows) {
        for (size_t key_length : {size_t{0}, size_t{3}, row.block - 1, row.block, row.block + 1, size_t{200}}) {
            const Bytes key = random_bytes(key_length, rng());
            auto unit = new_unit();
            ASSERT_EQ(ZLC_Init_HMAC(unit.get(), row.id, nonnull(key), len(key)), 0u);
            for (size_t msg_length : {size_t{1}, size_t{55}, size_t{64}, size_t{300}}) {
                const Bytes msg = random_bytes(msg_length, rng());
                feed(unit.get(), msg, rng);
                EXPECT_EQ(finish(unit.get()), construction(row.id, row.block, key, msg))
                    << std::hex << row.id << std::dec << " key " << key_length << " message " << msg_length;
            }
        }
    }
}

TEST(HmacUnit, InitRecordsTheKeyAndTheHmacIdentifier) {
    auto unit = new_unit();
    const Bytes key = random_bytes(20, 1);
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key.data(), len(key)), 0u);
    EXPECT_EQ(unit->hmac_id, 0x15000300u);
    EXPECT_EQ(unit->phase, 1);
    EXPECT_EQ(unit->key_length, 20);
    EXPECT_EQ(unit->state_size, unit->digest->state_size);
    EXPECT_EQ(unit->initialised, 0xFFFFFFFFu);
    EXPECT_EQ(Bytes(unit->key_block, unit->key_block + 20), key);
    EXPECT_EQ(Bytes(unit->key_block + 20, unit->key_block + 64), Bytes(44, 0));

    // A key longer than the block is replaced by its digest.
    const Bytes long_key = random_bytes(200, 2);
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, long_key.data(), len(long_key)), 0u);
    EXPECT_EQ(unit->key_length, 32);
    uint8_t digest[32];
    ASSERT_EQ(ZLC_DIGEST(ZLC_SHA256, long_key.data(), len(long_key), digest, nullptr), 0u);
    EXPECT_EQ(Bytes(unit->key_block, unit->key_block + 32), Bytes(digest, digest + 32));
    EXPECT_EQ(Bytes(unit->key_block + 32, unit->key_block + 64), Bytes(32, 0));

    // MDC-2's digest (16 bytes) is longer than its block (8): the hashed key keeps its length,
    // and only its first 8 bytes enter the padded blocks (the construction check covers that).
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_MDC2, key.data(), len(key)), 0u);
    EXPECT_EQ(unit->key_length, 16);
    EXPECT_EQ(unit->hmac_id, 0x18000100u);
}

TEST(HmacUnit, PhaseRules) {
    const Hash& h = *hash_named("SHA-256");
    const Bytes key = random_bytes(16, 3), first = random_bytes(70, 4), second = random_bytes(9, 5);
    auto unit = new_unit();
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), h.id, key.data(), len(key)), 0u);
    // Final straight after Init is the MAC of the empty message.
    EXPECT_EQ(finish(unit.get()), openssl_hmac(h, key, {}));
    EXPECT_EQ(unit->phase, 3);

    ASSERT_EQ(ZLC_Update_HMAC(unit.get(), first.data(), len(first)), 0u);
    EXPECT_EQ(unit->phase, 2);
    EXPECT_EQ(finish(unit.get()), openssl_hmac(h, key, first));
    // A refused Update in phase 3 leaves the finished state as it was: the length is checked first.
    EXPECT_EQ(ZLC_Update_HMAC(unit.get(), second.data(), 0), 0x0F02002Bu);
    EXPECT_EQ(unit->phase, 3);
    // The next Update starts a new message from the saved inner state.
    ASSERT_EQ(ZLC_Update_HMAC(unit.get(), second.data(), len(second)), 0u);
    EXPECT_EQ(finish(unit.get()), one_shot(h.id, key, second));
    // Final again with no message in between is the MAC of the empty message, every time.
    EXPECT_EQ(finish(unit.get()), openssl_hmac(h, key, {}));
    EXPECT_EQ(finish(unit.get()), openssl_hmac(h, key, {}));

    // Init on a keyed unit switches key (and digest) at any time, even mid-message.
    const Hash& other = *hash_named("SHA-224");
    ASSERT_EQ(ZLC_Update_HMAC(unit.get(), first.data(), len(first)), 0u);
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), other.id, second.data(), len(second)), 0u);
    ASSERT_EQ(ZLC_Update_HMAC(unit.get(), first.data(), len(first)), 0u);
    EXPECT_EQ(finish(unit.get()), openssl_hmac(other, second, first));
}

TEST(HmacUnit, FinalWithNullOutputLeavesTheMessageInPlace) {
    const Hash& h = *hash_named("SHA-256");
    const Bytes key = random_bytes(32, 6), msg = random_bytes(100, 7);
    auto unit = new_unit();
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), h.id, key.data(), len(key)), 0u);
    ASSERT_EQ(ZLC_Update_HMAC(unit.get(), msg.data(), len(msg)), 0u);
    const Bytes state_before(static_cast<uint8_t*>(unit->digest->state),
                             static_cast<uint8_t*>(unit->digest->state) + unit->state_size);
    EXPECT_EQ(ZLC_Final_HMAC(unit.get(), nullptr, nullptr), 0x0F030018u);
    EXPECT_EQ(unit->phase, 2);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(unit->digest->state),
                    static_cast<uint8_t*>(unit->digest->state) + unit->state_size),
              state_before);
    EXPECT_EQ(finish(unit.get()), openssl_hmac(h, key, msg));
}

uint32_t failing_self_test() { return 0x1A010019; }

TEST(HmacStatuses, Init) {
    auto unit = new_unit();
    const uint8_t key[4] = {1, 2, 3, 4};
    EXPECT_EQ(ZLC_Init_HMAC(nullptr, ZLC_SHA256, key, 4), 0x0F010049u);
    EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, nullptr, 0), 0x0F010049u);
    EXPECT_EQ(ZLC_Init_HMAC(unit.get(), 0x05000600, key, 4), 0x0F010022u);
    EXPECT_EQ(ZLC_Init_HMAC(unit.get(), 0x15000300, key, 4), 0x0F010022u);  // takes the plain identifier
    EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, -1), 0x0F010059u);
    EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, INT32_MIN), 0x0F010059u);
    EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, 0), 0u);
    {
        // A digest refused in proven mode is refused by HMAC as well.
        zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
        EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA1, key, 4), 0x0F010022u);
        EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_MDC2, key, 4), 0x0F010022u);
        EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, 4), 0u);
    }
    {
        // The gate runs before the argument checks, and its status is passed on unchanged.
        zlc::test::ModuleFlagsScope gate({false, true, true}, failing_self_test);
        EXPECT_EQ(ZLC_Init_HMAC(nullptr, ZLC_SHA256, key, 4), 0x1A010019u);
    }
}

TEST(HmacStatuses, UnitThatNeverCompletedInitRefusesUpdateAndFinal) {
    const uint8_t key[4] = {1, 2, 3, 4}, byte = 0;
    uint8_t out[ZLC_DIGEST_MAX_LENGTH];
    auto check_refused = [&](HMAC_UNIT* unit) {
        EXPECT_EQ(unit->phase, 0);
        EXPECT_EQ(ZLC_Update_HMAC(unit, &byte, 1), 0x0F02005Bu);
        EXPECT_EQ(ZLC_Final_HMAC(unit, out, nullptr), 0x0F030018u);
    };
    auto fresh = new_unit();
    check_refused(fresh.get());

    // Allocations in Init: digest unit, digest state, inner state, outer state.
    const uint32_t expected[] = {0x0F010022u, 0x0F010022u, 0x0F01003Bu, 0x0F01003Bu};
    for (long succeed = 0; succeed < 4; ++succeed) {
        auto unit = new_unit();
        {
            zlc::test::FailAllocationsScope fail(succeed);
            EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, 4), expected[succeed]) << succeed;
        }
        EXPECT_EQ(unit->initialised, 0xFFFFFFFFu);
        check_refused(unit.get());
        if (succeed == 3) {
            // The unit is released without leaks (the sanitizer build checks) and can be keyed again.
            ZLC_Clean_HMAC_Unit(unit.get());
            EXPECT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, 4), 0u);
        }
    }

    auto unknown = new_unit();
    EXPECT_EQ(ZLC_Init_HMAC(unknown.get(), 0x05000600, key, 4), 0x0F010022u);
    check_refused(unknown.get());
}

// Digest failures inside Update and Final, provoked by corrupting the SHA-256 state's final_fill
// (the third word), which its update refuses above 64 and its final at 64 or above.
void corrupt(void* sha256_state) { static_cast<uint32_t*>(sha256_state)[2] = 65; }

TEST(HmacStatuses, UpdateAndFinal) {
    const uint8_t key[4] = {1, 2, 3, 4}, byte = 0;
    uint8_t out[ZLC_DIGEST_MAX_LENGTH];
    auto unit = new_unit();
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, 4), 0u);
    EXPECT_EQ(ZLC_Update_HMAC(nullptr, &byte, 1), 0x0F020049u);
    EXPECT_EQ(ZLC_Update_HMAC(nullptr, &byte, 0), 0x0F020049u);
    EXPECT_EQ(ZLC_Update_HMAC(unit.get(), &byte, 0), 0x0F02002Bu);
    EXPECT_EQ(ZLC_Update_HMAC(unit.get(), &byte, -5), 0x0F02002Bu);
    EXPECT_EQ(ZLC_Update_HMAC(unit.get(), nullptr, 1), 0x0F02005Bu);
    EXPECT_EQ(ZLC_Final_HMAC(nullptr, out, nullptr), 0x0F030049u);
    EXPECT_EQ(ZLC_Final_HMAC(unit.get(), nullptr, nullptr), 0x0F030018u);

    corrupt(unit->digest->state);
    EXPECT_EQ(ZLC_Update_HMAC(unit.get(), &byte, 1), 0x0F02005Bu);
    EXPECT_EQ(ZLC_Final_HMAC(unit.get(), out, nullptr), 0x0F030018u);
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, 4), 0u);
    corrupt(unit->outer_state);
    EXPECT_EQ(ZLC_Final_HMAC(unit.get(), out, nullptr), 0x0F03005Bu);
}

TEST(HmacStatuses, OneShot) {
    const uint8_t key[4] = {1, 2, 3, 4}, data[3] = {5, 6, 7};
    uint8_t out[ZLC_DIGEST_MAX_LENGTH];
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_HMAC(ZLC_SHA256, key, 4, data, 3, out, nullptr), 0x0F04003Bu);
    }
    EXPECT_EQ(ZLC_HMAC(0x05000600, key, 4, data, 3, out, nullptr), 0x0F040023u);
    EXPECT_EQ(ZLC_HMAC(ZLC_SHA256, nullptr, 4, data, 3, out, nullptr), 0x0F040023u);
    EXPECT_EQ(ZLC_HMAC(ZLC_SHA256, key, 4, data, 0, out, nullptr), 0x0F04005Cu);
    EXPECT_EQ(ZLC_HMAC(ZLC_SHA256, key, 4, nullptr, 3, out, nullptr), 0x0F04005Cu);
    EXPECT_EQ(ZLC_HMAC(ZLC_SHA256, key, 4, data, 3, nullptr, nullptr), 0x0F040019u);
    int32_t out_len = 0;
    EXPECT_EQ(ZLC_HMAC(ZLC_SHA256, key, 4, data, 3, out, &out_len), 0u);
    EXPECT_EQ(out_len, 32);
}

TEST(HmacUnit, CleanAndFree) {
    ZLC_Clean_HMAC_Unit(nullptr);
    ZLC_Free_HMAC_Unit(nullptr);
    auto unit = new_unit();
    const HMAC_UNIT zero{};
    ZLC_Clean_HMAC_Unit(unit.get());
    EXPECT_EQ(0, std::memcmp(unit.get(), &zero, sizeof(zero)));
    const uint8_t key[4] = {1, 2, 3, 4};
    ASSERT_EQ(ZLC_Init_HMAC(unit.get(), ZLC_SHA256, key, 4), 0u);
    ZLC_Clean_HMAC_Unit(unit.get());
    EXPECT_EQ(0, std::memcmp(unit.get(), &zero, sizeof(zero)));
}

TEST(HmacNames, NamesOfHmacIdentifiers) {
    const struct {
        uint32_t id;
        const char* name;
    } rows[] = {{0x15000300, "HMAC_SHA256"}, {0x15000100, "HMAC_SHA1"}, {0x15000500, "HMAC_SHA512"},
                {0x16000100, "HMAC_MD5"},    {0x17000100, "HMAC_HAS160"}, {0x18000100, "HMAC_MDC2"},
                {0x05000300, nullptr},       {0x15000600, nullptr},      {0x10000000, nullptr},
                {0x95000300, nullptr}};
    for (const auto& r : rows) {
        char* name = ZLC_Get_HMAC_Name(r.id);
        if (r.name == nullptr) {
            EXPECT_EQ(name, nullptr) << std::hex << r.id;
        } else {
            EXPECT_STREQ(name, r.name);
        }
        ZLC_Free(name, __FILE__, __LINE__);
    }
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Get_HMAC_Name(0x15000300), nullptr);
    }
    {
        zlc::test::ModuleFlagsScope gate({false, true, true}, failing_self_test);
        EXPECT_EQ(ZLC_Get_HMAC_Name(0x15000300), nullptr);
    }
}

}  // namespace
