#include "crypto/core/memory.h"

#include <atomic>
#include <cstdlib>

#include "zlc.h"

namespace zlc::mem {
namespace {
std::atomic<long> g_alloc_countdown{-1};

bool injected_failure() noexcept {
    long n = g_alloc_countdown.load(std::memory_order_relaxed);
    while (n >= 0) {
        if (n == 0) return true;
        if (g_alloc_countdown.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) return false;
    }
    return false;
}
}  // namespace

void* alloc_zeroed(std::size_t n) noexcept {
    if (injected_failure()) return nullptr;
    return std::calloc(1, n == 0 ? 1 : n);
}

void free_wiped(void* p, std::size_t n) noexcept {
    if (p == nullptr) return;
    platform::secure_zero(p, n);
    std::free(p);
}

void fail_allocations_after(long countdown) noexcept {
    g_alloc_countdown.store(countdown, std::memory_order_relaxed);
}

}  // namespace zlc::mem

// Exported helpers: plain C allocator calls; the file and line arguments are accepted and unused.
extern "C" {

ZLC_API void* ZLC_Malloc(size_t size, const char*, int) ZLC_NOEXCEPT { return std::malloc(size); }

ZLC_API void* ZLC_Calloc(size_t count, size_t size, const char*, int) ZLC_NOEXCEPT {
    return std::calloc(count, size);
}

ZLC_API void* ZLC_Realloc(void* block, size_t size, const char*, int) ZLC_NOEXCEPT {
    return std::realloc(block, size);
}

ZLC_API void ZLC_Free(void* block, const char*, int) ZLC_NOEXCEPT { std::free(block); }

ZLC_API void ZLC_Free_Ex(void* block, int32_t length) ZLC_NOEXCEPT {
    if (block == nullptr) return;
    // A negative length is a caller error; release without wiping rather than wipe ~2^64 bytes.
    if (length > 0) zlc::platform::secure_zero(block, static_cast<size_t>(length));
    std::free(block);
}

}  // extern "C"
