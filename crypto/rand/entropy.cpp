// Entropy collection: the seed pool of the older generators and the DRBG's entropy collector.
#include "crypto/rand/entropy.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "crypto/core/bytes.h"
#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/digest/digest.h"
#include "crypto/platform/entropy_sources.h"
#include "crypto/rand/hasher.h"
#include "zlc.h"

namespace zlc::rand {
namespace {

constexpr Status st(std::uint8_t op, std::uint16_t reason) {
    return make_status(Module::Entropy, op, reason);
}
constexpr Status kAddNull = st(0x01, REASON_INVALID_ARGUMENT);
constexpr Status kAddAlloc = st(0x01, REASON_ALLOC_FAILED);
constexpr Status kKeepFailed = st(0x02, REASON_INVALID_ARGUMENT);
constexpr Status kCondenseRefused = st(0x03, REASON_INVALID_ARGUMENT);
constexpr Status kCondenseAlloc = st(0x03, REASON_ALLOC_FAILED);
constexpr Status kFillNull = st(0x04, REASON_NULL_ARGUMENT);
constexpr Status kFillFailed = st(0x04, 0x0014);
constexpr Status kReseedRefused = st(0x05, REASON_INVALID_ARGUMENT);
constexpr Status kReseedFailed = st(0x05, 0x0014);
constexpr Status kNonceNull = st(0x06, REASON_NULL_ARGUMENT);
constexpr Status kNonceRefused = st(0x06, REASON_INVALID_ARGUMENT);
constexpr Status kNonceFailed = st(0x06, 0x0014);
constexpr Status kCollectFailed = 1;

constexpr std::size_t kChunk = 20;
constexpr std::size_t kProviderDrawSize = 64;
constexpr std::size_t kSharedSectionMax = 8192;
constexpr const char* kSharedSectionName = "/$M$B$M$5$S$D$";

SEED_POOL g_pool{};

// The system generator's 64 bytes. When the kernel cannot give them, one diagnostic line is the
// only trace, as for every failing source.
bool provider_draw(std::uint8_t out[kProviderDrawSize]) {
    if (platform::system_random(out, kProviderDrawSize)) return true;
    std::fputs("Failed : Acquired RSA_FULL context.\n", stdout);
    return false;
}

// Where a fresh small heap block lands; the block's contents are never read (indeterminate).
std::uintptr_t fresh_block_address() {
    void* block = mem::alloc_zeroed(4);
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    mem::free_wiped(block, 4);
    return address;
}

// A source whose bytes cannot be appended adds nothing; the collection goes on.
bool collect_bytes(ENTROPY_COLLECTOR* c, const void* data, std::size_t length,
                   std::int32_t estimate) {
    return CollectorAdd(c, data, static_cast<std::uint32_t>(length), estimate) == kOk;
}

// Integers enter both the pool and the collector as little-endian bytes.
void pool_u32(std::uint32_t v) {
    std::uint8_t b[4];
    store_le32(b, v);
    PoolAdd(b, sizeof(b));
}
void pool_u64(std::uint64_t v) {
    std::uint8_t b[8];
    store_le64(b, v);
    PoolAdd(b, sizeof(b));
}
bool collect_u32(ENTROPY_COLLECTOR* c, std::uint32_t v, std::int32_t estimate) {
    std::uint8_t b[4];
    store_le32(b, v);
    return collect_bytes(c, b, sizeof(b), estimate);
}
bool collect_u64(ENTROPY_COLLECTOR* c, std::uint64_t v, std::int32_t estimate) {
    std::uint8_t b[8];
    store_le64(b, v);
    return collect_bytes(c, b, sizeof(b), estimate);
}

// Seed-pool rows 1 and 2, 5, 12: shared by both gathers.
void pool_process_identity() {
    if (const std::uint32_t pid = platform::process_id(); pid != 0) pool_u32(pid);
}
void pool_process_start() {
    if (std::uint64_t ticks = 0; platform::process_start_time(&ticks)) pool_u64(ticks);
}
void pool_local_time() {
    std::uint8_t now[platform::kLocalTimeSize];
    platform::local_time(now);
    PoolAdd(now, sizeof(now));
}
bool pool_provider_draw() {
    std::uint8_t bytes[kProviderDrawSize];
    mem::WipeOnExit wipe(bytes);
    return provider_draw(bytes) && PoolAdd(bytes, sizeof(bytes));
}

void pool_network_counters() {
    const platform::NetworkCounters net = platform::network_counters();
    if (net.ip_present) {
        for (std::uint32_t v : net.ip) pool_u32(v);
    }
    if (net.tcp_present) {
        for (std::uint32_t v : net.tcp) pool_u32(v);
    }
    if (net.udp_present) {
        for (std::uint32_t v : net.udp) pool_u32(v);
    }
}

// Collector rows 1 to 4 (level 3). The power status of row 3 has no source on a server.
void collect_level3_rows(ENTROPY_COLLECTOR* c) {
    std::uint8_t guid[16];
    if (platform::system_random(guid, sizeof(guid))) collect_bytes(c, guid, sizeof(guid), 16);
    platform::secure_zero(guid, sizeof(guid));

    platform::CpuidRegisters r{};
    if (platform::cpuid(0, &r)) {
        const std::uint32_t highest = r.eax;
        for (std::uint32_t leaf = 0; leaf <= 2 && leaf <= highest; ++leaf) {
            if (!platform::cpuid(leaf, &r)) break;
            std::uint8_t regs[16];
            store_le32(regs, r.eax);
            store_le32(regs + 4, r.ebx);
            store_le32(regs + 8, r.ecx);
            store_le32(regs + 12, r.edx);
            collect_bytes(c, regs, sizeof(regs), 2);
        }
        if (platform::cpuid(0x80000000u, &r) && r.eax >= 0x80000006u &&
            platform::cpuid(0x80000006u, &r)) {
            collect_u32(c, r.ecx & 0xFFu, 1);         // cache line size
            collect_u32(c, (r.ecx >> 12) & 0xFu, 1);  // associativity
            collect_u32(c, r.ecx >> 16, 1);           // cache size
        }
    }

    auto* section = static_cast<std::uint8_t*>(mem::alloc_zeroed(kSharedSectionMax));
    if (section != nullptr) {
        const std::size_t got =
            platform::read_shared_section(kSharedSectionName, section, kSharedSectionMax);
        if (got > 0) collect_bytes(c, section, got, 6);
        mem::free_wiped(section, kSharedSectionMax);
    }
}

// Collector rows 5 to 17 (levels 2 and 3). Window handles and the cursor (rows 7, 8, 10, 11)
// have no source on a server.
void collect_level2_rows(ENTROPY_COLLECTOR* c) {
    if (const std::uint32_t tid = platform::thread_id(); tid != 0) collect_u32(c, tid, 4);
    if (std::uint64_t ticks = 0; platform::thread_start_time(&ticks)) collect_u64(c, ticks, 4);
    if (const std::uintptr_t heap = platform::heap_end(); heap != 0) collect_u64(c, heap, 1);
    if (const std::uintptr_t f = platform::library_function_address(); f != 0) {
        collect_u64(c, f, 2);
    }
    if (std::uint32_t counters[platform::kMemoryCounterCount];
        platform::memory_counters(counters)) {
        for (std::uint32_t v : counters) collect_u32(c, v, 2);
    }
    if (const std::uintptr_t block = fresh_block_address(); block != 0) collect_u64(c, block, 2);
    if (const std::uint32_t ticks = platform::tick_count(); ticks != 0) collect_u32(c, ticks, 4);
    if (const std::uint64_t delta = platform::timestamp_delta(); delta != 0) {
        collect_u64(c, delta, 2);
    }

    const platform::NetworkCounters net = platform::network_counters();
    if (net.ip_present) {
        static constexpr std::int32_t kIpEstimates[5] = {2, 1, 2, 2, 1};
        for (int i = 0; i < 5; ++i) collect_u32(c, net.ip[i], kIpEstimates[i]);
    }
    if (net.tcp_present) {
        static constexpr std::int32_t kTcpEstimates[4] = {2, 2, 2, 1};
        for (int i = 0; i < 4; ++i) collect_u32(c, net.tcp[i], kTcpEstimates[i]);
    }
    if (net.udp_present) {
        for (std::uint32_t v : net.udp) collect_u32(c, v, 2);
    }
}

// Collector rows 18 to 21 (every level); true when the system generator's bytes went in.
bool collect_level1_rows(ENTROPY_COLLECTOR* c) {
    if (const std::uint32_t pid = platform::process_id(); pid != 0) collect_u32(c, pid, 4);
    if (std::uint64_t ticks = 0; platform::process_start_time(&ticks)) collect_u64(c, ticks, 4);
    std::uint8_t now[platform::kLocalTimeSize];
    platform::local_time(now);
    collect_bytes(c, now, sizeof(now), 3);

    std::uint8_t bytes[kProviderDrawSize];
    mem::WipeOnExit wipe(bytes);
    return provider_draw(bytes) && collect_bytes(c, bytes, sizeof(bytes), 64);
}

// The condensing digest of a security strength in bytes; 0 above 32.
std::uint32_t condensing_digest(std::int32_t strength) {
    if (strength <= 14) return ZLC_SHA224;
    if (strength <= 16) return ZLC_SHA256;
    if (strength <= 24) return ZLC_SHA384;
    if (strength <= 32) return ZLC_SHA512;
    return 0;
}

std::int32_t fill_level(std::int32_t level) {
    return level >= 1 && level <= 3 ? level : 2;
}

void release_collector(ENTROPY_COLLECTOR* c) {
    WipeCollector(c);
    mem::free_record(c);
}

}  // namespace

SEED_POOL& seed_pool() noexcept {
    return g_pool;
}

bool PoolAdd(const void* data, std::size_t length) noexcept {
    // Nothing to mix: returning at once keeps the running value from being XORed into the very
    // summary it was copied from, which would zero it.
    if (length == 0) return true;
    if (data == nullptr) return false;
    SEED_POOL& p = g_pool;
    std::size_t index = static_cast<std::size_t>(p.position);
    std::uint8_t counter_block[8];
    store_le32(counter_block, 0);
    store_le32(counter_block + 4, p.chunk_counter);
    std::uint8_t running[kChunk];
    mem::WipeOnExit wipe_running(running);
    std::memcpy(running, p.summary, sizeof(running));

    p.position = static_cast<std::int32_t>((index + length) % kSeedPoolSize);
    p.chunk_counter += static_cast<std::uint32_t>((length + kChunk - 1) / kChunk);

    Hasher sha1;
    if (!sha1.select(ZLC_SHA1)) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t offset = 0; offset < length; offset += kChunk) {
        const std::size_t n = std::min(kChunk, length - offset);
        const std::size_t before_wrap = std::min(n, kSeedPoolSize - index);
        if (!sha1.begin() || !sha1.absorb(running, sizeof(running)) ||
            !sha1.absorb(p.pool + index, before_wrap) || !sha1.absorb(p.pool, n - before_wrap) ||
            !sha1.absorb(bytes + offset, n) || !sha1.absorb(counter_block, sizeof(counter_block)) ||
            !sha1.finish(running)) {
            return false;
        }
        store_le32(counter_block + 4, load_le32(counter_block + 4) + 1);
        for (std::size_t i = 0; i < n; ++i) {
            p.pool[index] ^= running[i];
            index = index + 1 == kSeedPoolSize ? 0 : index + 1;
        }
    }
    for (std::size_t i = 0; i < kSeedSummarySize; ++i) p.summary[i] ^= running[i];
    return true;
}

