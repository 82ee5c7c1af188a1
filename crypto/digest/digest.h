#pragma once
// The digest algorithm table and the selection step shared by the digest unit and HMAC.
#include <cstdint>

#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::digest {

struct DigestAlgorithm {
    std::uint32_t id;
    const char* name;
    std::int32_t digest_length;
    std::int32_t block_size;
    bool refused_in_proven_mode;
    std::int32_t state_size;  // bytes of the algorithm's state record
    ZLC_DIGEST_INIT_ROUTINE init;
    ZLC_DIGEST_UPDATE_ROUTINE update;
    ZLC_DIGEST_FINAL_ROUTINE final;
};

// The table row of an identifier, or null.
const DigestAlgorithm* find_digest(std::uint32_t id) noexcept;

// Selection: 0x0A040029 for an unknown identifier, 0x0A0400F0 for one refused in
// proven mode; otherwise 0 and the row.
[[nodiscard]] Status select_digest(std::uint32_t id, const DigestAlgorithm** row) noexcept;

// The digest unit as the library calls it: each ZLC_..._DIGEST function is a shim over its
// counterpart here, with the same arguments, results and statuses (zlc.h documents them).
DIGEST_UNIT* new_unit() noexcept;
void clean_unit(DIGEST_UNIT* unit) noexcept;
void free_unit(DIGEST_UNIT* unit) noexcept;
[[nodiscard]] Status init(DIGEST_UNIT* unit, std::uint32_t id) noexcept;
[[nodiscard]] Status update(DIGEST_UNIT* unit, const std::uint8_t* data,
                            std::int32_t length) noexcept;
[[nodiscard]] Status final(DIGEST_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) noexcept;
// ZLC_DIGEST.
[[nodiscard]] Status one_shot(std::uint32_t id, const std::uint8_t* data, std::int32_t length,
                              std::uint8_t* out, std::int32_t* out_length) noexcept;
std::uint32_t get_alg_id(const DIGEST_UNIT* unit) noexcept;
const char* get_alg_name(std::uint32_t id) noexcept;
std::uint32_t get_alg_id_by_name(const char* name) noexcept;
std::int32_t get_length(std::uint32_t id) noexcept;

// Adapters from a typed state routine to the unit's untyped routine fields.
template <class State, Status (*F)(State*) noexcept>
std::uint32_t bind_init(void* state) {
    return F(static_cast<State*>(state));
}
template <class State, Status (*F)(State*, const std::uint8_t*, std::uint32_t) noexcept>
std::uint32_t bind_update(void* state, const std::uint8_t* data, std::uint32_t length) {
    return F(static_cast<State*>(state), data, length);
}
template <class State, Status (*F)(State*, std::uint8_t*) noexcept>
std::uint32_t bind_final(void* state, std::uint8_t* out) {
    return F(static_cast<State*>(state), out);
}

}  // namespace zlc::digest
