// HAS-160, TTAS.KO-12.0011/R2: 80 steps in four rounds of twenty over sixteen little-endian
// message words and four words per round formed from them.
#include "crypto/digest/has160.h"

#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "crypto/core/bytes.h"
#include "crypto/core/module_state.h"

namespace zlc::digest {
namespace {

constexpr std::array<std::uint32_t, 5> kIv = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476,
                                              0xc3d2e1f0};
constexpr std::uint32_t kK[4] = {0x00000000, 0x5a827999, 0x6ed9eba1, 0x8f1bbcdc};

// Message word used at each step of each round; 16 to 19 are the round's additional words.
constexpr int kOrder[4][20] = {
    {18, 0, 1, 2, 3, 19, 4, 5, 6, 7, 16, 8, 9, 10, 11, 17, 12, 13, 14, 15},
    {18, 3, 6, 9, 12, 19, 15, 2, 5, 8, 16, 11, 14, 1, 4, 17, 7, 10, 13, 0},
    {18, 12, 5, 14, 7, 19, 0, 9, 2, 11, 16, 4, 13, 6, 15, 17, 8, 1, 10, 3},
    {18, 7, 2, 13, 8, 19, 3, 14, 9, 4, 16, 15, 10, 5, 0, 17, 11, 6, 1, 12},
};
constexpr int kRotateA[20] = {5, 11, 7, 15, 6, 13, 8, 14, 7, 12, 9, 11, 8, 15, 6, 12, 9, 14, 5, 13};
constexpr int kRotateB[4] = {10, 17, 25, 30};

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Has160, op, reason);
}
constexpr Status kInitNull = st(0x01, REASON_NULL_ARGUMENT);
constexpr Status kUpdateNull = st(0x02, REASON_NULL_ARGUMENT);
constexpr Status kUpdateEmpty = st(0x02, REASON_INVALID_ARGUMENT);
constexpr Status kFinalNull = st(0x03, REASON_NULL_ARGUMENT);

[[gnu::always_inline]] inline std::uint32_t word(const std::uint8_t* block, int i) {
    return load_le32(block + 4 * i);
}

// Additional word 16 + G of round R: the XOR of the four message words of the round's group G,
// the words that round uses at steps 5G + 1 to 5G + 4.
template <int R, int G>
[[gnu::always_inline]] inline std::uint32_t additional_word(const std::uint8_t* block) {
    constexpr int g = G;
    return word(block, kOrder[R][5 * g + 1]) ^ word(block, kOrder[R][5 * g + 2]) ^
           word(block, kOrder[R][5 * g + 3]) ^ word(block, kOrder[R][5 * g + 4]);
}

// Step J of round R with the roles of the chaining variables rotated by the caller: the new A
// is written over E and B is rotated in place.
template <int R, int J>
[[gnu::always_inline]] inline void has160_step(std::uint32_t a, std::uint32_t& b, std::uint32_t c,
                                               std::uint32_t d, std::uint32_t& e,
                                               const std::uint8_t* block,
                                               const std::uint32_t extra[4]) {
    constexpr int l = kOrder[R][J];
    const std::uint32_t x = l < 16 ? word(block, l) : extra[l - 16];
    std::uint32_t f;
    if constexpr (R == 0) {
        f = d ^ (b & (c ^ d));
    } else if constexpr (R == 2) {
        f = c ^ (b | ~d);
    } else {
        f = b ^ (c ^ d);
    }
    // The rotated A is the only term on the chain from the previous step: it is added last.
    e += (x + kK[R]) + f;
    e += std::rotl(a, kRotateA[J]);
    b = std::rotl(b, kRotateB[R]);
}

template <int R, int J>
[[gnu::always_inline]] inline void five_steps(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c,
                                              std::uint32_t& d, std::uint32_t& e,
                                              const std::uint8_t* block,
                                              const std::uint32_t extra[4]) {
    has160_step<R, J>(a, b, c, d, e, block, extra);
    has160_step<R, J + 1>(e, a, b, c, d, block, extra);
    has160_step<R, J + 2>(d, e, a, b, c, block, extra);
    has160_step<R, J + 3>(c, d, e, a, b, block, extra);
    has160_step<R, J + 4>(b, c, d, e, a, block, extra);
}