bool GatherFull() noexcept {
    pool_process_identity();
    pool_process_start();
    if (const std::uint32_t tid = platform::thread_id(); tid != 0) pool_u32(tid);
    if (std::uint64_t ticks = 0; platform::thread_start_time(&ticks)) pool_u64(ticks);
    pool_local_time();
    // Window handles and the cursor have no source on a server; the heap's end stands in for the
    // process heap.
    if (const std::uintptr_t heap = platform::heap_end(); heap != 0) pool_u64(heap);
    if (const std::uintptr_t f = platform::library_function_address(); f != 0) pool_u64(f);
    if (std::uint32_t counters[platform::kMemoryCounterCount];
        platform::memory_counters(counters)) {
        for (std::uint32_t v : counters) pool_u32(v);
    }
    if (const std::uintptr_t block = fresh_block_address(); block != 0) pool_u64(block);
    if (const std::uint32_t ticks = platform::tick_count(); ticks != 0) pool_u32(ticks);
    if (const std::uint64_t delta = platform::timestamp_delta(); delta != 0) pool_u64(delta);
    const bool provided = pool_provider_draw();
    pool_network_counters();
    return provided;
}

bool GatherLight() noexcept {
    pool_process_identity();
    pool_process_start();
    pool_local_time();
    return pool_provider_draw();
}

