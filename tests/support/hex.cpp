#include "tests/support/hex.h"

#include <random>
#include <stdexcept>

namespace zlc::test {

Bytes from_hex(std::string_view hex) {
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        throw std::invalid_argument("not a hex digit");
    };
    Bytes out;
    std::string digits;
    for (char c : hex) {
        if (c != ' ' && c != ':') digits.push_back(c);
    }
    if (digits.size() % 2 != 0) throw std::invalid_argument("odd hex length");
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(nibble(digits[i]) << 4 | nibble(digits[i + 1])));
    }
    return out;
}

std::string to_hex(const std::uint8_t* data, std::size_t length) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < length; ++i) {
        s.push_back(digits[data[i] >> 4]);
        s.push_back(digits[data[i] & 15]);
    }
    return s;
}

Bytes random_bytes(std::size_t length, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    Bytes out(length);
    for (auto& b : out) b = static_cast<std::uint8_t>(rng());
    return out;
}

}  // namespace zlc::test
