// The digest unit: one entry to every digest algorithm of the library.
#include "crypto/digest/digest.h"

#include <array>
#include <cctype>
#include <cstring>

#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/has160.h"
#include "crypto/digest/md5.h"
#include "crypto/digest/mdc2.h"
#include "crypto/digest/sha1.h"
#include "crypto/digest/sha256.h"
#include "crypto/digest/sha512.h"

namespace zlc::digest {
namespace {

constexpr std::uint32_t kInitialisedMarker = 0xFFFFFFFFu;

constexpr Status st(std::uint8_t op, std::uint16_t reason) { return make_status(Module::Digest, op, reason); }
constexpr Status kInitNull = st(0x01, REASON_NULL_ARGUMENT);
constexpr Status kInitSelect = st(0x01, REASON_STEP_FAILED);
constexpr Status kInitRoutine = st(0x01, REASON_DIGEST_INIT_FAILED);
constexpr Status kInitAlloc = st(0x01, REASON_ALLOC_FAILED);
constexpr Status kUpdateNull = st(0x02, REASON_NULL_ARGUMENT);
constexpr Status kUpdateLength = st(0x02, REASON_INVALID_ARGUMENT);
constexpr Status kUpdateFailed = st(0x02, REASON_DIGEST_UPDATE_FAILED);
constexpr Status kFinalNull = st(0x03, REASON_NULL_ARGUMENT);
constexpr Status kFinalFailed = st(0x03, REASON_DIGEST_FINAL_FAILED);
constexpr Status kSelectUnknown = st(0x04, REASON_UNKNOWN_ALGORITHM);
constexpr Status kSelectRefused = st(0x04, REASON_NOT_APPROVED);
constexpr Status kOneShotNull = st(0x05, REASON_NULL_ARGUMENT);
constexpr Status kOneShotAlloc = st(0x05, REASON_ALLOC_FAILED);
constexpr Status kOneShotInit = st(0x05, REASON_DIGEST_INIT_FAILED);
constexpr Status kOneShotUpdate = st(0x05, REASON_DIGEST_UPDATE_FAILED);
constexpr Status kOneShotFinal = st(0x05, REASON_DIGEST_FINAL_FAILED);

template <class State, Status (*Init)(State*) noexcept,
          Status (*Update)(State*, const std::uint8_t*, std::uint32_t) noexcept,
          Status (*Final)(State*, std::uint8_t*) noexcept>
constexpr DigestAlgorithm row(std::uint32_t id, const char* name, std::int32_t length, std::int32_t block,
                              bool refused) {
    return {id,
            name,
            length,
            block,
            refused,
            static_cast<std::int32_t>(sizeof(State)),
            &bind_init<State, Init>,
            &bind_update<State, Update>,
            &bind_final<State, Final>};
}

const std::array<DigestAlgorithm, 8> kTable = {
    row<SHA1_STATE, zlc_sha1_init, zlc_sha1_update, zlc_sha1_final>(ZLC_SHA1, "SHA1", 20, 64, true),
    row<SHA256_STATE, zlc_sha224_init, zlc_sha224_update, zlc_sha224_final>(ZLC_SHA224, "SHA224", 28, 64, false),
    row<SHA256_STATE, zlc_sha256_init, zlc_sha256_update, zlc_sha256_final>(ZLC_SHA256, "SHA256", 32, 64, false),
    row<SHA512_STATE, zlc_sha384_init, zlc_sha384_update, zlc_sha384_final>(ZLC_SHA384, "SHA384", 48, 128, false),
    row<SHA512_STATE, zlc_sha512_init, zlc_sha512_update, zlc_sha512_final>(ZLC_SHA512, "SHA512", 64, 128, false),
    row<MD5_STATE, zlc_md5_init, zlc_md5_update, zlc_md5_final>(ZLC_MD5, "MD5", 16, 64, true),
    row<HAS160_STATE, zlc_has160_init, zlc_has160_update, zlc_has160_final>(ZLC_HAS160, "HAS160", 20, 64, true),
    row<MDC2_STATE, zlc_mdc2_init, zlc_mdc2_update, zlc_mdc2_final>(ZLC_MDC2, "MDC2", 16, 8, true),
};

bool bound(const DIGEST_UNIT* unit) {
    return unit->state != nullptr && unit->init != nullptr && unit->update != nullptr && unit->final != nullptr;
}

void unbind(DIGEST_UNIT* unit) {
    unit->init = nullptr;
    unit->update = nullptr;
    unit->final = nullptr;
}

std::uint32_t id_by_name(const char* name) {
    if (name == nullptr) return 0;
    // Up to 16 characters, upper-cased; a 16-character copy has no terminator and matches nothing.
    char upper[16] = {};
    for (std::size_t i = 0; i < sizeof(upper) && name[i] != '\0'; ++i) {
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    }
    static constexpr std::array<std::pair<const char*, std::uint32_t>, 8> kNames = {{
        {"MD5", ZLC_MD5},
        {"SHA1", ZLC_SHA1},
        {"SHA224", ZLC_SHA224},
        {"SHA256", ZLC_SHA256},
        {"SHA384", ZLC_SHA384},
        {"SHA512", ZLC_SHA512},
        {"HAS160", ZLC_HAS160},
        {"MDC2", ZLC_MDC2},
    }};
    for (const auto& [text, id] : kNames) {
        char padded[16] = {};
        std::memcpy(padded, text, std::strlen(text));
        if (std::memcmp(padded, upper, sizeof(upper)) == 0) return id;
    }
    return 0;
}

}  // namespace

void clean_unit(DIGEST_UNIT* unit) noexcept {
    if (unit == nullptr || unit->initialised != kInitialisedMarker) return;
    if (unit->state != nullptr && unit->state_size > 0) {
        mem::free_wiped(unit->state, static_cast<std::size_t>(unit->state_size));
    }
    platform::secure_zero(unit, sizeof(*unit));
}

Status init(DIGEST_UNIT* unit, std::uint32_t id) noexcept {
    if (unit == nullptr) return kInitNull;
    clean_unit(unit);
    unit->initialised = kInitialisedMarker;
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;

    unit->algorithm_id = id;
    const DigestAlgorithm* algorithm = nullptr;
    const Status selected = select_digest(id, &algorithm);
    if (selected == kSelectUnknown) unit->algorithm_id = 0;
    if (selected != kOk) return kInitSelect;
    unit->block_size = algorithm->block_size;
    unit->digest_length = algorithm->digest_length;
    unit->state_size = algorithm->state_size;

    unit->state = mem::alloc_zeroed(static_cast<std::size_t>(algorithm->state_size));
    if (unit->state == nullptr) return kInitAlloc;
    if (algorithm->init(unit->state) != kOk) return kInitRoutine;
    // Routines are bound only once the state is ready, so a failed Init leaves Update and Final
    // refusing the unit instead of running on an unprepared state.
    unit->init = algorithm->init;
    unit->update = algorithm->update;
    unit->final = algorithm->final;
    return kOk;
}

Status update(DIGEST_UNIT* unit, const std::uint8_t* data, std::int32_t length) noexcept {
    if (unit == nullptr || data == nullptr) return kUpdateNull;
    if (length < 0) return kUpdateLength;
    if (!bound(unit)) return kUpdateFailed;
    return unit->update(unit->state, data, static_cast<std::uint32_t>(length)) == kOk ? kOk : kUpdateFailed;
}

Status final(DIGEST_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) noexcept {
    if (unit == nullptr || out == nullptr) return kFinalNull;
    if (!bound(unit)) return kFinalFailed;
    if (unit->final(unit->state, out) != kOk) return kFinalFailed;
    // A unit that cannot start its next message must not carry on from the finished state.
    if (unit->init(unit->state) != kOk) unbind(unit);
    if (out_length != nullptr) *out_length = unit->digest_length;
    return kOk;
}

Status one_shot(std::uint32_t id, const std::uint8_t* data, std::int32_t length, std::uint8_t* out,
                std::int32_t* out_length) noexcept {
    if (data == nullptr) return kOneShotNull;
    auto* unit = mem::alloc_record<DIGEST_UNIT>();
    if (unit == nullptr) return kOneShotAlloc;
    mem::ScopeExit release([unit] {
        clean_unit(unit);
        mem::free_record(unit);
    });
    if (init(unit, id) != kOk) return kOneShotInit;
    if (update(unit, data, length) != kOk) return kOneShotUpdate;
    if (final(unit, out, out_length) != kOk) return kOneShotFinal;
    return kOk;
}

const DigestAlgorithm* find_digest(std::uint32_t id) noexcept {
    for (const auto& algorithm : kTable) {
        if (algorithm.id == id) return &algorithm;
    }
    return nullptr;
}

Status select_digest(std::uint32_t id, const DigestAlgorithm** row) noexcept {
    const DigestAlgorithm* algorithm = find_digest(id);
    if (algorithm == nullptr) return kSelectUnknown;
    if (algorithm->refused_in_proven_mode && core::is_proven()) return kSelectRefused;
    *row = algorithm;
    return kOk;
}

DIGEST_UNIT* new_unit() noexcept {
    return mem::alloc_record<DIGEST_UNIT>();
}

void free_unit(DIGEST_UNIT* unit) noexcept {
    if (unit == nullptr) return;
    clean_unit(unit);
    mem::free_record(unit);
}

std::uint32_t get_alg_id(const DIGEST_UNIT* unit) noexcept {
    if (core::pass_gate() != kOk || unit == nullptr) return 0;
    return unit->algorithm_id;
}

const char* get_alg_name(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return nullptr;
    const DigestAlgorithm* algorithm = find_digest(id);
    return algorithm != nullptr ? algorithm->name : nullptr;
}

std::uint32_t get_alg_id_by_name(const char* name) noexcept {
    if (core::pass_gate() != kOk) return 0;
    return id_by_name(name);
}

std::int32_t get_length(std::uint32_t id) noexcept {
    if (core::pass_gate() != kOk) return 0;
    const DigestAlgorithm* algorithm = find_digest(id);
    return algorithm != nullptr ? algorithm->digest_length : 0;
}

}  // namespace zlc::digest