bool EnsureSeedPool() noexcept {
    const std::uint32_t pid = platform::process_id();
    if (g_pool.seeded != 0 && g_pool.seeded_by == pid) return true;
    // After a fork the child gathers on top of the parent's pool, so the two diverge.
    g_pool.seeded = 0;
    const bool provided = core::is_proven() ? GatherFull() : GatherLight();
    if (!provided) return false;
    g_pool.seeded = 1;
    g_pool.seeded_by = pid;
    return true;
}

Status CollectorAdd(ENTROPY_COLLECTOR* collector, const void* data, std::uint32_t length,
                    std::int32_t estimate) noexcept {
    if (collector == nullptr || data == nullptr) return kAddNull;
    if (collector->raw_capacity - collector->raw_used < length) {
        const std::uint64_t grown =
            static_cast<std::uint64_t>(collector->raw_capacity) + length + 128u;
        if (grown > 0x7FFFFFFFu) return kAddAlloc;
        auto* block =
            static_cast<std::uint8_t*>(mem::alloc_zeroed(static_cast<std::size_t>(grown)));
        if (block == nullptr) return kAddAlloc;
        if (collector->raw_used != 0) std::memcpy(block, collector->raw, collector->raw_used);
        mem::free_wiped(collector->raw, collector->raw_capacity);
        collector->raw = block;
        collector->raw_capacity = static_cast<std::uint32_t>(grown);
    }
    if (length != 0) std::memcpy(collector->raw + collector->raw_used, data, length);
    collector->raw_used += length;
    collector->estimate += estimate;
    return kOk;
}

