#pragma once
// Checks a cipher through the block cipher unit against OpenSSL's EVP in every mode: random keys,
// IVs and lengths, each message split at random points across Update calls, and decryption back.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/cipher/unit_driver.h"
#include "tests/support/openssl_cipher.h"

namespace zlc::test {

struct UnitModeCase {
    uint32_t mode;            // ZLC_MODE_... (with ZLC_NO_PADDING where the message is not padded)
    const char* evp_suffix;   // "-ECB", "-CBC", ...
    bool padding;
    bool whole_blocks;
};

inline const std::vector<UnitModeCase>& unit_mode_cases() {
    static const std::vector<UnitModeCase> cases = {
        {ZLC_MODE_ECB, "-ECB", true, false},
        {ZLC_MODE_ECB + ZLC_NO_PADDING, "-ECB", false, true},
        {ZLC_MODE_CBC, "-CBC", true, false},
        {ZLC_MODE_CBC + ZLC_NO_PADDING, "-CBC", false, true},
        {ZLC_MODE_CFB64 + ZLC_NO_PADDING, "-CFB", false, false},
        {ZLC_MODE_OFB + ZLC_NO_PADDING, "-OFB", false, false},
    };
    return cases;
}

inline std::vector<size_t> random_pieces(std::mt19937& rng, size_t length) {
    std::vector<size_t> pieces;
    for (size_t at = 0; at < length;) {
        const size_t n = 1 + rng() % 20;
        pieces.push_back(n);
        at += n;
    }
    return pieces;
}

// `evp_name` is the OpenSSL name without its mode suffix ("DES-EDE3", "BF", "RC2").
inline void check_unit_against_openssl(uint32_t algorithm, const std::string& evp_name, size_t key_length,
                                       OpenSslCipherOptions options, uint64_t seed) {
    std::mt19937 rng(static_cast<uint32_t>(seed));
    for (const auto& c : unit_mode_cases()) {
        for (int n = 0; n < 12; ++n) {
            const Bytes key = random_bytes(key_length, rng()), iv = random_bytes(8, rng());
            size_t length = 1 + rng() % 100;
            if (c.whole_blocks) length = 8 * (1 + rng() % 12);
            const Bytes msg = random_bytes(length, rng());
            const uint32_t id = algorithm + c.mode;
            SCOPED_TRACE(evp_name + c.evp_suffix + " length " + std::to_string(length));
            OpenSslCipherOptions o = options;
            o.padding = c.padding;
            const Bytes expected = openssl_crypt(evp_name + c.evp_suffix, key, iv, msg, true, o);
            const Outcome enc = run_unit(id, true, key, iv, msg, random_pieces(rng, length));
            ASSERT_EQ(enc.update_status, 0u);
            ASSERT_EQ(enc.final_status, 0u);
            EXPECT_EQ(to_hex(enc.out), to_hex(expected));
            const Outcome dec = run_unit(id, false, key, iv, enc.out, random_pieces(rng, enc.out.size()));
            ASSERT_EQ(dec.final_status, 0u);
            EXPECT_EQ(to_hex(dec.out), to_hex(msg));
        }
    }
}

// CTR has no OpenSSL counterpart for these ciphers: the unit's CTR is checked against the cipher's
// own ECB over big-endian counter blocks.
inline void check_unit_ctr(uint32_t algorithm, size_t key_length, uint64_t seed) {
    std::mt19937 rng(static_cast<uint32_t>(seed));
    for (int n = 0; n < 12; ++n) {
        const Bytes key = random_bytes(key_length, rng());
        Bytes counter = random_bytes(8, rng());
        if (n == 0) counter = from_hex("00000000fffffffe");
        const size_t length = 1 + rng() % 60;
        const Bytes msg = random_bytes(length, rng());
        Bytes blocks;
        Bytes c = counter;
        while (blocks.size() < length) {
            blocks.insert(blocks.end(), c.begin(), c.end());
            for (int i = 7; i >= 0 && ++c[i] == 0; --i) {
            }
        }
        const Outcome ks = run_unit(algorithm + ZLC_MODE_ECB + ZLC_NO_PADDING, true, key, {}, blocks);
        ASSERT_EQ(ks.final_status, 0u);
        Bytes expected(length);
        for (size_t i = 0; i < length; ++i) expected[i] = msg[i] ^ ks.out[i];
        const Outcome enc = run_unit(algorithm + ZLC_MODE_CTR + ZLC_NO_PADDING, true, key, counter, msg,
                                     random_pieces(rng, length));
        EXPECT_EQ(to_hex(enc.out), to_hex(expected)) << "length " << length;
    }
}

}  // namespace zlc::test
