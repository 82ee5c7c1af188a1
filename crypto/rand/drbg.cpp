// Hash_DRBG (NIST SP 800-90A Rev. 1, 10.1.1 and 10.3.1) and the process-wide locked generator.
#include "crypto/rand/drbg.h"

#include <algorithm>
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/digest/sha1.h"
#include "crypto/digest/sha256.h"
#include "crypto/digest/sha512.h"
#include "crypto/platform/entropy_sources.h"
#include "crypto/platform/named_lock.h"
#include "crypto/rand/entropy.h"
#include "crypto/rand/hasher.h"

namespace zlc::rand {
namespace {

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Drbg, op, reason);
}
constexpr std::uint16_t REASON_LENGTH_OUT_OF_LIMITS = 0x000C;
constexpr std::uint16_t REASON_INPUT_TOO_LONG = 0x0026;
constexpr std::uint16_t REASON_DERIVATION_FAILED = 0x001E;
constexpr std::uint16_t REASON_GENERATION_FAILED = 0x001F;
constexpr std::uint16_t REASON_LOCK_RELEASE_FAILED = 0x0062;
constexpr std::uint16_t REASON_SETUP_FAILED = 0x0063;
constexpr std::uint16_t REASON_INSTANTIATE_FAILED = 0x0064;
constexpr std::uint16_t REASON_GENERATE_FAILED = 0x0066;

// Operations of the DRBG module.
constexpr std::uint8_t kOpSetup = 0x01, kOpInstantiate = 0x02, kOpReseed = 0x03, kOpGenerate = 0x04,
                       kOpRequest = 0x05, kOpBigint = 0x06, kOpParams = 0x07,
                       kOpInstantiateAlgorithm = 0x08, kOpReseedAlgorithm = 0x09,
                       kOpGenerateAlgorithm = 0x0A;

// The lock's own statuses; a request reports any of them as 0x0B050061.
constexpr Status kLockCreateFailed = make_status(Module::Lock, 0x01, REASON_LOCK_FAILED);
constexpr Status kLockWaitFailed = make_status(Module::Lock, 0x02, REASON_LOCK_FAILED);
constexpr const char* kLockName = "ZELTARO_Crypto_Lock";

constexpr std::int32_t kMaxInputLength = 0x7FFFFFF0;
constexpr Status kContinuousTestFailed = REASON_SELF_CHECK_MISMATCH;
constexpr Status kHashGenRefused = 1;

struct DrbgParameters {
    std::uint32_t id;
    std::int32_t security_strength;
    std::int32_t seed_length;
    std::int32_t block_length;
    bool refused_in_proven_mode;
};
constexpr DrbgParameters kParameters[] = {
    {ZLC_SHA1, 10, 55, 20, true},     {ZLC_HAS160, 10, 55, 20, true},
    {ZLC_SHA224, 14, 55, 28, false},  {ZLC_SHA256, 16, 55, 32, false},
    {ZLC_SHA384, 24, 111, 48, false}, {ZLC_SHA512, 32, 111, 64, false},
};

DRBG_SAVED_STATE g_saved{};

std::size_t size_of(std::int32_t length) {
    return static_cast<std::size_t>(std::max<std::int32_t>(length, 0));
}

// Sets a buffer to zeros, releases it and detaches it along with its length.
void drop(std::uint8_t*& buffer, std::int32_t& length) {
    mem::free_wiped(buffer, size_of(length));
    buffer = nullptr;
    length = 0;
}

// Replaces a buffer by a copy of `data` (a zero length still attaches a block).
bool attach_copy(std::uint8_t*& buffer, std::int32_t& length, const std::uint8_t* data,
                 std::int32_t data_length) {
    drop(buffer, length);
    auto* copy = static_cast<std::uint8_t*>(
        mem::alloc_zeroed(std::max<std::size_t>(size_of(data_length), 1)));
    if (copy == nullptr) return false;
    if (data_length > 0) std::memcpy(copy, data, size_of(data_length));
    buffer = copy;
    length = data_length;
    return true;
}

// acc = (acc + x) mod 2^(8 * acc_length), both big-endian, x aligned at the least significant end.
void add_be(std::uint8_t* acc, std::size_t acc_length, const std::uint8_t* x,
            std::size_t x_length) {
    unsigned carry = 0;
    std::size_t i = acc_length;
    std::size_t j = x_length;
    while (i > 0 && (j > 0 || carry != 0)) {
        --i;
        unsigned sum = acc[i] + carry;
        if (j > 0) sum += x[--j];
        acc[i] = static_cast<std::uint8_t>(sum);
        carry = sum >> 8;
    }
}