Status Collect(ENTROPY_COLLECTOR* collector) noexcept {
    if (collector == nullptr || collector->level < 1 || collector->level > 3) return kCollectFailed;
    if (collector->level == 3) collect_level3_rows(collector);
    if (collector->level >= 2) collect_level2_rows(collector);
    // Process identity and clocks are guessable: without the system generator's bytes a
    // collection is not entropy.
    return collect_level1_rows(collector) ? kOk : kCollectFailed;
}

Status Condense(ENTROPY_COLLECTOR* collector, std::uint32_t digest_id) noexcept {
    if (collector == nullptr || collector->estimate == 0 || collector->raw_used == 0 ||
        digest_id == 0) {
        return kCondenseRefused;
    }
    const digest::DigestAlgorithm* algorithm = digest::find_digest(digest_id);
    if (algorithm == nullptr) return kCondenseRefused;
    mem::free_wiped(collector->condensed, static_cast<std::size_t>(collector->condensed_length));
    collector->condensed = nullptr;
    collector->condensed_length = 0;
    collector->condensed = static_cast<std::uint8_t*>(
        mem::alloc_zeroed(static_cast<std::size_t>(algorithm->digest_length)));
    if (collector->condensed == nullptr) return kCondenseAlloc;
    return digest::one_shot(digest_id, collector->raw,
                            static_cast<std::int32_t>(collector->raw_used), collector->condensed,
                            &collector->condensed_length);
}

void WipeCollector(ENTROPY_COLLECTOR* collector) noexcept {
    if (collector == nullptr) return;
    mem::free_wiped(collector->raw, collector->raw_capacity);
    mem::free_wiped(collector->condensed, static_cast<std::size_t>(std::max<std::int32_t>(
                                              collector->condensed_length, 0)));
    platform::secure_zero(collector, sizeof(*collector));
}

Status FillEntropy(std::uint32_t digest_id, std::uint8_t* out, std::int32_t length,
                   std::int32_t level) noexcept {
    if (out == nullptr || length <= 0) return kFillNull;
    auto* collector = mem::alloc_record<ENTROPY_COLLECTOR>();
    if (collector == nullptr) return kFillFailed;
    mem::ScopeExit release([collector] { release_collector(collector); });
    for (std::int32_t written = 0; written < length;) {
        collector->level = fill_level(level);
        if (Collect(collector) != kOk || Condense(collector, digest_id) != kOk) return kFillFailed;
        const std::int32_t n = std::min(length - written, collector->condensed_length);
        std::memcpy(out + written, collector->condensed, static_cast<std::size_t>(n));
        written += n;
        WipeCollector(collector);
    }
    return kOk;
}

