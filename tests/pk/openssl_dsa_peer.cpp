#define OPENSSL_SUPPRESS_DEPRECATED  // DSA_do_sign / DSA_do_verify: the raw (r, s) interface
#include "tests/pk/openssl_dsa_peer.h"

#include <openssl/bn.h>
#include <openssl/dsa.h>

namespace zlc::test {
namespace {

BIGNUM* bn(const std::vector<std::uint8_t>& b) {
    return BN_bin2bn(b.data(), static_cast<int>(b.size()), nullptr);
}

DSA* make(const DsaPeerKey& key) {
    DSA* d = DSA_new();
    DSA_set0_pqg(d, bn(key.p), bn(key.q), bn(key.g));
    DSA_set0_key(d, bn(key.y), key.x.empty() ? nullptr : bn(key.x));
    return d;
}

}  // namespace

bool peer_dsa_verify(const DsaPeerKey& key, const std::vector<std::uint8_t>& digest,
                     const std::vector<std::uint8_t>& r, const std::vector<std::uint8_t>& s) {
    DSA* d = make(key);
    DSA_SIG* sig = DSA_SIG_new();
    DSA_SIG_set0(sig, bn(r), bn(s));
    const int verdict = DSA_do_verify(digest.data(), static_cast<int>(digest.size()), sig, d);
    DSA_SIG_free(sig);
    DSA_free(d);
    return verdict == 1;
}

bool peer_dsa_sign(const DsaPeerKey& key, const std::vector<std::uint8_t>& digest,
                   std::size_t width, std::vector<std::uint8_t>* r, std::vector<std::uint8_t>* s) {
    DSA* d = make(key);
    DSA_SIG* sig = DSA_do_sign(digest.data(), static_cast<int>(digest.size()), d);
    DSA_free(d);
    if (sig == nullptr) return false;
    const BIGNUM *br = nullptr, *bs = nullptr;
    DSA_SIG_get0(sig, &br, &bs);
    r->assign(width, 0);
    s->assign(width, 0);
    const bool ok = BN_bn2binpad(br, r->data(), static_cast<int>(width)) > 0 &&
                    BN_bn2binpad(bs, s->data(), static_cast<int>(width)) > 0;
    DSA_SIG_free(sig);
    return ok;
}

}  // namespace zlc::test
