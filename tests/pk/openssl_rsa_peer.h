#pragma once
// OpenSSL 3 as the peer of the RSA tests, over plain byte strings: this file and its source never
// see zlc.h, whose RSA record shares its name with OpenSSL's.
#include <cstdint>
#include <optional>
#include <string>

#include "tests/support/hex.h"

namespace zlc::test::peer {

// Big-endian components of a key; the private ones empty for a public key.
struct KeyParts {
    Bytes n, e, d, p, q, dp, dq, qinv;
};

enum class Padding { Pkcs1, Pss, Oaep };

KeyParts generate_key(int bits);
// md: an OpenSSL digest name ("SHA256"); salt_length only for PSS (MGF1 uses md).
std::optional<Bytes> sign(const KeyParts& key, const std::string& md, Padding padding,
                          int salt_length, const Bytes& message);
bool verify(const KeyParts& key, const std::string& md, Padding padding, int salt_length,
            const Bytes& message, const Bytes& signature);
// OAEP uses md for the label hash and MGF1, with an empty label.
std::optional<Bytes> encrypt(const KeyParts& key, Padding padding, const std::string& md,
                             const Bytes& message);
std::optional<Bytes> decrypt(const KeyParts& key, Padding padding, const std::string& md,
                             const Bytes& ciphertext);

}  // namespace zlc::test::peer
