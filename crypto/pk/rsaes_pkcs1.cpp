// PKCS #1 v1.5 encryption padding (RFC 8017 7.2): 00 || BT || PS || 00 || M, PS at least 8 bytes;
// block type 1 (PS of FF) on the private side, 2 (random non-zero PS) on the public side.
#include <cstring>

#include "crypto/core/ct.h"
#include "crypto/pk/rsa.h"
#include "crypto/platform/secure_zero.h"
#include "crypto/rand/drbg.h"

namespace zlc::rsa {
namespace {

constexpr std::int32_t kMinPadding = 8;
constexpr std::int32_t kOverhead = kMinPadding + 3;

}  // namespace

std::int32_t encode_pkcs1(const RSA* rsa, const std::uint8_t* message, std::int32_t message_length,
                          std::uint8_t* out, std::int32_t k) noexcept {
    if (rsa == nullptr || out == nullptr || message_length < 0 ||
        (message == nullptr && message_length > 0) || message_length > k - kOverhead)
        return 0;
    const std::int32_t ps_length = k - message_length - 3;
    std::uint8_t* ps = out + 2;
    out[0] = 0x00;
    if (rsa->private_side != 0) {
        out[1] = 0x01;
        std::memset(ps, 0xFF, static_cast<std::size_t>(ps_length));
    } else {
        out[1] = 0x02;
        if (rand::rand_bytes(ps, ps_length) != kOk) return 0;
        for (std::int32_t i = 0; i < ps_length; ++i) {
            while (ps[i] == 0) {
                if (rand::rand_bytes(ps + i, 1) != kOk) {
                    platform::secure_zero(out, static_cast<std::size_t>(k));
                    return 0;
                }
            }
        }
    }
    out[2 + ps_length] = 0x00;
    if (message_length > 0)
        std::memcpy(out + 3 + ps_length, message, static_cast<std::size_t>(message_length));
    return k;
}

std::int32_t decode_pkcs1_block(const std::uint8_t* block, std::int32_t block_length,
                                std::uint8_t* out, std::int32_t out_capacity,
                                std::uint32_t good) noexcept {
    if (block == nullptr || out == nullptr || out_capacity < 0 || block_length < kOverhead - 1)
        return 0;
    good &= ct::eq_mask32(block[0], 1) | ct::eq_mask32(block[0], 2);
    // The first zero byte after the block type ends PS; found without a branch on the bytes.
    std::uint32_t found = 0, zero_at = 0;
    for (std::int32_t i = 1; i < block_length; ++i) {
        const std::uint32_t zero = ct::zero_mask32(block[i]);
        zero_at = ct::select32(~found & zero, static_cast<std::uint32_t>(i), zero_at);
        found |= zero;
    }
    good &= found & ~ct::lt_mask32(static_cast<std::int32_t>(zero_at), kMinPadding + 1);
    const auto message_length = static_cast<std::int32_t>(
        ct::select32(good, static_cast<std::uint32_t>(block_length) - zero_at - 1, 0));
    good &= ~ct::lt_mask32(out_capacity, message_length);
    const auto result =
        static_cast<std::int32_t>(ct::select32(good, static_cast<std::uint32_t>(message_length), 0));
    std::memcpy(out, block + (block_length - message_length), static_cast<std::size_t>(result));
    return result;
}

std::int32_t decode_pkcs1(const RSA* rsa, const std::uint8_t* em, std::int32_t em_length,
                          std::uint8_t* out, std::int32_t out_capacity) noexcept {
    // The encoded message without its leading zero byte fills exactly k - 1 bytes.
    const std::int32_t k = modulus_bytes(rsa);
    if (em == nullptr || k == 0 || em_length != k - 1) return 0;
    return decode_pkcs1_block(em, em_length, out, out_capacity, 0xFFFFFFFFu);
}

}  // namespace zlc::rsa

extern "C" {

ZLC_API int32_t ZLC_Encode_RSAES_PKCS1_PADDING(const RSA* rsa, const uint8_t* message,
                                               int32_t message_length, uint8_t* out,
                                               int32_t k) ZLC_NOEXCEPT {
    return zlc::rsa::encode_pkcs1(rsa, message, message_length, out, k);
}

ZLC_API int32_t ZLC_Decode_RSAES_PKCS1_PADDING(const RSA* rsa, const uint8_t* em, int32_t em_length,
                                               uint8_t* out, int32_t out_capacity) ZLC_NOEXCEPT {
    return zlc::rsa::decode_pkcs1(rsa, em, em_length, out, out_capacity);
}

}  // extern "C"
