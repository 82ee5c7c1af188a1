#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zlc::test {

using Bytes = std::vector<std::uint8_t>;

Bytes from_hex(std::string_view hex);
std::string to_hex(const std::uint8_t* data, std::size_t length);
inline std::string to_hex(const Bytes& b) { return to_hex(b.data(), b.size()); }

// Deterministic pseudo-random bytes for property and differential tests.
Bytes random_bytes(std::size_t length, std::uint64_t seed);

}  // namespace zlc::test
