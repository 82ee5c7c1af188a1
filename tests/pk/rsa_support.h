#pragma once
// Records, keys and one-call signing, verification and encryption over the C interface.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/pk/openssl_rsa_peer.h"
#include "tests/support/hex.h"
#include "zlc.h"

namespace zlc::test {

struct RsaFree {
    void operator()(ZLC_RSA* r) const { ZLC_Free_RSA(r); }
    void operator()(BIGINT* n) const { ZLC_Free_BIGINT(n); }
};
using RsaPtr = std::unique_ptr<ZLC_RSA, RsaFree>;
using BigPtr = std::unique_ptr<BIGINT, RsaFree>;

inline BigPtr big(const Bytes& bytes) {
    // An empty string is zero; the converter needs a readable pointer even then.
    static const std::uint8_t none = 0;
    return BigPtr(ZLC_Binary_To_BIGINT(bytes.empty() ? &none : bytes.data(),
                                       static_cast<int32_t>(bytes.size()), nullptr));
}
inline BigPtr big(const std::string& hex) {
    return big(from_hex(hex));
}

inline Bytes bytes_of(const BIGINT* n) {
    Bytes out(static_cast<std::size_t>(ZLC_Get_BIGINT_Bits_Length(n) + 7) / 8);
    ZLC_BIGINT_To_Binary_Unsigned(n, out.data());
    return out;
}

// A record holding the given parts; empty parts are left out (an incomplete CRT set altogether).
inline RsaPtr make_key(const peer::KeyParts& k) {
    RsaPtr rsa(ZLC_New_RSA());
    auto opt = [](const Bytes& b) { return b.empty() ? BigPtr() : big(b); };
    BigPtr n = opt(k.n), e = opt(k.e), d = opt(k.d), p = opt(k.p), q = opt(k.q), dp = opt(k.dp),
           dq = opt(k.dq), qinv = opt(k.qinv);
    EXPECT_EQ(ZLC_Set_RSA_Params(rsa.get(), n.get(), e.get(), d.get(), p.get(), q.get(), dp.get(),
                                 dq.get(), qinv.get()),
              0u);
    return rsa;
}

inline RsaPtr make_public_key(const Bytes& n, const Bytes& e) {
    RsaPtr rsa(ZLC_New_RSA());
    EXPECT_EQ(ZLC_Set_RSA_Public_Params(rsa.get(), big(n).get(), big(e).get()), 0u);
    return rsa;
}

inline peer::KeyParts parts_of(const ZLC_RSA* rsa) {
    auto get = [](const BIGINT* n) { return n != nullptr ? bytes_of(n) : Bytes{}; };
    return {get(rsa->n), get(rsa->e),  get(rsa->d),  get(rsa->p),
            get(rsa->q), get(rsa->dp), get(rsa->dq), get(rsa->qinv)};
}

inline std::uint32_t digest_id(const std::string& name) {
    return ZLC_Get_DIGEST_Alg_ID_By_Name(name.c_str());
}

// Signs with the private side; the status goes to *status.
inline Bytes sign(ZLC_RSA* rsa, std::uint32_t digest, std::uint32_t encoding, const Bytes& message,
                  std::uint32_t* status) {
    *status = ZLC_Init_RSASSA(rsa, digest, encoding, 1);
    if (*status != 0) return {};
    static const std::uint8_t none = 0;
    *status = ZLC_Update_RSASSA(rsa, message.empty() ? &none : message.data(),
                                static_cast<int32_t>(message.size()));
    if (*status != 0) return {};
    Bytes signature(static_cast<std::size_t>(ZLC_Get_RSA_Length(rsa)));
    int32_t length = 0;
    *status = ZLC_Final_RSASSA(rsa, signature.data(), &length);
    if (*status != 0) return {};
    EXPECT_EQ(length, static_cast<int32_t>(signature.size()));
    return signature;
}

inline std::uint32_t verify(ZLC_RSA* rsa, std::uint32_t digest, std::uint32_t encoding,
                            const Bytes& message, Bytes signature) {
    if (const std::uint32_t s = ZLC_Init_RSASSA(rsa, digest, encoding, 0); s != 0) return s;
    static const std::uint8_t none = 0;
    if (const std::uint32_t s = ZLC_Update_RSASSA(rsa, message.empty() ? &none : message.data(),
                                                  static_cast<int32_t>(message.size()));
        s != 0)
        return s;
    auto length = static_cast<int32_t>(signature.size());
    signature.push_back(0);  // a readable buffer even for an empty signature
    return ZLC_Final_RSASSA(rsa, signature.data(), &length);
}

inline Bytes encrypt(ZLC_RSA* rsa, std::uint32_t encoding, std::uint32_t side, std::uint32_t digest,
                     const Bytes& message, std::uint32_t* status) {
    *status = ZLC_Init_RSAES(rsa, encoding, side, digest);
    if (*status != 0) return {};
    Bytes out(static_cast<std::size_t>(ZLC_Get_RSA_Length(rsa)));
    int32_t length = 0;
    static const std::uint8_t none = 0;
    *status = ZLC_Encrypt_RSAES(rsa, out.data(), &length, message.empty() ? &none : message.data(),
                                static_cast<int32_t>(message.size()));
    if (*status != 0) return {};
    EXPECT_EQ(length, static_cast<int32_t>(out.size()));
    return out;
}

inline Bytes decrypt(ZLC_RSA* rsa, std::uint32_t encoding, std::uint32_t side, std::uint32_t digest,
                     Bytes input, std::uint32_t* status) {
    *status = ZLC_Init_RSAES(rsa, encoding, side, digest);
    if (*status != 0) return {};
    const auto in_length = static_cast<int32_t>(input.size());
    Bytes out(input.size() + 1);
    input.push_back(0);
    int32_t length = -1;
    *status = ZLC_Decrypt_RSAES(rsa, out.data(), &length, input.data(), in_length);
    if (*status != 0) return {};
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace zlc::test
