// The block cipher unit: the algorithm and mode tables, the unit's life cycle, the one-shot call,
// the lookups and the Advanced pair with its flat 876-byte state record.
#include "crypto/cipher/block_cipher.h"

#include <array>
#include <cstring>
#include <optional>

#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"

namespace zlc::cipher {
namespace {

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::BlockCipher, op, reason);
}
constexpr Status kInitNull = st(0x01, REASON_INVALID_ARGUMENT);
constexpr Status kInitRefused = st(0x01, REASON_INIT_FAILED);
constexpr Status kInitAlloc = st(0x01, REASON_ALLOC_FAILED);
constexpr Status kInitNoIv = st(0x01, 0x004A);
constexpr Status kInitNotApproved = st(0x01, REASON_NOT_APPROVED);
constexpr Status kOneShotAlloc = st(0x08, REASON_ALLOC_FAILED_B);
constexpr Status kOneShotInit = st(0x08, 0x0021);
constexpr Status kOneShotUpdate = st(0x08, 0x005A);
constexpr Status kOneShotFinal = st(0x08, 0x0017);
constexpr Status kAdvInitNull = st(0x0A, REASON_NULL_ARGUMENT);
constexpr Status kAdvInitUnsupported = st(0x0A, REASON_UNSUPPORTED);
constexpr Status kAdvInitShort = st(0x0A, REASON_OUT_OF_RANGE);
constexpr Status kAdvInitFailed = st(0x0A, 0x0021);
constexpr Status kAdvFinalNull = st(0x0B, REASON_NULL_ARGUMENT);
constexpr Status kAdvFinalState = st(0x0B, REASON_INVALID_ARGUMENT);
constexpr Status kAdvFinalUpdate = st(0x0B, 0x005A);
constexpr Status kAdvFinalFinal = st(0x0B, 0x0017);

struct Algorithm {
    std::uint32_t value;
    const char* name;
    Family family;
    std::uint32_t key_length;
    std::uint32_t block_length;
    std::uint32_t schedule_size;
    std::uint32_t effective_bits;  // RC2 only
    bool allowed_in_proven_mode;
};

constexpr std::array<Algorithm, 20> kAlgorithms = {{
    {0x01000100, "AES_128", Family::Aes, 16, 16, 244, 0, false},
    {0x01000200, "AES_192", Family::Aes, 24, 16, 244, 0, false},
    {0x01000300, "AES_256", Family::Aes, 32, 16, 244, 0, false},
    {0x02000100, "ZLC_DES", Family::Des, 8, 8, 128, 0, false},
    {0x02000200, "ZLC_DES_EDE", Family::TripleDes, 24, 8, 384, 0, false},
    {0x02001200, "ZLC_DES_EDE", Family::TripleDes, 16, 8, 384, 0, false},
    {0x02010200, "ZLC_DES_EDE", Family::TripleDes, 24, 8, 384, 0, false},
    {0x03000100, "ARIA_128", Family::Aria, 16, 16, 548, 0, true},
    {0x03000200, "ARIA_192", Family::Aria, 24, 16, 548, 0, true},
    {0x03000300, "ARIA_256", Family::Aria, 32, 16, 548, 0, true},
    {0x04000100, "ZLC_SEED", Family::Seed, 16, 16, 196, 0, true},
    {0x04000200, "SEED_256", Family::Seed, 32, 16, 196, 0, false},
    {0x05000100, "ZLC_RC5", Family::Rc5, 16, 8, 140, 0, false},
    {0x06000100, "BlowFish", Family::Blowfish, 16, 8, 4168, 0, false},
    {0x07000100, "ZLC_RC2_128", Family::Rc2, 16, 8, 144, 128, false},
    {0x07000200, "ZLC_RC2_40", Family::Rc2, 5, 8, 144, 40, false},
    {0x07000300, "ZLC_RC2_64", Family::Rc2, 8, 8, 144, 64, false},
    {0x08000100, "LEA_128", Family::Lea, 16, 16, 772, 0, false},
    {0x08000200, "LEA_192", Family::Lea, 24, 16, 772, 0, false},
    {0x08000300, "LEA_256", Family::Lea, 32, 16, 772, 0, false},
}};

constexpr std::uint32_t kBlowfish = 0x06000100;

struct Mode {
    std::uint8_t value;
    const char* name;
};

constexpr std::array<Mode, 11> kModes = {{
    {0x00, "ECB"},
    {0x20, "CBC"},
    {0x40, "CFB"},
    {0x42, "CFB1"},
    {0x44, "CFB8"},
    {0x46, "CFB16"},
    {0x48, "CFB32"},
    {0x4A, "CFB64"},
    {0x4C, "CFB128"},
    {0x60, "OFB"},
    {0x80, "CTR"},
}};

