#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "crypto/platform/secure_zero.h"
#include "zlc.h"

namespace {

TEST(Memory, HelpersBehaveLikeTheCAllocator) {
    auto* p = static_cast<uint8_t*>(ZLC_Malloc(16, __FILE__, __LINE__));
    ASSERT_NE(p, nullptr);
    p = static_cast<uint8_t*>(ZLC_Realloc(p, 64, nullptr, 0));
    ASSERT_NE(p, nullptr);
    ZLC_Free(p, __FILE__, __LINE__);
    auto* z = static_cast<uint8_t*>(ZLC_Calloc(4, 8, nullptr, 0));
    ASSERT_NE(z, nullptr);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(z[i], 0);
    ZLC_Free(z, nullptr, 0);
    ZLC_Free(nullptr, nullptr, 0);
}

// The release itself is checked by the ASan build (no leak, no double free).
TEST(Memory, FreeExAcceptsNullNegativeAndExactLengths) {
    ZLC_Free_Ex(nullptr, 16);
    auto* block = static_cast<uint8_t*>(std::malloc(16));
    std::memset(block, 0xAB, 16);
    ZLC_Free_Ex(block, 16);
    auto* huge_claim = static_cast<uint8_t*>(std::malloc(16));
    ZLC_Free_Ex(huge_claim, -1);  // negative: released without a runaway wipe
    auto* empty = static_cast<uint8_t*>(std::malloc(1));
    ZLC_Free_Ex(empty, 0);
}

TEST(Memory, SecureZeroClearsExactlyTheRange) {
    uint8_t buffer[24];
    std::memset(buffer, 0xCD, sizeof(buffer));
    zlc::platform::secure_zero(buffer + 4, 16);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(buffer[i], (i >= 4 && i < 20) ? 0 : 0xCD) << i;
}

}  // namespace
