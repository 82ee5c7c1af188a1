// MD5, RFC 1321 section 3.
#include "crypto/digest/md5.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "crypto/core/bytes.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/block_buffer.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::digest {
namespace {

constexpr std::array<std::uint32_t, 4> kIv = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

// T[i] = floor(2^32 * |sin(i + 1)|), RFC 1321 3.4.
constexpr std::array<std::uint32_t, 64> kT = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Md5, op, reason);
}
constexpr Status kInitNull = st(0x01, REASON_NULL_ARGUMENT);
constexpr Status kUpdateNull = st(0x02, REASON_NULL_ARGUMENT);
constexpr Status kUpdateEmpty = st(0x02, REASON_INVALID_ARGUMENT);
constexpr Status kUpdateStep = st(0x02, REASON_STEP_FAILED);
constexpr Status kFinalNull = st(0x03, REASON_NULL_ARGUMENT);
constexpr Status kFinalStep = st(0x03, REASON_STEP_FAILED);

// Step I of RFC 1321 3.4 with the roles of a, b, c, d rotated by the caller. The constant and
// message word are added first, off the chain through b.
template <int I>
[[gnu::always_inline]] inline void md5_step(std::uint32_t& a, std::uint32_t b, std::uint32_t c,
                                            std::uint32_t d, const std::uint8_t* block) {
    constexpr int round = I / 16;
    constexpr int k = round == 0   ? I
                      : round == 1 ? (1 + 5 * I) & 15
                      : round == 2 ? (5 + 3 * I) & 15
                                   : (7 * I) & 15;
    a += kT[I] + load_le32(block + 4 * k);
    if constexpr (round == 0) {
        a += d ^ (b & (c ^ d));
    } else if constexpr (round == 1) {
        // (b & d) | (c & ~d): the terms share no bits, and c & ~d does not wait for b.
        a += c & ~d;
        a += b & d;
    } else if constexpr (round == 2) {
        a += b ^ (c ^ d);
    } else {
        a += c ^ (b | ~d);
    }
    a = std::rotl(a, kShift[round][I & 3]) + b;
}

template <int I>
[[gnu::always_inline]] inline void four_steps(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c,
                                              std::uint32_t& d, const std::uint8_t* block) {
    md5_step<I>(a, b, c, d, block);
    md5_step<I + 1>(d, a, b, c, block);
    md5_step<I + 2>(c, d, a, b, block);
    md5_step<I + 3>(b, c, d, a, block);
}

template <int... G>
[[gnu::always_inline]] inline void all_steps(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c,
                                             std::uint32_t& d, const std::uint8_t* block,
                                             std::integer_sequence<int, G...>) {
    (four_steps<4 * G>(a, b, c, d, block), ...);
}

}  // namespace

void md5_compress_blocks(std::uint32_t h[4], const std::uint8_t* data,
                         std::size_t blocks) noexcept {
    // Message words are read straight from the block: nothing derived from it is left on the stack.
    while (blocks-- > 0) {
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
        all_steps(a, b, c, d, data, std::make_integer_sequence<int, 16>{});
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        data += 64;
    }
}

Status zlc_md5_compress(const std::uint8_t* block, MD5_STATE* state) noexcept {
    md5_compress_blocks(state->h, block, 1);
    return kOk;
}

Status zlc_md5_init(MD5_STATE* state) noexcept {
    if (state == nullptr) return kInitNull;
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    restart(state, kIv);
    return kOk;
}

Status zlc_md5_update(MD5_STATE* state, const std::uint8_t* data, std::uint32_t length) noexcept {
    if (state == nullptr || data == nullptr) return kUpdateNull;
    if (state->final_fill > 64) return kUpdateStep;
    if (length == 0) return kUpdateEmpty;
    // A damaged count would make the first chunk not fit in `pending`.
    if (state->pending_count >= 64) return kUpdateStep;
    absorb<64>(state, data, length, md5_compress_blocks);
    return kOk;
}

Status zlc_md5_final(MD5_STATE* state, std::uint8_t* out) noexcept {
    if (state == nullptr || out == nullptr) return kFinalNull;
    // Checked before 64 - final_fill is formed: a larger value would wrap and overrun final_block.
    if (state->final_fill >= 64) return kFinalStep;
    const auto compress_one = [](const std::uint8_t* block, MD5_STATE* s) {
        return zlc_md5_compress(block, s) == kOk;
    };
    const auto store_length = [](std::uint8_t* at, const MD5_STATE* s) {
        store_le32(at, s->bit_count_low);
        store_le32(at + 4, s->bit_count_high);
    };
    if (!pad_and_close64(state, compress_one, store_length)) return kFinalStep;
    for (int i = 0; i < 4; ++i) store_le32(out + 4 * i, state->h[i]);
    return kOk;
}

}  // namespace zlc::digest
