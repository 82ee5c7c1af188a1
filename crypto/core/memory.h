#pragma once
// The library's own allocations: zero-filled blocks, wiped before release, with a seam that lets
// tests make an allocation fail.
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "crypto/platform/secure_zero.h"

namespace zlc::mem {

// A zero-filled block of n bytes, or null when memory is exhausted (or a test injects failure).
void* alloc_zeroed(std::size_t n) noexcept;

// Wipes n bytes of p, then releases it. Null does nothing.
void free_wiped(void* p, std::size_t n) noexcept;

template <class T>
T* alloc_record() noexcept {
    static_assert(std::is_trivially_copyable_v<T>);
    return static_cast<T*>(alloc_zeroed(sizeof(T)));
}

template <class T>
void free_record(T* p) noexcept {
    free_wiped(p, sizeof(T));
}

// Internal seam for tests: the next `countdown` allocations succeed, every later one fails,
// until the seam is disarmed with a negative value.
void fail_allocations_after(long countdown) noexcept;

// Wipes a caller-named object when the scope ends, on every path.
template <class T>
class WipeOnExit {
public:
    explicit WipeOnExit(T& object) noexcept : object_(object) {}
    ~WipeOnExit() { platform::secure_zero(&object_, sizeof(T)); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    T& object_;
};

// Runs a cleanup action when the scope ends.
template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};

}  // namespace zlc::mem
