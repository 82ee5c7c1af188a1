// HMAC over any digest of the library (RFC 2104, FIPS 198-1). Init absorbs the two padded key
// blocks once and saves both digest states, so every message then costs its own blocks and two
// final computations.
#include "crypto/digest/hmac.h"

#include <array>
#include <cstring>

#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "zlc.h"

namespace zlc::hmac {
namespace {

using digest::DigestAlgorithm;
using digest::find_digest;

constexpr std::uint32_t kInitialisedMarker = 0xFFFFFFFFu;
constexpr std::size_t kMaxBlock = ZLC_HMAC_KEY_BLOCK_SIZE;
constexpr std::uint8_t kInnerPad = 0x36;
constexpr std::uint8_t kOuterPad = 0x5C;
constexpr char kNamePrefix[] = "HMAC_";

constexpr std::int32_t kPhaseReady = 1;
constexpr std::int32_t kPhaseInMessage = 2;
constexpr std::int32_t kPhaseFinished = 3;

constexpr Status st(std::uint8_t op, std::uint16_t reason) { return make_status(Module::Hmac, op, reason); }
constexpr Status kInitNull = st(0x01, REASON_NULL_ARGUMENT);
constexpr Status kInitDigest = st(0x01, REASON_DIGEST_INIT_FAILED);
constexpr Status kInitAlloc = st(0x01, REASON_ALLOC_FAILED_B);
constexpr Status kInitRange = st(0x01, REASON_STEP_FAILED);
constexpr Status kInitUpdate = st(0x01, REASON_DIGEST_UPDATE_FAILED);
constexpr Status kInitFinal = st(0x01, REASON_DIGEST_FINAL_FAILED);
constexpr Status kUpdateNull = st(0x02, REASON_NULL_ARGUMENT);
constexpr Status kUpdateLength = st(0x02, REASON_INVALID_ARGUMENT);
constexpr Status kUpdateFailed = st(0x02, REASON_DIGEST_UPDATE_FAILED);
constexpr Status kFinalNull = st(0x03, REASON_NULL_ARGUMENT);
constexpr Status kFinalFailed = st(0x03, REASON_DIGEST_FINAL_FAILED);
constexpr Status kFinalUpdate = st(0x03, REASON_DIGEST_UPDATE_FAILED);
constexpr Status kOneShotAlloc = st(0x04, REASON_ALLOC_FAILED_B);
constexpr Status kOneShotInit = st(0x04, REASON_INIT_FAILED);
constexpr Status kOneShotUpdate = st(0x04, REASON_UPDATE_FAILED);
constexpr Status kOneShotFinal = st(0x04, REASON_FINAL_FAILED);

// A digest unit whose routines and state are usable; the digest unit unbinds its routines when it
// cannot restart a state, so this is checked before every direct call.
bool digest_ready(const DIGEST_UNIT* d) {
    return d != nullptr && d->state != nullptr && d->init != nullptr && d->update != nullptr && d->final != nullptr;
}

// A unit whose Init completed: phase is set only as Init's last step.
bool keyed(const HMAC_UNIT* unit) {
    return unit->phase != 0 && unit->inner_state != nullptr && unit->outer_state != nullptr &&
           digest_ready(unit->digest);
}

void save_state(void* to, const DIGEST_UNIT* d) { std::memcpy(to, d->state, static_cast<std::size_t>(d->state_size)); }
void load_state(DIGEST_UNIT* d, const void* from) { std::memcpy(d->state, from, static_cast<std::size_t>(d->state_size)); }

}  // namespace

void clean_unit(HMAC_UNIT* unit) noexcept {
    if (unit == nullptr || unit->initialised != kInitialisedMarker) return;
    digest::free_unit(unit->digest);
    // The saved states are key-equivalent: either one lets anyone forge MACs under this key.
    const auto size = static_cast<std::size_t>(unit->state_size > 0 ? unit->state_size : 0);
    mem::free_wiped(unit->inner_state, size);
    mem::free_wiped(unit->outer_state, size);
    platform::secure_zero(unit, sizeof(*unit));
}

namespace {

// Absorbs the first `block` bytes of key_block XOR pad into a fresh digest state.
Status absorb_padded_key(HMAC_UNIT* unit, std::int32_t block, std::uint8_t pad) {
    std::array<std::uint8_t, kMaxBlock> padded;
    mem::WipeOnExit wipe(padded);
    for (std::size_t i = 0; i < kMaxBlock; ++i) padded[i] = unit->key_block[i] ^ pad;
    return digest::update(unit->digest, padded.data(), block);
}

}  // namespace

Status init(HMAC_UNIT* unit, std::uint32_t digest_id, const std::uint8_t* key,
            std::int32_t key_length) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (unit == nullptr || key == nullptr) return kInitNull;
    clean_unit(unit);
    unit->initialised = kInitialisedMarker;
    unit->hmac_id = digest_id | ZLC_HMAC_FLAG;
    unit->digest = digest::new_unit();
    if (unit->digest == nullptr || digest::init(unit->digest, digest_id) != kOk) return kInitDigest;
    DIGEST_UNIT* d = unit->digest;

