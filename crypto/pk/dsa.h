#pragma once
// DSA (FIPS 186-2): the C++ entry points behind the ZLC_ DSA functions, with the same arguments,
// results and statuses, and the seams of the known-answer tests.
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::dsa {

ZLC_DSA* new_dsa() noexcept;
void free_dsa(ZLC_DSA* dsa) noexcept;
void clean_dsa(ZLC_DSA* dsa) noexcept;
[[nodiscard]] Status set_params(ZLC_DSA* dsa, const BIGINT* p, const BIGINT* q, const BIGINT* g,
                                const BIGINT* x, const BIGINT* y) noexcept;
[[nodiscard]] Status init(ZLC_DSA* dsa, std::uint32_t digest_id, std::uint32_t sign,
                          const std::uint8_t* seed, std::int32_t seed_length) noexcept;
[[nodiscard]] Status update(ZLC_DSA* dsa, const std::uint8_t* data, std::int32_t length) noexcept;
[[nodiscard]] Status final(ZLC_DSA* dsa, std::uint8_t* r, std::int32_t* r_length, std::uint8_t* s,
                           std::int32_t* s_length) noexcept;
[[nodiscard]] Status generate_params(ZLC_DSA* dsa, std::uint32_t digest_id, std::int32_t pbits,
                                     const std::uint8_t* seed) noexcept;
[[nodiscard]] Status generate_key_pair(ZLC_DSA* dsa) noexcept;

// Signs the message fed so far with the given k (0 < k < q): the known-answer seam. The inner
// signing status (operation 0x05) is returned.
[[nodiscard]] Status sign_with_k(ZLC_DSA* dsa, const BIGINT* k, std::uint8_t* r,
                                 std::int32_t* r_length, std::uint8_t* s,
                                 std::int32_t* s_length) noexcept;
// The inner verification status (operation 0x06).
[[nodiscard]] Status verify_detail(ZLC_DSA* dsa, const std::uint8_t* r, std::int32_t r_length,
                                   const std::uint8_t* s, std::int32_t s_length) noexcept;
// Parameter generation that also reports the SEED (20 bytes) and the counter of the result.
[[nodiscard]] Status generate_params_detail(ZLC_DSA* dsa, std::uint32_t digest_id,
                                            std::int32_t pbits, const std::uint8_t* seed,
                                            std::uint8_t* seed_out,
                                            std::int32_t* counter_out) noexcept;

}  // namespace zlc::dsa
