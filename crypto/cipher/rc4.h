#pragma once
// The RC4 unit as the library calls it: each exported RC4 function is a shim over its counterpart
// here, with the same arguments, results and statuses (zlc.h documents them).
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::rc4 {

RC4_UNIT* new_unit() noexcept;
void clean_unit(RC4_UNIT* unit) noexcept;
void free_unit(RC4_UNIT* unit) noexcept;
[[nodiscard]] Status init(RC4_UNIT* unit, const std::uint8_t* key,
                          std::int32_t key_length) noexcept;
// ZLC_Do_RC4.
[[nodiscard]] Status run(RC4_UNIT* unit, const std::uint8_t* in, std::uint32_t length,
                         std::uint8_t* out) noexcept;

}  // namespace zlc::rc4
