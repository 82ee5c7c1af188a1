#pragma once
// Internals shared by the block cipher unit (block_cipher.cpp) and the mode engine
// (mode_engine.cpp): the cipher families, the routine tables that Init binds from and the Advanced
// state refers to by index, and the engine entry points.
#include <array>
#include <cstddef>
#include <cstdint>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::cipher {

enum class Family : std::uint8_t { Aes, Des, TripleDes, Aria, Seed, Rc5, Blowfish, Rc2, Lea };
inline constexpr std::uint32_t kFamilyCount = 9;

// Each family's own descriptor, by family index.
inline constexpr std::array<const BlockCipherOps*, kFamilyCount> kFamilyOps = {
    &kAesOps, &kDesOps,      &kTripleDesOps, &kAriaOps, &kSeedOps,
    &kRc5Ops, &kBlowfishOps, &kRc2Ops,       &kLeaOps};

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

// Routine tables: key setup by family index, block routine by family index * 5 + mode slot.
// Out-of-range indices give null.
inline constexpr std::uint32_t kKeySetupRoutineCount = kFamilyCount;
inline constexpr std::uint32_t kProcessRoutineCount = kFamilyCount * kModeSlotCount;
ZLC_BLOCK_KEY_SETUP_ROUTINE key_setup_routine(std::uint32_t index) noexcept;
ZLC_BLOCK_PROCESS_ROUTINE process_routine(std::uint32_t index) noexcept;
constexpr std::uint32_t process_index(Family family, ModeSlot slot) {
    return static_cast<std::uint32_t>(family) * kModeSlotCount + static_cast<std::uint32_t>(slot);
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

// Internal seam for tests: substitutes the descriptor a family's routines use (null restores the
// family's own) and returns the previous one.
const BlockCipherOps* replace_family_ops(Family family, const BlockCipherOps* ops) noexcept;

}  // namespace zlc::cipher