Status FillEntropyKeep(std::uint32_t digest_id, std::uint8_t* out, std::int32_t length,
                       std::int32_t level, ENTROPY_COLLECTOR** kept) noexcept {
    if (out == nullptr || length <= 0) return kFillNull;
    if (kept == nullptr) return kKeepFailed;
    auto* collector = mem::alloc_record<ENTROPY_COLLECTOR>();
    if (collector == nullptr) return kKeepFailed;
    for (std::int32_t written = 0; written < length;) {
        WipeCollector(collector);
        collector->level = fill_level(level);
        Status status = Collect(collector) == kOk ? kOk : kKeepFailed;
        if (status == kOk) status = Condense(collector, digest_id);
        if (status != kOk) {
            release_collector(collector);
            return status;
        }
        const std::int32_t n = std::min(length - written, collector->condensed_length);
        std::memcpy(out + written, collector->condensed, static_cast<std::size_t>(n));
        written += n;
    }
    *kept = collector;
    return kOk;
}

Status GetEntropyAndNonce(std::int32_t* entropy_length, std::int32_t* nonce_length,
                          std::uint8_t** entropy, std::uint8_t** nonce, std::int32_t strength,
                          std::int32_t level) noexcept {
    if (entropy_length == nullptr || nonce_length == nullptr || entropy == nullptr ||
        nonce == nullptr) {
        return kNonceNull;
    }
    const std::uint32_t digest_id = condensing_digest(strength);
    if (digest_id == 0) return kNonceRefused;
    const bool make_entropy = *entropy == nullptr;
    if (make_entropy) {
        *entropy_length = digest::get_length(digest_id);
        if (strength > *entropy_length) return kNonceRefused;
    }
    if (*entropy_length <= 0) return kNonceFailed;

    const auto filled_length = static_cast<std::size_t>(*entropy_length);
    auto* filled = static_cast<std::uint8_t*>(mem::alloc_zeroed(filled_length));
    if (filled == nullptr) return kNonceFailed;
    ENTROPY_COLLECTOR* kept = nullptr;
    if (FillEntropyKeep(digest_id, filled, *entropy_length, level, &kept) != kOk) {
        mem::free_wiped(filled, filled_length);
        return kNonceFailed;
    }
    mem::ScopeExit release_kept([kept] { release_collector(kept); });
    const std::uint8_t* input = make_entropy ? filled : *entropy;

    if (*nonce == nullptr) {
        const std::int32_t length = *entropy_length / 2;
        auto* made = static_cast<std::uint8_t*>(
            mem::alloc_zeroed(static_cast<std::size_t>(std::max<std::int32_t>(length, 1))));
        if (made == nullptr) {
            mem::free_wiped(filled, filled_length);
            return kNonceFailed;
        }
        for (std::int32_t i = 0; i < length; ++i) {
            made[i] = kept->raw[static_cast<std::uint32_t>(i) % kept->raw_used] ^ input[i];
        }
        *nonce = made;
        *nonce_length = length;
    }
    if (make_entropy) {
        *entropy = filled;
    } else {
        mem::free_wiped(filled, filled_length);
    }
    return kOk;
}

Status GetReseedEntropy(std::int32_t* entropy_length, std::uint8_t** entropy, std::int32_t strength,
                        std::int32_t level) noexcept {
    if (entropy_length == nullptr || entropy == nullptr) return kReseedRefused;
    const std::uint32_t digest_id = condensing_digest(strength);
    if (digest_id == 0) return kReseedRefused;
    const std::int32_t length = digest::get_length(digest_id);
    if (strength > length) return kReseedRefused;
    mem::free_wiped(*entropy, static_cast<std::size_t>(std::max<std::int32_t>(*entropy_length, 0)));
    *entropy = nullptr;
    *entropy_length = 0;
    auto* block = static_cast<std::uint8_t*>(mem::alloc_zeroed(static_cast<std::size_t>(length)));
    if (block == nullptr) return kReseedFailed;
    if (FillEntropy(digest_id, block, length, level) != kOk) {
        mem::free_wiped(block, static_cast<std::size_t>(length));
        return kReseedFailed;
    }
    *entropy = block;
    *entropy_length = length;
    return kOk;
}

}  // namespace zlc::rand
