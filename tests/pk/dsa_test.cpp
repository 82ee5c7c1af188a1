// DSA: FIPS 186-2 CAVP PQGGen, SigGen (with K) and SigVer, interoperation with OpenSSL in both
// directions, and the behaviours around k, x, r and s.
#include "crypto/pk/dsa.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/bigint/bigint_support.h"
#include "tests/pk/openssl_dsa_peer.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "tests/support/vector_file.h"

namespace {

using zlc::test::Big;
using zlc::test::Bytes;
using zlc::test::from_hex;
using zlc::test::hex_big;
using zlc::test::hex_of;
using zlc::test::new_big;

struct DsaFree {
    void operator()(ZLC_DSA* d) const { ZLC_Free_DSA(d); }
};
using Dsa = std::unique_ptr<ZLC_DSA, DsaFree>;

void expect_value(const BIGINT* n, const std::string& hex, const char* what) {
    Big expected = hex_big(hex.c_str());
    EXPECT_EQ(hex_of(n), hex_of(expected.get())) << what;
}

Dsa with_key(const std::string& p, const std::string& q, const std::string& g, const BIGINT* x,
             const BIGINT* y) {
    Dsa d(ZLC_New_DSA());
    Big bp = hex_big(p.c_str()), bq = hex_big(q.c_str()), bg = hex_big(g.c_str());
    EXPECT_EQ(ZLC_Set_DSA_Params(d.get(), bp.get(), bq.get(), bg.get(), x, y), 0u);
    return d;
}

struct Signature {
    Bytes r, s;
    uint32_t status;
};

Signature sign(ZLC_DSA* d, const Bytes& m, const BIGINT* k = nullptr, const Bytes& seed = {}) {
    Signature sig{Bytes(64), Bytes(64), 0};
    EXPECT_EQ(ZLC_Init_DSA(d, ZLC_SHA1, 1, seed.empty() ? nullptr : seed.data(),
                           static_cast<int32_t>(seed.size())),
              0u);
    EXPECT_EQ(ZLC_Update_DSA(d, m.data(), static_cast<int32_t>(m.size())), 0u);
    int32_t rl = 0, sl = 0;
    sig.status = k != nullptr ? zlc::dsa::sign_with_k(d, k, sig.r.data(), &rl, sig.s.data(), &sl)
                              : ZLC_Final_DSA(d, sig.r.data(), &rl, sig.s.data(), &sl);
    sig.r.resize(static_cast<size_t>(rl));
    sig.s.resize(static_cast<size_t>(sl));
    return sig;
}

// The inner verification status, so a refusal names its reason.
uint32_t verify(ZLC_DSA* d, const Bytes& m, Bytes r, Bytes s) {
    EXPECT_EQ(ZLC_Init_DSA(d, ZLC_SHA1, 0, nullptr, 0), 0u);
    EXPECT_EQ(ZLC_Update_DSA(d, m.data(), static_cast<int32_t>(m.size())), 0u);
    r.push_back(0);
    s.push_back(0);
    return zlc::dsa::verify_detail(d, r.data(), static_cast<int32_t>(r.size() - 1), s.data(),
                                   static_cast<int32_t>(s.size() - 1));
}

// Records carry P, Q and G in their own record, before the messages that use them.
struct Domain {
    std::string p, q, g;
};

TEST(DsaCavp, PQGGenFromSeed) {
    const auto records = zlc::test::read_vector_file("dsa/PQGGen.rsp");
    int checked = 0;
    for (const auto& v : records) {
        if (!v.has("Seed")) continue;
        SCOPED_TRACE("line " + std::to_string(v.line));
        Dsa d(ZLC_New_DSA());
        const Bytes seed = from_hex(v.at("Seed"));
        Bytes seed_out(20);
        int32_t counter = -1;
        // pbits 1000 rounds up to L = 1024.
        ASSERT_EQ(zlc::dsa::generate_params_detail(d.get(), ZLC_SHA1, checked == 0 ? 1000 : 1024,
                                                   seed.data(), seed_out.data(), &counter),
                  0u);
        expect_value(d->p, v.at("P"), "P");
        expect_value(d->q, v.at("Q"), "Q");
        expect_value(d->g, v.at("G"), "G");
        EXPECT_EQ(counter, std::stoi(v.at("c")));
        EXPECT_EQ(seed_out, seed);
        if (++checked == 2) break;  // each further set costs seconds under the sanitizers
    }
    EXPECT_EQ(checked, 2);
}

TEST(DsaCavp, SigGenWithThePublishedK) {
    const auto records = zlc::test::read_vector_file("dsa/SigGen.txt");
    Domain domain;
    int checked = 0;
    for (const auto& v : records) {
        if (v.has("P")) {
            domain = {v.at("P"), v.at("Q"), v.at("G")};
            continue;
        }
        SCOPED_TRACE("line " + std::to_string(v.line));
        Big x = hex_big(v.at("X").c_str()), y = hex_big(v.at("Y").c_str());
        Dsa d = with_key(domain.p, domain.q, domain.g, x.get(), y.get());
        Big k = hex_big(v.at("K").c_str());
        const Bytes m = from_hex(v.at("Msg"));
        const Signature sig = sign(d.get(), m, k.get());
        ASSERT_EQ(sig.status, 0u);
        Big r = new_big(), s = new_big();
        ZLC_Binary_To_BIGINT(sig.r.data(), static_cast<int32_t>(sig.r.size()), r.get());
        ZLC_Binary_To_BIGINT(sig.s.data(), static_cast<int32_t>(sig.s.size()), s.get());
        expect_value(r.get(), v.at("R"), "R");
        expect_value(s.get(), v.at("S"), "S");
        EXPECT_EQ(verify(d.get(), m, sig.r, sig.s), 0u);
        ++checked;
    }
    EXPECT_EQ(checked, 15);
}

TEST(DsaCavp, SigVer) {
    const auto records = zlc::test::read_vector_file("dsa/SigVer.rsp");
    Domain domain;
    int checked = 0;
    for (const auto& v : records) {
        if (v.has("P")) {
            domain = {v.at("P"), v.at("Q"), v.at("G")};
            continue;
        }
        SCOPED_TRACE("line " + std::to_string(v.line));
        Big y = hex_big(v.at("Y").c_str());
        Dsa d = with_key(domain.p, domain.q, domain.g, nullptr, y.get());
        const uint32_t status =
            verify(d.get(), from_hex(v.at("Msg")), from_hex(v.at("R")), from_hex(v.at("S")));
        if (v.at("Result")[0] == 'P') {
            EXPECT_EQ(status, 0u);
        } else {
            EXPECT_EQ(status, 0x0C06005Du);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 15);
}

Bytes bytes_of(const BIGINT* n) {
    Bytes b(static_cast<size_t>((ZLC_Get_BIGINT_Bits_Length(n) + 7) / 8) + 1);
    b.resize(static_cast<size_t>(ZLC_BIGINT_To_Binary_Unsigned(n, b.data())));
    return b;
}

Bytes sha1(const Bytes& m) {
    Bytes h(20);
    int32_t n = 0;
    EXPECT_EQ(ZLC_DIGEST(ZLC_SHA1, m.data(), static_cast<int32_t>(m.size()), h.data(), &n), 0u);
    return h;
}

class DsaKey : public ::testing::Test {
  protected:
    // The domain of the CAVP SigGen file with a key pair of our own.
    void SetUp() override {
        const auto records = zlc::test::read_vector_file("dsa/SigGen.txt");
        const auto& v = records.front();
        Big p = hex_big(v.at("P").c_str()), q = hex_big(v.at("Q").c_str()),
            g = hex_big(v.at("G").c_str());
        d_.reset(ZLC_New_DSA());
        ASSERT_EQ(ZLC_Set_DSA_Params(d_.get(), p.get(), q.get(), g.get(), nullptr, g.get()), 0u);
        ASSERT_EQ(ZLC_Generate_DSA_Key_Pair(d_.get()), 0u);
        peer_ = {bytes_of(d_->p), bytes_of(d_->q), bytes_of(d_->g), bytes_of(d_->y),
                 bytes_of(d_->x)};
    }
    Dsa d_;
    zlc::test::DsaPeerKey peer_;
    const Bytes m_ = from_hex("616263");
};

TEST_F(DsaKey, OpenSslVerifiesOurSignatures) {
    for (int i = 0; i < 4; ++i) {
        const Signature sig = sign(d_.get(), m_);
        ASSERT_EQ(sig.status, 0u);
        EXPECT_TRUE(zlc::test::peer_dsa_verify(peer_, sha1(m_), sig.r, sig.s));
    }
}

// OpenSSL's signatures verify here, also with r and s written at a fixed width with leading zeros.
TEST_F(DsaKey, OurVerificationAcceptsOpenSslSignatures) {
    for (int i = 0; i < 4; ++i) {
        Bytes r, s;
        ASSERT_TRUE(zlc::test::peer_dsa_sign(peer_, sha1(m_), 21, &r, &s));  // one byte over q
        EXPECT_EQ(verify(d_.get(), m_, r, s), 0u);
        Bytes changed = m_;
        changed[0] ^= 1;
        EXPECT_EQ(verify(d_.get(), changed, r, s), 0x0C06005Du);
    }
}

// With a caller seed, k follows from x, the seed and the message: the same message gives the same
// signature, another message another r.
TEST_F(DsaKey, CallerSeedGivesAKPerMessage) {
    const Bytes seed = from_hex("00112233445566778899");
    const Signature a1 = sign(d_.get(), m_, nullptr, seed);
    const Signature a2 = sign(d_.get(), m_, nullptr, seed);
    const Signature b = sign(d_.get(), from_hex("616264"), nullptr, seed);
    ASSERT_EQ(a1.status, 0u);
    ASSERT_EQ(b.status, 0u);
    EXPECT_EQ(a1.r, a2.r);
    EXPECT_EQ(a1.s, a2.s);
    EXPECT_NE(a1.r, b.r);
    // Without a seed, k is random.
    EXPECT_NE(sign(d_.get(), m_).r, sign(d_.get(), m_).r);
}

// An x with fewer than 20 bytes still signs.
TEST_F(DsaKey, ShortPrivateKeySigns) {
    Big x = hex_big("0123456789ABCDEF"), y = new_big();
    ASSERT_EQ(ZLC_Mod_Exp_BIGINT(y.get(), d_->g, x.get(), d_->p, nullptr), 0u);
    Big p = new_big(), q = new_big(), g = new_big();
    ASSERT_EQ(ZLC_Copy_BIGINT(p.get(), d_->p), 0u);
    ASSERT_EQ(ZLC_Copy_BIGINT(q.get(), d_->q), 0u);
    ASSERT_EQ(ZLC_Copy_BIGINT(g.get(), d_->g), 0u);
    ASSERT_EQ(ZLC_Set_DSA_Params(d_.get(), p.get(), q.get(), g.get(), x.get(), y.get()), 0u);
    const Signature sig = sign(d_.get(), m_);
    ASSERT_EQ(sig.status, 0u);
    EXPECT_EQ(verify(d_.get(), m_, sig.r, sig.s), 0u);
}

// r and s outside 0 < r, s < q are refused; Final maps every failure to its own code.
TEST_F(DsaKey, RangeChecks) {
    const Signature sig = sign(d_.get(), m_);
    ASSERT_EQ(sig.status, 0u);
    Big s = new_big(), q = new_big();
    ZLC_Binary_To_BIGINT(sig.s.data(), static_cast<int32_t>(sig.s.size()), s.get());
    ASSERT_EQ(ZLC_Add_BIGINT(s.get(), s.get(), d_->q), 0u);
    Bytes s_plus_q(32);
    s_plus_q.resize(static_cast<size_t>(ZLC_BIGINT_To_Binary_Unsigned(s.get(), s_plus_q.data())));
    Bytes q_bytes(20);
    ZLC_BIGINT_To_Binary_Unsigned(d_->q, q_bytes.data());
    struct Case {
        const char* what;
        Bytes r, s;
    } cases[] = {
        {"s + q", sig.r, s_plus_q}, {"s = 0", sig.r, Bytes{0}}, {"r = 0", Bytes{0}, sig.s},
        {"r = q", q_bytes, sig.s},  {"s = q", sig.r, q_bytes},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(verify(d_.get(), m_, c.r, c.s), 0x0C06005Du) << c.what;
    }
    ASSERT_EQ(ZLC_Init_DSA(d_.get(), ZLC_SHA1, 0, nullptr, 0), 0u);
    ASSERT_EQ(ZLC_Update_DSA(d_.get(), m_.data(), 3), 0u);
    Bytes r = sig.r, zero{0};
    int32_t rl = static_cast<int32_t>(r.size()), sl = 1;
    EXPECT_EQ(ZLC_Final_DSA(d_.get(), r.data(), &rl, zero.data(), &sl), ZLC_DSA_VERIFY_FAILED);
}

// The record's key as printed, to see whether a call changed it.
struct KeySnapshot {
    std::string p, q, g, x, y;
    explicit KeySnapshot(const ZLC_DSA* d)
        : p(hex_of(d->p)), q(hex_of(d->q)), g(hex_of(d->g)), x(hex_of(d->x)), y(hex_of(d->y)) {}
    bool operator==(const KeySnapshot&) const = default;
};

// Set may be handed the record's own integers: each is copied before the old ones go. A Set that
// runs out of memory at any point leaves the old key.
TEST_F(DsaKey, SetTakesTheRecordsOwnIntegers) {
    const KeySnapshot before(d_.get());
    const Signature old = sign(d_.get(), m_);
    ASSERT_EQ(old.status, 0u);
    ASSERT_EQ(ZLC_Set_DSA_Params(d_.get(), d_->p, d_->q, d_->g, d_->x, d_->y), 0u);
    EXPECT_TRUE(KeySnapshot(d_.get()) == before);
    const Signature sig = sign(d_.get(), m_);
    ASSERT_EQ(sig.status, 0u);
    EXPECT_EQ(verify(d_.get(), m_, sig.r, sig.s), 0u);

    uint32_t status = 1;
    for (long countdown = 0; status != 0; ++countdown) {
        ASSERT_LT(countdown, 100);
        {
            zlc::test::FailAllocationsScope fail(countdown);
            status = ZLC_Set_DSA_Params(d_.get(), d_->p, d_->q, d_->g, d_->x, d_->y);
        }
        if (status != 0) {
            EXPECT_EQ(status, 0x0C01003Bu) << countdown;
        }
        EXPECT_TRUE(KeySnapshot(d_.get()) == before) << countdown;
    }

    ASSERT_EQ(ZLC_Set_DSA_Params(d_.get(), d_->p, d_->q, d_->g, nullptr, d_->y), 0u);
    KeySnapshot expected = before;
    expected.x = "<null>";
    EXPECT_TRUE(KeySnapshot(d_.get()) == expected);
    EXPECT_EQ(verify(d_.get(), m_, old.r, old.s), 0u);
}

// Allocations failing from every point of key-pair generation on: the record keeps its old pair
// (nothing was replaced yet) or has none, never a new x beside the old y.
TEST_F(DsaKey, FailedGenerationKeepsNoNewPair) {
    auto copy_of = [](const BIGINT* n) {
        Big c = new_big();
        EXPECT_EQ(ZLC_Copy_BIGINT(c.get(), n), 0u);
        return c;
    };
    Big p = copy_of(d_->p), q = copy_of(d_->q), g = copy_of(d_->g), x = copy_of(d_->x),
        y = copy_of(d_->y);
    const KeySnapshot before(d_.get());
    int dropped = 0;
    uint32_t status = 1;
    for (long countdown = 0; status != 0; ++countdown) {
        ASSERT_LT(countdown, 200);
        ASSERT_EQ(ZLC_Set_DSA_Params(d_.get(), p.get(), q.get(), g.get(), x.get(), y.get()), 0u);
        {
            zlc::test::FailAllocationsScope fail(countdown);
            status = ZLC_Generate_DSA_Key_Pair(d_.get());
        }
        if (status == 0) break;
        if (d_->x == nullptr && d_->y == nullptr) {
            ++dropped;
        } else {
            EXPECT_TRUE(KeySnapshot(d_.get()) == before) << countdown << std::hex << " " << status;
        }
    }
    EXPECT_GT(dropped, 0);
    EXPECT_FALSE(KeySnapshot(d_.get()) == before);
}

TEST(DsaStatuses, Table) {
    Dsa d(ZLC_New_DSA());
    uint8_t buffer[64] = {};
    int32_t length = 0;
    EXPECT_EQ(ZLC_Update_DSA(nullptr, buffer, 1), 0x0C030049u);
    EXPECT_EQ(ZLC_Update_DSA(d.get(), buffer, 1), 0x0C03005Bu);  // no digest unit yet
    EXPECT_EQ(ZLC_Init_DSA(nullptr, ZLC_SHA1, 1, nullptr, 0), 0x0C020049u);
    EXPECT_EQ(ZLC_Init_DSA(d.get(), 0x12345678, 1, nullptr, 0), 0x0C020022u);
    ASSERT_EQ(ZLC_Init_DSA(d.get(), ZLC_SHA1, 1, nullptr, 0), 0u);
    EXPECT_EQ(ZLC_Update_DSA(d.get(), nullptr, 1), 0x0C03005Bu);
    EXPECT_EQ(ZLC_Update_DSA(d.get(), buffer, -1), 0x0C03005Bu);
    EXPECT_EQ(ZLC_Final_DSA(d.get(), buffer, &length, buffer, &length), 0x0C040045u);
    EXPECT_EQ(ZLC_Final_DSA(d.get(), nullptr, &length, buffer, &length), 0x0C040049u);
    EXPECT_EQ(ZLC_Set_DSA_Params(d.get(), nullptr, nullptr, nullptr, nullptr, nullptr),
              0x0C01002Bu);
    EXPECT_EQ(ZLC_Generate_DSA_Key_Pair(d.get()), 0x0C080049u);
    EXPECT_EQ(ZLC_Generate_DSA_Params(nullptr, ZLC_SHA1, 1024, nullptr), 0x0C070049u);
    EXPECT_EQ(ZLC_Generate_DSA_Params(d.get(), 0x12345678, 1024, nullptr), 0x0C070059u);
    // A digest of 8 hLen >= L bits could never give p.
    EXPECT_EQ(ZLC_Generate_DSA_Params(d.get(), ZLC_SHA512, 512, nullptr), 0x0C070059u);
    // A caller SEED whose q is composite fails instead of looping.
    const Bytes composite_q_seed(20, 0);
    EXPECT_EQ(ZLC_Generate_DSA_Params(d.get(), ZLC_SHA1, 512, composite_q_seed.data()),
              0x0C070036u);
    zlc::test::ModuleFlagsScope proven(zlc::test::proven_mode());
    EXPECT_EQ(ZLC_Init_DSA(d.get(), ZLC_SHA1, 1, nullptr, 0), 0x0C0200F0u);
    EXPECT_EQ(ZLC_Generate_DSA_Params(d.get(), ZLC_SHA256, 1024, nullptr), 0x0C070025u);
}

// pbits rounds up to a multiple of 64, at least 512; the result signs and verifies.
TEST(DsaParameters, GeneratedSizes) {
    Dsa d(ZLC_New_DSA());
    ASSERT_EQ(ZLC_Generate_DSA_Params(d.get(), ZLC_SHA1, 300, nullptr), 0u);
    EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(d->p), 512);
    EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(d->q), 160);
    ASSERT_EQ(ZLC_Generate_DSA_Key_Pair(d.get()), 0u);
    const Bytes m = from_hex("00");
    const Signature sig = sign(d.get(), m);
    ASSERT_EQ(sig.status, 0u);
    EXPECT_EQ(verify(d.get(), m, sig.r, sig.s), 0u);
}

}  // namespace
