#pragma once
// Internals shared by the block cipher unit (block_cipher.cpp), its Advanced state record
// (advanced.cpp) and the mode engine (mode_engine.cpp): the cipher families and the algorithm
// table over them, the routine tables that Init binds from and the Advanced record refers to by
// index, and the engine entry points.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::cipher {

// Every cipher family, by the index its routines and Advanced records carry. A new family is its
// descriptor, an entry here and its rows in the algorithm table.
inline constexpr std::array<const BlockCipherOps*, 9> kFamilyOps = {
    &kAesOps, &kDesOps,      &kTripleDesOps, &kAriaOps, &kSeedOps,
    &kRc5Ops, &kBlowfishOps, &kRc2Ops,       &kLeaOps};
inline constexpr std::uint32_t kFamilyCount = kFamilyOps.size();

// Index of a family's own descriptor in kFamilyOps; kFamilyCount for any other.
inline std::uint32_t family_index(const BlockCipherOps* ops) noexcept {
    for (std::uint32_t i = 0; i < kFamilyCount; ++i) {
        if (kFamilyOps[i] == ops) return i;
    }
    return kFamilyCount;
}

// One row of the algorithm table; block length, schedule size and the rest come from the family.
struct Algorithm {
    std::uint32_t value;
    const char* name;
    const BlockCipherOps* family;  // one of kFamilyOps
    std::uint32_t key_length;
    std::uint32_t effective_bits;  // RC2 only
    bool allowed_in_proven_mode;

    const BlockCipherOps& ops() const { return *family; }
    std::uint32_t family_index() const { return cipher::family_index(family); }
};

constexpr std::uint32_t algorithm_value(std::uint32_t id) {
    return id & 0xFFFFFF00u;
}
constexpr std::uint8_t mode_value(std::uint32_t id) {
    return static_cast<std::uint8_t>(id & 0xFEu);
}

// The row for the identifier's algorithm value (its low byte ignored), or null.
const Algorithm* find_algorithm(std::uint32_t id) noexcept;

// Mode routines per family, in this order.
enum class ModeSlot : std::uint8_t { Ecb, Cbc, Cfb, Ofb, Ctr };
inline constexpr std::uint32_t kModeSlotCount = 5;

inline constexpr std::uint32_t kInitialisedMarker = 0xFFFFFFFFu;

// Stored mode values.
inline constexpr std::uint8_t kModeEcb = 0x00;
inline constexpr std::uint8_t kModeCbc = 0x20;
inline constexpr std::uint8_t kModeCfb = 0x40;
inline constexpr std::uint8_t kModeOfb = 0x60;
inline constexpr std::uint8_t kModeCtr = 0x80;

// The mode as stored in a unit and its routine slot; CFB64 and CFB128 are plain CFB. Null for a
// mode value Init never accepts.
struct StoredMode {
    std::uint8_t value;
    ModeSlot slot;
};
std::optional<StoredMode> stored_mode(std::uint8_t mode) noexcept;

// Routine tables: key setup by family index, block routine by family index * 5 + mode slot.
// Out-of-range indices give null.
inline constexpr std::uint32_t kKeySetupRoutineCount = kFamilyCount;
inline constexpr std::uint32_t kProcessRoutineCount = kFamilyCount * kModeSlotCount;
ZLC_BLOCK_KEY_SETUP_ROUTINE key_setup_routine(std::uint32_t index) noexcept;
ZLC_BLOCK_PROCESS_ROUTINE process_routine(std::uint32_t index) noexcept;
constexpr std::uint32_t process_index(std::uint32_t family, ModeSlot slot) {
    return family * kModeSlotCount + static_cast<std::uint32_t>(slot);
}

// The mode engine.
[[nodiscard]] Status engine_update(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
                                   std::int32_t* out_length, const std::uint8_t* in,
                                   std::int32_t in_length) noexcept;
[[nodiscard]] Status engine_final(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
                                  std::int32_t* out_length) noexcept;

// The block cipher unit as the library calls it: each exported block cipher function is a shim
// over its counterpart here, with the same arguments, results and statuses (zlc.h documents them).
BLOCK_CIPHER_UNIT* new_unit() noexcept;
void clean_unit(BLOCK_CIPHER_UNIT* unit) noexcept;
void free_unit(BLOCK_CIPHER_UNIT* unit) noexcept;
[[nodiscard]] Status init(BLOCK_CIPHER_UNIT* unit, std::uint32_t id, const std::uint8_t* key,
                          const std::uint8_t* iv, std::uint32_t encrypt) noexcept;
[[nodiscard]] inline Status update(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
                                   std::int32_t* out_length, const std::uint8_t* in,
                                   std::int32_t in_length) noexcept {
    return engine_update(unit, out, out_length, in, in_length);
}
[[nodiscard]] inline Status final(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
                                  std::int32_t* out_length) noexcept {
    return engine_final(unit, out, out_length);
}
// ZLC_BLOCK_CIPHER.
[[nodiscard]] Status one_shot(std::uint32_t id, std::uint32_t encrypt, const std::uint8_t* key,
                              const std::uint8_t* iv, const std::uint8_t* in,
                              std::int32_t in_length, std::uint8_t* out,
                              std::int32_t* out_length) noexcept;
std::uint32_t get_alg_id(const BLOCK_CIPHER_UNIT* unit) noexcept;
const char* get_alg_name(std::uint32_t id) noexcept;
const char* get_mode_name(std::uint32_t id) noexcept;
std::int32_t get_block_length(std::uint32_t id) noexcept;
std::int32_t get_key_length(std::uint32_t id) noexcept;
std::int32_t get_iv_length(std::uint32_t id) noexcept;
[[nodiscard]] Status init_advanced(std::uint32_t id, const std::uint8_t* key,
                                   const std::uint8_t* iv, std::uint32_t encrypt,
                                   std::uint8_t* state, std::int32_t* state_length) noexcept;
[[nodiscard]] Status do_final_advanced(const std::uint8_t* state, const std::uint8_t* in,
                                       std::int32_t in_length, std::uint8_t* out,
                                       std::int32_t* out_length) noexcept;

// Internal seam for tests: substitutes the operations the routines of the family whose own
// descriptor is `family` use (null restores its own) and returns the previous ones. What Init puts
// in a unit and the key-setup failure stay the family's own.
const BlockCipherOps* replace_family_ops(const BlockCipherOps& family,
                                         const BlockCipherOps* ops) noexcept;

}  // namespace zlc::cipher