    // state_size is recorded first so that Clean releases whichever state was allocated.
    unit->state_size = d->state_size;
    unit->inner_state = mem::alloc_zeroed(static_cast<std::size_t>(d->state_size));
    unit->outer_state = mem::alloc_zeroed(static_cast<std::size_t>(d->state_size));
    if (unit->inner_state == nullptr || unit->outer_state == nullptr) return kInitAlloc;

    const std::int32_t block = d->block_size;
    if (block > static_cast<std::int32_t>(kMaxBlock)) return kInitRange;
    if (key_length > block) {
        // RFC 2104 section 2: a key longer than the block is replaced by its digest.
        if (digest::update(d, key, key_length) != kOk) return kInitUpdate;
        if (digest::final(d, unit->key_block, nullptr) != kOk) return kInitFinal;
        unit->key_length = d->digest_length;
    } else {
        // Read as unsigned, a negative length is above the bound.
        if (static_cast<std::uint32_t>(key_length) > kMaxBlock) return kInitRange;
        std::memcpy(unit->key_block, key, static_cast<std::size_t>(key_length));
        unit->key_length = key_length;
    }
    if (unit->key_length < block) {
        std::memset(unit->key_block + unit->key_length, 0, static_cast<std::size_t>(block - unit->key_length));
    }

    if (absorb_padded_key(unit, block, kOuterPad) != kOk) return kInitUpdate;
    save_state(unit->outer_state, d);
    (void)d->init(d->state);
    if (absorb_padded_key(unit, block, kInnerPad) != kOk) return kInitUpdate;
    save_state(unit->inner_state, d);
    unit->phase = kPhaseReady;
    return kOk;
}

Status update(HMAC_UNIT* unit, const std::uint8_t* data, std::int32_t length) noexcept {
    if (unit == nullptr) return kUpdateNull;
    if (length <= 0) return kUpdateLength;
    if (!keyed(unit)) return kUpdateFailed;
    DIGEST_UNIT* d = unit->digest;
    if (unit->phase == kPhaseFinished) {
        load_state(d, unit->inner_state);
        unit->phase = kPhaseReady;
    }
    if (data == nullptr || d->update(d->state, data, static_cast<std::uint32_t>(length)) != kOk) {
        return kUpdateFailed;
    }
    unit->phase = kPhaseInMessage;
    return kOk;
}

Status final(HMAC_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) noexcept {
    if (unit == nullptr) return kFinalNull;
    // Checked before the inner digest consumes the state, so a failed call loses no message data.
    if (out == nullptr || !keyed(unit)) return kFinalFailed;
    DIGEST_UNIT* d = unit->digest;
    // A second Final with no message in between is the MAC of the empty message.
    if (unit->phase == kPhaseFinished) load_state(d, unit->inner_state);

    std::array<std::uint8_t, kMaxBlock> inner_digest;
    mem::WipeOnExit wipe(inner_digest);
    if (d->final(d->state, inner_digest.data()) != kOk) return kFinalFailed;
    (void)d->init(d->state);
    load_state(d, unit->outer_state);
    if (d->digest_length < 0 ||
        d->update(d->state, inner_digest.data(), static_cast<std::uint32_t>(d->digest_length)) != kOk) {
        return kFinalUpdate;
    }
    if (digest::final(d, out, out_length) != kOk) return kFinalFailed;
    unit->phase = kPhaseFinished;
    return kOk;
}

