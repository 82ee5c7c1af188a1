#pragma once
// Internals shared by the block cipher unit (block_cipher.cpp) and the mode engine (mode_engine.cpp):
// the cipher families, the routine tables that Init binds from and the Advanced state refers to by
// index, and the engine entry points.
#include <cstddef>
#include <cstdint>

#include "crypto/cipher/block_cipher_ops.h"
#include "crypto/core/status.h"
#include "zlc.h"

namespace zlc::cipher {

enum class Family : std::uint8_t { Aes, Des, TripleDes, Aria, Seed, Rc5, Blowfish, Rc2, Lea };
inline constexpr std::uint32_t kFamilyCount = 9;

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
[[nodiscard]] Status engine_update(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, std::int32_t* out_length,
                                   const std::uint8_t* in, std::int32_t in_length) noexcept;
[[nodiscard]] Status engine_final(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) noexcept;

// Internal seam for tests: substitutes the descriptor a family's routines use (null restores the
// family's own) and returns the previous one.
const BlockCipherOps* replace_family_ops(Family family, const BlockCipherOps* ops) noexcept;

}  // namespace zlc::cipher
