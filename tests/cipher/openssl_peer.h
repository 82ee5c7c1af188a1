#pragma once
// Differential check of a cipher family through the block cipher unit against OpenSSL: every mode,
// random keys, IVs and lengths, each message split at random points across Update calls, on the
// best CPU path and on the portable one; decryption through the unit must give the message back.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <random>
#include <string_view>
#include <vector>

#include "tests/cipher/unit_driver.h"
#include "tests/support/library_seams.h"

namespace zlc::test {

struct PeerCase {
    std::uint32_t id;  // identifier as encrypted (decryption sets the no-padding bit for stream modes)
    const char* peer;  // OpenSSL cipher name; a name ending in "ECB" with a CTR identifier means the
                       // counter blocks are enciphered with it; null: round trip only
};

// SEED lives in OpenSSL's legacy provider; loading it explicitly means loading the default one too.
// Both are unloaded at exit, before OpenSSL's own cleanup, so the leak checker stays quiet.
class OpenSslProviders {
public:
    OpenSslProviders() : legacy_(OSSL_PROVIDER_load(nullptr, "legacy")), default_(OSSL_PROVIDER_load(nullptr, "default")) {}
    ~OpenSslProviders() {
        if (default_ != nullptr) OSSL_PROVIDER_unload(default_);
        if (legacy_ != nullptr) OSSL_PROVIDER_unload(legacy_);
    }
    bool loaded() const { return legacy_ != nullptr && default_ != nullptr; }

private:
    OSSL_PROVIDER* legacy_;
    OSSL_PROVIDER* default_;
};

inline void load_openssl_providers() {
    static const OpenSslProviders providers;
    ASSERT_TRUE(providers.loaded());
}

inline Bytes openssl_encrypt(const char* name, bool pad, const Bytes& key, const Bytes& iv, const Bytes& in) {
    EVP_CIPHER* type = EVP_CIPHER_fetch(nullptr, name, nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(in.size() + 32);
    int n = 0;
    int m = 0;
    EXPECT_NE(type, nullptr) << name;
    EXPECT_EQ(EVP_EncryptInit_ex(ctx, type, nullptr, key.data(), iv.empty() ? nullptr : iv.data()), 1);
    EVP_CIPHER_CTX_set_padding(ctx, pad ? 1 : 0);
    if (!in.empty()) {
        EXPECT_EQ(EVP_EncryptUpdate(ctx, out.data(), &n, in.data(), static_cast<int>(in.size())), 1);
    }
    EXPECT_EQ(EVP_EncryptFinal_ex(ctx, out.data() + n, &m), 1);
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(type);
    out.resize(static_cast<std::size_t>(n + m));
    return out;
}

// CTR for a cipher OpenSSL offers only as a block cipher: its ECB over big-endian counter blocks.
inline Bytes openssl_ctr_from_ecb(const char* ecb, const Bytes& key, const Bytes& iv, const Bytes& in) {
    Bytes counters;
    Bytes counter = iv;
    while (counters.size() < in.size()) {
        counters.insert(counters.end(), counter.begin(), counter.end());
        for (std::size_t i = counter.size(); i-- > 0 && ++counter[i] == 0;) {
        }
    }
    Bytes out = openssl_encrypt(ecb, false, key, {}, counters);
    out.resize(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) out[i] ^= in[i];
    return out;
}

inline std::vector<std::size_t> random_pieces(std::mt19937_64& rng, std::size_t length) {
    std::vector<std::size_t> pieces(rng() % 5);
    for (auto& p : pieces) p = rng() % (length / 2 + 2);
    return pieces;
}

inline void check_against_openssl(const std::vector<PeerCase>& cases, std::uint64_t seed) {
    load_openssl_providers();
    std::mt19937_64 rng(seed);
    for (const bool portable : {false, true}) {
        PortablePathsScope paths(portable);
        for (const auto& c : cases) {
            const std::uint32_t mode = c.id & 0xFE;
            const bool block_mode = mode == ZLC_MODE_ECB || mode == ZLC_MODE_CBC;
            const bool padded = block_mode && (c.id & ZLC_NO_PADDING) == 0;
            const auto key_length = static_cast<std::size_t>(ZLC_Get_Key_Length(c.id));
            for (int trial = 0; trial < 12; ++trial) {
                const Bytes key = random_bytes(key_length, rng());
                const Bytes iv = mode == ZLC_MODE_ECB ? Bytes{} : random_bytes(16, rng());
                std::size_t length = 1 + rng() % 150;
                if (block_mode && !padded) length = 16 * (1 + rng() % 10);
                if (padded && trial == 0) length = 0;
                const Bytes pt = random_bytes(length, rng());
                SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << (portable ? " portable" : "")
                                                << ", length " << length << ", trial " << trial);
                const Outcome enc = run_unit(c.id, true, key, iv, pt, random_pieces(rng, length));
                ASSERT_EQ(enc.update_status, 0u);
                ASSERT_EQ(enc.final_status, 0u);
                if (c.peer != nullptr) {
                    const bool via_ecb = mode == ZLC_MODE_CTR && std::string_view(c.peer).ends_with("ECB");
                    const Bytes expect = via_ecb ? openssl_ctr_from_ecb(c.peer, key, iv, pt)
                                                 : openssl_encrypt(c.peer, padded, key, iv, pt);
                    EXPECT_EQ(to_hex(enc.out), to_hex(expect));
                }
                const std::uint32_t decrypt_id = block_mode ? c.id : c.id | ZLC_NO_PADDING;
                const Outcome dec = run_unit(decrypt_id, false, key, iv, enc.out, random_pieces(rng, length));
                EXPECT_EQ(dec.update_status, 0u);
                EXPECT_EQ(dec.final_status, 0u);
                EXPECT_EQ(to_hex(dec.out), to_hex(pt));
            }
        }
    }
}

}  // namespace zlc::test