constexpr std::uint32_t algorithm_value(std::uint32_t id) {
    return id & 0xFFFFFF00u;
}
constexpr std::uint8_t mode_value(std::uint32_t id) {
    return static_cast<std::uint8_t>(id & 0xFEu);
}

const Algorithm* find_algorithm(std::uint32_t id) {
    for (const auto& algorithm : kAlgorithms) {
        if (algorithm.value == algorithm_value(id)) return &algorithm;
    }
    return nullptr;
}

const Mode* find_mode(std::uint32_t id) {
    for (const auto& mode : kModes) {
        if (mode.value == mode_value(id)) return &mode;
    }
    return nullptr;
}

// The mode as stored in a unit and its routine slot; CFB64 and CFB128 are plain CFB.
struct StoredMode {
    std::uint8_t value;
    ModeSlot slot;
};

std::optional<StoredMode> stored_mode(std::uint8_t mode) {
    switch (mode) {
        case 0x00:
            return StoredMode{kModeEcb, ModeSlot::Ecb};
        case 0x20:
            return StoredMode{kModeCbc, ModeSlot::Cbc};
        case 0x40:
        case 0x4A:
        case 0x4C:
            return StoredMode{kModeCfb, ModeSlot::Cfb};
        case 0x60:
            return StoredMode{kModeOfb, ModeSlot::Ofb};
        case 0x80:
            return StoredMode{kModeCtr, ModeSlot::Ctr};
        default:
            return std::nullopt;
    }
}

// CFB widths: only the full block, under its own name or as plain CFB.
bool mode_refused_ahead(std::uint8_t mode, std::uint32_t algorithm) {
    if (mode == 0x42 || mode == 0x44 || mode == 0x46 || mode == 0x48) return true;
    const std::uint32_t family = algorithm >> 24;
    const bool block16 = family == 0x01 || family == 0x03 || family == 0x04 || family == 0x08;
    const bool block8 = family == 0x02 || family == 0x05 || family == 0x06 || family == 0x07;
    return (mode == 0x4A && block16) || (mode == 0x4C && block8);
}

// Fills the unit's table fields; false when the identifier is refused.
bool fill_from_table(BLOCK_CIPHER_UNIT* unit, std::uint32_t id, const Algorithm** chosen,
                     ModeSlot* slot) {
    if (core::pass_gate() != kOk) return false;
    if (mode_refused_ahead(mode_value(id), algorithm_value(id))) return false;
    unit->algorithm = algorithm_value(id);
    const Algorithm* algorithm = find_algorithm(id);
    if (algorithm == nullptr) {
        unit->algorithm = 0;
        return false;
    }
    if (unit->proven_copy != 0 && !algorithm->allowed_in_proven_mode) return false;
    const std::optional<StoredMode> mode = stored_mode(mode_value(id));
    if (!mode) {
        unit->algorithm = 0;
        return false;
    }
    if (algorithm->family == Family::Rc2 && mode->slot == ModeSlot::Ctr) return false;
    unit->key_length = algorithm->key_length;
    unit->block_length = algorithm->block_length;
    unit->iv_length = algorithm->block_length;
    unit->mode = mode->value;
    unit->key_schedule_size = algorithm->schedule_size;
    unit->key_setup = key_setup_routine(static_cast<std::uint32_t>(algorithm->family));
    unit->key_schedule = nullptr;
    unit->effective_bits = algorithm->effective_bits;
    *chosen = algorithm;
    *slot = mode->slot;
    return true;
}

}  // namespace

void clean_unit(BLOCK_CIPHER_UNIT* unit) noexcept {
    if (unit == nullptr || unit->initialised != kInitialisedMarker) return;
    mem::free_wiped(unit->key_schedule, unit->key_schedule_size);
    unit->key_schedule = nullptr;
    platform::secure_zero(unit, sizeof(*unit));
}

