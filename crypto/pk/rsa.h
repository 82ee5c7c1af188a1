#pragma once
// The RSA family as the library calls it: each ZLC_ RSA function is a shim over its counterpart
// here, with the same arguments, results and statuses (zlc.h documents them).
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::rsa {

// The record under its own name, also where a test has left the global RSA name to OpenSSL.
using RSA = ::ZLC_RSA;

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Rsa, op, reason);
}

// Operation numbers of the RSA module.
namespace op {
inline constexpr std::uint8_t kSetParams = 0x01, kSetPublicParams = 0x02, kInitSign = 0x03,
                              kUpdateSign = 0x04, kFinalSign = 0x05, kSign = 0x06, kVerify = 0x07,
                              kInitCipher = 0x08, kEncrypt = 0x09, kDecrypt = 0x0A,
                              kGenerateEx = 0x0B, kGenerate = 0x0C, kCheckPkcs1 = 0x0D,
                              kMgf1 = 0x0E, kPssEncode = 0x0F, kPssCheck = 0x10;
}  // namespace op

// Reasons used only by this module.
inline constexpr std::uint16_t REASON_ENCODE_FAILED = 0x0012;
inline constexpr std::uint16_t REASON_MISMATCH = 0x000C;
inline constexpr std::uint16_t REASON_DECODE_FAILED = 0x000E;
inline constexpr std::uint16_t REASON_BAD_SIGN_ENCODING = 0x002A;
inline constexpr std::uint16_t REASON_BAD_CIPHER_ENCODING = 0x0033;
inline constexpr std::uint16_t REASON_INCONSISTENT_KEY = 0x002E;
inline constexpr std::uint16_t REASON_NOT_BELOW_N = 0x003D;
inline constexpr std::uint16_t REASON_PRIVATE_MISSING = 0x0045;
inline constexpr std::uint16_t REASON_PUBLIC_MISSING = 0x0046;
inline constexpr std::uint16_t REASON_ZERO_SIGNATURE = 0x0054;
inline constexpr std::uint16_t REASON_SIGNATURE_NOT_BELOW_N = 0x0055;

// Encoding word.
inline constexpr std::uint32_t kEncodingMask = 0xFFu;
inline constexpr std::uint32_t kMgf1Mask = ZLC_RSA_MGF1_MASK;
inline constexpr std::uint32_t kDefaultSaltLength = 20;

inline std::int32_t salt_length(std::uint32_t encoding) noexcept {
    const std::uint32_t salt = (encoding >> 16) & 0xFFu;
    return static_cast<std::int32_t>(salt == 0 ? kDefaultSaltLength : salt);
}
// The MGF1 digest default: when the word names no digest, the message digest is XORed in.
std::uint32_t with_mgf1_default(std::uint32_t encoding, std::uint32_t digest_id) noexcept;

// Modulus length in bytes and bits; 0 without a (non-zero) modulus.
std::int32_t modulus_bytes(const RSA* rsa) noexcept;
std::int32_t modulus_bits(const RSA* rsa) noexcept;

// Encodings (RFC 8017 7 and 9).
std::int32_t add_emsa_pkcs1_v1_5(std::uint8_t* out, std::int32_t em_length,
                                 const std::uint8_t* hash, std::int32_t hash_length,
                                 std::uint32_t digest_id) noexcept;
Status check_emsa_pkcs1_v1_5(const std::uint8_t* em, std::int32_t em_length, std::int32_t k,
                             const std::uint8_t* hash, std::int32_t hash_length,
                             std::uint32_t digest_id) noexcept;
// MGF1 (RFC 8017 B.2.1); a digest without a length selects SHA-1.
[[nodiscard]] Status mgf1(std::uint32_t digest_id, std::uint8_t* out, std::int32_t out_length,
                          const std::uint8_t* seed, std::int32_t seed_length) noexcept;
// out ^= MGF1(seed) over out_length bytes.
[[nodiscard]] Status mgf1_xor(std::uint32_t digest_id, std::uint8_t* out, std::int32_t out_length,
                              const std::uint8_t* seed, std::int32_t seed_length) noexcept;
[[nodiscard]] Status add_pss(const RSA* rsa, std::uint8_t* out, std::int32_t k,
                             const std::uint8_t* m_hash, std::int32_t hash_length,
                             std::int32_t salt_length, DIGEST_UNIT* digest) noexcept;
[[nodiscard]] Status check_pss(const RSA* rsa, const std::uint8_t* em, std::int32_t em_length,
                               const std::uint8_t* m_hash, std::int32_t hash_length,
                               std::int32_t salt_length, DIGEST_UNIT* digest) noexcept;
