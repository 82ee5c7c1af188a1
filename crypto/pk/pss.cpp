// EMSA-PSS (RFC 8017 9.1) with emBits = modBits - 1, MGF1 and the trailer byte 0xBC.
#include <cstring>

#include "crypto/core/ct.h"
#include "crypto/digest/digest.h"
#include "crypto/pk/rsa.h"
#include "crypto/pk/secret_buffer.h"
#include "crypto/rand/drbg.h"

namespace zlc::rsa {
namespace {

constexpr Status kEncodeArgument = st(op::kPssEncode, REASON_INVALID_ARGUMENT);
constexpr Status kEncodeAlloc = st(op::kPssEncode, REASON_ALLOC_FAILED_B);
constexpr Status kEncodeMgf1 = st(op::kPssEncode, REASON_STEP_FAILED);
constexpr Status kCheckNull = st(op::kPssCheck, REASON_NULL_ARGUMENT);
constexpr Status kCheckAlloc = st(op::kPssCheck, REASON_ALLOC_FAILED_B);
constexpr Status kInconsistent = st(op::kPssCheck, REASON_STEP_FAILED);

constexpr std::uint8_t kTrailer = 0xBC;
constexpr std::uint8_t kZeros[8] = {};

// H = Hash(00 x 8 || mHash || salt) into h, on the re-initialised unit.
Status hash_m_prime(DIGEST_UNIT* digest, const std::uint8_t* m_hash, std::int32_t hash_length,
                    const std::uint8_t* salt, std::int32_t salt_length, std::uint8_t* h) {
    if (const Status s = digest::init(digest, digest->algorithm_id); s != kOk) return s;
    if (const Status s = digest::update(digest, kZeros, sizeof kZeros); s != kOk) return s;
    if (const Status s = digest::update(digest, m_hash, hash_length); s != kOk) return s;
    if (salt_length > 0) {
        if (const Status s = digest::update(digest, salt, salt_length); s != kOk) return s;
    }
    return digest::final(digest, h, nullptr);
}

// The bits of the first byte of maskedDB above emBits.
std::uint8_t top_mask(std::int32_t em_length, std::int32_t em_bits) {
    return static_cast<std::uint8_t>(0xFFu >> (8 * em_length - em_bits));
}

}  // namespace

Status add_pss(const RSA* rsa, std::uint8_t* out, std::int32_t k, const std::uint8_t* m_hash,
               std::int32_t hash_length, std::int32_t salt_length, DIGEST_UNIT* digest) noexcept {
    const std::int32_t mod_bits = modulus_bits(rsa);
    if (out == nullptr || m_hash == nullptr || hash_length < 0 || salt_length < 0 ||
        digest == nullptr || mod_bits == 0 || k < (mod_bits + 7) / 8)
        return kEncodeArgument;
    const std::int32_t em_bits = mod_bits - 1;
    const std::int32_t em_length = (em_bits + 7) / 8;
    const std::int32_t h_length = digest->digest_length;
    if (h_length <= 0 || em_length < h_length + salt_length + 2) return kEncodeArgument;

    SecretBuffer salt(salt_length);
    if (!salt.ok()) return kEncodeAlloc;
    std::memset(out, 0, static_cast<std::size_t>(k));
    std::uint8_t* em = out + (k - em_length);
    const std::int32_t db_length = em_length - h_length - 1;
    std::uint8_t* h = em + db_length;
    if (salt_length > 0) {
        if (const Status s = rand::rand_bytes(salt.get(), salt_length); s != kOk) return s;
    }
    if (const Status s = hash_m_prime(digest, m_hash, hash_length, salt.get(), salt_length, h);
        s != kOk)
        return s;

    // DB = 00..00 || 01 || salt, masked in place.
    em[db_length - salt_length - 1] = 0x01;
    if (salt_length > 0)
        std::memcpy(em + db_length - salt_length, salt.get(),
                    static_cast<std::size_t>(salt_length));
    if (mgf1_xor(rsa->encoding & kMgf1Mask, em, db_length, h, h_length) != kOk) {
        std::memset(out, 0, static_cast<std::size_t>(k));
        return kEncodeMgf1;
    }
    em[0] &= top_mask(em_length, em_bits);
    em[em_length - 1] = kTrailer;
    return kOk;
}

Status check_pss(const RSA* rsa, const std::uint8_t* em_given, std::int32_t em_given_length,
                 const std::uint8_t* m_hash, std::int32_t hash_length, std::int32_t salt_length,
                 DIGEST_UNIT* digest) noexcept {
    const std::int32_t mod_bits = modulus_bits(rsa);
    if (em_given == nullptr || m_hash == nullptr || digest == nullptr || mod_bits == 0)
        return kCheckNull;
    const std::int32_t k = (mod_bits + 7) / 8;
    if (em_given_length < 0 || em_given_length > k || hash_length < 0) return kInconsistent;
    SecretBuffer padded(k);
    if (!padded.ok()) return kCheckAlloc;
    std::memcpy(padded.get() + (k - em_given_length), em_given,
                static_cast<std::size_t>(em_given_length));

    const std::int32_t em_bits = mod_bits - 1;
    std::uint8_t* em = padded.get();
    std::int32_t em_length = k;
    if (em_bits % 8 == 0) {
        if (em[0] != 0) return kInconsistent;
        ++em;
        --em_length;
    }
    const std::int32_t h_length = digest->digest_length;
    const std::int32_t least_salt = salt_length < 0 ? 0 : salt_length;
    if (h_length <= 0 || em_length < h_length + least_salt + 2) return kInconsistent;
    if (em[em_length - 1] != kTrailer) return kInconsistent;
    const std::uint8_t top = top_mask(em_length, em_bits);
    if ((em[0] & ~top) != 0) return kInconsistent;

    const std::int32_t db_length = em_length - h_length - 1;
    const std::uint8_t* h = em + db_length;
    if (const Status s = mgf1_xor(rsa->encoding & kMgf1Mask, em, db_length, h, h_length); s != kOk)
        return s;
    em[0] &= top;
    std::int32_t one = 0;
    while (one < db_length && em[one] == 0) ++one;
    if (one == db_length || em[one] != 0x01) return kInconsistent;
    const std::int32_t found_salt = db_length - one - 1;
    if (salt_length >= 0 && found_salt != salt_length) return kInconsistent;

    std::uint8_t h_prime[ZLC_DIGEST_MAX_LENGTH];
    if (const Status s =
            hash_m_prime(digest, m_hash, hash_length, em + one + 1, found_salt, h_prime);
        s != kOk)
        return s;
    return ct::bytes_eq_mask(h_prime, h, static_cast<std::size_t>(h_length)) != 0 ? kOk
                                                                                : kInconsistent;
}

}  // namespace zlc::rsa

extern "C" {

ZLC_API uint32_t ZLC_Add_RSASSA_PKCS1_PSS_Encode(const RSA* rsa, uint8_t* out, int32_t k,
                                                 const uint8_t* m_hash, int32_t hash_length,
                                                 int32_t salt_length,
                                                 DIGEST_UNIT* digest) ZLC_NOEXCEPT {
    return zlc::rsa::add_pss(rsa, out, k, m_hash, hash_length, salt_length, digest);
}

ZLC_API uint32_t ZLC_Check_RSASSA_PKCS1_PSS_Encode(const RSA* rsa, const uint8_t* em,
                                                   int32_t em_length, const uint8_t* m_hash,
                                                   int32_t hash_length, int32_t salt_length,
                                                   DIGEST_UNIT* digest) ZLC_NOEXCEPT {
    return zlc::rsa::check_pss(rsa, em, em_length, m_hash, hash_length, salt_length, digest);
}

}  // extern "C"
