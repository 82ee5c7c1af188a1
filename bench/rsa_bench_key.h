#pragma once
// The one RSA-2048 key both sides of the RSA benchmark use, as big-endian components. OpenSSL and
// the library live in separate sources: both name a type RSA.
#include <cstdint>
#include <vector>

namespace bench_rsa {

struct KeyParts {
    std::vector<std::uint8_t> n, e, d, p, q, dp, dq, qinv;
};

// Generated once by OpenSSL (e = 65537).
const KeyParts& shared_key();

}  // namespace bench_rsa
