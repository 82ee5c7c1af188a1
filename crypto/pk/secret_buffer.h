#pragma once
// A zero-filled heap block of fixed size, wiped and released when the scope ends.
#include <cstddef>
#include <cstdint>

#include "crypto/core/memory.h"

namespace zlc::rsa {

class SecretBuffer {
  public:
    explicit SecretBuffer(std::int32_t size) noexcept
        : size_(size > 0 ? static_cast<std::size_t>(size) : 0),
          data_(static_cast<std::uint8_t*>(mem::alloc_zeroed(size_ > 0 ? size_ : 1))) {}
    ~SecretBuffer() { mem::free_wiped(data_, size_); }
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;

    bool ok() const noexcept { return data_ != nullptr; }
    std::uint8_t* get() const noexcept { return data_; }

  private:
    std::size_t size_;
    std::uint8_t* data_;
};

}  // namespace zlc::rsa
