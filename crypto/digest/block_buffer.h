#pragma once
// The update step shared by the block digests whose states keep `h`, `pending` and
// `pending_count`: pending bytes are topped up to a whole block first, whole blocks then go
// straight from the caller's buffer, and the rest waits in `pending`. The state after every call
// is the one that routing each byte through `pending` would leave.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zlc::digest {

// `compress(h, blocks_data, count)` runs whole blocks; `add_bits(state, bits)` counts them.
// The caller has checked that pending_count < Block.
template <std::size_t Block, class State, class Compress, class AddBits>
void absorb(State* state, const std::uint8_t* data, std::size_t length, Compress compress, AddBits add_bits) noexcept {
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

}  // namespace zlc::digest
