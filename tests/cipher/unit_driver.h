#pragma once
// Drives a block cipher unit through the C interface: a message fed in pieces, then Final.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/hex.h"
#include "zlc.h"

namespace zlc::test {

struct BlockUnitDeleter {
    void operator()(BLOCK_CIPHER_UNIT* u) const { ZLC_Free_BLOCK_CIPHER_Unit(u); }
};
using BlockUnitPtr = std::unique_ptr<BLOCK_CIPHER_UNIT, BlockUnitDeleter>;
inline BlockUnitPtr new_block_unit() { return BlockUnitPtr(ZLC_New_BLOCK_CIPHER_Unit()); }

struct Outcome {
    Bytes out;
    uint32_t update_status = 0;  // first failing Update, or 0
    uint32_t final_status = 0;
    int32_t final_length = -1;
};

// Feeds `in` as pieces of the given lengths (what is left over goes last), then Final.
inline Outcome feed(BLOCK_CIPHER_UNIT* unit, const Bytes& in, const std::vector<size_t>& pieces = {}) {
    Outcome result;
    size_t at = 0;
    auto update = [&](size_t n) {
        if (n == 0 || result.update_status != 0) return;
        Bytes out(n + 32, 0xEE);
        int32_t written = -1;
        result.update_status =
            ZLC_Update_BLOCK_CIPHER(unit, out.data(), &written, in.data() + at, static_cast<int32_t>(n));
        if (result.update_status == 0) result.out.insert(result.out.end(), out.begin(), out.begin() + written);
        at += n;
    };
    for (size_t n : pieces) update(std::min(n, in.size() - at));
    update(in.size() - at);
    uint8_t last[16];
    result.final_status = ZLC_Final_BLOCK_CIPHER(unit, last, &result.final_length);
    if (result.final_status == 0) result.out.insert(result.out.end(), last, last + result.final_length);
    return result;
}

// The whole message through a freshly initialised unit; fails the test if Init fails.
inline Outcome run_unit(uint32_t id, bool encrypt, const Bytes& key, const Bytes& iv, const Bytes& in,
                        const std::vector<size_t>& pieces = {}) {
    auto unit = new_block_unit();
    const uint32_t init =
        ZLC_Init_BLOCK_CIPHER(unit.get(), id, key.data(), iv.empty() ? nullptr : iv.data(), encrypt ? 1 : 0);
    EXPECT_EQ(init, 0u) << std::hex << id;
    return feed(unit.get(), in, pieces);
}

}  // namespace zlc::test