Status one_shot(std::uint32_t digest_id, const std::uint8_t* key, std::int32_t key_length,
                const std::uint8_t* data, std::int32_t length, std::uint8_t* out,
                std::int32_t* out_length) noexcept {
    auto* unit = mem::alloc_record<HMAC_UNIT>();
    if (unit == nullptr) return kOneShotAlloc;
    mem::ScopeExit release([unit] {
        clean_unit(unit);
        mem::free_record(unit);
    });
    if (init(unit, digest_id, key, key_length) != kOk) return kOneShotInit;
    if (update(unit, data, length) != kOk) return kOneShotUpdate;
    if (final(unit, out, out_length) != kOk) return kOneShotFinal;
    return kOk;
}

char* get_name(std::uint32_t hmac_id) noexcept {
    if (core::pass_gate() != kOk) return nullptr;
    if ((hmac_id & ZLC_HMAC_FLAG) == 0) return nullptr;
    const DigestAlgorithm* algorithm = find_digest(hmac_id & ~ZLC_HMAC_FLAG);
    if (algorithm == nullptr) return nullptr;
    const std::size_t prefix = sizeof(kNamePrefix) - 1;
    const std::size_t length = std::strlen(algorithm->name);
    // Zero-filled, so the text is terminated; released by the caller with ZLC_Free.
    auto* text = static_cast<char*>(mem::alloc_zeroed(prefix + length + 1));
    if (text == nullptr) return nullptr;
    std::memcpy(text, kNamePrefix, prefix);
    std::memcpy(text + prefix, algorithm->name, length);
    return text;
}

HMAC_UNIT* new_unit() noexcept {
    return mem::alloc_record<HMAC_UNIT>();
}

void free_unit(HMAC_UNIT* unit) noexcept {
    if (unit == nullptr) return;
    clean_unit(unit);
    mem::free_record(unit);
}

}  // namespace zlc::hmac

using namespace zlc::hmac;

extern "C" {

ZLC_API HMAC_UNIT* ZLC_New_HMAC_Unit(void) ZLC_NOEXCEPT {
    return new_unit();
}

ZLC_API void ZLC_Clean_HMAC_Unit(HMAC_UNIT* unit) ZLC_NOEXCEPT {
    clean_unit(unit);
}

ZLC_API void ZLC_Free_HMAC_Unit(HMAC_UNIT* unit) ZLC_NOEXCEPT {
    free_unit(unit);
}

ZLC_API uint32_t ZLC_Init_HMAC(HMAC_UNIT* unit, uint32_t digest_id, const uint8_t* key,
                               int32_t key_length) ZLC_NOEXCEPT {
    return init(unit, digest_id, key, key_length);
}

ZLC_API uint32_t ZLC_Update_HMAC(HMAC_UNIT* unit, const uint8_t* data, int32_t length) ZLC_NOEXCEPT {
    return update(unit, data, length);
}

ZLC_API uint32_t ZLC_Final_HMAC(HMAC_UNIT* unit, uint8_t* out, int32_t* out_length) ZLC_NOEXCEPT {
    return final(unit, out, out_length);
}

ZLC_API uint32_t ZLC_HMAC(uint32_t digest_id, const uint8_t* key, int32_t key_length, const uint8_t* data,
                          int32_t length, uint8_t* out, int32_t* out_length) ZLC_NOEXCEPT {
    return one_shot(digest_id, key, key_length, data, length, out, out_length);
}

ZLC_API char* ZLC_Get_HMAC_Name(uint32_t hmac_id) ZLC_NOEXCEPT {
    return get_name(hmac_id);
}

}  // extern "C"