Status init(BLOCK_CIPHER_UNIT* unit, std::uint32_t id, const std::uint8_t* key,
            const std::uint8_t* iv, std::uint32_t encrypt) noexcept {
    if (unit == nullptr) return kInitNull;
    clean_unit(unit);
    unit->initialised = kInitialisedMarker;
    unit->proven_copy = core::is_proven() ? 1 : 0;
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;

    const Algorithm* algorithm = nullptr;
    ModeSlot slot{};
    if (!fill_from_table(unit, id, &algorithm, &slot)) return kInitRefused;
    unit->encrypt = encrypt != 0 ? 1 : 0;
    if (unit->key_schedule_size != 0) {
        unit->key_schedule = mem::alloc_zeroed(unit->key_schedule_size);
        if (unit->key_schedule == nullptr) return kInitAlloc;
    }
    unit->no_padding = static_cast<std::uint8_t>(id & 1u);
    switch (unit->mode) {
        case kModeCbc:
            if (iv == nullptr) return kInitNoIv;
            std::memcpy(unit->saved_iv, iv, unit->iv_length);
            std::memcpy(unit->chain, iv, unit->iv_length);
            break;
        case kModeCfb:
        case kModeOfb:
            if (iv == nullptr) return kInitNoIv;
            unit->stream_pos = 0;
            break;
        case kModeCtr:
            if (unit->proven_copy != 0) return kInitNotApproved;
            break;
        default:
            break;
    }
    // Every key setup refuses a null key: a unit keyed by a schedule nobody set would encrypt
    // under all-zero round keys without a word of complaint.
    if (unit->key_setup(unit, key, iv, encrypt) != kOk) return kInitRefused;
    unit->pending_count = 0;
    unit->held = 0;
    unit->block_mask = unit->block_length - 1;
    // Bound last, so that Update and Final refuse the unit after any failed Init.
    unit->process = process_routine(process_index(algorithm->family, slot));
    return kOk;
}

Status one_shot(std::uint32_t id, std::uint32_t encrypt, const std::uint8_t* key,
                const std::uint8_t* iv, const std::uint8_t* in, std::int32_t in_length,
                std::uint8_t* out, std::int32_t* out_length) noexcept {
    auto* unit = mem::alloc_record<BLOCK_CIPHER_UNIT>();
    if (unit == nullptr) return kOneShotAlloc;
    mem::ScopeExit release([unit] {
        clean_unit(unit);
        mem::free_record(unit);
    });
    if (init(unit, id, key, iv, encrypt) != kOk) return kOneShotInit;
    std::int32_t updated = 0;
    if (engine_update(unit, out, &updated, in, in_length) != kOk) return kOneShotUpdate;
    std::int32_t finished = 0;
    if (engine_final(unit, out + updated, &finished) != kOk) return kOneShotFinal;
    if (out_length != nullptr) *out_length = updated + finished;
    return kOk;
}

namespace {

// ---------------------------------------------------------------------------------------------
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
    if (algorithm == nullptr || algorithm->value != value ||
        algorithm->schedule_size > adv::kScheduleCapacity) {
        return false;
    }
    const std::uint8_t mode = state[adv::kMode];
    const std::optional<StoredMode> stored = stored_mode(mode);
    if (!stored || stored->value != mode) return false;
    if (algorithm->family == Family::Rc2 && stored->slot == ModeSlot::Ctr) return false;
    const auto family = static_cast<std::uint32_t>(algorithm->family);
    const std::uint32_t block = algorithm->block_length;
    const bool consistent =
        load_le32(state + adv::kBlockLength) == block &&
        load_le32(state + adv::kKeyLength) == algorithm->key_length &&
        load_le32(state + adv::kIvLength) == block &&
        load_le32(state + adv::kEffectiveBits) == algorithm->effective_bits &&
        state[adv::kNoPadding] <= 1 && load_le32(state + adv::kKeySetupIndex) == family &&
        load_le32(state + adv::kProcessIndex) == process_index(algorithm->family, stored->slot) &&
        load_le32(state + adv::kEncrypt) <= 1 &&
        load_le32(state + adv::kScheduleSize) == algorithm->schedule_size &&
        load_le32(state + adv::kHeld) == 0 && load_le32(state + adv::kBlockMask) == block - 1 &&
        load_le32(state + adv::kInitialised) == kInitialisedMarker && state[adv::kProvenCopy] <= 1;
    if (!consistent) return false;

