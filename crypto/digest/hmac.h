#pragma once
// The HMAC unit as the library calls it: each ZLC_..._HMAC function is a shim over its counterpart
// here, with the same arguments, results and statuses (zlc.h documents them).
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::hmac {

HMAC_UNIT* new_unit() noexcept;
void clean_unit(HMAC_UNIT* unit) noexcept;
void free_unit(HMAC_UNIT* unit) noexcept;
[[nodiscard]] Status init(HMAC_UNIT* unit, std::uint32_t digest_id, const std::uint8_t* key,
                          std::int32_t key_length) noexcept;
[[nodiscard]] Status update(HMAC_UNIT* unit, const std::uint8_t* data,
                            std::int32_t length) noexcept;
[[nodiscard]] Status final(HMAC_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) noexcept;
// ZLC_HMAC.
[[nodiscard]] Status one_shot(std::uint32_t digest_id, const std::uint8_t* key,
                              std::int32_t key_length, const std::uint8_t* data,
                              std::int32_t length, std::uint8_t* out,
                              std::int32_t* out_length) noexcept;
// A "HMAC_<digest>" text the caller releases with ZLC_Free, or null.
char* get_name(std::uint32_t hmac_id) noexcept;

}  // namespace zlc::hmac
