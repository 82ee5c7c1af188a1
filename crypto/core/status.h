#pragma once
// Status codes: bits 31..24 module, 23..16 operation (numbered per module), 15..0 reason.
#include <cstdint>

namespace zlc {

using Status = std::uint32_t;
inline constexpr Status kOk = 0;

enum class Module : std::uint8_t {
    Aes = 0x01,
    Aria = 0x02,
    Blowfish = 0x03,
    Bigint = 0x04,
    BlockCipher = 0x05,
    TripleDes = 0x07,
    Des = 0x08,
    Digest = 0x0A,
    Drbg = 0x0B,
    Dsa = 0x0C,
    ModuleState = 0x0D,
    Has160 = 0x0E,
    Hmac = 0x0F,
    Kcdsa = 0x10,
    Md5 = 0x12,
    Mdc2 = 0x13,
    Prng = 0x14,
    Rc2 = 0x15,
    Rc4 = 0x16,
    Rc5 = 0x17,
    Rsa = 0x18,
    Seed = 0x19,
    SelfTest = 0x1A,
    Sha = 0x1B,
    Entropy = 0x1C,
    Lock = 0x1D,
    Lea = 0x1F,
};

constexpr Status make_status(Module module, std::uint8_t operation, std::uint16_t reason) {
    return (static_cast<Status>(module) << 24) | (static_cast<Status>(operation) << 16) | reason;
}

// Reasons shared across modules; the same value means the same kind of failure everywhere.
inline constexpr std::uint16_t REASON_TO_BIGINT_FAILED = 0x0005;
inline constexpr std::uint16_t REASON_OUT_OF_RANGE = 0x0006;
inline constexpr std::uint16_t REASON_DIGEST_FINAL_FAILED = 0x0018;
inline constexpr std::uint16_t REASON_FINAL_FAILED = 0x0019;
inline constexpr std::uint16_t REASON_POOL_FAILED = 0x001B;
inline constexpr std::uint16_t REASON_RANDOM_INTEGER_FAILED = 0x001C;
inline constexpr std::uint16_t REASON_RANDOM_FAILED = 0x001D;
inline constexpr std::uint16_t REASON_DIGEST_INIT_FAILED = 0x0022;
inline constexpr std::uint16_t REASON_INIT_FAILED = 0x0023;
inline constexpr std::uint16_t REASON_KEY_SCHEDULE_FAILED = 0x0024;
inline constexpr std::uint16_t REASON_GENERATOR_REFUSED = 0x0025;
inline constexpr std::uint16_t REASON_UNKNOWN_ALGORITHM = 0x0029;
inline constexpr std::uint16_t REASON_INVALID_ARGUMENT = 0x002B;
inline constexpr std::uint16_t REASON_NOT_PRIME = 0x0036;
inline constexpr std::uint16_t REASON_PAIRWISE_FAILED = 0x0038;
inline constexpr std::uint16_t REASON_SHIFT_FAILED = 0x0039;
inline constexpr std::uint16_t REASON_ALLOC_FAILED = 0x003A;
inline constexpr std::uint16_t REASON_ALLOC_FAILED_B = 0x003B;
inline constexpr std::uint16_t REASON_ALLOC_FAILED_C = 0x003C;
inline constexpr std::uint16_t REASON_REDUCTION_FAILED = 0x003E;
inline constexpr std::uint16_t REASON_MODEXP_FAILED = 0x0040;
inline constexpr std::uint16_t REASON_MULTIPLY_FAILED = 0x0044;
inline constexpr std::uint16_t REASON_UNSUPPORTED = 0x0048;
inline constexpr std::uint16_t REASON_NULL_ARGUMENT = 0x0049;
inline constexpr std::uint16_t REASON_SET_WORD_FAILED = 0x0052;
inline constexpr std::uint16_t REASON_NO_POOL = 0x0057;
inline constexpr std::uint16_t REASON_SUBTRACT_FAILED = 0x0058;
inline constexpr std::uint16_t REASON_STEP_FAILED = 0x0059;
inline constexpr std::uint16_t REASON_DIGEST_UPDATE_FAILED = 0x005B;
inline constexpr std::uint16_t REASON_UPDATE_FAILED = 0x005C;
inline constexpr std::uint16_t REASON_LOCK_FAILED = 0x0061;
inline constexpr std::uint16_t REASON_SELF_CHECK_MISMATCH = 0x0067;
inline constexpr std::uint16_t REASON_NOT_APPROVED = 0x00F0;
inline constexpr std::uint16_t REASON_MODE_CHANGE_REFUSED = 0x00F1;

}  // namespace zlc
