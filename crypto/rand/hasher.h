#pragma once
// A digest of the library's table run on a state record held in place, for the generators that
// hash many short messages (no allocation per message). Selection follows the digest unit: the
// self-test gate first, then the proven-mode refusals.
#include <cstddef>
#include <cstdint>

#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/digest/sha256.h"
#include "crypto/digest/sha512.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::rand {

class Hasher {
  public:
    Hasher() = default;
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;
    ~Hasher() { platform::secure_zero(state_, sizeof(state_)); }

    // Binds the algorithm; false when the gate, the identifier or proven mode refuses it.
    [[nodiscard]] bool select(std::uint32_t id) noexcept {
        algorithm_ = nullptr;
        const digest::DigestAlgorithm* row = nullptr;
        if (core::pass_gate() != kOk || digest::select_digest(id, &row) != kOk) return false;
        if (row->state_size > static_cast<std::int32_t>(sizeof(state_))) return false;
        algorithm_ = row;
        return true;
    }

    // Starts a message.
    [[nodiscard]] bool begin() noexcept {
        return algorithm_ != nullptr && algorithm_->init(state_) == kOk;
    }
    // Empty pieces are skipped: some algorithms refuse a zero-length update.
    [[nodiscard]] bool absorb(const std::uint8_t* data, std::size_t length) noexcept {
        if (length == 0) return true;
        return algorithm_ != nullptr &&
               algorithm_->update(state_, data, static_cast<std::uint32_t>(length)) == kOk;
    }
    // Writes length() bytes.
    [[nodiscard]] bool finish(std::uint8_t* out) noexcept {
        return algorithm_ != nullptr && algorithm_->final(state_, out) == kOk;
    }

    std::int32_t length() const noexcept { return algorithm_ ? algorithm_->digest_length : 0; }

  private:
    // Room for the largest state of the digests the generators use.
    static constexpr std::size_t kStateCapacity = 512;
    static_assert(sizeof(digest::SHA512_STATE) <= kStateCapacity);
    static_assert(sizeof(digest::SHA256_STATE) <= kStateCapacity);

    const digest::DigestAlgorithm* algorithm_ = nullptr;
    alignas(16) std::uint8_t state_[kStateCapacity] = {};
};

}  // namespace zlc::rand
