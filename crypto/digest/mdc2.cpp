// MDC-2 with DES, ISO/IEC 10118-2 section 7 (MDC-2): per 8-byte block M, A = E(u(H), M) ^ M and
// B = E(v(HH), M) ^ M, then H and HH take the left half of one and the right half of the other.
#include "crypto/digest/mdc2.h"

#include <array>
#include <bit>
#include <cstring>

#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"

namespace zlc::digest {
namespace {

constexpr std::uint8_t kInitialH = 0x52;
constexpr std::uint8_t kInitialHh = 0x25;
constexpr std::size_t kBlock = 8;
constexpr std::size_t kHalf = 4;

constexpr Status st(std::uint8_t op, std::uint16_t reason) { return make_status(Module::Mdc2, op, reason); }
constexpr Status kInitRefused = st(0x01, REASON_NOT_APPROVED);
constexpr Status kInitNull = st(0x01, REASON_NULL_ARGUMENT);
constexpr Status kUpdateNull = st(0x02, REASON_NULL_ARGUMENT);
constexpr Status kUpdateRange = st(0x02, REASON_STEP_FAILED);
constexpr Status kFinalNull = st(0x03, REASON_NULL_ARGUMENT);
constexpr Status kFinalRange = st(0x03, REASON_STEP_FAILED);

bool pending_in_range(const MDC2_STATE* state) {
    return state->pending_count >= 0 && state->pending_count < static_cast<std::int32_t>(kBlock);
}

// DES odd parity: the low bit of each byte makes its number of set bits odd.
std::uint8_t odd_parity(std::uint8_t b) {
    const auto high = static_cast<std::uint8_t>(b & 0xFE);
    return static_cast<std::uint8_t>(high | ((std::popcount(high) & 1) ^ 1));
}

// The key transformations u and v: bits 0x40 / 0x20 of the first byte forced to 1,0 for the
// first key and 0,1 for the second, so the two encryptions never share a key.
void prepare_key(std::uint8_t key[8], std::uint8_t set, std::uint8_t clear) {
    key[0] = static_cast<std::uint8_t>((key[0] & ~clear) | set);
    for (std::size_t i = 0; i < kBlock; ++i) key[i] = odd_parity(key[i]);
}

}  // namespace

void zlc_mdc2_des_key_schedule(cipher::DES_KEY_SCHEDULE* schedule, const std::uint8_t key[8]) noexcept {
    (void)cipher::DesSetKey(key, schedule, cipher::kDesEncrypt);
}

void zlc_mdc2_des_encrypt(const cipher::DES_KEY_SCHEDULE* schedule, std::uint8_t block[8]) noexcept {
    cipher::DesBlock(schedule, block, block);
}

void zlc_mdc2_blocks(std::size_t count, MDC2_STATE* state, const std::uint8_t* data) noexcept {
    struct Temporaries {
        cipher::DES_KEY_SCHEDULE first;
        cipher::DES_KEY_SCHEDULE second;
        std::uint8_t a[8];
        std::uint8_t b[8];
    } t;
    mem::WipeOnExit wipe(t);
    for (std::size_t offset = 0; offset + kBlock <= count; offset += kBlock) {
        const std::uint8_t* m = data + offset;
        prepare_key(state->h, 0x40, 0x20);
        prepare_key(state->hh, 0x20, 0x40);
        zlc_mdc2_des_key_schedule(&t.first, state->h);
        zlc_mdc2_des_key_schedule(&t.second, state->hh);
        std::memcpy(t.a, m, kBlock);
        std::memcpy(t.b, m, kBlock);
        zlc_mdc2_des_encrypt(&t.first, t.a);
        zlc_mdc2_des_encrypt(&t.second, t.b);
        for (std::size_t i = 0; i < kBlock; ++i) {
            t.a[i] ^= m[i];
            t.b[i] ^= m[i];
        }
        std::memcpy(state->h, t.a, kHalf);
        std::memcpy(state->h + kHalf, t.b + kHalf, kHalf);
        std::memcpy(state->hh, t.b, kHalf);
        std::memcpy(state->hh + kHalf, t.a + kHalf, kHalf);
    }
}

Status zlc_mdc2_init(MDC2_STATE* state) noexcept {
    if (core::is_proven()) return kInitRefused;
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (state == nullptr) return kInitNull;
    state->pending_count = 0;
    std::memset(state->h, kInitialH, sizeof(state->h));
    std::memset(state->hh, kInitialHh, sizeof(state->hh));
    return kOk;
}

Status zlc_mdc2_update(MDC2_STATE* state, const std::uint8_t* data, std::uint32_t length) noexcept {
    if (state == nullptr || (data == nullptr && length > 0)) return kUpdateNull;
    // A count outside 0..7 would index past `pending`; only a damaged state can hold one.
    if (!pending_in_range(state)) return kUpdateRange;
    if (length == 0) return kOk;
    std::size_t remaining = length;
    if (state->pending_count > 0) {
        const auto fill = static_cast<std::size_t>(state->pending_count);
        if (fill + remaining < kBlock) {
            std::memcpy(state->pending + fill, data, remaining);
            state->pending_count += static_cast<std::int32_t>(remaining);
            return kOk;
        }
        const std::size_t take = kBlock - fill;
        std::memcpy(state->pending + fill, data, take);
        state->pending_count = 0;
        zlc_mdc2_blocks(kBlock, state, state->pending);
        data += take;
        remaining -= take;
    }
    const std::size_t whole = remaining - remaining % kBlock;
    zlc_mdc2_blocks(whole, state, data);
    if (remaining > whole) {
        std::memcpy(state->pending, data + whole, remaining - whole);
        state->pending_count = static_cast<std::int32_t>(remaining - whole);
    }
    return kOk;
}

Status zlc_mdc2_final(MDC2_STATE* state, std::uint8_t* out) noexcept {
    if (state == nullptr || out == nullptr) return kFinalNull;
    if (!pending_in_range(state)) return kFinalRange;
    // Zero padding only: a message that fills its last block, or the empty message, gets no
    // padding block, and no length is appended.
    if (state->pending_count > 0) {
        const auto fill = static_cast<std::size_t>(state->pending_count);
        std::memset(state->pending + fill, 0, kBlock - fill);
        zlc_mdc2_blocks(kBlock, state, state->pending);
    }
    std::memcpy(out, state->h, sizeof(state->h));
    std::memcpy(out + sizeof(state->h), state->hh, sizeof(state->hh));
    return kOk;
}

}  // namespace zlc::digest
