// SHA-256 and SHA-224, FIPS 180-4 sections 5.3.2, 5.3.3, 6.2 and 6.3.
#include "crypto/digest/sha256.h"

#include <array>
#include <bit>
#include <cstring>

#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/block_buffer.h"

namespace zlc::digest {
namespace {

constexpr std::array<std::uint32_t, 8> kSha256Iv = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                                    0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
constexpr std::array<std::uint32_t, 8> kSha224Iv = {0xc1059ed8, 0x367cd507, 0x3070dd17, 0xf70e5939,
                                                    0xffc00b31, 0x68581511, 0x64f98fa7, 0xbefa4fa4};

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Sha, op, reason);
}
constexpr Status kSha224InitNull = st(0x05, REASON_NULL_ARGUMENT);
constexpr Status kSha224UpdateNull = st(0x06, REASON_NULL_ARGUMENT);
constexpr Status kSha224UpdateFailed = st(0x06, REASON_UPDATE_FAILED);
constexpr Status kSha224FinalNull = st(0x07, REASON_NULL_ARGUMENT);
constexpr Status kSha224FinalFailed = st(0x07, REASON_FINAL_FAILED);
constexpr Status kSha256InitNull = st(0x08, REASON_NULL_ARGUMENT);
constexpr Status kSha256UpdateNull = st(0x09, REASON_NULL_ARGUMENT);
constexpr Status kSha256UpdateRange = st(0x09, REASON_OUT_OF_RANGE);
constexpr Status kSha256UpdateStep = st(0x09, REASON_STEP_FAILED);
constexpr Status kSha256FinalNull = st(0x0A, REASON_NULL_ARGUMENT);
constexpr Status kSha256FinalStep = st(0x0A, REASON_STEP_FAILED);
constexpr Status kSha256CompressNull = st(0x0B, REASON_NULL_ARGUMENT);

constexpr std::uint32_t big_sigma0(std::uint32_t x) {
    return std::rotr(x, 2) ^ std::rotr(x, 13) ^ std::rotr(x, 22);
}
constexpr std::uint32_t big_sigma1(std::uint32_t x) {
    return std::rotr(x, 6) ^ std::rotr(x, 11) ^ std::rotr(x, 25);
}
constexpr std::uint32_t small_sigma0(std::uint32_t x) {
    return std::rotr(x, 7) ^ std::rotr(x, 18) ^ (x >> 3);
}
constexpr std::uint32_t small_sigma1(std::uint32_t x) {
    return std::rotr(x, 17) ^ std::rotr(x, 19) ^ (x >> 10);
}

}  // namespace

void sha256_blocks_portable(std::uint32_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept {
    std::uint32_t w[64];
    while (blocks-- > 0) {
        for (int t = 0; t < 16; ++t) w[t] = load_be32(data + 4 * t);
        for (int t = 16; t < 64; ++t) {
            w[t] = small_sigma1(w[t - 2]) + w[t - 7] + small_sigma0(w[t - 15]) + w[t - 16];
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6],
                      hh = h[7];
        for (int t = 0; t < 64; ++t) {
            const std::uint32_t t1 =
                hh + big_sigma1(e) + ((e & f) ^ (~e & g)) + kSha256RoundConstants[t] + w[t];
            const std::uint32_t t2 = big_sigma0(a) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        h[5] += f;
        h[6] += g;
        h[7] += hh;
        data += 64;
    }
    platform::secure_zero(w, sizeof(w));
}

namespace {

constexpr platform::Path<Sha256BlocksFn> kPaths[] = {
#ifdef ZLC_X86_64
    {"shani", platform::kSha | platform::kSse41, sha256_blocks_shani},
#endif
    {"portable", 0, sha256_blocks_portable},
};
constinit platform::PathChoice<Sha256BlocksFn> g_paths(kPaths);

}  // namespace

platform::PathChoice<Sha256BlocksFn>& sha256_paths() noexcept {
    return g_paths;
}

void sha256_compress_blocks(std::uint32_t h[8], const std::uint8_t* data,
                            std::size_t blocks) noexcept {
    g_paths.ops()(h, data, blocks);
}

Status zlc_sha256_compress(const std::uint8_t* block, SHA256_STATE* state) noexcept {
    if (block == nullptr || state == nullptr) return kSha256CompressNull;
    sha256_compress_blocks(state->h, block, 1);
    return kOk;
}

Status zlc_sha256_init(SHA256_STATE* state) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (state == nullptr) return kSha256InitNull;
    restart(state, kSha256Iv);
    return kOk;
}

Status zlc_sha224_init(SHA256_STATE* state) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (state == nullptr) return kSha224InitNull;
    restart(state, kSha224Iv);
    return kOk;
}

Status zlc_sha256_update(SHA256_STATE* state, const std::uint8_t* data,
                         std::uint32_t length) noexcept {
    if (state == nullptr || data == nullptr) return kSha256UpdateNull;
    if (state->final_fill > 64) return kSha256UpdateRange;
    // A chunk never fits a buffer that claims to be full already.
    if (state->pending_count >= 64) return kSha256UpdateStep;
    absorb<64>(state, data, length, sha256_compress_blocks);
    return kOk;
}

Status zlc_sha224_update(SHA256_STATE* state, const std::uint8_t* data,
                         std::uint32_t length) noexcept {
    if (state == nullptr || data == nullptr) return kSha224UpdateNull;
    return zlc_sha256_update(state, data, length) == kOk ? kOk : kSha224UpdateFailed;
}

Status zlc_sha256_final(SHA256_STATE* state, std::uint8_t* out) noexcept {
    if (state == nullptr || state->final_fill >= 64) return kSha256FinalNull;
    if (out == nullptr) return kSha256FinalNull;
    if (state->pending_count >= 64) return kSha256FinalStep;
    const auto compress_one = [](const std::uint8_t* block, SHA256_STATE* s) {
        return zlc_sha256_compress(block, s) == kOk;
    };
    const auto store_length = [](std::uint8_t* at, const SHA256_STATE* s) {
        store_be32(at, s->bit_count_high);
        store_be32(at + 4, s->bit_count_low);
    };
    if (!pad_and_close64(state, compress_one, store_length)) return kSha256FinalStep;
    for (int i = 0; i < 8; ++i) store_be32(out + 4 * i, state->h[i]);
    return kOk;
}

Status zlc_sha224_final(SHA256_STATE* state, std::uint8_t* out) noexcept {
    if (state == nullptr) return kSha224FinalNull;
    std::uint8_t full[32];
    mem::WipeOnExit wipe(full);
    if (out == nullptr || zlc_sha256_final(state, full) != kOk) return kSha224FinalFailed;
    std::memcpy(out, full, 28);
    return kOk;
}

}  // namespace zlc::digest
