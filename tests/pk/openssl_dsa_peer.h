#pragma once
// OpenSSL's DSA as a peer. OpenSSL names its own record DSA as zlc.h does, so the peer lives in a
// translation unit of its own and speaks in big-endian byte strings.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zlc::test {

struct DsaPeerKey {
    std::vector<std::uint8_t> p, q, g, y, x;
};

// DSA_do_verify over a precomputed digest.
bool peer_dsa_verify(const DsaPeerKey& key, const std::vector<std::uint8_t>& digest,
                     const std::vector<std::uint8_t>& r, const std::vector<std::uint8_t>& s);
// DSA_do_sign over a precomputed digest; r and s written at `width` bytes.
bool peer_dsa_sign(const DsaPeerKey& key, const std::vector<std::uint8_t>& digest,
                   std::size_t width, std::vector<std::uint8_t>* r, std::vector<std::uint8_t>* s);

}  // namespace zlc::test