template <int R>
[[gnu::always_inline]] inline void has160_round(std::uint32_t& a, std::uint32_t& b,
                                                std::uint32_t& c, std::uint32_t& d,
                                                std::uint32_t& e, const std::uint8_t* block) {
    const std::uint32_t extra[4] = {additional_word<R, 0>(block), additional_word<R, 1>(block),
                                    additional_word<R, 2>(block), additional_word<R, 3>(block)};
    five_steps<R, 0>(a, b, c, d, e, block, extra);
    five_steps<R, 5>(a, b, c, d, e, block, extra);
    five_steps<R, 10>(a, b, c, d, e, block, extra);
    five_steps<R, 15>(a, b, c, d, e, block, extra);
}

}  // namespace

void has160_compress_blocks(std::uint32_t h[5], const std::uint8_t* data,
                            std::size_t blocks) noexcept {
    // Message words are read straight from the block: nothing derived from it is left on the stack.
    while (blocks-- > 0) {
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        has160_round<0>(a, b, c, d, e, data);
        has160_round<1>(a, b, c, d, e, data);
        has160_round<2>(a, b, c, d, e, data);
        has160_round<3>(a, b, c, d, e, data);
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        data += 64;
    }
}

Status zlc_has160_compress(const std::uint8_t* block, HAS160_STATE* state) noexcept {
    has160_compress_blocks(state->h, block, 1);
    return kOk;
}

void has160_count_bytes(HAS160_STATE* state, std::uint32_t length) noexcept {
    // In 64-bit arithmetic: 8 x length needs 35 bits, and the low word carries into the high one.
    const std::uint32_t low = state->bit_count_low + (length << 3);
    state->bit_count_high += (length >> 29) + (low < state->bit_count_low ? 1u : 0u);
    state->bit_count_low = low;
}

Status zlc_has160_init(HAS160_STATE* state) noexcept {
    if (state == nullptr) return kInitNull;
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    std::memcpy(state->h, kIv.data(), sizeof(state->h));
    state->bit_count_low = 0;
    state->bit_count_high = 0;
    return kOk;
}

Status zlc_has160_update(HAS160_STATE* state, const std::uint8_t* data,
                         std::uint32_t length) noexcept {
    if (state == nullptr) return kUpdateNull;
    if (length == 0) return kUpdateEmpty;
    if (data == nullptr) return kUpdateNull;
    const std::uint32_t fill = (state->bit_count_low >> 3) & 63;
    has160_count_bytes(state, length);
    if (length < 64 - fill) {
        std::memcpy(state->block + fill, data, length);
        return kOk;
    }
    const std::uint32_t head = 64 - fill;
    std::memcpy(state->block + fill, data, head);
    has160_compress_blocks(state->h, state->block, 1);
    data += head;
    std::size_t remaining = length - head;
    const std::size_t blocks = remaining / 64;
    if (blocks > 0) {
        // Compressed from the caller's buffer; `block` ends up as if each had passed through it.
        has160_compress_blocks(state->h, data, blocks);
        std::memcpy(state->block, data + 64 * (blocks - 1), 64);
        data += 64 * blocks;
        remaining -= 64 * blocks;
    }
    std::memcpy(state->block, data, remaining);
    return kOk;
}

Status zlc_has160_final(HAS160_STATE* state, std::uint8_t* out) noexcept {
    if (state == nullptr || out == nullptr) return kFinalNull;
    const std::uint32_t fill = (state->bit_count_low >> 3) & 63;
    state->block[fill] = 0x80;
    if (fill > 55) {
        std::memset(state->block + fill + 1, 0, 63 - fill);
        has160_compress_blocks(state->h, state->block, 1);
        std::memset(state->block, 0, 56);
    } else {
        std::memset(state->block + fill + 1, 0, 55 - fill);
    }
    store_le32(state->block + 56, state->bit_count_low);
    store_le32(state->block + 60, state->bit_count_high);
    has160_compress_blocks(state->h, state->block, 1);
    for (int i = 0; i < 5; ++i) store_le32(out + 4 * i, state->h[i]);
    return kOk;
}

}  // namespace zlc::digest