// The statuses a hash reports in the operation that runs it.
struct HashStatuses {
    Status alloc, init, absorb, finish;
};
constexpr HashStatuses statuses_of(std::uint8_t op, std::uint8_t alloc_op) {
    return {st(alloc_op, REASON_ALLOC_FAILED), st(op, REASON_DIGEST_INIT_FAILED),
            st(op, REASON_DIGEST_UPDATE_FAILED), st(op, REASON_DIGEST_FINAL_FAILED)};
}
constexpr HashStatuses kHashDfStatuses = statuses_of(kOpRequest, kOpRequest);
constexpr HashStatuses kGenerateStatuses = statuses_of(kOpGenerateAlgorithm, kOpGenerateAlgorithm);
constexpr HashStatuses kUpdateHashStatuses = statuses_of(kOpGenerateAlgorithm, kOpRequest);

struct Piece {
    const std::uint8_t* data;
    std::size_t length;
};

// Hash(prefix ‖ pieces...) on a hasher already bound to the instance's digest.
template <std::size_t N>
Status hash_pieces(Hasher& h, const HashStatuses& s, const Piece (&pieces)[N], std::uint8_t* out) {
    if (!h.begin()) return s.init;
    for (const Piece& p : pieces) {
        if (!h.absorb(p.data, p.length)) return s.absorb;
    }
    return h.finish(out) ? kOk : s.finish;
}

// Hash_df (10.3.1): seed_length bytes from counter ‖ bit count ‖ input, one digest per pass.
Status hash_df(const DRBG_INSTANCE* drbg, const std::uint8_t* input, std::size_t input_length,
               std::uint8_t* out) {
    if (input == nullptr || out == nullptr || drbg->digest_length <= 0) {
        return st(kOpRequest, REASON_NULL_ARGUMENT);
    }
    Hasher h;
    if (!h.select(drbg->algorithm)) return kHashDfStatuses.init;
    const auto wanted = size_of(drbg->seed_length);
    const auto block = static_cast<std::size_t>(h.length());
    std::uint8_t header[5];
    header[0] = 1;
    store_be32(header + 1, static_cast<std::uint32_t>(wanted * 8));
    std::uint8_t digest[ZLC_DIGEST_MAX_LENGTH];
    mem::WipeOnExit wipe(digest);
    for (std::size_t done = 0; done < wanted; ++header[0]) {
        const Status s =
            hash_pieces(h, kHashDfStatuses, {Piece{header, 5}, Piece{input, input_length}}, digest);
        if (s != kOk) return s;
        const std::size_t n = std::min(block, wanted - done);
        std::memcpy(out + done, digest, n);
        done += n;
    }
    return kOk;
}

// V = Hash_df(seed material), C = Hash_df(0x00 ‖ V), counter 1: the last steps of both the
// instantiate (10.1.1.2) and the reseed (10.1.1.3) algorithms.
Status derive_v_and_c(DRBG_INSTANCE* drbg, const std::uint8_t* seed_material,
                      std::size_t seed_material_length, Status failed) {
    if (hash_df(drbg, seed_material, seed_material_length, drbg->V) != kOk) return failed;
    std::uint8_t prefixed[1 + kDrbgMaxSeedLength];
    mem::WipeOnExit wipe(prefixed);
    prefixed[0] = 0x00;
    std::memcpy(prefixed + 1, drbg->V, size_of(drbg->seed_length));
    if (hash_df(drbg, prefixed, 1 + size_of(drbg->seed_length), drbg->C) != kOk) return failed;
    drbg->reseed_counter = 1;
    return kOk;
}

// A zero-filled seed-material block of the given pieces; null when memory runs out.
template <std::size_t N>
std::uint8_t* concatenate(const Piece (&pieces)[N], std::size_t* total) {
    std::size_t length = 0;
    for (const Piece& p : pieces) length += p.length;
    auto* block = static_cast<std::uint8_t*>(mem::alloc_zeroed(std::max<std::size_t>(length, 1)));
    if (block == nullptr) return nullptr;
    std::size_t at = 0;
    for (const Piece& p : pieces) {
        if (p.length != 0) std::memcpy(block + at, p.data, p.length);
        at += p.length;
    }
    *total = length;
    return block;
}

