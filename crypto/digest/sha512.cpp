// SHA-512 and SHA-384, FIPS 180-4 sections 5.3.4, 5.3.5, 6.4 and 6.5.
#include "crypto/digest/sha512.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/block_buffer.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::digest {
namespace {

constexpr std::array<std::uint64_t, 8> kSha512Iv = {
    0x6a09e667f3bcc908, 0xbb67ae8584caa73b, 0x3c6ef372fe94f82b, 0xa54ff53a5f1d36f1,
    0x510e527fade682d1, 0x9b05688c2b3e6c1f, 0x1f83d9abfb41bd6b, 0x5be0cd19137e2179};
constexpr std::array<std::uint64_t, 8> kSha384Iv = {
    0xcbbb9d5dc1059ed8, 0x629a292a367cd507, 0x9159015a3070dd17, 0x152fecd8f70e5939,
    0x67332667ffc00b31, 0x8eb44a8768581511, 0xdb0c2e0d64f98fa7, 0x47b5481dbefa4fa4};

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Sha, op, reason);
}
constexpr Status kSha384InitNull = st(0x0C, REASON_NULL_ARGUMENT);
constexpr Status kSha384UpdateNull = st(0x0D, REASON_NULL_ARGUMENT);
constexpr Status kSha384UpdateFailed = st(0x0D, REASON_UPDATE_FAILED);
constexpr Status kSha384FinalNull = st(0x0E, REASON_NULL_ARGUMENT);
constexpr Status kSha512InitNull = st(0x0F, REASON_NULL_ARGUMENT);
constexpr Status kSha512UpdateNull = st(0x20, REASON_NULL_ARGUMENT);
constexpr Status kSha512UpdateStep = st(0x20, REASON_STEP_FAILED);
constexpr Status kSha512FinalNull = st(0x21, REASON_NULL_ARGUMENT);
// Also what SHA-384's final reports for any failure of the shared final.
constexpr Status kSha512FinalStep = st(0x21, REASON_STEP_FAILED);

constexpr std::uint64_t big_sigma0(std::uint64_t x) {
    return std::rotr(x, 28) ^ std::rotr(x, 34) ^ std::rotr(x, 39);
}
constexpr std::uint64_t big_sigma1(std::uint64_t x) {
    return std::rotr(x, 14) ^ std::rotr(x, 18) ^ std::rotr(x, 41);
}
constexpr std::uint64_t small_sigma0(std::uint64_t x) {
    return std::rotr(x, 1) ^ std::rotr(x, 8) ^ (x >> 7);
}
constexpr std::uint64_t small_sigma1(std::uint64_t x) {
    return std::rotr(x, 19) ^ std::rotr(x, 61) ^ (x >> 6);
}

using Word = std::uint64_t;

// Round T of FIPS 180-4 6.4.2 step 3 on the 16-word circular schedule; the caller rotates the
// roles of the working variables, so only d and h change here.
template <int T>
[[gnu::always_inline]] inline void sha512_round(Word a, Word b, Word c, Word& d, Word e, Word f,
                                                Word g, Word& h, Word w[16]) {
    Word wt;
    if constexpr (T < 16) {
        wt = w[T];
    } else {
        wt = small_sigma1(w[(T - 2) & 15]) + w[(T - 7) & 15] + small_sigma0(w[(T - 15) & 15]) +
             w[T & 15];
        w[T & 15] = wt;
    }
    const Word t1 = h + big_sigma1(e) + (g ^ (e & (f ^ g))) + kSha512RoundConstants[T] + wt;
    const Word t2 = big_sigma0(a) + ((a & b) | (c & (a | b)));
    d += t1;
    h = t1 + t2;
}

template <int T>
[[gnu::always_inline]] inline void eight_rounds(Word& a, Word& b, Word& c, Word& d, Word& e,
                                                Word& f, Word& g, Word& h, Word w[16]) {
    sha512_round<T>(a, b, c, d, e, f, g, h, w);
    sha512_round<T + 1>(h, a, b, c, d, e, f, g, w);
    sha512_round<T + 2>(g, h, a, b, c, d, e, f, w);
    sha512_round<T + 3>(f, g, h, a, b, c, d, e, w);
    sha512_round<T + 4>(e, f, g, h, a, b, c, d, w);
    sha512_round<T + 5>(d, e, f, g, h, a, b, c, w);
    sha512_round<T + 6>(c, d, e, f, g, h, a, b, w);
    sha512_round<T + 7>(b, c, d, e, f, g, h, a, w);
}

