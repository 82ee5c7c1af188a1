#include "tests/pk/openssl_rsa_peer.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>

#include <memory>
#include <stdexcept>

namespace zlc::test::peer {
namespace {

struct Free {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
    void operator()(EVP_PKEY_CTX* p) const { EVP_PKEY_CTX_free(p); }
    void operator()(EVP_MD_CTX* p) const { EVP_MD_CTX_free(p); }
    void operator()(BIGNUM* p) const { BN_free(p); }
    void operator()(OSSL_PARAM_BLD* p) const { OSSL_PARAM_BLD_free(p); }
    void operator()(OSSL_PARAM* p) const { OSSL_PARAM_free(p); }
};
template <class T>
using Owned = std::unique_ptr<T, Free>;

Bytes get_bn(const EVP_PKEY* key, const char* name) {
    BIGNUM* bn = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &bn) != 1) return {};
    Owned<BIGNUM> owned(bn);
    Bytes out(static_cast<std::size_t>(BN_num_bytes(bn)));
    BN_bn2bin(bn, out.data());
    return out;
}

Owned<EVP_PKEY> load(const KeyParts& key) {
    Owned<OSSL_PARAM_BLD> bld(OSSL_PARAM_BLD_new());
    std::vector<Owned<BIGNUM>> keep;
    auto push = [&](const char* name, const Bytes& value) {
        if (value.empty()) return;
        keep.emplace_back(BN_bin2bn(value.data(), static_cast<int>(value.size()), nullptr));
        OSSL_PARAM_BLD_push_BN(bld.get(), name, keep.back().get());
    };
    push(OSSL_PKEY_PARAM_RSA_N, key.n);
    push(OSSL_PKEY_PARAM_RSA_E, key.e);
    push(OSSL_PKEY_PARAM_RSA_D, key.d);
    push(OSSL_PKEY_PARAM_RSA_FACTOR1, key.p);
    push(OSSL_PKEY_PARAM_RSA_FACTOR2, key.q);
    push(OSSL_PKEY_PARAM_RSA_EXPONENT1, key.dp);
    push(OSSL_PKEY_PARAM_RSA_EXPONENT2, key.dq);
    push(OSSL_PKEY_PARAM_RSA_COEFFICIENT1, key.qinv);
    Owned<OSSL_PARAM> params(OSSL_PARAM_BLD_to_param(bld.get()));
    Owned<EVP_PKEY_CTX> ctx(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* pkey = nullptr;
    const int selection = key.d.empty() ? EVP_PKEY_PUBLIC_KEY : EVP_PKEY_KEYPAIR;
    if (EVP_PKEY_fromdata_init(ctx.get()) != 1 ||
        EVP_PKEY_fromdata(ctx.get(), &pkey, selection, params.get()) != 1)
        throw std::runtime_error("OpenSSL refused the key");
    return Owned<EVP_PKEY>(pkey);
}

int openssl_padding(Padding padding) {
    switch (padding) {
        case Padding::Pkcs1:
            return RSA_PKCS1_PADDING;
        case Padding::Pss:
            return RSA_PKCS1_PSS_PADDING;
        case Padding::Oaep:
            return RSA_PKCS1_OAEP_PADDING;
    }
    return 0;
}

bool set_signature_padding(EVP_PKEY_CTX* ctx, const std::string& md, Padding padding,
                           int salt_length) {
    if (EVP_PKEY_CTX_set_rsa_padding(ctx, openssl_padding(padding)) != 1) return false;
    if (padding == Padding::Pss) {
        if (EVP_PKEY_CTX_set_rsa_pss_saltlen(ctx, salt_length) != 1) return false;
        if (EVP_PKEY_CTX_set_rsa_mgf1_md_name(ctx, md.c_str(), nullptr) != 1) return false;
    }
    return true;
}

}  // namespace

KeyParts generate_key(int bits) {
    Owned<EVP_PKEY_CTX> ctx(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* pkey = nullptr;
    if (EVP_PKEY_keygen_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), bits) != 1 ||
        EVP_PKEY_generate(ctx.get(), &pkey) != 1)
        throw std::runtime_error("OpenSSL key generation failed");
    Owned<EVP_PKEY> key(pkey);
    return {get_bn(pkey, OSSL_PKEY_PARAM_RSA_N),
            get_bn(pkey, OSSL_PKEY_PARAM_RSA_E),
            get_bn(pkey, OSSL_PKEY_PARAM_RSA_D),
            get_bn(pkey, OSSL_PKEY_PARAM_RSA_FACTOR1),
            get_bn(pkey, OSSL_PKEY_PARAM_RSA_FACTOR2),
            get_bn(pkey, OSSL_PKEY_PARAM_RSA_EXPONENT1),
            get_bn(pkey, OSSL_PKEY_PARAM_RSA_EXPONENT2),
            get_bn(pkey, OSSL_PKEY_PARAM_RSA_COEFFICIENT1)};
}

