// Known-answer test of SEED and ARIA in ECB, CBC, CFB128 and OFB, without padding: each record's
// ciphertext is compared, then decrypted back to its plaintext.
#include <algorithm>
#include <cstdint>

#include "crypto/cipher/block_cipher.h"
#include "crypto/core/memory.h"
#include "crypto/selftest/kat_data.h"
#include "crypto/selftest/kat_vectors.h"

namespace zlc::selftest {
namespace {

constexpr std::int32_t kBlock = 16;

constexpr bool records_are_one_block() {
    for (const BlockCipherVector& v : vectors::kBlockCipher) {
        if (v.plaintext.size() != kBlock || v.expected.size() != kBlock || v.iv.size() != kBlock) {
            return false;
        }
    }
    return true;
}
static_assert(records_are_one_block());

// One message through the unit as Init left it: update, then final behind the update output.
// Without padding a block in gives exactly a block out, and all of it from the update.
bool run_block(BLOCK_CIPHER_UNIT* unit, const std::uint8_t* in, std::uint8_t* out) {
    std::int32_t produced = 0, tail = 0;
    return cipher::update(unit, out, &produced, in, kBlock) == kOk &&
           cipher::final(unit, out + produced, &tail) == kOk && produced == kBlock && tail == 0;
}

}  // namespace

Status KatBlockCipher() noexcept {
    constexpr Status kFailed = kat_failure(KatId::BlockCipher);
    Owned<BLOCK_CIPHER_UNIT, cipher::free_unit> unit(cipher::new_unit());
    if (unit == nullptr) return kFailed;
    // Room for an update and a final output each; the key schedule goes with the unit.
    std::uint8_t ciphertext[2 * kBlock];
    std::uint8_t plaintext[2 * kBlock];
    mem::WipeOnExit wipe_ciphertext(ciphertext);
    mem::WipeOnExit wipe_plaintext(plaintext);
    std::size_t offset = 0;
    for (const BlockCipherVector& v : vectors::kBlockCipher) {
        const std::uint32_t id = v.id | ZLC_NO_PADDING;
        if (cipher::init(unit.get(), id, v.key.data(), v.iv.data(), 1) != kOk ||
            !run_block(unit.get(), v.plaintext.data(), ciphertext) ||
            !matches_expected(KatId::BlockCipher, offset, ciphertext, v.expected) ||
            cipher::init(unit.get(), id, v.key.data(), v.iv.data(), 0) != kOk ||
            !run_block(unit.get(), ciphertext, plaintext) ||
            !std::equal(v.plaintext.begin(), v.plaintext.end(), plaintext)) {
            return kFailed;
        }
        offset += v.expected.size();
    }
    cipher::clean_unit(unit.get());
    return kOk;
}

}  // namespace zlc::selftest
