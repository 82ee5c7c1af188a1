#pragma once
// Checks shared by the digest algorithm tests: published vectors from files, streaming in random
// pieces, and the reference digests of OpenSSL.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <memory>
#include <random>
#include <string>

#include "tests/support/hex.h"
#include "tests/support/vector_file.h"
#include "zlc.h"

namespace zlc::test {

struct DigestUnitDeleter {
    void operator()(DIGEST_UNIT* unit) const { ZLC_Free_DIGEST_Unit(unit); }
};
using DigestUnitPtr = std::unique_ptr<DIGEST_UNIT, DigestUnitDeleter>;

// The digest through a unit; an empty message gets no Update (MD5 and HAS-160 refuse one).
inline Bytes unit_digest(std::uint32_t id, const Bytes& msg) {
    DigestUnitPtr unit(ZLC_New_DIGEST_Unit());
    Bytes out(ZLC_DIGEST_MAX_LENGTH);
    int32_t length = 0;
    EXPECT_EQ(ZLC_Init_DIGEST(unit.get(), id), 0u);
    if (!msg.empty()) {
        EXPECT_EQ(ZLC_Update_DIGEST(unit.get(), msg.data(), static_cast<int32_t>(msg.size())), 0u);
    }
    EXPECT_EQ(ZLC_Final_DIGEST(unit.get(), out.data(), &length), 0u);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// The one-shot digest, cross-checked with the unit for non-empty messages.
inline Bytes digest_of(std::uint32_t id, const Bytes& msg) {
    if (msg.empty()) return unit_digest(id, msg);
    Bytes out(ZLC_DIGEST_MAX_LENGTH);
    int32_t length = 0;
    EXPECT_EQ(ZLC_DIGEST(id, msg.data(), static_cast<int32_t>(msg.size()), out.data(), &length),
              0u);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// The digest with the message fed to one unit in random pieces of 1 to max_piece bytes.
inline Bytes streamed_digest(DIGEST_UNIT* unit, const Bytes& msg, std::mt19937& rng,
                             std::size_t max_piece) {
    std::size_t pos = 0;
    while (pos < msg.size()) {
        const std::size_t n = std::min<std::size_t>(msg.size() - pos, 1 + rng() % max_piece);
        EXPECT_EQ(ZLC_Update_DIGEST(unit, msg.data() + pos, static_cast<int32_t>(n)), 0u);
        pos += n;
    }
    Bytes out(ZLC_DIGEST_MAX_LENGTH);
    int32_t length = 0;
    EXPECT_EQ(ZLC_Final_DIGEST(unit, out.data(), &length), 0u);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

inline Bytes openssl_digest(const EVP_MD* md, const Bytes& msg) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EXPECT_EQ(EVP_Digest(msg.data(), msg.size(), out, &length, md, nullptr), 1);
    return Bytes(out, out + length);
}

// The message of a vector record: NIST "Len"/"Msg", "MSGHEX", or "MSG_LEN" copies of "MSG_BYTE".
inline Bytes record_message(const VectorRecord& r) {
    if (r.has("Msg")) {
        Bytes msg = from_hex(r.at("Msg"));
        msg.resize(std::stoul(r.at("Len")) / 8);
        return msg;
    }
    if (r.has("MSGHEX")) return from_hex(r.at("MSGHEX"));
    return Bytes(std::stoul(r.at("MSG_LEN")), from_hex(r.at("MSG_BYTE"))[0]);
}

// Checks every record of a vector file (only those of `alg` when records name one); returns how
// many.
inline int check_vector_file(const std::string& file, std::uint32_t id,
                             const std::string& alg = "") {
    int checked = 0;
    for (const auto& r : read_vector_file(file)) {
        if (r.has("ALG") && r.at("ALG") != alg) continue;
        EXPECT_EQ(to_hex(digest_of(id, record_message(r))), r.at("MD"))
            << file << " line " << r.line;
        ++checked;
    }
    return checked;
}

}  // namespace zlc::test