Status instantiate_algorithm(DRBG_INSTANCE* drbg) {
    if (drbg == nullptr || drbg->input == nullptr) {
        return st(kOpInstantiateAlgorithm, REASON_NULL_ARGUMENT);
    }
    const DRBG_INPUT& in = *drbg->input;
    std::int32_t seed_length = drbg->seed_length;
    drop(drbg->V, seed_length);
    seed_length = drbg->seed_length;
    drop(drbg->C, seed_length);
    drbg->V = static_cast<std::uint8_t*>(mem::alloc_zeroed(size_of(drbg->seed_length)));
    drbg->C = static_cast<std::uint8_t*>(mem::alloc_zeroed(size_of(drbg->seed_length)));
    if (drbg->V == nullptr || drbg->C == nullptr) {
        return st(kOpInstantiateAlgorithm, REASON_ALLOC_FAILED);
    }
    if (in.personalization_length > kMaxInputLength) {
        return st(kOpInstantiateAlgorithm, REASON_INPUT_TOO_LONG);
    }
    std::size_t length = 0;
    std::uint8_t* seed_material = concatenate(
        {Piece{in.entropy, size_of(in.entropy_length)}, Piece{in.nonce, size_of(in.nonce_length)},
         Piece{in.personalization, size_of(in.personalization_length)}},
        &length);
    if (seed_material == nullptr) return st(kOpInstantiateAlgorithm, REASON_ALLOC_FAILED);
    const Status s = derive_v_and_c(drbg, seed_material, length,
                                    st(kOpInstantiateAlgorithm, REASON_DERIVATION_FAILED));
    mem::free_wiped(seed_material, std::max<std::size_t>(length, 1));
    return s;
}

Status reseed_algorithm(DRBG_INSTANCE* drbg) {
    if (drbg == nullptr || drbg->input == nullptr) {
        return st(kOpReseedAlgorithm, REASON_NULL_ARGUMENT);
    }
    if (drbg->additional_length > kMaxInputLength) {
        return st(kOpReseedAlgorithm, REASON_INPUT_TOO_LONG);
    }
    const DRBG_INPUT& in = *drbg->input;
    const std::uint8_t one = 0x01;
    std::size_t length = 0;
    std::uint8_t* seed_material =
        concatenate({Piece{&one, 1}, Piece{drbg->V, size_of(drbg->seed_length)},
                     Piece{in.entropy, size_of(in.entropy_length)},
                     Piece{drbg->additional, size_of(drbg->additional_length)}},
                    &length);
    if (seed_material == nullptr) return st(kOpReseedAlgorithm, REASON_ALLOC_FAILED);
    const Status s = derive_v_and_c(drbg, seed_material, length,
                                    st(kOpReseedAlgorithm, REASON_DERIVATION_FAILED));
    mem::free_wiped(seed_material, length);
    return s;
}

// Hashgen hashes seed-length messages, and for the SHA family a message of either seed length
// fits one padded block (55 + 9 <= 64, 111 + 17 <= 128): each hash is then a single compression
// from the initial value, with the message counter stepped inside the prepared block.
class SingleBlockHash {
  public:
    SingleBlockHash() = default;
    SingleBlockHash(const SingleBlockHash&) = delete;
    SingleBlockHash& operator=(const SingleBlockHash&) = delete;
    ~SingleBlockHash() { platform::secure_zero(block_, sizeof(block_)); }

    // False for a digest without this path or a message that does not fit.
    bool bind(std::uint32_t id, const std::uint8_t* message, std::size_t length) {
        std::size_t block_size = 64, length_field = 8;
        if (id == ZLC_SHA1) {
            digest::SHA1_STATE s{};
            if (digest::zlc_sha1_init(&s) != kOk) return false;
            std::copy(s.h, s.h + 5, iv32_);
            kind_ = Kind::sha1;
            words_ = 5;
        } else if (id == ZLC_SHA224 || id == ZLC_SHA256) {
            digest::SHA256_STATE s{};
            if ((id == ZLC_SHA224 ? digest::zlc_sha224_init(&s) : digest::zlc_sha256_init(&s)) !=
                kOk) {
                return false;
            }
            std::copy(s.h, s.h + 8, iv32_);
            kind_ = Kind::sha256;
            words_ = id == ZLC_SHA224 ? 7 : 8;
        } else if (id == ZLC_SHA384 || id == ZLC_SHA512) {
            digest::SHA512_STATE s{};
            if ((id == ZLC_SHA384 ? digest::zlc_sha384_init(&s) : digest::zlc_sha512_init(&s)) !=
                kOk) {
                return false;
            }
            std::copy(s.h, s.h + 8, iv64_);
            kind_ = Kind::sha512;
            words_ = id == ZLC_SHA384 ? 6 : 8;
            block_size = 128;
            length_field = 16;
        } else {
            return false;
        }
        if (length + 1 + length_field > block_size) return false;
        // FIPS 180-4, 5.1: the message, a 1 bit, zeros, the bit length big-endian at the end.
        std::memset(block_, 0, sizeof(block_));
        std::memcpy(block_, message, length);
        block_[length] = 0x80;
        store_be64(block_ + block_size - 8, static_cast<std::uint64_t>(length) * 8);
        return true;
    }

