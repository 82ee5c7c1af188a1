// EME-OAEP (RFC 8017 7.1) in two layouts: 0 (PKCS #1 v2.0) maskedSeed || maskedDB in k - 1 bytes,
// 1 (v2.1) 00 || maskedSeed || maskedDB in k bytes. DB = lHash || 00..00 || 01 || M.
#include <cstring>

#include "crypto/core/ct.h"
#include "crypto/digest/digest.h"
#include "crypto/pk/rsa.h"
#include "crypto/pk/secret_buffer.h"
#include "crypto/rand/drbg.h"

namespace zlc::rsa {
namespace {

constexpr std::int32_t kEncodeFailed = -1;

// lHash = Hash(label) on the record's unit, re-initialised.
bool label_hash(DIGEST_UNIT* digest, const std::uint8_t* label, std::int32_t label_length,
                std::uint8_t* out) {
    if (digest::init(digest, digest->algorithm_id) != kOk) return false;
    if (label_length > 0 && digest::update(digest, label, label_length) != kOk) return false;
    return digest::final(digest, out, nullptr) == kOk;
}

std::int32_t hash_length_of(const RSA* rsa) {
    return rsa->digest != nullptr ? rsa->digest->digest_length : 0;
}

}  // namespace

std::int32_t encode_oaep(const RSA* rsa, const std::uint8_t* message, std::int32_t message_length,
                         std::uint8_t* out, std::int32_t out_capacity, const std::uint8_t* label,
                         std::int32_t label_length, std::int32_t layout) noexcept {
    if (out == nullptr || out_capacity < 0) return kEncodeFailed;
    std::memset(out, 0, static_cast<std::size_t>(out_capacity));
    const std::int32_t k = modulus_bytes(rsa);
    const std::int32_t h_length = k > 0 ? hash_length_of(rsa) : 0;
    if (h_length <= 0 || (layout != 0 && layout != 1) || message_length < 0 ||
        (message == nullptr && message_length > 0) || label_length < 0 ||
        (label == nullptr && label_length > 0))
        return kEncodeFailed;
    if (message_length > k - 2 * h_length - 2) return kEncodeFailed;
    const std::int32_t encoded_length = layout == 0 ? k - 1 : k;
    if (out_capacity < encoded_length) return kEncodeFailed;

    std::uint8_t* seed = out + layout;
    std::uint8_t* db = seed + h_length;
    const std::int32_t db_length = k - 1 - h_length;
    bool ok = label_hash(rsa->digest, label, label_length, db);
    if (ok) {
        db[db_length - message_length - 1] = 0x01;
        if (message_length > 0)
            std::memcpy(db + db_length - message_length, message,
                        static_cast<std::size_t>(message_length));
        ok = rand::rand_bytes(seed, h_length) == kOk &&
             mgf1_xor(rsa->encoding & kMgf1Mask, db, db_length, seed, h_length) == kOk &&
             mgf1_xor(rsa->encoding & kMgf1Mask, seed, h_length, db, db_length) == kOk;
    }
    if (!ok) {
        platform::secure_zero(out, static_cast<std::size_t>(out_capacity));
        return kEncodeFailed;
    }
    return encoded_length;
}

std::int32_t decode_oaep_block(const RSA* rsa, std::uint8_t* block, std::uint8_t* out,
                               std::int32_t out_capacity, const std::uint8_t* label,
                               std::int32_t label_length, std::int32_t layout,
                               std::uint32_t good) noexcept {
    const std::int32_t k = modulus_bytes(rsa);
    const std::int32_t h_length = k > 0 ? hash_length_of(rsa) : 0;
    if (h_length <= 0 || k < 2 * h_length + 2 || out == nullptr || out_capacity < 0 ||
        label_length < 0 || (label == nullptr && label_length > 0))
        return 0;
    std::uint8_t l_hash[ZLC_DIGEST_MAX_LENGTH];
    if (!label_hash(rsa->digest, label, label_length, l_hash)) return 0;

    if (layout == 1) good &= ct::zero_mask32(block[0]);
    std::uint8_t* seed = block + layout;
    std::uint8_t* db = seed + h_length;
    const std::int32_t db_length = k - 1 - h_length;
    // The masks depend only on the block, never on whether a check has failed so far.
    if (mgf1_xor(rsa->encoding & kMgf1Mask, seed, h_length, db, db_length) != kOk ||
        mgf1_xor(rsa->encoding & kMgf1Mask, db, db_length, seed, h_length) != kOk)
        return 0;
    good &= ct::bytes_eq_mask(db, l_hash, static_cast<std::size_t>(h_length));

    // The first non-zero byte after lHash must be 01; its place is found without a branch.
    std::uint32_t found = 0, stray = 0, one_at = 0;
    for (std::int32_t i = h_length; i < db_length; ++i) {
        const std::uint32_t zero = ct::zero_mask32(db[i]);
        const std::uint32_t one = ct::eq_mask32(db[i], 1);
        one_at = ct::select32(~found & one, static_cast<std::uint32_t>(i), one_at);
        stray |= ~found & ~zero & ~one;
        found |= ~zero;
    }
    good &= found & ~stray;
    const auto message_length = static_cast<std::int32_t>(
        ct::select32(good, static_cast<std::uint32_t>(db_length) - one_at - 1, 0));
    good &= ~ct::lt_mask32(out_capacity, message_length);
    const auto result =
        static_cast<std::int32_t>(ct::select32(good, static_cast<std::uint32_t>(message_length), 0));
    std::memcpy(out, db + (db_length - message_length), static_cast<std::size_t>(result));
    return result;
}

std::int32_t decode_oaep(const RSA* rsa, const std::uint8_t* em, std::int32_t em_length,
                         std::uint8_t* out, std::int32_t out_capacity, const std::uint8_t* label,
                         std::int32_t label_length, std::int32_t layout) noexcept {
    const std::int32_t k = modulus_bytes(rsa);
    if (em == nullptr || k == 0 || (layout != 0 && layout != 1) || em_length < 0) return 0;
    const std::int32_t block_length = layout == 0 ? k - 1 : k;
    if (em_length > block_length) return 0;
    SecretBuffer block(block_length);
    if (!block.ok()) return 0;
    std::memcpy(block.get() + (block_length - em_length), em, static_cast<std::size_t>(em_length));
    return decode_oaep_block(rsa, block.get(), out, out_capacity, label, label_length, layout,
                             0xFFFFFFFFu);
}

}  // namespace zlc::rsa

extern "C" {

ZLC_API int32_t ZLC_Encode_RSAES_OAEP_PADDING(const RSA* rsa, const uint8_t* message,
                                              int32_t message_length, uint8_t* out,
                                              int32_t out_capacity, const uint8_t* label,
                                              int32_t label_length, int32_t layout) ZLC_NOEXCEPT {
    return zlc::rsa::encode_oaep(rsa, message, message_length, out, out_capacity, label,
                                 label_length, layout);
}

ZLC_API int32_t ZLC_Decode_RSAES_OAEP_PADDING(const RSA* rsa, const uint8_t* em, int32_t em_length,
                                              uint8_t* out, int32_t out_capacity,
                                              const uint8_t* label, int32_t label_length,
                                              int32_t layout) ZLC_NOEXCEPT {
    return zlc::rsa::decode_oaep(rsa, em, em_length, out, out_capacity, label, label_length,
                                 layout);
}

}  // extern "C"
