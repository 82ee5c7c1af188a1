// The Advanced pair: a unit captured once by Init Advanced as a flat 876-byte state record, and
// DoFinal, which rebuilds a fresh unit from the record for each message. The record is caller
// memory, so DoFinal trusts none of it.
#include <cstring>
#include <optional>

#include "crypto/cipher/block_cipher.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::cipher {
namespace {

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::BlockCipher, op, reason);
}
constexpr Status kAdvInitNull = st(0x0A, REASON_NULL_ARGUMENT);
constexpr Status kAdvInitUnsupported = st(0x0A, REASON_UNSUPPORTED);
constexpr Status kAdvInitShort = st(0x0A, REASON_OUT_OF_RANGE);
constexpr Status kAdvInitFailed = st(0x0A, 0x0021);
constexpr Status kAdvFinalNull = st(0x0B, REASON_NULL_ARGUMENT);
constexpr Status kAdvFinalState = st(0x0B, REASON_INVALID_ARGUMENT);
constexpr Status kAdvFinalUpdate = st(0x0B, 0x005A);
constexpr Status kAdvFinalFinal = st(0x0B, 0x0017);

// The Advanced state record: fixed offsets, little-endian integers. The two routine references
// are indices into the routine tables, so the record never holds a code address.
namespace adv {
constexpr std::size_t kAlgorithm = 0;
constexpr std::size_t kBlockLength = 4;
constexpr std::size_t kKeyLength = 8;
constexpr std::size_t kIvLength = 12;
constexpr std::size_t kEffectiveBits = 16;
constexpr std::size_t kMode = 20;
constexpr std::size_t kNoPadding = 21;
constexpr std::size_t kKeySetupIndex = 24;
constexpr std::size_t kProcessIndex = 28;
constexpr std::size_t kEncrypt = 32;
constexpr std::size_t kSavedIv = 36;
constexpr std::size_t kChain = 52;
constexpr std::size_t kSchedule = 68;
constexpr std::size_t kScheduleCapacity = 788;
constexpr std::size_t kScheduleSize = 856;
constexpr std::size_t kHeld = 860;
constexpr std::size_t kBlockMask = 864;
constexpr std::size_t kInitialised = 868;
constexpr std::size_t kProvenCopy = 872;
constexpr std::size_t kSize = 876;

static_assert(kSize == ZLC_ADVANCED_BLOCK_CIPHER_STATE_LENGTH);
static_assert(kBlockLength == kAlgorithm + 4 && kKeyLength == kBlockLength + 4 &&
              kIvLength == kKeyLength + 4);
static_assert(kEffectiveBits == kIvLength + 4 && kMode == kEffectiveBits + 4 &&
              kNoPadding == kMode + 1);
static_assert(kKeySetupIndex == kNoPadding + 3 && kProcessIndex == kKeySetupIndex + 4 &&
              kEncrypt == kProcessIndex + 4);
static_assert(kSavedIv == kEncrypt + 4 && kChain == kSavedIv + 16 && kSchedule == kChain + 16);
static_assert(kScheduleSize == kSchedule + kScheduleCapacity && kHeld == kScheduleSize + 4);
static_assert(kBlockMask == kHeld + 4 && kInitialised == kBlockMask + 4 &&
              kProvenCopy == kInitialised + 4);
static_assert(kSize == kProvenCopy + 4);
}  // namespace adv

// Index of a routine in its table, from the unit's bound routine.
std::uint32_t key_setup_index_of(const BLOCK_CIPHER_UNIT* unit) {
    for (std::uint32_t i = 0; i < kKeySetupRoutineCount; ++i) {
        if (key_setup_routine(i) == unit->key_setup) return i;
    }
    return kKeySetupRoutineCount;
}

std::uint32_t process_index_of(const BLOCK_CIPHER_UNIT* unit) {
    for (std::uint32_t i = 0; i < kProcessRoutineCount; ++i) {
        if (process_routine(i) == unit->process) return i;
    }
    return kProcessRoutineCount;
}

void write_state(const BLOCK_CIPHER_UNIT* unit, std::uint8_t* state) {
    std::memset(state, 0, adv::kSize);
    store_le32(state + adv::kAlgorithm, unit->algorithm);
    store_le32(state + adv::kBlockLength, unit->block_length);
    store_le32(state + adv::kKeyLength, unit->key_length);
    store_le32(state + adv::kIvLength, unit->iv_length);
    store_le32(state + adv::kEffectiveBits, unit->effective_bits);
    state[adv::kMode] = unit->mode;
    state[adv::kNoPadding] = unit->no_padding;
    store_le32(state + adv::kKeySetupIndex, key_setup_index_of(unit));
    store_le32(state + adv::kProcessIndex, process_index_of(unit));
    store_le32(state + adv::kEncrypt, unit->encrypt);
    std::memcpy(state + adv::kSavedIv, unit->saved_iv, 16);
    std::memcpy(state + adv::kChain, unit->chain, 16);
    std::memcpy(state + adv::kSchedule, unit->key_schedule, unit->key_schedule_size);
    store_le32(state + adv::kScheduleSize, unit->key_schedule_size);
    store_le32(state + adv::kHeld, unit->held);
    store_le32(state + adv::kBlockMask, unit->block_mask);
    store_le32(state + adv::kInitialised, unit->initialised);
    state[adv::kProvenCopy] = unit->proven_copy;
}