    std::uint8_t* message() { return block_; }

    void hash(std::uint8_t* out) {
        if (kind_ == Kind::sha512) {
            std::uint64_t h[8];
            std::copy(iv64_, iv64_ + 8, h);
            digest::sha512_compress_blocks(h, block_, 1);
            for (std::size_t i = 0; i < words_; ++i) store_be64(out + 8 * i, h[i]);
            platform::secure_zero(h, sizeof(h));
            return;
        }
        std::uint32_t h[8];
        std::copy(iv32_, iv32_ + 8, h);
        if (kind_ == Kind::sha1) {
            digest::sha1_compress_blocks(h, block_, 1);
        } else {
            digest::sha256_compress_blocks(h, block_, 1);
        }
        for (std::size_t i = 0; i < words_; ++i) store_be32(out + 4 * i, h[i]);
        platform::secure_zero(h, sizeof(h));
    }

  private:
    enum class Kind { sha1, sha256, sha512 };
    Kind kind_ = Kind::sha256;
    std::size_t words_ = 0;
    std::uint32_t iv32_[8] = {};
    std::uint64_t iv64_[8] = {};
    alignas(16) std::uint8_t block_[128];
};

// Hashgen (10.1.1.4) with the continuous test: a block equal to the one before it fails, and the
// first block after instantiation only becomes the reference.
Status hash_gen(DRBG_INSTANCE* drbg, Hasher& h) {
    if (drbg->seed_length <= 0 || drbg->requested_length <= 0 || drbg->output == nullptr) {
        return kHashGenRefused;
    }
    const auto seed_length = size_of(drbg->seed_length);
    const auto block = static_cast<std::size_t>(h.length());
    std::uint8_t copy[kDrbgMaxSeedLength];
    std::uint8_t w[ZLC_DIGEST_MAX_LENGTH];
    mem::WipeOnExit wipe_copy(copy);
    mem::WipeOnExit wipe_w(w);
    SingleBlockHash single;
    const bool one_block = single.bind(drbg->algorithm, drbg->V, seed_length);
    std::uint8_t* data = copy;
    if (one_block) {
        data = single.message();
    } else {
        std::memcpy(copy, drbg->V, seed_length);
    }
    static constexpr std::uint8_t kOne = 1;
    static constexpr std::uint8_t kZeros[kDrbgMaxBlockLength] = {};
    std::uint8_t* write = drbg->output;
    std::size_t remaining = size_of(drbg->requested_length);
    while (remaining > 0) {
        if (one_block) {
            single.hash(w);
        } else if (!h.begin() || !h.absorb(data, seed_length) || !h.finish(w)) {
            return kGenerateStatuses.finish;
        }
        if (drbg->previous_block_length != block) return kContinuousTestFailed;
        if (std::memcmp(drbg->previous_block, kZeros, block) != 0) {
            if (std::memcmp(w, drbg->previous_block, block) == 0) return kContinuousTestFailed;
            const std::size_t n = std::min(remaining, block);
            std::memcpy(write, w, n);
            write += n;
            remaining -= n;
        }
        std::memcpy(drbg->previous_block, w, block);
        if (remaining > 0) add_be(data, seed_length, &kOne, 1);
    }
    return kOk;
}

