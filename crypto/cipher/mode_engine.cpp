// The mode engine: the per-family key-setup and block routines that Init binds, and Update/Final
// with their buffering and PKCS #7 padding (RFC 5652, 6.3). The ECB, CBC, full-block CFB, OFB and
// CTR routines follow NIST SP 800-38A and are written once over a cipher's BlockCipherOps.
#include <array>
#include <atomic>
#include <cstring>
#include <utility>

#include "crypto/cipher/block_cipher.h"
#include "crypto/core/memory.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::cipher {
namespace {

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::BlockCipher, op, reason);
}
constexpr Status kUpdateArgument = st(0x02, REASON_INVALID_ARGUMENT);
constexpr Status kUpdateBlockLength = st(0x03, 0x000A);
constexpr Status kUpdateRoutine = st(0x03, 0x004C);
constexpr Status kHoldBlockLength = st(0x04, 0x0009);
constexpr Status kHoldFailed = st(0x04, REASON_UPDATE_FAILED);
constexpr Status kFinalArgument = st(0x05, REASON_INVALID_ARGUMENT);
constexpr Status kFinalEncrypt = st(0x05, 0x000A);
constexpr Status kFinalDecrypt = st(0x05, 0x0009);

// Keeps every out length, including a held block and a pending partial block, within int32.
constexpr std::int32_t kMaxUpdateLength = 0x7FFFFFFF - 32;

constexpr std::size_t kMaxBlock = 16;
// Bytes of keystream or ciphertext the generic multi-block paths prepare at once.
constexpr std::size_t kChunkBytes = 512;

// The operations each family's routines run: its own descriptor unless a test lent another.
template <std::size_t... I>
constexpr std::array<std::atomic<const BlockCipherOps*>, sizeof...(I)> own_ops(
    std::index_sequence<I...>) {
    return {kFamilyOps[I]...};
}
std::array<std::atomic<const BlockCipherOps*>, kFamilyCount> g_family_ops =
    own_ops(std::make_index_sequence<kFamilyCount>{});

const BlockCipherOps& family_ops(std::size_t family) noexcept {
    return *g_family_ops[family].load(std::memory_order_relaxed);
}

bool enciphers_only(std::uint8_t mode) {
    return mode == kModeCfb || mode == kModeOfb || mode == kModeCtr;
}

// Builds the schedule the mode needs: CFB, OFB and CTR only ever encipher.
template <std::size_t F>
std::uint32_t key_setup(BLOCK_CIPHER_UNIT* unit, const std::uint8_t* key, const std::uint8_t* iv,
                        std::uint32_t encrypt) {
    const Status failed = kFamilyOps[F]->key_setup_failure;
    if (unit == nullptr) return failed;
    if (iv != nullptr)
        std::memcpy(unit->saved_iv, iv, unit->iv_length < kMaxBlock ? unit->iv_length : kMaxBlock);
    std::memcpy(unit->chain, unit->saved_iv, sizeof(unit->chain));

    const BlockCipherOps& ops = family_ops(F);
    const bool encryption_schedule = encrypt != 0 || enciphers_only(unit->mode);
    const SetKeyFn set_key = encryption_schedule ? ops.set_encrypt_key : ops.set_decrypt_key;
    if (key == nullptr || set_key == nullptr || unit->key_schedule == nullptr) return failed;
    if (set_key(unit->key_schedule, key, unit->key_length, unit->effective_bits) != kOk)
        return failed;
    unit->encrypt = encrypt != 0 ? 1 : 0;
    return kOk;
}

void xor_into(std::uint8_t* out, const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
}

// The counter block is one big-endian integer over the whole block, wrapping at its width.
void increment_counter(std::uint8_t* counter, std::size_t block) {
    for (std::size_t i = block; i-- > 0;) {
        if (++counter[i] != 0) return;
    }
}

void ecb(const BlockCipherOps& ops, BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
         const std::uint8_t* in, std::size_t blocks) {
    (unit->encrypt != 0 ? ops.encrypt_blocks : ops.decrypt_blocks)(unit->key_schedule, in, out,
                                                                   blocks);
}

void cbc_encrypt(const BlockCipherOps& ops, BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
                 const std::uint8_t* in, std::size_t blocks) {
    if (ops.cbc_encrypt_blocks != nullptr) {
        ops.cbc_encrypt_blocks(unit->key_schedule, unit->chain, in, out, blocks);
        return;
    }
    const std::size_t b = ops.block_length;
    for (std::size_t i = 0; i < blocks; ++i, in += b, out += b) {
        xor_into(unit->chain, unit->chain, in, b);
        ops.encrypt_blocks(unit->key_schedule, unit->chain, unit->chain, 1);
        std::memcpy(out, unit->chain, b);
    }
}