// Rebuilds the unit Init Advanced captured. The record is caller memory, so every field the
// engine relies on is checked against the tables before anything is run or copied.
bool read_state(const std::uint8_t* state, BLOCK_CIPHER_UNIT* unit, std::uint8_t* schedule) {
    const std::uint32_t value = load_le32(state + adv::kAlgorithm);
    const Algorithm* algorithm = find_algorithm(value);
    if (algorithm == nullptr || algorithm->value != value) return false;
    const BlockCipherOps& ops = algorithm->ops();
    if (ops.schedule_size > adv::kScheduleCapacity) return false;
    const std::uint8_t mode = state[adv::kMode];
    const std::optional<StoredMode> stored = stored_mode(mode);
    if (!stored || stored->value != mode) return false;
    if (!ops.counter_mode && stored->slot == ModeSlot::Ctr) return false;
    const std::uint32_t block = ops.block_length;
    const std::uint32_t process = process_index(algorithm->family_index(), stored->slot);
    const bool consistent =
        load_le32(state + adv::kBlockLength) == block &&
        load_le32(state + adv::kKeyLength) == algorithm->key_length &&
        load_le32(state + adv::kIvLength) == block &&
        load_le32(state + adv::kEffectiveBits) == algorithm->effective_bits &&
        state[adv::kNoPadding] <= 1 &&
        load_le32(state + adv::kKeySetupIndex) == algorithm->family_index() &&
        load_le32(state + adv::kProcessIndex) == process && load_le32(state + adv::kEncrypt) <= 1 &&
        load_le32(state + adv::kScheduleSize) == ops.schedule_size &&
        load_le32(state + adv::kHeld) == 0 && load_le32(state + adv::kBlockMask) == block - 1 &&
        load_le32(state + adv::kInitialised) == kInitialisedMarker && state[adv::kProvenCopy] <= 1;
    if (!consistent) return false;
    std::memcpy(schedule, state + adv::kSchedule, ops.schedule_size);
    // The block functions take their round counts from the schedule itself.
    if (ops.schedule_matches != nullptr &&
        !ops.schedule_matches(schedule, algorithm->key_length, algorithm->effective_bits)) {
        return false;
    }

    unit->algorithm = value;
    unit->block_length = block;
    unit->key_length = algorithm->key_length;
    unit->iv_length = block;
    unit->effective_bits = algorithm->effective_bits;
    unit->mode = mode;
    unit->no_padding = state[adv::kNoPadding];
    unit->key_setup = key_setup_routine(algorithm->family_index());
    unit->process = process_routine(process);
    unit->encrypt = load_le32(state + adv::kEncrypt);
    std::memcpy(unit->saved_iv, state + adv::kSavedIv, 16);
    std::memcpy(unit->chain, state + adv::kChain, 16);
    unit->key_schedule = schedule;
    unit->key_schedule_size = ops.schedule_size;
    unit->block_mask = block - 1;
    unit->initialised = kInitialisedMarker;
    unit->proven_copy = state[adv::kProvenCopy];
    return true;
}

}  // namespace

Status init_advanced(std::uint32_t id, const std::uint8_t* key, const std::uint8_t* iv,
                     std::uint32_t encrypt, std::uint8_t* state,
                     std::int32_t* state_length) noexcept {
    if (key == nullptr || state == nullptr || state_length == nullptr) return kAdvInitNull;
    // Only schedules that fit the record (all but Blowfish's).
    const Algorithm* algorithm = find_algorithm(id);
    if (algorithm != nullptr && algorithm->ops().schedule_size > adv::kScheduleCapacity) {
        return kAdvInitUnsupported;
    }
    if (*state_length < static_cast<std::int32_t>(adv::kSize)) return kAdvInitShort;
    BLOCK_CIPHER_UNIT unit{};
    mem::ScopeExit release([&unit] { clean_unit(&unit); });
    if (init(&unit, id, key, iv, encrypt) != kOk) return kAdvInitFailed;
    write_state(&unit, state);
    *state_length = static_cast<std::int32_t>(adv::kSize);
    return kOk;
}

Status do_final_advanced(const std::uint8_t* state, const std::uint8_t* in, std::int32_t in_length,
                         std::uint8_t* out, std::int32_t* out_length) noexcept {
    if (state == nullptr || out == nullptr) return kAdvFinalNull;
    // The transient unit and its schedule live on the stack and are wiped on every path.
    BLOCK_CIPHER_UNIT unit{};
    alignas(64) std::uint8_t schedule[adv::kScheduleCapacity];
    mem::WipeOnExit wipe_unit(unit);
    mem::WipeOnExit wipe_schedule(schedule);
    if (!read_state(state, &unit, schedule)) return kAdvFinalState;
    std::int32_t updated = 0;
    if (engine_update(&unit, out, &updated, in, in_length) != kOk) return kAdvFinalUpdate;
    std::int32_t finished = 0;
    if (engine_final(&unit, out + updated, &finished) != kOk) return kAdvFinalFinal;
    if (out_length != nullptr) *out_length = updated + finished;
    return kOk;
}

}  // namespace zlc::cipher

using namespace zlc::cipher;

extern "C" {

ZLC_API uint32_t ZLC_Init_Advanced_BLOCK_CIPHER(uint32_t algorithm_id, const uint8_t* key,
                                                const uint8_t* iv, uint32_t encrypt, uint8_t* state,
                                                int32_t* state_length) ZLC_NOEXCEPT {
    return init_advanced(algorithm_id, key, iv, encrypt, state, state_length);
}

ZLC_API uint32_t ZLC_DoFinal_Advanced_BLOCK_CIPHER(const uint8_t* state, uint32_t,
                                                   const uint8_t* in, int32_t in_length,
                                                   uint8_t* out, int32_t* out_length) ZLC_NOEXCEPT {
    return do_final_advanced(state, in, in_length, out, out_length);
}

}  // extern "C"