Status generate_algorithm(DRBG_INSTANCE* drbg) {
    if (drbg == nullptr) return st(kOpGenerateAlgorithm, REASON_NULL_ARGUMENT);
    if (drbg->reseed_counter > kReseedInterval) {
        return st(kOpGenerateAlgorithm, REASON_INPUT_TOO_LONG);
    }
    Hasher h;
    if (!h.select(drbg->algorithm)) return kGenerateStatuses.init;
    const auto seed_length = size_of(drbg->seed_length);
    const auto block = static_cast<std::size_t>(h.length());
    std::uint8_t w[ZLC_DIGEST_MAX_LENGTH];
    mem::WipeOnExit wipe_w(w);
    if (drbg->additional_length != 0) {
        if (drbg->additional_length > kMaxInputLength || drbg->additional_length < 0) {
            return st(kOpGenerateAlgorithm, REASON_INPUT_TOO_LONG);
        }
        static constexpr std::uint8_t kTwo = 0x02;
        const Status s = hash_pieces(h, kGenerateStatuses,
                                     {Piece{&kTwo, 1}, Piece{drbg->V, seed_length},
                                      Piece{drbg->additional, size_of(drbg->additional_length)}},
                                     w);
        if (s != kOk) return s;
        add_be(drbg->V, seed_length, w, block);
    }
    if (drbg->output == nullptr) {
        drbg->output =
            static_cast<std::uint8_t*>(mem::alloc_zeroed(size_of(drbg->requested_length)));
        if (drbg->output == nullptr) return kGenerateStatuses.alloc;
    }
    if (const Status s = hash_gen(drbg, h); s != kOk) {
        return (s & 0xFFFFu) == REASON_SELF_CHECK_MISMATCH
                   ? st(kOpGenerateAlgorithm, REASON_SELF_CHECK_MISMATCH)
                   : st(kOpGenerateAlgorithm, REASON_GENERATION_FAILED);
    }
    static constexpr std::uint8_t kThree = 0x03;
    if (const Status s = hash_pieces(h, kUpdateHashStatuses,
                                     {Piece{&kThree, 1}, Piece{drbg->V, seed_length}}, w);
        s != kOk) {
        return s;
    }
    // V = V + H + C + reseed_counter, the counter as its shortest big-endian string.
    add_be(drbg->V, seed_length, w, block);
    add_be(drbg->V, seed_length, drbg->C, seed_length);
    std::uint8_t counter[4];
    store_be32(counter, static_cast<std::uint32_t>(drbg->reseed_counter));
    std::size_t skip = 0;
    while (skip < sizeof(counter) && counter[skip] == 0) ++skip;
    add_be(drbg->V, seed_length, counter + skip, sizeof(counter) - skip);
    ++drbg->reseed_counter;
    return kOk;
}

const DrbgParameters* find_parameters(std::uint32_t id) {
    for (const DrbgParameters& p : kParameters) {
        if (p.id == id) return &p;
    }
    return nullptr;
}

Status lock() {
    switch (platform::named_lock_acquire(kLockName)) {
        case platform::LockResult::ok:
            return kOk;
        case platform::LockResult::create_failed:
            return kLockCreateFailed;
        case platform::LockResult::wait_failed:
            break;
    }
    return kLockWaitFailed;
}

// The body of a request, run with the lock held.
Status locked_request(const DRBG_INPUT* input, std::uint8_t* out, std::int32_t length,
                      std::uint32_t reserved, std::uint32_t digest_id,
                      std::uint32_t prediction_resistance) {
    if (reserved != 0) return st(kOpRequest, REASON_UNSUPPORTED);
    // A forked child holds a copy of its parent's state: continuing it would repeat the parent's
    // output, so the child instantiates afresh.
    const std::uint32_t pid = platform::process_id();
    if (digest_id != g_saved.algorithm || g_saved.saved_by != pid) g_saved.saved = 0;

    DRBG_INSTANCE* drbg = DrbgNew();
    if (drbg == nullptr) return st(kOpRequest, REASON_ALLOC_FAILED_B);
    mem::ScopeExit release([drbg] { DrbgFree(drbg); });
    if (DrbgSetup(drbg, digest_id, prediction_resistance, core::is_proven() ? 3 : 1) != kOk) {
        return st(kOpRequest, REASON_SETUP_FAILED);
    }
    if (g_saved.saved != 0) {
        const auto seed_length = size_of(drbg->seed_length);
        drbg->V = static_cast<std::uint8_t*>(mem::alloc_zeroed(seed_length));
        drbg->C = static_cast<std::uint8_t*>(mem::alloc_zeroed(seed_length));
        if (drbg->V == nullptr || drbg->C == nullptr) return st(kOpRequest, REASON_ALLOC_FAILED_B);
        std::memcpy(drbg->V, g_saved.V, seed_length);
        std::memcpy(drbg->C, g_saved.C, seed_length);
        const std::uint32_t previous =
            std::min<std::uint32_t>(g_saved.previous_block_length, kDrbgMaxBlockLength);
        std::memcpy(drbg->previous_block, g_saved.previous_block, previous);
        drbg->previous_block_length = static_cast<std::uint8_t>(previous);
        drbg->reseed_counter = g_saved.reseed_counter;
    } else {
        if (input != nullptr &&
            DrbgSetInputs(drbg, input->entropy, input->entropy_length, input->nonce,
                          input->nonce_length, nullptr, 0) != kOk) {
            return st(kOpRequest, REASON_INSTANTIATE_FAILED);
        }
        if (DrbgInstantiate(drbg, drbg->security_strength) != kOk) {
            return st(kOpRequest, REASON_INSTANTIATE_FAILED);
        }
    }
    if (const Status s = DrbgGenerate(drbg, out, length); s != kOk) {
        return (s & 0xFFFFu) == REASON_SELF_CHECK_MISMATCH
                   ? st(kOpRequest, REASON_SELF_CHECK_MISMATCH)
                   : st(kOpRequest, REASON_GENERATE_FAILED);
    }
    if (drbg->V != nullptr && drbg->C != nullptr) {
        platform::secure_zero(g_saved.V, sizeof(g_saved.V));
        platform::secure_zero(g_saved.C, sizeof(g_saved.C));
        platform::secure_zero(g_saved.previous_block, sizeof(g_saved.previous_block));
        const auto seed_length =
            std::min<std::size_t>(size_of(drbg->seed_length), kDrbgMaxSeedLength);
        std::memcpy(g_saved.V, drbg->V, seed_length);
        std::memcpy(g_saved.C, drbg->C, seed_length);
        const std::size_t previous =
            std::min<std::size_t>(drbg->previous_block_length, kDrbgMaxBlockLength);
        std::memcpy(g_saved.previous_block, drbg->previous_block, previous);
        g_saved.previous_block_length = static_cast<std::uint32_t>(previous);
        g_saved.algorithm = digest_id;
        g_saved.reseed_counter = drbg->reseed_counter;
        g_saved.saved_by = pid;
        g_saved.saved = 1;
    }
    return kOk;
}

}  // namespace

