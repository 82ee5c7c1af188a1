#pragma once
// The module integrity test: the file of the loaded module whose path carries the marker must
// end with the module key's RSASSA-PSS signature over everything before its last 256 bytes.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::selftest {

inline constexpr char kModuleMarker[] = "zeltavine_";
// Paths of at most 260 characters, held zero-terminated in a zero-filled buffer.
inline constexpr std::size_t kMaxModulePath = 260;
inline constexpr std::size_t kModulePathBuffer = kMaxModulePath + 1;
inline constexpr std::int32_t kModuleSignatureLength = 256;

// 0 when the signature verifies; 0x1A01003B (no key record or path buffer), 0x1A010050 (no
// marked module), 0x1A010023, 0x1A01005C, or 0x1A010019 (a file that cannot be read whole, is
// too short to hold a signature, or whose signature does not verify).
[[nodiscard]] Status IntegrityTest() noexcept;

// 0 with the path of the last listed module whose path contains the marker copied into path
// (kModulePathBuffer bytes), 1 when none does. Longer paths are skipped, never truncated.
int FindModuleFile(char* path) noexcept;

// The file's size with *contents a heap block holding all of it (release with
// mem::free_wiped), or -1 with *contents null: for a null argument, a file that cannot be
// opened or read whole, one shorter than a signature and one signed byte (257 bytes), or one
// too large for the signed part to fit a 32-bit length.
std::int32_t ReadModuleFile(const char* path, std::uint8_t** contents) noexcept;

// Internal seam for tests: while set, FindModuleFile reports this path (kept alive by the
// caller) instead of searching the loaded modules; null restores the search. Returns the previous
// one.
const char* replace_module_path(const char* path) noexcept;

}  // namespace zlc::selftest