void cbc_decrypt(const BlockCipherOps& ops, BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
                 const std::uint8_t* in, std::size_t blocks) {
    if (ops.cbc_decrypt_blocks != nullptr) {
        ops.cbc_decrypt_blocks(unit->key_schedule, unit->chain, in, out, blocks);
        return;
    }
    // Independent block decryptions, a chunk at a time; the ciphertext is kept aside so that
    // in-place decryption still sees it.
    const std::size_t b = ops.block_length;
    std::uint8_t saved[kChunkBytes];
    while (blocks > 0) {
        const std::size_t n = blocks < kChunkBytes / b ? blocks : kChunkBytes / b;
        std::memcpy(saved, in, n * b);
        ops.decrypt_blocks(unit->key_schedule, saved, out, n);
        xor_into(out, out, unit->chain, b);
        xor_into(out + b, out + b, saved, (n - 1) * b);
        std::memcpy(unit->chain, saved + (n - 1) * b, b);
        in += n * b;
        out += n * b;
        blocks -= n;
    }
}

void cfb(const BlockCipherOps& ops, BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
         const std::uint8_t* in, std::size_t blocks) {
    const std::size_t b = ops.block_length;
    if (unit->encrypt != 0) {
        // Each register is the previous ciphertext block: serial.
        for (std::size_t i = 0; i < blocks; ++i, in += b, out += b) {
            ops.encrypt_blocks(unit->key_schedule, unit->chain, unit->chain, 1);
            xor_into(unit->chain, unit->chain, in, b);
            std::memcpy(out, unit->chain, b);
        }
        return;
    }
    // Decryption: the registers are the IV and the known ciphertext blocks, so they are
    // enciphered a chunk at a time.
    std::uint8_t stream[kChunkBytes];
    mem::WipeOnExit wipe(stream);
    while (blocks > 0) {
        const std::size_t n = blocks < kChunkBytes / b ? blocks : kChunkBytes / b;
        std::memcpy(stream, unit->chain, b);
        std::memcpy(stream + b, in, (n - 1) * b);
        std::memcpy(unit->chain, in + (n - 1) * b, b);
        ops.encrypt_blocks(unit->key_schedule, stream, stream, n);
        xor_into(out, in, stream, n * b);
        in += n * b;
        out += n * b;
        blocks -= n;
    }
}

void ofb(const BlockCipherOps& ops, BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
         const std::uint8_t* in, std::size_t blocks) {
    const std::size_t b = ops.block_length;
    for (std::size_t i = 0; i < blocks; ++i, in += b, out += b) {
        ops.encrypt_blocks(unit->key_schedule, unit->chain, unit->chain, 1);
        xor_into(out, in, unit->chain, b);
    }
}

void ctr(const BlockCipherOps& ops, BLOCK_CIPHER_UNIT* unit, std::uint8_t* out,
         const std::uint8_t* in, std::size_t blocks) {
    if (ops.ctr_blocks != nullptr) {
        ops.ctr_blocks(unit->key_schedule, unit->chain, in, out, blocks);
        return;
    }
    const std::size_t b = ops.block_length;
    std::uint8_t stream[kChunkBytes];
    mem::WipeOnExit wipe(stream);
    while (blocks > 0) {
        const std::size_t n = blocks < kChunkBytes / b ? blocks : kChunkBytes / b;
        for (std::size_t i = 0; i < n; ++i) {
            std::memcpy(stream + i * b, unit->chain, b);
            increment_counter(unit->chain, b);
        }
        ops.encrypt_blocks(unit->key_schedule, stream, stream, n);
        xor_into(out, in, stream, n * b);
        in += n * b;
        out += n * b;
        blocks -= n;
    }
}

constexpr std::uint8_t routine_operation(ModeSlot slot) {
    return static_cast<std::uint8_t>(0x03 + static_cast<int>(slot));
}