DRBG_INSTANCE* DrbgNew() noexcept {
    auto* drbg = mem::alloc_record<DRBG_INSTANCE>();
    if (drbg == nullptr) return nullptr;
    drbg->input = mem::alloc_record<DRBG_INPUT>();
    if (drbg->input == nullptr) {
        mem::free_record(drbg);
        return nullptr;
    }
    return drbg;
}

void DrbgWipe(DRBG_INSTANCE* drbg) noexcept {
    if (drbg == nullptr) return;
    std::int32_t seed_length = drbg->seed_length;
    drop(drbg->V, seed_length);
    seed_length = drbg->seed_length;
    drop(drbg->C, seed_length);
    drop(drbg->additional, drbg->additional_length);
    drop(drbg->output, drbg->requested_length);
    if (DRBG_INPUT* in = drbg->input; in != nullptr) {
        drop(in->entropy, in->entropy_length);
        drop(in->nonce, in->nonce_length);
        drop(in->personalization, in->personalization_length);
        mem::free_record(in);
    }
    platform::secure_zero(drbg, sizeof(*drbg));
}

void DrbgFree(DRBG_INSTANCE* drbg) noexcept {
    DrbgWipe(drbg);
    mem::free_record(drbg);
}

Status DrbgSetup(DRBG_INSTANCE* drbg, std::uint32_t digest_id, std::uint32_t prediction_resistance,
                 std::int32_t level) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (drbg == nullptr) return st(kOpSetup, REASON_NULL_ARGUMENT);
    drbg->algorithm = digest_id;
    drbg->prediction_resistance = prediction_resistance;
    if (const Status s = DrbgParams(drbg); s != kOk) return s;
    drbg->input->level = level;
    return kOk;
}

Status DrbgParams(DRBG_INSTANCE* drbg) noexcept {
    if (drbg == nullptr) return st(kOpParams, REASON_NULL_ARGUMENT);
    const DrbgParameters* p = find_parameters(drbg->algorithm);
    if (core::is_proven() && (p == nullptr || p->refused_in_proven_mode)) {
        return st(kOpParams, REASON_NOT_APPROVED);
    }
    if (p == nullptr) return st(kOpParams, REASON_UNSUPPORTED);
    const digest::DigestAlgorithm* algorithm = digest::find_digest(drbg->algorithm);
    if (algorithm == nullptr || algorithm->digest_length <= 0) {
        return st(kOpRequest, REASON_NULL_ARGUMENT);
    }
    drbg->security_strength = p->security_strength;
    drbg->min_entropy_length = p->security_strength;
    drbg->seed_length = p->seed_length;
    drbg->digest_length = algorithm->digest_length;
    drbg->max_entropy_length = kMaxInputLength;
    drbg->max_nonce_length = kMaxInputLength;
    drbg->max_personalization_length = kMaxInputLength;
    drbg->max_additional_length = kMaxInputLength;
    drbg->previous_block_length = static_cast<std::uint8_t>(p->block_length);
    if (drbg->input == nullptr) {
        drbg->input = mem::alloc_record<DRBG_INPUT>();
        if (drbg->input == nullptr) return st(kOpParams, REASON_ALLOC_FAILED);
    }
    return kOk;
}

