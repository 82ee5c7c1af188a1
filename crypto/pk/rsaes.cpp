// RSAES (RFC 8017 7): encryption and decryption with the raw, OAEP or PKCS #1 v1.5 encoding.
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/core/ct.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/pk/rsa.h"
#include "crypto/pk/secret_buffer.h"

namespace zlc::rsa {
namespace {

using bigint::PoolFrame;

constexpr std::int32_t kProvenModulusBytes = 256;

bool proven_too_short(const RSA* rsa) {
    return core::is_proven() && rsa->n != nullptr && modulus_bytes(rsa) < kProvenModulusBytes;
}

bool proven_refuses(std::uint32_t encoding) {
    return core::is_proven() && (encoding == ZLC_RSAES_RAW || encoding == ZLC_RSAES_PKCS1_V15);
}

// n's value as exactly k big-endian bytes.
void write_fixed(const BIGINT* n, std::uint8_t* out, std::int32_t k) {
    const std::int32_t length = (bigint::get_bits_length(n) + 7) / 8;
    std::memset(out, 0, static_cast<std::size_t>(k - length));
    (void)bigint::to_binary_unsigned(n, out + (k - length));
}

}  // namespace

Status init_rsaes(RSA* rsa, std::uint32_t encoding, std::uint32_t private_side,
                  std::uint32_t digest_id) noexcept {
    constexpr auto fail = [](std::uint16_t reason) { return st(op::kInitCipher, reason); };
    if (rsa == nullptr) return fail(REASON_NULL_ARGUMENT);
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (proven_too_short(rsa)) return fail(REASON_UNSUPPORTED);
    if (proven_refuses(encoding & kEncodingMask)) return fail(REASON_NOT_APPROVED);
    if (digest_id == 0) digest_id = ZLC_SHA1;
    if (rsa->digest == nullptr) rsa->digest = digest::new_unit();
    if (rsa->digest == nullptr || digest::init(rsa->digest, digest_id) != kOk)
        return fail(REASON_STEP_FAILED);
    if (rsa->pool == nullptr) {
        rsa->pool = bigint::new_pool();
        if (rsa->pool == nullptr) return fail(REASON_STEP_FAILED);
    }
    rsa->encoding = with_mgf1_default(encoding, digest_id);
    rsa->private_side = private_side;
    return kOk;
}

Status encrypt_rsaes(RSA* rsa, std::uint8_t* out, std::int32_t* out_length, const std::uint8_t* in,
                     std::int32_t in_length) noexcept {
    constexpr auto fail = [](std::uint16_t reason) { return st(op::kEncrypt, reason); };
    if (rsa == nullptr || out == nullptr) return fail(REASON_NULL_ARGUMENT);
    if (in == nullptr || in_length < 0) return fail(REASON_INVALID_ARGUMENT);
    if (rsa->private_side != 0 ? !has_private(rsa) : !has_public(rsa))
        return fail(rsa->private_side != 0 ? REASON_PRIVATE_MISSING : REASON_PUBLIC_MISSING);
    if (proven_too_short(rsa)) return fail(REASON_UNSUPPORTED);
    const std::uint32_t encoding = rsa->encoding & kEncodingMask;
    if (proven_refuses(encoding)) return fail(REASON_NOT_APPROVED);

    if (rsa->pool == nullptr) return fail(REASON_ALLOC_FAILED);
    PoolFrame frame(rsa->pool);
    BIGINT *m = nullptr, *c = nullptr;
    if (!frame.take_all(m, c)) return fail(REASON_STEP_FAILED);
    const std::int32_t k = modulus_bytes(rsa);
    SecretBuffer em(k);
    if (!em.ok()) return fail(REASON_ALLOC_FAILED);
    if (in_length > k) return fail(REASON_INVALID_ARGUMENT);

    const std::uint8_t* number = em.get();
    std::int32_t number_length = k;
    switch (encoding) {
        case ZLC_RSAES_RAW:
            number = in;
            number_length = in_length;
            break;
        case ZLC_RSAES_OAEP_V20:
        case ZLC_RSAES_OAEP_V21: {
            const std::int32_t layout = encoding == ZLC_RSAES_OAEP_V20 ? 0 : 1;
            number_length = encode_oaep(rsa, in, in_length, em.get(), k, nullptr, 0, layout);
            if (number_length < 0) return fail(REASON_ENCODE_FAILED);
            break;
        }
        case ZLC_RSAES_PKCS1_V15:
            if (encode_pkcs1(rsa, in, in_length, em.get(), k) != k)
                return fail(REASON_ENCODE_FAILED);
            break;
        default:
            return fail(REASON_BAD_CIPHER_ENCODING);
    }
    if (bigint::binary_to(number, number_length, m) == nullptr) return fail(REASON_STEP_FAILED);
    mem::ScopeExit wipe_numbers([m] { bigint::clear(m); });
    if (bigint::cmp(m, rsa->n) >= 0) return fail(REASON_NOT_BELOW_N);
    // The private side is a signature in all but name: blinded and checked like one.
    const bool ok = rsa->private_side != 0 ? private_op(rsa, c, m, true) : public_op(rsa, c, m);
    if (!ok) return fail(REASON_STEP_FAILED);
    write_fixed(c, out, k);
    if (out_length != nullptr) *out_length = k;
    return kOk;
}

Status decrypt_rsaes(RSA* rsa, std::uint8_t* out, std::int32_t* out_length, const std::uint8_t* in,
                     std::int32_t in_length) noexcept {
    constexpr auto fail = [](std::uint16_t reason) { return st(op::kDecrypt, reason); };
    if (rsa == nullptr || out == nullptr || in == nullptr) return fail(REASON_NULL_ARGUMENT);
    if (in_length < 0) return fail(REASON_INVALID_ARGUMENT);
    if (rsa->private_side != 0 ? !has_private(rsa) : !has_public(rsa))
        return fail(rsa->private_side != 0 ? REASON_PRIVATE_MISSING : REASON_PUBLIC_MISSING);
    if (proven_too_short(rsa)) return fail(REASON_UNSUPPORTED);
    const std::uint32_t encoding = rsa->encoding & kEncodingMask;
    if (proven_refuses(encoding)) return fail(REASON_NOT_APPROVED);

    if (rsa->pool == nullptr) return fail(REASON_ALLOC_FAILED);
    PoolFrame frame(rsa->pool);
    BIGINT *c = nullptr, *m = nullptr;
    if (!frame.take_all(c, m)) return fail(REASON_ALLOC_FAILED);
    const std::int32_t k = modulus_bytes(rsa);
    SecretBuffer block(k);
    if (!block.ok()) return fail(REASON_ALLOC_FAILED);
    // RFC 8017 7.1.2 and 7.2.2 step 1: a ciphertext has k bytes, and no longer form is accepted.
    if (in_length > k) return fail(REASON_DECODE_FAILED);
    if (bigint::binary_to(in, in_length, c) == nullptr) return fail(REASON_STEP_FAILED);
    if (bigint::cmp(c, rsa->n) >= 0) return fail(REASON_NOT_BELOW_N);
    mem::ScopeExit wipe_numbers([m] { bigint::clear(m); });
    if (rsa->private_side != 0) {
        if (!key_consistent(rsa)) return fail(REASON_INCONSISTENT_KEY);
        if (!private_op(rsa, m, c, encoding != ZLC_RSAES_RAW)) return fail(REASON_STEP_FAILED);
    } else if (!public_op(rsa, m, c)) {
        return fail(REASON_STEP_FAILED);
    }

    std::int32_t result = 0;
    switch (encoding) {
        case ZLC_RSAES_RAW: {
            if (core::is_proven()) return fail(REASON_NOT_APPROVED);
            // Without its leading zero bytes; `out` has room for in_length bytes only.
            const std::int32_t length = (bigint::get_bits_length(m) + 7) / 8;
            if (length > in_length) return fail(REASON_DECODE_FAILED);
            result = bigint::to_binary_unsigned(m, out);
            break;
        }
        case ZLC_RSAES_OAEP_V20:
            write_fixed(m, block.get(), k);
            result = decode_oaep_block(rsa, block.get() + 1, out, in_length, nullptr, 0, 0,
                                       ct::zero_mask32(block.get()[0]));
            break;
        case ZLC_RSAES_OAEP_V21:
            write_fixed(m, block.get(), k);
            result =
                decode_oaep_block(rsa, block.get(), out, in_length, nullptr, 0, 1, 0xFFFFFFFFu);
            break;
        case ZLC_RSAES_PKCS1_V15:
            write_fixed(m, block.get(), k);
            result = decode_pkcs1_block(block.get() + 1, k - 1, out, in_length,
                                        ct::zero_mask32(block.get()[0]));
            break;
        default:
            return fail(REASON_DECODE_FAILED);
    }
    if (result <= 0) return fail(REASON_DECODE_FAILED);
    if (out_length != nullptr) *out_length = result;
    return kOk;
}

}  // namespace zlc::rsa

extern "C" {

ZLC_API uint32_t ZLC_Init_RSAES(RSA* rsa, uint32_t encoding, uint32_t private_side,
                                uint32_t digest_id) ZLC_NOEXCEPT {
    return zlc::rsa::init_rsaes(rsa, encoding, private_side, digest_id);
}

ZLC_API uint32_t ZLC_Encrypt_RSAES(RSA* rsa, uint8_t* out, int32_t* out_length, const uint8_t* in,
                                   int32_t in_length) ZLC_NOEXCEPT {
    return zlc::rsa::encrypt_rsaes(rsa, out, out_length, in, in_length);
}

ZLC_API uint32_t ZLC_Decrypt_RSAES(RSA* rsa, uint8_t* out, int32_t* out_length, const uint8_t* in,
                                   int32_t in_length) ZLC_NOEXCEPT {
    return zlc::rsa::decrypt_rsaes(rsa, out, out_length, in, in_length);
}

}  // extern "C"