// A block routine: whole blocks only; its own argument errors carry the cipher's module.
template <std::size_t F, ModeSlot M>
std::uint32_t process(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, const std::uint8_t* in,
                      std::uint32_t length) {
    const BlockCipherOps& ops = family_ops(F);
    const Status refused = make_status(ops.module, routine_operation(M), REASON_INVALID_ARGUMENT);
    if (unit == nullptr || out == nullptr || in == nullptr || unit->key_schedule == nullptr)
        return refused;
    if (ops.encrypt_blocks == nullptr || ops.decrypt_blocks == nullptr) return refused;
    const std::uint32_t b = ops.block_length;
    if (b == 0 || b > kMaxBlock || length % b != 0) return refused;
    const std::size_t blocks = length / b;
    if (blocks == 0) return kOk;
    switch (M) {
        case ModeSlot::Ecb:
            ecb(ops, unit, out, in, blocks);
            break;
        case ModeSlot::Cbc:
            (unit->encrypt != 0 ? cbc_encrypt : cbc_decrypt)(ops, unit, out, in, blocks);
            break;
        case ModeSlot::Cfb:
            cfb(ops, unit, out, in, blocks);
            break;
        case ModeSlot::Ofb:
            ofb(ops, unit, out, in, blocks);
            break;
        case ModeSlot::Ctr:
            ctr(ops, unit, out, in, blocks);
            break;
    }
    return kOk;
}

template <std::size_t... I>
constexpr std::array<ZLC_BLOCK_KEY_SETUP_ROUTINE, sizeof...(I)> key_setup_table(
    std::index_sequence<I...>) {
    return {&key_setup<I>...};
}

template <std::size_t... I>
constexpr std::array<ZLC_BLOCK_PROCESS_ROUTINE, sizeof...(I)> process_table(
    std::index_sequence<I...>) {
    return {&process<I / kModeSlotCount, static_cast<ModeSlot>(I % kModeSlotCount)>...};
}

constexpr auto kKeySetupRoutines =
    key_setup_table(std::make_index_sequence<kKeySetupRoutineCount>{});
constexpr auto kProcessRoutines = process_table(std::make_index_sequence<kProcessRoutineCount>{});

// Only units left by a successful Init are run: a fresh unit, a failed Init or a unit whose
// fields were overwritten would otherwise reach a null routine or index past a buffer.
bool usable(const BLOCK_CIPHER_UNIT* unit) {
    const std::uint32_t b = unit->block_length;
    const std::uint8_t mode = unit->mode;
    return unit->initialised == kInitialisedMarker && unit->process != nullptr &&
           unit->key_schedule != nullptr && b != 0 && b <= kMaxBlock && (b & (b - 1)) == 0 &&
           unit->block_mask == b - 1 && unit->iv_length <= kMaxBlock && unit->pending_count < b &&
           unit->held <= 1 && unit->stream_pos == 0 &&
           (mode == kModeEcb || mode == kModeCbc || enciphers_only(mode));
}

bool overlapping(const std::uint8_t* out, const std::uint8_t* in, std::uint32_t n,
                 std::uint32_t b) {
    const auto o = reinterpret_cast<std::uintptr_t>(out);
    const auto i = reinterpret_cast<std::uintptr_t>(in);
    return o < i + n && i < o + n + b;
}

// The Update core: whole blocks straight through, a partial block kept in `pending`.
Status update_core(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, std::uint32_t* written,
                   const std::uint8_t* in, std::uint32_t n) {
    *written = 0;
    const std::uint32_t b = unit->block_length;
    if (unit->pending_count == 0 && (n & unit->block_mask) == 0) {
        if (unit->process(unit, out, in, n) != kOk) return kUpdateRoutine;
        *written = n;
        return kOk;
    }
    if (b > 32) return kUpdateBlockLength;
    if (unit->pending_count != 0) {
        if (unit->pending_count + n < b) {
            std::memcpy(unit->pending + unit->pending_count, in, n);
            unit->pending_count += n;
            return kOk;
        }
        const std::uint32_t take = b - unit->pending_count;
        std::memcpy(unit->pending + unit->pending_count, in, take);
        if (unit->process(unit, out, unit->pending, b) != kOk) return kUpdateRoutine;
        *written = b;
        out += b;
        in += take;
        n -= take;
    }
    const std::uint32_t rest = n & unit->block_mask;
    const std::uint32_t whole = n - rest;
    if (whole > 0) {
        if (unit->process(unit, out, in, whole) != kOk) return kUpdateRoutine;
        *written += whole;
    }
    std::memcpy(unit->pending, in + whole, rest);
    unit->pending_count = rest;
    return kOk;
}