std::int32_t encode_oaep(const RSA* rsa, const std::uint8_t* message, std::int32_t message_length,
                         std::uint8_t* out, std::int32_t out_capacity, const std::uint8_t* label,
                         std::int32_t label_length, std::int32_t layout) noexcept;
std::int32_t decode_oaep(const RSA* rsa, const std::uint8_t* em, std::int32_t em_length,
                         std::uint8_t* out, std::int32_t out_capacity, const std::uint8_t* label,
                         std::int32_t label_length, std::int32_t layout) noexcept;
std::int32_t encode_pkcs1(const RSA* rsa, const std::uint8_t* message, std::int32_t message_length,
                          std::uint8_t* out, std::int32_t k) noexcept;
std::int32_t decode_pkcs1(const RSA* rsa, const std::uint8_t* em, std::int32_t em_length,
                          std::uint8_t* out, std::int32_t out_capacity) noexcept;

// The decoders' cores over a block of exactly the encoded length (k - 1 or k bytes for OAEP,
// k - 1 for PKCS #1 v1.5), with `good` an all-ones mask, or zero for a block the caller already
// found bad (so its result is 0 at the same cost). The block is unmasked in place.
std::int32_t decode_oaep_block(const RSA* rsa, std::uint8_t* block, std::uint8_t* out,
                               std::int32_t out_capacity, const std::uint8_t* label,
                               std::int32_t label_length, std::int32_t layout,
                               std::uint32_t good) noexcept;
std::int32_t decode_pkcs1_block(const std::uint8_t* block, std::int32_t block_length,
                                std::uint8_t* out, std::int32_t out_capacity,
                                std::uint32_t good) noexcept;

// Records and keys.
RSA* new_rsa() noexcept;
void free_rsa(RSA* rsa) noexcept;
void clean(RSA* rsa) noexcept;
RSA* dup(const RSA* rsa) noexcept;
[[nodiscard]] Status set_params(RSA* rsa, const BIGINT* n, const BIGINT* e, const BIGINT* d,
                                const BIGINT* p, const BIGINT* q, const BIGINT* dp,
                                const BIGINT* dq, const BIGINT* qinv) noexcept;
[[nodiscard]] Status set_public_params(RSA* rsa, const BIGINT* n, const BIGINT* e) noexcept;
std::int32_t get_length(const RSA* rsa) noexcept;

// Which operations the key allows: the public one needs n and e, a private one also d or the
// whole CRT set.
bool has_public(const RSA* rsa) noexcept;
bool has_private(const RSA* rsa) noexcept;

// Blinding pair set-up (r random, blind = r^e, blind_inv = r^-1 mod n): 0 or a status.
[[nodiscard]] Status setup_blinding(RSA* rsa) noexcept;
// The key consistency check when p, q, n, e and d are all present: true when it passes or does
// not apply.
bool key_consistent(RSA* rsa) noexcept;
// out = in^d mod n for in < n: blinded (the pair is squared afterwards), by the CRT when
// `crt_hint` allows it and the CRT set is present (always when d is missing), on the constant-time
// exponentiation, and checked with e before it is released. False when a step fails.
[[nodiscard]] bool private_op(RSA* rsa, BIGINT* out, const BIGINT* in, bool crt_hint) noexcept;
// out = in^e mod n.
[[nodiscard]] bool public_op(const RSA* rsa, BIGINT* out, const BIGINT* in) noexcept;

// Signatures and encryption.
[[nodiscard]] Status init_rsassa(RSA* rsa, std::uint32_t digest_id, std::uint32_t encoding,
                                 std::uint32_t private_side) noexcept;
[[nodiscard]] Status update_rsassa(RSA* rsa, const std::uint8_t* data,
                                   std::int32_t length) noexcept;
[[nodiscard]] Status final_rsassa(RSA* rsa, std::uint8_t* signature, std::int32_t* length) noexcept;
[[nodiscard]] Status init_rsaes(RSA* rsa, std::uint32_t encoding, std::uint32_t private_side,
                                std::uint32_t digest_id) noexcept;
[[nodiscard]] Status encrypt_rsaes(RSA* rsa, std::uint8_t* out, std::int32_t* out_length,
                                   const std::uint8_t* in, std::int32_t in_length) noexcept;
[[nodiscard]] Status decrypt_rsaes(RSA* rsa, std::uint8_t* out, std::int32_t* out_length,
                                   const std::uint8_t* in, std::int32_t in_length) noexcept;

// Key generation: `drbg` selects the _Ex variant.
[[nodiscard]] Status generate_params(RSA* rsa, const BIGINT* e, std::int32_t bits,
                                     std::int32_t type, bool drbg) noexcept;

}  // namespace zlc::rsa