template <int... G>
[[gnu::always_inline]] inline void all_rounds(Word& a, Word& b, Word& c, Word& d, Word& e, Word& f,
                                              Word& g, Word& h, Word w[16],
                                              std::integer_sequence<int, G...>) {
    (eight_rounds<8 * G>(a, b, c, d, e, f, g, h, w), ...);
}

}  // namespace

void sha512_blocks_portable(std::uint64_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept {
    Word w[16];
    while (blocks-- > 0) {
        for (int t = 0; t < 16; ++t) w[t] = load_be64(data + 8 * t);
        Word a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        all_rounds(a, b, c, d, e, f, g, hh, w, std::make_integer_sequence<int, 10>{});
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        h[5] += f;
        h[6] += g;
        h[7] += hh;
        data += 128;
    }
    platform::secure_zero(w, sizeof(w));
}

namespace {

constexpr platform::Path<Sha512BlocksFn> kPaths[] = {
#ifdef ZLC_X86_64
    {"avx512", platform::kAvx512f | platform::kAvx512vl | platform::kBmi2, sha512_blocks_avx512},
#endif
    {"portable", 0, sha512_blocks_portable},
};
constinit platform::PathChoice<Sha512BlocksFn> g_paths(kPaths);

}  // namespace

platform::PathChoice<Sha512BlocksFn>& sha512_paths() noexcept {
    return g_paths;
}

void sha512_compress_blocks(std::uint64_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept {
    g_paths.ops()(h, data, blocks);
}

Status zlc_sha512_compress(const std::uint8_t* block, SHA512_STATE* state) noexcept {
    sha512_compress_blocks(state->h, block, 1);
    return kOk;
}

Status zlc_sha512_init(SHA512_STATE* state) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (state == nullptr) return kSha512InitNull;
    restart(state, kSha512Iv);
    return kOk;
}

Status zlc_sha384_init(SHA512_STATE* state) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (state == nullptr) return kSha384InitNull;
    restart(state, kSha384Iv);
    return kOk;
}

Status zlc_sha512_update(SHA512_STATE* state, const std::uint8_t* data,
                         std::uint32_t length) noexcept {
    if (state == nullptr || data == nullptr || state->final_fill > 128) return kSha512UpdateNull;
    if (length == 0) return kOk;
    // A damaged count would make the first chunk not fit in `pending`.
    if (state->pending_count >= 128) return kSha512UpdateStep;
    absorb<128>(state, data, length, sha512_compress_blocks);
    return kOk;
}

Status zlc_sha384_update(SHA512_STATE* state, const std::uint8_t* data,
                         std::uint32_t length) noexcept {
    if (state == nullptr || data == nullptr) return kSha384UpdateNull;
    return zlc_sha512_update(state, data, length) == kOk ? kOk : kSha384UpdateFailed;
}

Status zlc_sha512_final(SHA512_STATE* state, std::uint8_t* out) noexcept {
    if (state == nullptr || out == nullptr || state->final_fill >= 128) return kSha512FinalNull;
    // The tail is moved into final_block whole and the 0x80 byte goes after it: both must fit.
    if (state->final_fill + state->pending_count >= 128) return kSha512FinalNull;
    std::memcpy(state->final_block + state->final_fill, state->pending, state->pending_count);
    state->final_fill += state->pending_count;
    add_bits(state, 8ull * state->final_fill);
    state->final_block[state->final_fill++] = 0x80;
    if (state->final_fill > 112) {
        std::memset(state->final_block + state->final_fill, 0, 128 - state->final_fill);
        if (zlc_sha512_compress(state->final_block, state) != kOk) return kSha512FinalStep;
        state->final_fill = 0;
    }
    std::memset(state->final_block + state->final_fill, 0, 120 - state->final_fill);
    store_be32(state->final_block + 120, state->bit_count_high);
    store_be32(state->final_block + 124, state->bit_count_low);
    state->final_fill = 120;
    if (zlc_sha512_compress(state->final_block, state) != kOk) return kSha512FinalStep;
    for (int i = 0; i < 8; ++i) store_be64(out + 8 * i, state->h[i]);
    state->pending_count = 0;
    platform::secure_zero(state->final_block, sizeof(state->final_block));
    platform::secure_zero(state->pending, sizeof(state->pending));
    return kOk;
}

Status zlc_sha384_final(SHA512_STATE* state, std::uint8_t* out) noexcept {
    if (state == nullptr || out == nullptr || state->final_fill >= 128) return kSha384FinalNull;
    std::uint8_t full[64];
    mem::WipeOnExit wipe(full);
    if (zlc_sha512_final(state, full) != kOk) return kSha512FinalStep;
    std::memcpy(out, full, 48);
    return kOk;
}

}  // namespace zlc::digest
