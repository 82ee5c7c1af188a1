#pragma once
// The update step shared by the block digests whose states keep `h`, `pending` and
// `pending_count`: pending bytes are topped up to a whole block first, whole blocks then go
// straight from the caller's buffer, and the rest waits in `pending`. The state after every call
// is the one that routing each byte through `pending` would leave.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "crypto/platform/secure_zero.h"

namespace zlc::digest {

// Adds to the 64-bit message bit count kept as two 32-bit halves.
template <class State>
void add_bits(State* state, std::uint64_t bits) noexcept {
    const std::uint64_t count =
        ((static_cast<std::uint64_t>(state->bit_count_high) << 32) | state->bit_count_low) + bits;
    state->bit_count_low = static_cast<std::uint32_t>(count);
    state->bit_count_high = static_cast<std::uint32_t>(count >> 32);
}

// A fresh state: chaining value `iv`, counts and buffers cleared.
template <class State, class Iv>
void restart(State* state, const Iv& iv) noexcept {
    state->bit_count_low = 0;
    state->bit_count_high = 0;
    state->final_fill = 0;
    std::memcpy(state->h, iv.data(), sizeof(state->h));
    state->pending_count = 0;
    std::memset(state->final_block, 0, sizeof(state->final_block));
    std::memset(state->pending, 0, sizeof(state->pending));
}

// `compress(h, blocks_data, count)` runs whole blocks. The caller has checked that
// pending_count < Block.
template <std::size_t Block, class State, class Compress>
void absorb(State* state, const std::uint8_t* data, std::size_t length, Compress compress) noexcept {
    if (state->pending_count > 0) {
        const std::size_t take = std::min<std::size_t>(Block - state->pending_count, length);
        std::memcpy(state->pending + state->pending_count, data, take);
        state->pending_count = static_cast<std::uint8_t>(state->pending_count + take);
        data += take;
        length -= take;
        if (state->pending_count < Block) return;
        compress(state->h, state->pending, 1);
        add_bits(state, 8 * Block);
        state->pending_count = 0;
    }
    const std::size_t blocks = length / Block;
    if (blocks > 0) {
        compress(state->h, data, blocks);
        add_bits(state, 8 * Block * static_cast<std::uint64_t>(blocks));
        data += Block * blocks;
        length -= Block * blocks;
    }
    if (length > 0) {
        std::memcpy(state->pending, data, length);
        state->pending_count = static_cast<std::uint8_t>(length);
    }
}

// The closing steps of a 64-byte-block digest: the pending bytes join `final_block` (a full block
// is compressed and counted), then the 0x80 byte, zeros and the bit count that `store_length`
// writes at offset 56 are compressed; the buffers are wiped. False as soon as `compress_one`
// (a state's own compression routine) reports failure. The caller has checked final_fill < 64.
template <class State, class CompressOne, class StoreLength>
bool pad_and_close64(State* state, CompressOne compress_one, StoreLength store_length) noexcept {
    if (state->pending_count > 0) {
        const std::uint32_t move =
            std::min<std::uint32_t>(state->pending_count, 64 - state->final_fill);
        std::memcpy(state->final_block + state->final_fill, state->pending, move);
        state->final_fill += move;
        if (state->final_fill == 64) {
            if (!compress_one(state->final_block, state)) return false;
            add_bits(state, 512);
            state->final_fill = 0;
        }
    }
    add_bits(state, 8ull * state->final_fill);
    state->final_block[state->final_fill++] = 0x80;
    if (state->final_fill > 56) {
        std::memset(state->final_block + state->final_fill, 0, 64 - state->final_fill);
        if (!compress_one(state->final_block, state)) return false;
        state->final_fill = 0;
    }
    std::memset(state->final_block + state->final_fill, 0, 56 - state->final_fill);
    store_length(state->final_block + 56, state);
    state->final_fill = 56;
    if (!compress_one(state->final_block, state)) return false;
    state->pending_count = 0;
    platform::secure_zero(state->final_block, sizeof(state->final_block));
    platform::secure_zero(state->pending, sizeof(state->pending));
    return true;
}

}  // namespace zlc::digest