Status DrbgSetInputs(DRBG_INSTANCE* drbg, const std::uint8_t* entropy, std::int32_t entropy_length,
                     const std::uint8_t* nonce, std::int32_t nonce_length,
                     const std::uint8_t* personalization,
                     std::int32_t personalization_length) noexcept {
    constexpr Status kRefused = 1;
    if (drbg == nullptr || drbg->input == nullptr) return kRefused;
    DRBG_INPUT& in = *drbg->input;
    // Lengths are taken whole (never cut to 8 bits), within the instance's maxima.
    const auto fits = [](const std::uint8_t* p, std::int32_t length, std::int32_t max) {
        return p == nullptr || (length >= 0 && length <= max);
    };
    if (!fits(entropy, entropy_length, drbg->max_entropy_length) ||
        !fits(nonce, nonce_length, drbg->max_nonce_length) ||
        !fits(personalization, personalization_length, drbg->max_personalization_length)) {
        return kRefused;
    }
    if (entropy != nullptr &&
        !attach_copy(in.entropy, in.entropy_length, entropy, entropy_length)) {
        return kRefused;
    }
    if (nonce != nullptr && !attach_copy(in.nonce, in.nonce_length, nonce, nonce_length)) {
        return kRefused;
    }
    if (personalization != nullptr && !attach_copy(in.personalization, in.personalization_length,
                                                   personalization, personalization_length)) {
        return kRefused;
    }
    return kOk;
}

Status DrbgSetReseedInputs(DRBG_INSTANCE* drbg, const std::uint8_t* additional,
                           std::int32_t additional_length, const std::uint8_t* entropy,
                           std::int32_t entropy_length) noexcept {
    constexpr Status kRefused = 1;
    if (drbg == nullptr) return kRefused;
    if ((additional != nullptr &&
         (additional_length < 0 || additional_length > drbg->max_additional_length)) ||
        (entropy != nullptr && (entropy_length < 0 || entropy_length > drbg->max_entropy_length))) {
        return kRefused;
    }
    if (additional != nullptr &&
        !attach_copy(drbg->additional, drbg->additional_length, additional, additional_length)) {
        return kRefused;
    }
    if (entropy != nullptr) {
        if (drbg->input == nullptr) return kRefused;
        if (!attach_copy(drbg->input->entropy, drbg->input->entropy_length, entropy,
                         entropy_length)) {
            return kRefused;
        }
    }
    return kOk;
}

Status DrbgInstantiate(DRBG_INSTANCE* drbg, std::int32_t strength) noexcept {
    if (drbg == nullptr || drbg->input == nullptr) return st(kOpInstantiate, REASON_NULL_ARGUMENT);
    DRBG_INPUT& in = *drbg->input;
    if (in.personalization_length > drbg->max_personalization_length) {
        return st(kOpInstantiate, REASON_LENGTH_OUT_OF_LIMITS);
    }
    if (strength != 0) drbg->security_strength = strength;
    if (in.entropy == nullptr || in.nonce == nullptr) {
        const Status s = GetEntropyAndNonce(&in.entropy_length, &in.nonce_length, &in.entropy,
                                            &in.nonce, drbg->security_strength, in.level);
        if (s != kOk) return s;
    }
    if (in.entropy_length < drbg->min_entropy_length ||
        in.entropy_length > drbg->max_entropy_length || in.nonce_length > drbg->max_nonce_length) {
        return st(kOpInstantiate, REASON_LENGTH_OUT_OF_LIMITS);
    }
    if (const Status s = instantiate_algorithm(drbg); s != kOk) return s;
    drop(in.entropy, in.entropy_length);
    drop(in.nonce, in.nonce_length);
    drop(in.personalization, in.personalization_length);
    return kOk;
}

Status DrbgReseed(DRBG_INSTANCE* drbg) noexcept {
    if (drbg == nullptr || drbg->input == nullptr) return st(kOpReseed, REASON_NULL_ARGUMENT);
    if (drbg->additional_length > drbg->max_additional_length) {
        return st(kOpReseed, REASON_LENGTH_OUT_OF_LIMITS);
    }
    DRBG_INPUT& in = *drbg->input;
    if (in.entropy == nullptr && GetReseedEntropy(&in.entropy_length, &in.entropy,
                                                  drbg->security_strength, in.level) != kOk) {
        return st(kOpReseed, REASON_STEP_FAILED);
    }
    const Status s = reseed_algorithm(drbg);
    drop(in.entropy, in.entropy_length);
    drop(drbg->additional, drbg->additional_length);
    return s;
}

