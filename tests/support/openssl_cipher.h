#pragma once
// OpenSSL as a test oracle for ciphers: one-shot EVP encryption or decryption by cipher name, with
// the legacy provider (Blowfish, RC2, RC4, single DES) loaded beside the default one.
#include <gtest/gtest.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <string>

#include "tests/support/hex.h"

namespace zlc::test {

// Loads the default and legacy providers once and unloads them at exit (so leak checks stay quiet);
// false when the legacy provider is not installed.
inline bool openssl_legacy_available() {
    struct Providers {
        OSSL_PROVIDER* default_provider = OSSL_PROVIDER_load(nullptr, "default");
        OSSL_PROVIDER* legacy_provider = OSSL_PROVIDER_load(nullptr, "legacy");
        ~Providers() {
            if (legacy_provider != nullptr) OSSL_PROVIDER_unload(legacy_provider);
            if (default_provider != nullptr) OSSL_PROVIDER_unload(default_provider);
        }
    };
    static const Providers providers;
    return providers.legacy_provider != nullptr;
}

struct OpenSslCipherOptions {
    bool padding = false;
    int rc2_key_bits = 0;  // RC2 effective key bits; 0 leaves OpenSSL's default
};

// The whole message through one EVP context; an empty result with a test failure when OpenSSL
// refuses (unknown cipher, bad key length).
inline Bytes openssl_crypt(const std::string& name, const Bytes& key, const Bytes& iv, const Bytes& in, bool encrypt,
                           OpenSslCipherOptions options = {}) {
    openssl_legacy_available();
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(in.size() + 32);
    int total = 0;
    bool ok = cipher != nullptr && ctx != nullptr &&
              EVP_CipherInit_ex2(ctx, cipher, nullptr, nullptr, encrypt ? 1 : 0, nullptr) == 1 &&
              EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())) == 1;
    if (ok && options.rc2_key_bits != 0) {
        ok = EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_SET_RC2_KEY_BITS, options.rc2_key_bits, nullptr) == 1;
    }
    ok = ok && EVP_CipherInit_ex2(ctx, nullptr, key.data(), iv.empty() ? nullptr : iv.data(), -1, nullptr) == 1;
    if (ok) EVP_CIPHER_CTX_set_padding(ctx, options.padding ? 1 : 0);
    int len = 0;
    ok = ok && EVP_CipherUpdate(ctx, out.data(), &len, in.data(), static_cast<int>(in.size())) == 1;
    total = len;
    ok = ok && EVP_CipherFinal_ex(ctx, out.data() + total, &len) == 1;
    total += len;
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
    EXPECT_TRUE(ok) << "OpenSSL refused " << name;
    if (!ok) return {};
    out.resize(static_cast<std::size_t>(total));
    return out;
}

}  // namespace zlc::test