std::optional<Bytes> sign(const KeyParts& key, const std::string& md, Padding padding,
                          int salt_length, const Bytes& message) {
    Owned<EVP_PKEY> pkey = load(key);
    Owned<EVP_MD_CTX> ctx(EVP_MD_CTX_new());
    EVP_PKEY_CTX* pctx = nullptr;
    if (EVP_DigestSignInit_ex(ctx.get(), &pctx, md.c_str(), nullptr, nullptr, pkey.get(),
                              nullptr) != 1 ||
        !set_signature_padding(pctx, md, padding, salt_length))
        return std::nullopt;
    std::size_t length = 0;
    if (EVP_DigestSign(ctx.get(), nullptr, &length, message.data(), message.size()) != 1)
        return std::nullopt;
    Bytes out(length);
    if (EVP_DigestSign(ctx.get(), out.data(), &length, message.data(), message.size()) != 1)
        return std::nullopt;
    out.resize(length);
    return out;
}

bool verify(const KeyParts& key, const std::string& md, Padding padding, int salt_length,
            const Bytes& message, const Bytes& signature) {
    KeyParts pub{key.n, key.e, {}, {}, {}, {}, {}, {}};
    Owned<EVP_PKEY> pkey = load(pub);
    Owned<EVP_MD_CTX> ctx(EVP_MD_CTX_new());
    EVP_PKEY_CTX* pctx = nullptr;
    if (EVP_DigestVerifyInit_ex(ctx.get(), &pctx, md.c_str(), nullptr, nullptr, pkey.get(),
                                nullptr) != 1 ||
        !set_signature_padding(pctx, md, padding, salt_length))
        return false;
    return EVP_DigestVerify(ctx.get(), signature.data(), signature.size(), message.data(),
                            message.size()) == 1;
}

std::optional<Bytes> encrypt(const KeyParts& key, Padding padding, const std::string& md,
                             const Bytes& message) {
    KeyParts pub{key.n, key.e, {}, {}, {}, {}, {}, {}};
    Owned<EVP_PKEY> pkey = load(pub);
    Owned<EVP_PKEY_CTX> ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, pkey.get(), nullptr));
    if (EVP_PKEY_encrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), openssl_padding(padding)) != 1)
        return std::nullopt;
    if (padding == Padding::Oaep &&
        (EVP_PKEY_CTX_set_rsa_oaep_md_name(ctx.get(), md.c_str(), nullptr) != 1 ||
         EVP_PKEY_CTX_set_rsa_mgf1_md_name(ctx.get(), md.c_str(), nullptr) != 1))
        return std::nullopt;
    std::size_t length = 0;
    if (EVP_PKEY_encrypt(ctx.get(), nullptr, &length, message.data(), message.size()) != 1)
        return std::nullopt;
    Bytes out(length);
    if (EVP_PKEY_encrypt(ctx.get(), out.data(), &length, message.data(), message.size()) != 1)
        return std::nullopt;
    out.resize(length);
    return out;
}

std::optional<Bytes> decrypt(const KeyParts& key, Padding padding, const std::string& md,
                             const Bytes& ciphertext) {
    Owned<EVP_PKEY> pkey = load(key);
    Owned<EVP_PKEY_CTX> ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, pkey.get(), nullptr));
    if (EVP_PKEY_decrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), openssl_padding(padding)) != 1)
        return std::nullopt;
    if (padding == Padding::Oaep &&
        (EVP_PKEY_CTX_set_rsa_oaep_md_name(ctx.get(), md.c_str(), nullptr) != 1 ||
         EVP_PKEY_CTX_set_rsa_mgf1_md_name(ctx.get(), md.c_str(), nullptr) != 1))
        return std::nullopt;
    std::size_t length = 0;
    if (EVP_PKEY_decrypt(ctx.get(), nullptr, &length, ciphertext.data(), ciphertext.size()) != 1)
        return std::nullopt;
    Bytes out(length);
    if (EVP_PKEY_decrypt(ctx.get(), out.data(), &length, ciphertext.data(), ciphertext.size()) != 1)
        return std::nullopt;
    out.resize(length);
    return out;
}

}  // namespace zlc::test::peer
