// RSASSA (RFC 8017 8): signatures over a digest unit with the raw, PKCS #1 v1.5 or PSS encoding.
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/pk/rsa.h"
#include "crypto/pk/secret_buffer.h"

namespace zlc::rsa {
namespace {

using bigint::PoolFrame;

constexpr std::uint32_t kProvenModulusBytes = 256;

bool proven_too_short(const RSA* rsa) {
    return core::is_proven() && rsa->n != nullptr &&
           modulus_bytes(rsa) < static_cast<std::int32_t>(kProvenModulusBytes);
}

Status sign(RSA* rsa, std::uint8_t* signature, std::int32_t* length) {
    constexpr auto fail = [](std::uint16_t reason) { return st(op::kSign, reason); };
    if (rsa->pool == nullptr) return fail(REASON_ALLOC_FAILED);
    PoolFrame frame(rsa->pool);
    BIGINT *m = nullptr, *s = nullptr;
    if (!frame.take_all(m, s)) return fail(REASON_ALLOC_FAILED);
    const std::int32_t k = modulus_bytes(rsa);
    SecretBuffer em(k);
    std::uint8_t hash[ZLC_DIGEST_MAX_LENGTH];
    mem::WipeOnExit wipe_hash(hash);
    if (!em.ok()) return fail(REASON_ALLOC_FAILED);
    std::int32_t hash_length = 0;
    if (digest::final(rsa->digest, hash, &hash_length) != kOk) return fail(REASON_STEP_FAILED);

    const std::uint32_t encoding = rsa->encoding & kEncodingMask;
    const std::uint8_t* number = em.get();
    std::int32_t number_length = k;
    switch (encoding) {
        case ZLC_RSASSA_RAW:
            if (core::is_proven()) return fail(REASON_NOT_APPROVED);
            number = hash;
            number_length = hash_length;
            break;
        case ZLC_RSASSA_PKCS1_V15:
            if (core::is_proven()) return fail(REASON_NOT_APPROVED);
            if (add_emsa_pkcs1_v1_5(em.get(), k, hash, hash_length, rsa->digest->algorithm_id) != 0)
                return fail(REASON_ENCODE_FAILED);
            break;
        case ZLC_RSASSA_PSS:
            if (add_pss(rsa, em.get(), k, hash, hash_length, salt_length(rsa->encoding),
                        rsa->digest) != kOk)
                return fail(REASON_ENCODE_FAILED);
            break;
        default:
            return fail(REASON_BAD_SIGN_ENCODING);
    }
    if (bigint::binary_to(number, number_length, m) == nullptr)
        return fail(REASON_TO_BIGINT_FAILED);
    mem::ScopeExit wipe_numbers([m, s] {
        bigint::clear(m);
        bigint::clear(s);
    });
    if (bigint::cmp(m, rsa->n) >= 0) return fail(REASON_NOT_BELOW_N);
    if (!key_consistent(rsa)) return fail(REASON_INCONSISTENT_KEY);
    if (!private_op(rsa, s, m, encoding != ZLC_RSASSA_RAW)) return fail(REASON_STEP_FAILED);
    if (bigint::is_zero(s)) return fail(REASON_ZERO_SIGNATURE);
    // Left-padded to k bytes whatever the value's length.
    const std::int32_t s_length = (bigint::get_bits_length(s) + 7) / 8;
    std::memset(signature, 0, static_cast<std::size_t>(k - s_length));
    (void)bigint::to_binary_unsigned(s, signature + (k - s_length));
    *length = k;
    return kOk;
}

Status verify(RSA* rsa, const std::uint8_t* signature, std::int32_t signature_length) {
    constexpr auto fail = [](std::uint16_t reason) { return st(op::kVerify, reason); };
    if (rsa->pool == nullptr) return fail(REASON_ALLOC_FAILED);
    PoolFrame frame(rsa->pool);
    BIGINT *s = nullptr, *m = nullptr, *h = nullptr;
    if (!frame.take_all(s, m, h)) return fail(REASON_ALLOC_FAILED);
    const std::int32_t k = modulus_bytes(rsa);
    SecretBuffer em(k);
    if (!em.ok()) return fail(REASON_ALLOC_FAILED);
    std::uint8_t hash[ZLC_DIGEST_MAX_LENGTH];
    std::int32_t hash_length = 0;
    if (digest::final(rsa->digest, hash, &hash_length) != kOk) return fail(REASON_STEP_FAILED);
    // RFC 8017 8.2.2 step 1: a signature has k bytes; zero bytes put in front of one would give
    // a second accepted form of it.
    if (signature_length <= 0 || signature_length > k) return fail(REASON_INVALID_ARGUMENT);

    if (bigint::binary_to(signature, signature_length, s) == nullptr)
        return fail(REASON_TO_BIGINT_FAILED);
    if (bigint::cmp(s, rsa->n) >= 0) return fail(REASON_SIGNATURE_NOT_BELOW_N);
    if (!public_op(rsa, m, s)) return fail(REASON_STEP_FAILED);
    const std::int32_t em_length = bigint::to_binary_unsigned(m, em.get());

    switch (rsa->encoding & kEncodingMask) {
        case ZLC_RSASSA_RAW:
            if (core::is_proven()) return fail(REASON_NOT_APPROVED);
            if (bigint::binary_to(hash, hash_length, h) == nullptr)
                return fail(REASON_TO_BIGINT_FAILED);
            return bigint::cmp(m, h) == 0 ? kOk : fail(REASON_DECODE_FAILED);
        case ZLC_RSASSA_PKCS1_V15:
            if (core::is_proven()) return fail(REASON_NOT_APPROVED);
            return check_emsa_pkcs1_v1_5(em.get(), em_length, k, hash, hash_length,
                                         rsa->digest->algorithm_id) == kOk
                       ? kOk
                       : fail(REASON_INVALID_ARGUMENT);
        case ZLC_RSASSA_PSS:
            return check_pss(rsa, em.get(), em_length, hash, hash_length,
                             salt_length(rsa->encoding), rsa->digest);
        default:
            return fail(REASON_DECODE_FAILED);
    }
}

}  // namespace

Status init_rsassa(RSA* rsa, std::uint32_t digest_id, std::uint32_t encoding,
                   std::uint32_t private_side) noexcept {
    constexpr auto fail = [](std::uint16_t reason) { return st(op::kInitSign, reason); };
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (rsa == nullptr) return fail(REASON_NULL_ARGUMENT);
    if (core::is_proven()) {
        if ((encoding & kEncodingMask) == ZLC_RSASSA_PKCS1_V15) return fail(REASON_NOT_APPROVED);
        if (proven_too_short(rsa)) return fail(REASON_UNSUPPORTED);
        if (digest_id != ZLC_SHA224 && digest_id != ZLC_SHA256) return fail(REASON_NOT_APPROVED);
    }
    const std::uint32_t id = digest_id & 0x0FFFFFFFu;
    if (rsa->digest == nullptr) {
        rsa->digest = digest::new_unit();
        if (rsa->digest == nullptr) return fail(REASON_INIT_FAILED);
        if (digest::init(rsa->digest, id) != kOk) {
            digest::free_unit(rsa->digest);
            rsa->digest = nullptr;
            return fail(REASON_STEP_FAILED);
        }
    } else if (digest::init(rsa->digest, id) != kOk) {
        return fail(REASON_INIT_FAILED);
    }
    if (rsa->pool == nullptr) {
        rsa->pool = bigint::new_pool();
        if (rsa->pool == nullptr) return fail(REASON_INIT_FAILED);
    }
    rsa->encoding = with_mgf1_default(encoding, id);
    rsa->private_side = private_side;
    return kOk;
}

Status update_rsassa(RSA* rsa, const std::uint8_t* data, std::int32_t length) noexcept {
    if (rsa == nullptr || data == nullptr || rsa->digest == nullptr)
        return st(op::kUpdateSign, REASON_NULL_ARGUMENT);
    return digest::update(rsa->digest, data, length) == kOk
               ? kOk
               : st(op::kUpdateSign, REASON_STEP_FAILED);
}

Status final_rsassa(RSA* rsa, std::uint8_t* signature, std::int32_t* length) noexcept {
    constexpr auto fail = [](std::uint16_t reason) { return st(op::kFinalSign, reason); };
    if (rsa == nullptr || signature == nullptr || length == nullptr || rsa->digest == nullptr)
        return fail(REASON_NULL_ARGUMENT);
    if (proven_too_short(rsa)) return fail(REASON_UNSUPPORTED);
    if (rsa->private_side != 0) {
        if (!has_private(rsa)) return fail(REASON_PRIVATE_MISSING);
        return sign(rsa, signature, length);
    }
    if (!has_public(rsa)) return fail(REASON_PUBLIC_MISSING);
    return verify(rsa, signature, *length);
}

}  // namespace zlc::rsa

extern "C" {

ZLC_API uint32_t ZLC_Init_RSASSA(RSA* rsa, uint32_t digest_id, uint32_t encoding,
                                 uint32_t private_side) ZLC_NOEXCEPT {
    return zlc::rsa::init_rsassa(rsa, digest_id, encoding, private_side);
}

ZLC_API uint32_t ZLC_Update_RSASSA(RSA* rsa, const uint8_t* data, int32_t length) ZLC_NOEXCEPT {
    return zlc::rsa::update_rsassa(rsa, data, length);
}

ZLC_API uint32_t ZLC_Final_RSASSA(RSA* rsa, uint8_t* signature, int32_t* length) ZLC_NOEXCEPT {
    return zlc::rsa::final_rsassa(rsa, signature, length);
}

}  // extern "C"