using namespace zlc::digest;

extern "C" {

ZLC_API DIGEST_UNIT* ZLC_New_DIGEST_Unit(void) ZLC_NOEXCEPT {
    return new_unit();
}

ZLC_API void ZLC_Clean_DIGEST_Unit(DIGEST_UNIT* unit) ZLC_NOEXCEPT {
    clean_unit(unit);
}

ZLC_API void ZLC_Free_DIGEST_Unit(DIGEST_UNIT* unit) ZLC_NOEXCEPT {
    free_unit(unit);
}

ZLC_API uint32_t ZLC_Init_DIGEST(DIGEST_UNIT* unit, uint32_t algorithm_id) ZLC_NOEXCEPT {
    return init(unit, algorithm_id);
}

ZLC_API uint32_t ZLC_Update_DIGEST(DIGEST_UNIT* unit, const uint8_t* data, int32_t length) ZLC_NOEXCEPT {
    return update(unit, data, length);
}

ZLC_API uint32_t ZLC_Final_DIGEST(DIGEST_UNIT* unit, uint8_t* out, int32_t* out_length) ZLC_NOEXCEPT {
    return final(unit, out, out_length);
}

ZLC_API uint32_t ZLC_DIGEST(uint32_t algorithm_id, const uint8_t* data, int32_t length, uint8_t* out,
                            int32_t* out_length) ZLC_NOEXCEPT {
    return one_shot(algorithm_id, data, length, out, out_length);
}

ZLC_API uint32_t ZLC_Get_DIGEST_Alg_ID(const DIGEST_UNIT* unit) ZLC_NOEXCEPT {
    return get_alg_id(unit);
}

ZLC_API const char* ZLC_Get_DIGEST_Alg_Name(uint32_t algorithm_id) ZLC_NOEXCEPT {
    return get_alg_name(algorithm_id);
}

ZLC_API uint32_t ZLC_Get_DIGEST_Alg_ID_By_Name(const char* name) ZLC_NOEXCEPT {
    return get_alg_id_by_name(name);
}

ZLC_API int32_t ZLC_Get_DIGEST_Length(uint32_t algorithm_id) ZLC_NOEXCEPT {
    return get_length(algorithm_id);
}

}  // extern "C"
