#pragma once
#include <cstddef>

namespace zlc::platform {

// Sets n bytes to zero in a way the optimiser may not elide, even right before a release.
void secure_zero(void* p, std::size_t n) noexcept;

}  // namespace zlc::platform
