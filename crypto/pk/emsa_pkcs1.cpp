// EMSA-PKCS1-v1_5 (RFC 8017 9.2): 00 01 FF..FF 00 DigestInfo, with the DER prefixes of note 1.
#include <array>
#include <cstring>

#include "crypto/core/ct.h"
#include "crypto/pk/rsa.h"
#include "crypto/pk/secret_buffer.h"

namespace zlc::rsa {
namespace {

struct Prefix {
    std::uint32_t digest_id;
    std::int32_t hash_length;
    std::int32_t length;
    std::array<std::uint8_t, 19> bytes;
};

constexpr std::array<Prefix, 5> kPrefixes{{
    {ZLC_MD5,
     16,
     18,
     {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x02, 0x05, 0x05,
      0x00, 0x04, 0x10}},
    {ZLC_SHA1,
     20,
     15,
     {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2b, 0x0e, 0x03, 0x02, 0x1a, 0x05, 0x00, 0x04, 0x14}},
    {ZLC_SHA256,
     32,
     19,
     {0x30, 0x31, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01,
      0x05, 0x00, 0x04, 0x20}},
    {ZLC_SHA384,
     48,
     19,
     {0x30, 0x41, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02,
      0x05, 0x00, 0x04, 0x30}},
    {ZLC_SHA512,
     64,
     19,
     {0x30, 0x51, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03,
      0x05, 0x00, 0x04, 0x40}},
}};

const Prefix* find_prefix(std::uint32_t digest_id) {
    for (const auto& prefix : kPrefixes) {
        if (prefix.digest_id == digest_id) return &prefix;
    }
    return nullptr;
}

constexpr Status kCheckAlloc = st(op::kCheckPkcs1, REASON_ALLOC_FAILED);
constexpr Status kCheckEncode = st(op::kCheckPkcs1, REASON_ENCODE_FAILED);
constexpr Status kCheckMismatch = st(op::kCheckPkcs1, REASON_MISMATCH);
constexpr std::int32_t kNoPrefix = -1;
constexpr std::int32_t kTooShort = 43;

}  // namespace

std::int32_t add_emsa_pkcs1_v1_5(std::uint8_t* out, std::int32_t em_length,
                                 const std::uint8_t* hash, std::int32_t hash_length,
                                 std::uint32_t digest_id) noexcept {
    const Prefix* prefix = find_prefix(digest_id);
    // The DigestInfo states the hash length, so any other length would be a malformed encoding.
    if (prefix == nullptr || out == nullptr || hash == nullptr ||
        hash_length != prefix->hash_length)
        return kNoPrefix;
    const std::int32_t t_length = prefix->length + hash_length;
    if (em_length < t_length + 11) return kTooShort;
    out[0] = 0x00;
    out[1] = 0x01;
    const std::int32_t ps_length = em_length - t_length - 3;
    std::memset(out + 2, 0xFF, static_cast<std::size_t>(ps_length));
    out[2 + ps_length] = 0x00;
    std::memcpy(out + 3 + ps_length, prefix->bytes.data(),
                static_cast<std::size_t>(prefix->length));
    std::memcpy(out + 3 + ps_length + prefix->length, hash, static_cast<std::size_t>(hash_length));
    return 0;
}

Status check_emsa_pkcs1_v1_5(const std::uint8_t* em, std::int32_t em_length, std::int32_t k,
                             const std::uint8_t* hash, std::int32_t hash_length,
                             std::uint32_t digest_id) noexcept {
    if (em == nullptr || em_length <= 0) return 1;
    if (k <= 0) return kCheckEncode;
    SecretBuffer expected(k);
    if (!expected.ok()) return kCheckAlloc;
    if (add_emsa_pkcs1_v1_5(expected.get(), k, hash, hash_length, digest_id) != 0)
        return kCheckEncode;
    // The integer's bytes lack the leading zero: exactly k - 1 of them, each as expected.
    if (em_length != k - 1) return kCheckMismatch;
    return ct::bytes_eq_mask(em, expected.get() + 1, static_cast<std::size_t>(k - 1)) != 0
               ? kOk
               : kCheckMismatch;
}

}  // namespace zlc::rsa

extern "C" {

ZLC_API int32_t ZLC_Add_EMSA_PKCS1_v1_5_Encode(uint8_t* out, int32_t em_length, const uint8_t* hash,
                                               int32_t hash_length,
                                               uint32_t digest_id) ZLC_NOEXCEPT {
    return zlc::rsa::add_emsa_pkcs1_v1_5(out, em_length, hash, hash_length, digest_id);
}

ZLC_API uint32_t ZLC_Check_EMSA_PKCS1_v1_5_Encode(const uint8_t* em, int32_t em_length, int32_t k,
                                                  const uint8_t* hash, int32_t hash_length,
                                                  uint32_t digest_id) ZLC_NOEXCEPT {
    return zlc::rsa::check_emsa_pkcs1_v1_5(em, em_length, k, hash, hash_length, digest_id);
}

}  // extern "C"