// In-place decryption behind a held block: each block's plaintext belongs one block further on,
// where the next ciphertext block still waits. So a chunk at a time is decrypted into a bounce
// buffer and written back one block on, the previously held block in front; only the chunk's own
// ciphertext, already read, is overwritten. Nothing is pending here (the caller gathered it).
Status update_in_place_behind_held(BLOCK_CIPHER_UNIT* unit, std::uint8_t* buffer,
                                   std::uint32_t* written, std::uint32_t n) {
    const std::uint32_t b = unit->block_length;
    const std::uint32_t rest = n & unit->block_mask;
    const std::uint32_t whole = n - rest;
    constexpr std::uint32_t kChunk = kChunkBytes;
    std::uint8_t carry[kMaxBlock];
    std::uint8_t bounce[kChunkBytes];
    mem::WipeOnExit wipe_carry(carry);
    mem::WipeOnExit wipe_bounce(bounce);
    std::memcpy(carry, unit->held_block, b);
    for (std::uint32_t at = 0; at < whole;) {
        const std::uint32_t length = whole - at < kChunk ? whole - at : kChunk;
        if (unit->process(unit, bounce, buffer + at, length) != kOk) return kHoldFailed;
        std::memcpy(buffer + at, carry, b);
        std::memcpy(buffer + at + b, bounce, length - b);
        std::memcpy(carry, bounce + length - b, b);
        at += length;
    }
    std::memcpy(unit->pending, buffer + whole, rest);
    unit->pending_count = rest;
    if (rest == 0) {
        std::memcpy(unit->held_block, carry, b);
        *written = whole;
        return kOk;
    }
    // A partial block follows: the last whole block is not the message's last, so it goes out too.
    std::memcpy(buffer + whole, carry, b);
    unit->held = 0;
    *written = whole + b;
    return kOk;
}

// Decryption with padding: the last whole block decrypted so far stays in `held_block` until
// more data or Final shows whether it carries the padding.
Status update_holding_back(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, std::uint32_t* written,
                           const std::uint8_t* in, std::uint32_t n, bool in_place) {
    const std::uint32_t b = unit->block_length;
    if (b > 32) return kHoldBlockLength;
    const bool had_held = unit->held == 1;
    if (in_place && had_held) return update_in_place_behind_held(unit, out, written, n);
    std::uint32_t emitted = 0;
    if (had_held) {
        std::memcpy(out, unit->held_block, b);
        emitted = b;
    }
    std::uint32_t produced = 0;
    if (update_core(unit, out + emitted, &produced, in, n) != kOk) return kHoldFailed;
    if (b > 1 && unit->pending_count == 0) {
        produced -= b;
        std::memcpy(unit->held_block, out + emitted + produced, b);
        unit->held = 1;
    } else {
        unit->held = 0;
    }
    *written = produced + emitted;
    return kOk;
}

void reset_message(BLOCK_CIPHER_UNIT* unit) {
    unit->pending_count = 0;
    unit->held = 0;
    if (unit->iv_length != 0) std::memcpy(unit->chain, unit->saved_iv, unit->iv_length);
    platform::secure_zero(unit->pending, sizeof(unit->pending));
    platform::secure_zero(unit->held_block, sizeof(unit->held_block));
    platform::secure_zero(unit->keystream, sizeof(unit->keystream));
}

bool block_mode(const BLOCK_CIPHER_UNIT* unit) {
    return unit->mode == kModeEcb || unit->mode == kModeCbc;
}

Status final_encrypt(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) {
    const std::uint32_t b = unit->block_length;
    const std::uint32_t count = unit->pending_count;
    std::uint8_t last[kMaxBlock];
    mem::WipeOnExit wipe(last);
    if (block_mode(unit) && unit->no_padding != 0) return count == 0 ? kOk : kFinalEncrypt;
    if (b > kMaxBlock) return kFinalEncrypt;
    if (block_mode(unit)) {
        const auto pad = static_cast<std::uint8_t>(b - count);
        std::memset(unit->pending + count, pad, pad);
        if (unit->process(unit, last, unit->pending, b) != kOk) return kFinalEncrypt;
        std::memcpy(out, last, b);
        *out_length = static_cast<std::int32_t>(b);
        return kOk;
    }
    // Stream modes: one whole block of keystream; only the pending bytes are kept.
    if (unit->process(unit, last, unit->pending, b) != kOk) return kFinalEncrypt;
    std::memcpy(out, last, count);
    *out_length = static_cast<std::int32_t>(count);
    return kOk;
}

