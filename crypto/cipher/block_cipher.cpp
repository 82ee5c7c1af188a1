// The block cipher unit: the algorithm and mode tables, the unit's life cycle, the one-shot call
// and the lookups.
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

constexpr std::array<Algorithm, 20> kAlgorithms = {{
    {0x01000100, "AES_128", &kAesOps, 16, 0, false},
    {0x01000200, "AES_192", &kAesOps, 24, 0, false},
    {0x01000300, "AES_256", &kAesOps, 32, 0, false},
    {0x02000100, "ZLC_DES", &kDesOps, 8, 0, false},
    {0x02000200, "ZLC_DES_EDE", &kTripleDesOps, 24, 0, false},
    {0x02001200, "ZLC_DES_EDE", &kTripleDesOps, 16, 0, false},
    {0x02010200, "ZLC_DES_EDE", &kTripleDesOps, 24, 0, false},
    {0x03000100, "ARIA_128", &kAriaOps, 16, 0, true},
    {0x03000200, "ARIA_192", &kAriaOps, 24, 0, true},
    {0x03000300, "ARIA_256", &kAriaOps, 32, 0, true},
    {0x04000100, "ZLC_SEED", &kSeedOps, 16, 0, true},
    {0x04000200, "SEED_256", &kSeedOps, 32, 0, false},
    {0x05000100, "ZLC_RC5", &kRc5Ops, 16, 0, false},
    {0x06000100, "BlowFish", &kBlowfishOps, 16, 0, false},
    {0x07000100, "ZLC_RC2_128", &kRc2Ops, 16, 128, false},
    {0x07000200, "ZLC_RC2_40", &kRc2Ops, 5, 40, false},
    {0x07000300, "ZLC_RC2_64", &kRc2Ops, 8, 64, false},
    {0x08000100, "LEA_128", &kLeaOps, 16, 0, false},
    {0x08000200, "LEA_192", &kLeaOps, 24, 0, false},
    {0x08000300, "LEA_256", &kLeaOps, 32, 0, false},
}};

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

const Mode* find_mode(std::uint32_t id) {
    for (const auto& mode : kModes) {
        if (mode.value == mode_value(id)) return &mode;
    }
    return nullptr;
}

// CFB widths: only the full block, under its own name or as plain CFB.
bool mode_refused_ahead(std::uint8_t mode, const Algorithm* algorithm) {
    if (mode == 0x42 || mode == 0x44 || mode == 0x46 || mode == 0x48) return true;
    if (algorithm == nullptr) return false;
    const std::uint32_t block = algorithm->ops().block_length;
    return (mode == 0x4A && block != 8) || (mode == 0x4C && block != 16);
}

// Fills the unit's table fields; false when the identifier is refused.
bool fill_from_table(BLOCK_CIPHER_UNIT* unit, std::uint32_t id, const Algorithm** chosen,
                     ModeSlot* slot) {
    if (core::pass_gate() != kOk) return false;
    const Algorithm* algorithm = find_algorithm(id);
    if (mode_refused_ahead(mode_value(id), algorithm)) return false;
    unit->algorithm = algorithm_value(id);
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
    const BlockCipherOps& ops = algorithm->ops();
    if (!ops.counter_mode && mode->slot == ModeSlot::Ctr) return false;
    unit->key_length = algorithm->key_length;
    unit->block_length = ops.block_length;
    unit->iv_length = ops.block_length;
    unit->mode = mode->value;
    unit->key_schedule_size = ops.schedule_size;
    unit->key_setup = key_setup_routine(algorithm->family_index());
    unit->key_schedule = nullptr;
    unit->effective_bits = algorithm->effective_bits;
    *chosen = algorithm;
    *slot = mode->slot;
    return true;
}

}  // namespace

const Algorithm* find_algorithm(std::uint32_t id) noexcept {
    for (const auto& algorithm : kAlgorithms) {
        if (algorithm.value == algorithm_value(id)) return &algorithm;
    }
    return nullptr;
}

std::optional<StoredMode> stored_mode(std::uint8_t mode) noexcept {
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
    unit->process = process_routine(process_index(algorithm->family_index(), slot));
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
    return algorithm != nullptr ? static_cast<std::int32_t>(algorithm->ops().block_length) : 0;
}

std::int32_t get_key_length(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return 0;
    const Algorithm* algorithm = find_algorithm(id);
    return algorithm != nullptr ? static_cast<std::int32_t>(algorithm->key_length) : 0;
}

std::int32_t get_iv_length(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return -1;
    const Algorithm* algorithm = find_algorithm(id);
    return algorithm != nullptr ? static_cast<std::int32_t>(algorithm->ops().block_length) : 0;
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

}  // extern "C"
