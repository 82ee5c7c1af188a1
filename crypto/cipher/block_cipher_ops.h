#pragma once
// What each block cipher supplies to the block cipher unit and its mode engine: key schedules and
// block functions over bytes (each cipher reads a block in its own byte order), plus optional
// multi-block paths the engine uses when present. The mode logic itself lives once in the engine.
#include <cstddef>
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::cipher {

// Processes `blocks` consecutive blocks; in == out is allowed.
using BlocksFn = void (*)(const void* schedule, const std::uint8_t* in, std::uint8_t* out,
                          std::size_t blocks);

// CTR: out = in xor E(counter), E(counter + 1), ...; the counter (one big-endian integer over the
// whole block, wrapping modulo 2^(8 * block length)) is left at the next unused value.
using CtrFn = void (*)(const void* schedule, std::uint8_t* counter, const std::uint8_t* in,
                       std::uint8_t* out, std::size_t blocks);

// CBC over whole blocks with the chaining value updated in place; in == out is allowed.
using CbcFn = void (*)(const void* schedule, std::uint8_t* chain, const std::uint8_t* in,
                       std::uint8_t* out, std::size_t blocks);

// Builds a schedule from a key of key_length bytes; effective_bits is used by RC2 only.
using SetKeyFn = Status (*)(void* schedule, const std::uint8_t* key, std::uint32_t key_length,
                            std::uint32_t effective_bits);

// Whether the fields of a schedule that bound a loop or an index (round counts and the like) are
// the ones the key setup writes for a key of key_length bytes; the block functions trust them.
using ScheduleCheckFn = bool (*)(const void* schedule, std::uint32_t key_length,
                                 std::uint32_t effective_bits);

// A cipher family as the block cipher unit sees it: what Init puts in a unit, what its key-setup
// routine reports, and the operations the mode engine runs.
struct BlockCipherOps {
    Module module;                // reports the unit routines' own argument errors
    std::uint32_t block_length;   // 8 or 16
    std::uint32_t schedule_size;  // bytes of the key schedule Init allocates
    Status key_setup_failure;     // what the unit's key-setup routine returns when it fails
    bool counter_mode;            // false: Init refuses CTR
    SetKeyFn set_encrypt_key;     // also the only schedule of ciphers that have one
    SetKeyFn set_decrypt_key;     // equal to set_encrypt_key for ciphers with a single schedule
    BlocksFn encrypt_blocks;
    BlocksFn decrypt_blocks;
    CtrFn ctr_blocks;                  // optional
    CbcFn cbc_encrypt_blocks;          // optional
    CbcFn cbc_decrypt_blocks;          // optional
    ScheduleCheckFn schedule_matches;  // null when no schedule field bounds a loop or an index
};

// One descriptor per cipher family, defined in that cipher's source file and listed in
// kFamilyOps (block_cipher.h). A family whose set_encrypt_key is null is not built yet:
// initialising it fails at the key setup.
extern const BlockCipherOps kAesOps;
extern const BlockCipherOps kDesOps;
extern const BlockCipherOps kTripleDesOps;
extern const BlockCipherOps kAriaOps;
extern const BlockCipherOps kSeedOps;  // SEED and SEED-256 (key length selects)
extern const BlockCipherOps kRc5Ops;
extern const BlockCipherOps kBlowfishOps;
extern const BlockCipherOps kRc2Ops;
extern const BlockCipherOps kLeaOps;

}  // namespace zlc::cipher
