#pragma once
// Byte-order loads and stores; byte strings are never reinterpreted as words (alignment, aliasing).
#include <cstdint>
#include <cstring>

namespace zlc {

inline std::uint32_t load_be32(const std::uint8_t* p) noexcept {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return __builtin_bswap32(v);
}
inline void store_be32(std::uint8_t* p, std::uint32_t v) noexcept {
    v = __builtin_bswap32(v);
    std::memcpy(p, &v, 4);
}
inline std::uint64_t load_be64(const std::uint8_t* p) noexcept {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}
inline void store_be64(std::uint8_t* p, std::uint64_t v) noexcept {
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}
inline std::uint32_t load_le32(const std::uint8_t* p) noexcept {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void store_le32(std::uint8_t* p, std::uint32_t v) noexcept { std::memcpy(p, &v, 4); }
inline std::uint64_t load_le64(const std::uint8_t* p) noexcept {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline void store_le64(std::uint8_t* p, std::uint64_t v) noexcept { std::memcpy(p, &v, 8); }
inline std::uint16_t load_le16(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline void store_le16(std::uint8_t* p, std::uint16_t v) noexcept {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace zlc
