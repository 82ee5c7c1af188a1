// SHA-1, FIPS 180-4 sections 5.3.1, 6.1.
#include "crypto/digest/sha1.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "crypto/core/bytes.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/block_buffer.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::digest {
namespace {

constexpr std::array<std::uint32_t, 5> kIv = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476,
                                              0xc3d2e1f0};

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Sha, op, reason);
}
constexpr Status kInitNull = st(0x01, REASON_NULL_ARGUMENT);
constexpr Status kUpdateNull = st(0x02, REASON_NULL_ARGUMENT);
constexpr Status kUpdateStep = st(0x02, REASON_STEP_FAILED);
constexpr Status kFinalNull = st(0x03, REASON_NULL_ARGUMENT);
constexpr Status kFinalRange = st(0x03, REASON_OUT_OF_RANGE);
constexpr Status kFinalStep = st(0x03, REASON_STEP_FAILED);
constexpr Status kCompressNull = st(0x04, REASON_NULL_ARGUMENT);

// Round t of FIPS 180-4 6.1.2 step 3, with w[] the 16-word circular schedule.
template <int T>
[[gnu::always_inline]] inline void sha1_round(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c,
                                              std::uint32_t& d, std::uint32_t& e,
                                              std::uint32_t w[16]) {
    std::uint32_t wt;
    if constexpr (T < 16) {
        wt = w[T];
    } else {
        wt = std::rotl(w[(T + 13) & 15] ^ w[(T + 8) & 15] ^ w[(T + 2) & 15] ^ w[T & 15], 1);
        w[T & 15] = wt;
    }
    std::uint32_t f;
    std::uint32_t k;
    if constexpr (T < 20) {
        f = d ^ (b & (c ^ d));
        k = 0x5a827999;
    } else if constexpr (T < 40) {
        f = b ^ c ^ d;
        k = 0x6ed9eba1;
    } else if constexpr (T < 60) {
        f = (b & c) + (d & (b ^ c));  // the two terms share no bits
        k = 0x8f1bbcdc;
    } else {
        f = b ^ c ^ d;
        k = 0xca62c1d6;
    }
    e += std::rotl(a, 5) + f + k + wt;
    b = std::rotl(b, 30);
}

// Rounds T..T+4, rotating the roles of the working variables instead of moving them.
template <int T>
[[gnu::always_inline]] inline void five_rounds(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c,
                                               std::uint32_t& d, std::uint32_t& e,
                                               std::uint32_t w[16]) {
    sha1_round<T>(a, b, c, d, e, w);
    sha1_round<T + 1>(e, a, b, c, d, w);
    sha1_round<T + 2>(d, e, a, b, c, w);
    sha1_round<T + 3>(c, d, e, a, b, w);
    sha1_round<T + 4>(b, c, d, e, a, w);
}

template <int... G>
[[gnu::always_inline]] inline void all_rounds(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c,
                                              std::uint32_t& d, std::uint32_t& e,
                                              std::uint32_t w[16],
                                              std::integer_sequence<int, G...>) {
    (five_rounds<5 * G>(a, b, c, d, e, w), ...);
}

}  // namespace

void sha1_blocks_portable(std::uint32_t h[5], const std::uint8_t* data,
                          std::size_t blocks) noexcept {
    std::uint32_t w[16];
    while (blocks-- > 0) {
        for (int t = 0; t < 16; ++t) w[t] = load_be32(data + 4 * t);
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        all_rounds(a, b, c, d, e, w, std::make_integer_sequence<int, 16>{});
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        data += 64;
    }
    platform::secure_zero(w, sizeof(w));
}

namespace {

constexpr platform::Path<Sha1BlocksFn> kPaths[] = {
#ifdef ZLC_X86_64
    {"shani", platform::kSha | platform::kSse41, sha1_blocks_shani},
#endif
    {"portable", 0, sha1_blocks_portable},
};
constinit platform::PathChoice<Sha1BlocksFn> g_paths(kPaths);

}  // namespace

platform::PathChoice<Sha1BlocksFn>& sha1_paths() noexcept {
    return g_paths;
}

void sha1_compress_blocks(std::uint32_t h[5], const std::uint8_t* data,
                          std::size_t blocks) noexcept {
    g_paths.ops()(h, data, blocks);
}

Status zlc_sha1_compress(const std::uint8_t* block, SHA1_STATE* state) noexcept {
    if (block == nullptr || state == nullptr) return kCompressNull;
    sha1_compress_blocks(state->h, block, 1);
    return kOk;
}

Status zlc_sha1_init(SHA1_STATE* state) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (state == nullptr) return kInitNull;
    restart(state, kIv);
    return kOk;
}

Status zlc_sha1_update(SHA1_STATE* state, const std::uint8_t* data, std::uint32_t length) noexcept {
    if (state == nullptr || data == nullptr || state->final_fill > 64) return kUpdateNull;
    if (length == 0) return kOk;
    // A damaged count would make the first chunk not fit in `pending`.
    if (state->pending_count >= 64) return kUpdateStep;
    absorb<64>(state, data, length, sha1_compress_blocks);
    return kOk;
}

Status zlc_sha1_final(SHA1_STATE* state, std::uint8_t* out) noexcept {
    if (state == nullptr || out == nullptr) return kFinalNull;
    // Checked before 64 - final_fill is formed: a larger value would wrap and overrun final_block.
    if (state->final_fill >= 64) return kFinalRange;
    const auto compress_one = [](const std::uint8_t* block, SHA1_STATE* s) {
        return zlc_sha1_compress(block, s) == kOk;
    };
    const auto store_length = [](std::uint8_t* at, const SHA1_STATE* s) {
        store_be32(at, s->bit_count_high);
        store_be32(at + 4, s->bit_count_low);
    };
    if (!pad_and_close64(state, compress_one, store_length)) return kFinalStep;
    for (int i = 0; i < 5; ++i) store_be32(out + 4 * i, state->h[i]);
    return kOk;
}

}  // namespace zlc::digest