// PKCS #7 check without branches or indices on the padding bytes: every byte of the block is
// examined whatever the pad value, and a wrong pad byte anywhere gives the same status.
bool padding_valid(const std::uint8_t* block, std::uint32_t b, std::uint32_t* pad_length) {
    const std::uint32_t pad = block[b - 1];
    // All ones when pad is 0 or above b.
    std::uint32_t bad = ((pad - 1) >> 31) | ((b - pad) >> 31);
    for (std::uint32_t i = 0; i < b; ++i) {
        const std::uint32_t in_pad = (b - 1 - i - pad) >> 31;  // 1 when i >= b - pad
        const std::uint32_t differs =
            (static_cast<std::uint32_t>(block[i] ^ pad) + 0xFFu) >> 8;  // 1 when block[i] != pad
        bad |= in_pad & differs;
    }
    *pad_length = pad;
    return (bad & 1) == 0;
}

Status final_decrypt(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) {
    const std::uint32_t b = unit->block_length;
    const std::uint32_t count = unit->pending_count;
    if (!block_mode(unit)) {
        if (unit->no_padding == 0) return kFinalDecrypt;
        if (count == 0) return kOk;
        if (b > kMaxBlock) return kFinalDecrypt;
        std::uint8_t last[kMaxBlock];
        mem::WipeOnExit wipe(last);
        if (unit->process(unit, last, unit->pending, b) != kOk) return kFinalDecrypt;
        std::memcpy(out, last, count);
        *out_length = static_cast<std::int32_t>(count);
        return kOk;
    }
    if (unit->no_padding != 0) return count == 0 ? kOk : kFinalDecrypt;
    if (count != 0 || unit->held == 0 || b > 32) return kFinalDecrypt;
    std::uint32_t pad = 0;
    if (!padding_valid(unit->held_block, b, &pad)) return kFinalDecrypt;
    std::memcpy(out, unit->held_block, b - pad);
    *out_length = static_cast<std::int32_t>(b - pad);
    return kOk;
}

}  // namespace

ZLC_BLOCK_KEY_SETUP_ROUTINE key_setup_routine(std::uint32_t index) noexcept {
    return index < kKeySetupRoutines.size() ? kKeySetupRoutines[index] : nullptr;
}

ZLC_BLOCK_PROCESS_ROUTINE process_routine(std::uint32_t index) noexcept {
    return index < kProcessRoutines.size() ? kProcessRoutines[index] : nullptr;
}

const BlockCipherOps* replace_family_ops(const BlockCipherOps& family,
                                         const BlockCipherOps* ops) noexcept {
    const std::uint32_t i = family_index(&family);
    if (i == kFamilyCount) return nullptr;
    return g_family_ops[i].exchange(ops != nullptr ? ops : kFamilyOps[i]);
}

Status engine_update(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, std::int32_t* out_length,
                     const std::uint8_t* in, std::int32_t in_length) noexcept {
    if (unit == nullptr || in_length <= 0 || in_length > kMaxUpdateLength) return kUpdateArgument;
    if (out == nullptr || out_length == nullptr || in == nullptr || !usable(unit))
        return kUpdateArgument;
    *out_length = 0;
    auto n = static_cast<std::uint32_t>(in_length);
    const std::uint32_t b = unit->block_length;
    const bool holding_back = unit->encrypt == 0 && unit->no_padding == 0;

    // Overlapping buffers: bring any pending bytes and the input together at `out` first, so that
    // every routine below runs exactly in place and never writes ahead of what it reads.
    const bool overlap = overlapping(out, in, n, b);
    if (overlap && b <= 32 && (out != in || unit->pending_count != 0)) {
        const std::uint32_t count = unit->pending_count;
        std::memmove(out + count, in, n);
        std::memcpy(out, unit->pending, count);
        unit->pending_count = 0;
        n += count;
        in = out;
    }

    std::uint32_t written = 0;
    const Status status = holding_back ? update_holding_back(unit, out, &written, in, n, overlap)
                                       : update_core(unit, out, &written, in, n);
    if (status == kOk) *out_length = static_cast<std::int32_t>(written);
    return status;
}

Status engine_final(BLOCK_CIPHER_UNIT* unit, std::uint8_t* out, std::int32_t* out_length) noexcept {
    if (unit == nullptr || out == nullptr || out_length == nullptr || !usable(unit))
        return kFinalArgument;
    *out_length = 0;
    const Status status = unit->encrypt != 0 ? final_encrypt(unit, out, out_length)
                                             : final_decrypt(unit, out, out_length);
    // Success or failure, the next message starts afresh from the saved IV.
    reset_message(unit);
    return status;
}

}  // namespace zlc::cipher