    unit->algorithm = value;
    unit->block_length = block;
    unit->key_length = algorithm->key_length;
    unit->iv_length = block;
    unit->effective_bits = algorithm->effective_bits;
    unit->mode = mode;
    unit->no_padding = state[adv::kNoPadding];
    unit->key_setup = key_setup_routine(family);
    unit->process = process_routine(process_index(algorithm->family, stored->slot));
    unit->encrypt = load_le32(state + adv::kEncrypt);
    std::memcpy(unit->saved_iv, state + adv::kSavedIv, 16);
    std::memcpy(unit->chain, state + adv::kChain, 16);
    std::memcpy(schedule, state + adv::kSchedule, algorithm->schedule_size);
    // The block functions take their round counts from the schedule itself.
    const ScheduleCheckFn check = kFamilyOps[family]->schedule_matches;
    if (check != nullptr && !check(schedule, algorithm->key_length, algorithm->effective_bits))
        return false;
    unit->key_schedule = schedule;
    unit->key_schedule_size = algorithm->schedule_size;
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
    if (algorithm_value(id) == kBlowfish) return kAdvInitUnsupported;
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

BLOCK_CIPHER_UNIT* new_unit() noexcept {
    return mem::alloc_record<BLOCK_CIPHER_UNIT>();
}

void free_unit(BLOCK_CIPHER_UNIT* unit) noexcept {
    if (unit == nullptr) return;
    clean_unit(unit);
    mem::free_record(unit);
}

std::uint32_t get_alg_id(const BLOCK_CIPHER_UNIT* unit) noexcept {
    return unit != nullptr ? unit->algorithm : 0;
}

const char* get_alg_name(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return nullptr;
    const Algorithm* algorithm = find_algorithm(id);
    return algorithm != nullptr ? algorithm->name : nullptr;
}

const char* get_mode_name(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return nullptr;
    const Mode* mode = find_mode(id);
    return mode != nullptr ? mode->name : nullptr;
}

std::int32_t get_block_length(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return 0;
    const Algorithm* algorithm = find_algorithm(id);
    return algorithm != nullptr ? static_cast<std::int32_t>(algorithm->block_length) : 0;
}

std::int32_t get_key_length(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return 0;
    const Algorithm* algorithm = find_algorithm(id);
    return algorithm != nullptr ? static_cast<std::int32_t>(algorithm->key_length) : 0;
}

std::int32_t get_iv_length(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return -1;
    const Algorithm* algorithm = find_algorithm(id);
    return algorithm != nullptr ? static_cast<std::int32_t>(algorithm->block_length) : 0;
}

}  // namespace zlc::cipher

using namespace zlc::cipher;

extern "C" {

ZLC_API BLOCK_CIPHER_UNIT* ZLC_New_BLOCK_CIPHER_Unit(void) ZLC_NOEXCEPT {
    return new_unit();
}

ZLC_API void ZLC_Clean_BLOCK_CIPHER_Unit(BLOCK_CIPHER_UNIT* unit) ZLC_NOEXCEPT {
    clean_unit(unit);
}

ZLC_API void ZLC_Free_BLOCK_CIPHER_Unit(BLOCK_CIPHER_UNIT* unit) ZLC_NOEXCEPT {
    free_unit(unit);
}

ZLC_API uint32_t ZLC_Init_BLOCK_CIPHER(BLOCK_CIPHER_UNIT* unit, uint32_t algorithm_id,
                                       const uint8_t* key, const uint8_t* iv,
                                       uint32_t encrypt) ZLC_NOEXCEPT {
    return init(unit, algorithm_id, key, iv, encrypt);
}

ZLC_API uint32_t ZLC_Update_BLOCK_CIPHER(BLOCK_CIPHER_UNIT* unit, uint8_t* out, int32_t* out_length,
                                         const uint8_t* in, int32_t in_length) ZLC_NOEXCEPT {
    return update(unit, out, out_length, in, in_length);
}

ZLC_API uint32_t ZLC_Final_BLOCK_CIPHER(BLOCK_CIPHER_UNIT* unit, uint8_t* out,
                                        int32_t* out_length) ZLC_NOEXCEPT {
    return final(unit, out, out_length);
}

ZLC_API uint32_t ZLC_BLOCK_CIPHER(uint32_t algorithm_id, uint32_t encrypt, const uint8_t* key,
                                  const uint8_t* iv, const uint8_t* in, int32_t in_length,
                                  uint8_t* out, int32_t* out_length) ZLC_NOEXCEPT {
    return one_shot(algorithm_id, encrypt, key, iv, in, in_length, out, out_length);
}

ZLC_API uint32_t ZLC_Get_Block_Alg_ID(const BLOCK_CIPHER_UNIT* unit) ZLC_NOEXCEPT {
    return get_alg_id(unit);
}

ZLC_API const char* ZLC_Get_Block_Alg_Name(uint32_t algorithm_id) ZLC_NOEXCEPT {
    return get_alg_name(algorithm_id);
}

ZLC_API const char* ZLC_Get_Mode_Name(uint32_t algorithm_id) ZLC_NOEXCEPT {
    return get_mode_name(algorithm_id);
}

ZLC_API int32_t ZLC_Get_Block_Length(uint32_t algorithm_id) ZLC_NOEXCEPT {
    return get_block_length(algorithm_id);
}

ZLC_API int32_t ZLC_Get_Key_Length(uint32_t algorithm_id) ZLC_NOEXCEPT {
    return get_key_length(algorithm_id);
}

ZLC_API int32_t ZLC_Get_IV_Length(uint32_t algorithm_id) ZLC_NOEXCEPT {
    return get_iv_length(algorithm_id);
}

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
