#include "crypto/platform/secure_zero.h"

#include <string.h>

namespace zlc::platform {

void secure_zero(void* p, std::size_t n) noexcept {
    if (p != nullptr && n != 0) {
        // glibc's explicit_bzero is opaque to the compiler, so dead-store elimination cannot drop it.
        explicit_bzero(p, n);
    }
}

}  // namespace zlc::platform