Status DrbgGenerate(DRBG_INSTANCE* drbg, std::uint8_t* out, std::int32_t length) noexcept {
    if (out == nullptr || drbg == nullptr) return st(kOpGenerate, REASON_NULL_ARGUMENT);
    if (length <= 0) return st(kOpGenerate, REASON_INVALID_ARGUMENT);
    drop(drbg->output, drbg->requested_length);
    drbg->requested_length = length;
    const auto n = static_cast<std::size_t>(length);
    Status status = kOk;
    if (drbg->prediction_resistance != 0 || drbg->reseed_counter > kReseedInterval) {
        if (DrbgReseed(drbg) != kOk) status = st(kOpGenerate, REASON_STEP_FAILED);
        // The additional input went into the reseed; it must not be used twice.
        drop(drbg->additional, drbg->additional_length);
    }
    if (status == kOk) status = generate_algorithm(drbg);
    // A failed request hands out nothing: the blocks made before the failure would come again
    // from the next request, which restores the same state.
    if (status == kOk && drbg->output != nullptr) {
        std::memcpy(out, drbg->output, n);
    } else {
        platform::secure_zero(out, n);
    }
    drop(drbg->output, drbg->requested_length);
    drop(drbg->additional, drbg->additional_length);
    return status;
}

Status DrbgRequest(const DRBG_INPUT* input, std::uint8_t* out, std::int32_t length,
                   std::uint32_t reserved, std::uint32_t digest_id,
                   std::uint32_t prediction_resistance) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (lock() != kOk) return st(kOpRequest, REASON_LOCK_FAILED);
    const Status s = locked_request(input, out, length, reserved, digest_id, prediction_resistance);
    if (!platform::named_lock_release()) return st(kOpRequest, REASON_LOCK_RELEASE_FAILED);
    return s;
}

Status rand_bytes(std::uint8_t* out, std::int32_t length) noexcept {
    return DrbgRequest(nullptr, out, length, 0, ZLC_SHA256, 0);
}

Status rand_bytes_drbg(std::uint8_t* out, std::int32_t length, std::uint32_t reserved,
                       std::uint32_t digest_id, std::uint32_t prediction_resistance) noexcept {
    return DrbgRequest(nullptr, out, length, reserved, digest_id, prediction_resistance);
}

Status get_rand_ex(BIGINT* n, std::int32_t bits) noexcept {
    if (const Status gate = core::pass_gate(); gate != kOk) return gate;
    if (n == nullptr) return st(kOpBigint, REASON_NULL_ARGUMENT);
    if (bits < 0) return st(kOpBigint, REASON_INVALID_ARGUMENT);
    const std::int32_t count = bits / 8 + (bits % 8 != 0 ? 1 : 0);
    const std::size_t size = std::max<std::size_t>(size_of(count), 1);
    auto* bytes = static_cast<std::uint8_t*>(mem::alloc_zeroed(size));
    if (bytes == nullptr) return st(kOpBigint, REASON_RANDOM_FAILED);
    mem::ScopeExit release([bytes, size] { mem::free_wiped(bytes, size); });
    if (DrbgRequest(nullptr, bytes, count, 0, ZLC_SHA256, 0) != kOk) {
        return st(kOpBigint, REASON_RANDOM_FAILED);
    }
    bytes[0] = static_cast<std::uint8_t>(bytes[0] >> (8 * count - bits));
    if (bigint::binary_to(bytes, count, n) == nullptr) {
        return st(kOpBigint, REASON_TO_BIGINT_FAILED);
    }
    return kOk;
}

void uninstantiate() noexcept {
    // Zeroed under the lock so no request is half-way through the state. Should the lock be
    // unavailable, no request can be inside either, and the state is zeroed all the same.
    const bool locked = lock() == kOk;
    platform::secure_zero(&g_saved, sizeof(g_saved));
    if (locked) (void)platform::named_lock_release();
}

DRBG_SAVED_STATE& drbg_saved_state() noexcept {
    return g_saved;
}

}  // namespace zlc::rand

using namespace zlc::rand;

extern "C" {

ZLC_API uint32_t ZLC_Rand_Bytes(uint8_t* out, int32_t length) ZLC_NOEXCEPT {
    return rand_bytes(out, length);
}

ZLC_API uint32_t ZLC_Rand_Bytes_DRBG(uint8_t* out, int32_t length, uint32_t reserved,
                                     uint32_t algorithm_id,
                                     uint32_t prediction_resistance) ZLC_NOEXCEPT {
    return rand_bytes_drbg(out, length, reserved, algorithm_id, prediction_resistance);
}

ZLC_API uint32_t ZLC_Get_Rand_BIGINT_Ex(BIGINT* n, int32_t bits) ZLC_NOEXCEPT {
    return get_rand_ex(n, bits);
}

ZLC_API void ZLC_Uninstantiate_DRBG(void) ZLC_NOEXCEPT {
    uninstantiate();
}

}  // extern "C"
