// The seed pool against an independent model over OpenSSL's SHA-1, and the entropy collector's
// levels, statuses and failure paths.
#include "crypto/rand/entropy.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <openssl/sha.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "crypto/core/memory.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "zlc.h"

namespace zlc::rand {
namespace {

using test::Bytes;

// Straight from the mixing rule: per 20-byte chunk, SHA-1(running ‖ pool bytes under the chunk ‖
// chunk ‖ 00000000 ‖ counter LE), XORed into the pool; the last running value into the summary.
void model_pool_add(SEED_POOL& p, const Bytes& data) {
    std::size_t index = static_cast<std::size_t>(p.position);
    std::uint32_t counter = p.chunk_counter;
    std::array<std::uint8_t, 20> running;
    std::memcpy(running.data(), p.summary, 20);
    p.position = static_cast<std::int32_t>((index + data.size()) % kSeedPoolSize);
    p.chunk_counter += static_cast<std::uint32_t>((data.size() + 19) / 20);
    for (std::size_t off = 0; off < data.size(); off += 20) {
        const std::size_t n = std::min<std::size_t>(20, data.size() - off);
        Bytes message(running.begin(), running.end());
        for (std::size_t i = 0; i < n; ++i) message.push_back(p.pool[(index + i) % kSeedPoolSize]);
        message.insert(message.end(), data.begin() + off, data.begin() + off + n);
        const std::uint8_t block[8] = {0,
                                       0,
                                       0,
                                       0,
                                       static_cast<std::uint8_t>(counter),
                                       static_cast<std::uint8_t>(counter >> 8),
                                       static_cast<std::uint8_t>(counter >> 16),
                                       static_cast<std::uint8_t>(counter >> 24)};
        message.insert(message.end(), block, block + 8);
        SHA1(message.data(), message.size(), running.data());
        ++counter;
        for (std::size_t i = 0; i < n; ++i) p.pool[(index + i) % kSeedPoolSize] ^= running[i];
        index = (index + n) % kSeedPoolSize;
    }
    for (int i = 0; i < 20; ++i) p.summary[i] ^= running[i];
}

bool same_pool(const SEED_POOL& a, const SEED_POOL& b) {
    return std::memcmp(a.pool, b.pool, sizeof(a.pool)) == 0 && a.position == b.position &&
           std::memcmp(a.summary, b.summary, sizeof(a.summary)) == 0 &&
           a.chunk_counter == b.chunk_counter;
}

// Leaves the process-wide pool as the test found it.
class SeedPoolTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = seed_pool(); }
    void TearDown() override { seed_pool() = saved_; }
    SEED_POOL saved_{};
};

TEST_F(SeedPoolTest, AddsMatchTheMixingModel) {
    struct Case {
        std::int32_t start;
        std::size_t length;
    };
    // Inside the pool, crossing its end, 41 bytes (20 + 20 + 1), longer than the pool.
    const Case cases[] = {{0, 20}, {1010, 20}, {1022, 5}, {100, 41}, {7, 1500}, {3, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " length " << c.length);
        SEED_POOL& pool = seed_pool();
        const Bytes fill = test::random_bytes(kSeedPoolSize + kSeedSummarySize, c.length);
        std::memcpy(pool.pool, fill.data(), kSeedPoolSize);
        std::memcpy(pool.summary, fill.data() + kSeedPoolSize, kSeedSummarySize);
        pool.position = c.start;
        pool.chunk_counter = 0xFFFFFFFEu;  // the counter wraps like any 32-bit value
        SEED_POOL expected = pool;
        const Bytes data = test::random_bytes(c.length, 99);
        model_pool_add(expected, data);
        EXPECT_TRUE(PoolAdd(data.data(), data.size()));
        EXPECT_TRUE(same_pool(pool, expected));
        EXPECT_EQ(pool.position, static_cast<std::int32_t>((c.start + c.length) % 1023));
    }
    SEED_POOL& pool = seed_pool();
    pool.chunk_counter = 5;
    const Bytes data(41, 0xA5);
    EXPECT_TRUE(PoolAdd(data.data(), data.size()));
    EXPECT_EQ(pool.chunk_counter, 8u);
}

TEST_F(SeedPoolTest, EmptyAddKeepsTheSummary) {
    SEED_POOL& pool = seed_pool();
    std::memset(pool.summary, 0x5C, sizeof(pool.summary));
    const SEED_POOL before = pool;
    const std::uint8_t byte = 1;
    EXPECT_TRUE(PoolAdd(&byte, 0));
    EXPECT_TRUE(same_pool(pool, before));
}

TEST_F(SeedPoolTest, ProvenModeMovesOnlyPositionAndCounter) {
    test::ModuleFlagsScope proven(test::proven_mode());
    SEED_POOL& pool = seed_pool();
    const SEED_POOL before = pool;
    const Bytes data(45, 7);
    EXPECT_FALSE(PoolAdd(data.data(), data.size()));
    EXPECT_EQ(std::memcmp(pool.pool, before.pool, sizeof(pool.pool)), 0);
    EXPECT_EQ(std::memcmp(pool.summary, before.summary, sizeof(pool.summary)), 0);
    EXPECT_EQ(pool.position, (before.position + 45) % 1023);
    EXPECT_EQ(pool.chunk_counter, before.chunk_counter + 3);
}

TEST_F(SeedPoolTest, SeededOnlyWhenTheSystemGeneratorDelivers) {
    seed_pool().seeded = 0;
    {
        test::SystemRandomFailureScope no_kernel_generator;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(EnsureSeedPool());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed : Acquired RSA_FULL context.\n");
        EXPECT_EQ(seed_pool().seeded, 0u);
    }
    EXPECT_TRUE(EnsureSeedPool());
    EXPECT_EQ(seed_pool().seeded, 1u);
    // Once seeded, later calls gather nothing more.
    const SEED_POOL seeded = seed_pool();
    EXPECT_TRUE(EnsureSeedPool());
    EXPECT_TRUE(same_pool(seed_pool(), seeded));
    // The full gather of proven mode cannot mix (SHA-1 is refused there), so it never seeds.
    seed_pool().seeded = 0;
    test::ModuleFlagsScope proven(test::proven_mode());
    EXPECT_FALSE(EnsureSeedPool());
}

TEST_F(SeedPoolTest, ForkedChildGathersAgain) {
    ASSERT_TRUE(EnsureSeedPool());
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool ok = EnsureSeedPool();
        ssize_t written = write(pipe_fds[1], seed_pool().summary, kSeedSummarySize);
        _exit(ok && written == static_cast<ssize_t>(kSeedSummarySize) ? 0 : 1);
    }
    std::uint8_t child_summary[kSeedSummarySize] = {};
    EXPECT_EQ(read(pipe_fds[0], child_summary, sizeof(child_summary)),
              static_cast<ssize_t>(sizeof(child_summary)));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    EXPECT_NE(std::memcmp(child_summary, seed_pool().summary, kSeedSummarySize), 0);
}

// Collectors are released through one guard so a failing expectation leaks nothing.
struct CollectorDeleter {
    void operator()(ENTROPY_COLLECTOR* c) const {
        WipeCollector(c);
        mem::free_record(c);
    }
};
using CollectorPtr = std::unique_ptr<ENTROPY_COLLECTOR, CollectorDeleter>;
CollectorPtr new_collector() {
    return CollectorPtr(mem::alloc_record<ENTROPY_COLLECTOR>());
}

TEST(EntropyCollector, LevelsAddMoreSourcesAndBadLevelsAddNothing) {
    std::uint32_t used[4] = {};
    std::int32_t estimate[4] = {};
    for (std::int32_t level = 0; level <= 4; ++level) {
        SCOPED_TRACE(level);
        CollectorPtr c = new_collector();
        c->level = level;
        const Status status = Collect(c.get());
        if (level == 0 || level == 4) {
            EXPECT_EQ(status, 1u);
            EXPECT_EQ(c->raw_used, 0u);
            EXPECT_EQ(c->estimate, 0);
            continue;
        }
        EXPECT_EQ(status, kOk);
        used[level] = c->raw_used;
        estimate[level] = c->estimate;
    }
    // Level 1: process id 4, start time 8, local time 16, kernel generator 64.
    EXPECT_EQ(used[1], 92u);
    EXPECT_EQ(estimate[1], 75);
    EXPECT_GT(used[2], used[1]);
    EXPECT_GT(estimate[3], estimate[2]);
    EXPECT_GT(estimate[2], estimate[1]);
    EXPECT_EQ(Collect(nullptr), 1u);
}

// Level 3 reads another process's shared section when there is one, never past its size and
// never more than 8192 bytes.
TEST(EntropyCollector, SharedSectionIsReadUpToItsSize) {
    const char* name = "/$M$B$M$5$S$D$";
    const auto level3 = [] {
        CollectorPtr c = new_collector();
        c->level = 3;
        EXPECT_EQ(Collect(c.get()), kOk);
        return std::pair(c->raw_used, c->estimate);
    };
    const auto [without_used, without_estimate] = level3();
    for (const off_t size : {off_t{100}, off_t{20000}}) {
        SCOPED_TRACE(size);
        shm_unlink(name);  // a leftover of an interrupted run
        const int fd = shm_open(name, O_RDWR | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, size), 0);
        const auto [used, estimate] = level3();
        close(fd);
        shm_unlink(name);
        EXPECT_EQ(used - without_used, static_cast<std::uint32_t>(std::min<off_t>(size, 8192)));
        EXPECT_EQ(estimate - without_estimate, 6);
    }
}

TEST(EntropyCollector, CollectionFailsWithoutTheSystemGenerator) {
    test::SystemRandomFailureScope no_kernel_generator;
    testing::internal::CaptureStdout();
    for (std::int32_t level = 1; level <= 3; ++level) {
        CollectorPtr c = new_collector();
        c->level = level;
        EXPECT_EQ(Collect(c.get()), 1u) << level;
    }
    std::uint8_t out[32];
    EXPECT_EQ(FillEntropy(ZLC_SHA256, out, 32, 1), 0x1C040014u);
    ENTROPY_COLLECTOR* kept = nullptr;
    EXPECT_EQ(FillEntropyKeep(ZLC_SHA256, out, 32, 1, &kept), 0x1C02002Bu);
    EXPECT_EQ(kept, nullptr);
    std::int32_t entropy_length = 0, nonce_length = 0;
    std::uint8_t *entropy = nullptr, *nonce = nullptr;
    EXPECT_EQ(GetEntropyAndNonce(&entropy_length, &nonce_length, &entropy, &nonce, 16, 1),
              0x1C060014u);
    EXPECT_EQ(entropy, nullptr);
    EXPECT_EQ(GetReseedEntropy(&entropy_length, &entropy, 16, 1), 0x1C050014u);
    EXPECT_EQ(entropy, nullptr);
    testing::internal::GetCapturedStdout();
}

TEST(EntropyCollector, AddGrowsAndAFailedGrowthChangesNothing) {
    CollectorPtr c = new_collector();
    const Bytes data = test::random_bytes(300, 1);
    EXPECT_EQ(CollectorAdd(c.get(), data.data(), 100, 3), kOk);
    EXPECT_EQ(c->raw_capacity, 228u);  // 0 + 100 + 128
    EXPECT_EQ(CollectorAdd(c.get(), data.data() + 100, 100, 2), kOk);
    EXPECT_EQ(c->raw_capacity, 228u);
    const std::uint8_t* block = c->raw;
    {
        test::FailAllocationsScope no_memory(0);
        EXPECT_EQ(CollectorAdd(c.get(), data.data() + 200, 100, 9), 0x1C01003Au);
    }
    EXPECT_EQ(c->raw, block);
    EXPECT_EQ(c->raw_used, 200u);
    EXPECT_EQ(c->estimate, 5);
    EXPECT_EQ(CollectorAdd(c.get(), data.data() + 200, 100, 1), kOk);
    EXPECT_EQ(c->raw_capacity, 228u + 100 + 128);
    EXPECT_EQ(Bytes(c->raw, c->raw + 300), data);
    EXPECT_EQ(c->estimate, 6);

    EXPECT_EQ(CollectorAdd(nullptr, data.data(), 1, 1), 0x1C01002Bu);
    EXPECT_EQ(CollectorAdd(c.get(), nullptr, 1, 1), 0x1C01002Bu);
}

TEST(EntropyCollector, CondenseDigestsTheRawBytes) {
    CollectorPtr c = new_collector();
    EXPECT_EQ(Condense(c.get(), ZLC_SHA256), 0x1C03002Bu);  // nothing collected
    const Bytes data = test::random_bytes(77, 2);
    ASSERT_EQ(CollectorAdd(c.get(), data.data(), 77, 0), kOk);
    EXPECT_EQ(Condense(c.get(), ZLC_SHA256), 0x1C03002Bu);  // zero estimate
    ASSERT_EQ(CollectorAdd(c.get(), data.data(), 0, 1), kOk);
    EXPECT_EQ(Condense(c.get(), 0), 0x1C03002Bu);
    EXPECT_EQ(Condense(nullptr, ZLC_SHA256), 0x1C03002Bu);
    ASSERT_EQ(Condense(c.get(), ZLC_SHA384), kOk);
    std::uint8_t expected[48];
    SHA384(data.data(), data.size(), expected);
    ASSERT_EQ(c->condensed_length, 48);
    EXPECT_EQ(Bytes(c->condensed, c->condensed + 48), Bytes(expected, expected + 48));
    WipeCollector(c.get());
    EXPECT_EQ(c->raw, nullptr);
    EXPECT_EQ(c->raw_used, 0u);
    EXPECT_EQ(c->estimate, 0);
}

TEST(EntropyCollector, FillRoutines) {
    std::uint8_t out[100] = {};
    EXPECT_EQ(FillEntropy(ZLC_SHA256, nullptr, 32, 1), 0x1C040049u);
    EXPECT_EQ(FillEntropy(ZLC_SHA256, out, 0, 1), 0x1C040049u);
    // More than one digest: several passes; bad levels run as level 2.
    for (std::int32_t level : {0, 1, 3, 4}) {
        EXPECT_EQ(FillEntropy(ZLC_SHA256, out, 100, level), kOk) << level;
    }
    EXPECT_NE(Bytes(out, out + 32), Bytes(out + 32, out + 64));

    ENTROPY_COLLECTOR* kept = nullptr;
    EXPECT_EQ(FillEntropyKeep(ZLC_SHA256, out, 0, 1, &kept), 0x1C040049u);
    ASSERT_EQ(FillEntropyKeep(ZLC_SHA256, out, 40, 4, &kept), kOk);
    CollectorPtr owned(kept);
    EXPECT_EQ(kept->level, 2);
    EXPECT_GT(kept->raw_used, 0u);
    // The last pass's digest supplied the last 8 bytes.
    EXPECT_EQ(Bytes(out + 32, out + 40), Bytes(kept->condensed, kept->condensed + 8));
}

TEST(EntropyCollector, EntropyAndNonceFollowTheStrength) {
    struct Case {
        std::int32_t strength, entropy_length, nonce_length;
    };
    const Case cases[] = {{16, 32, 16}, {10, 28, 14}, {14, 28, 14}, {24, 48, 24}, {32, 64, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strength);
        std::int32_t entropy_length = 0, nonce_length = 0;
        std::uint8_t *entropy = nullptr, *nonce = nullptr;
        ASSERT_EQ(
            GetEntropyAndNonce(&entropy_length, &nonce_length, &entropy, &nonce, c.strength, 1),
            kOk);
        EXPECT_EQ(entropy_length, c.entropy_length);
        EXPECT_EQ(nonce_length, c.nonce_length);
        ASSERT_NE(entropy, nullptr);
        ASSERT_NE(nonce, nullptr);
        EXPECT_NE(Bytes(entropy, entropy + nonce_length), Bytes(nonce, nonce + nonce_length));
        mem::free_wiped(entropy, static_cast<std::size_t>(entropy_length));
        mem::free_wiped(nonce, static_cast<std::size_t>(nonce_length));

        std::int32_t reseed_length = 0;
        std::uint8_t* reseed = nullptr;
        ASSERT_EQ(GetReseedEntropy(&reseed_length, &reseed, c.strength, 1), kOk);
        EXPECT_EQ(reseed_length, c.entropy_length);
        mem::free_wiped(reseed, static_cast<std::size_t>(reseed_length));
    }
    std::int32_t length = 0, nonce_length = 0;
    std::uint8_t *entropy = nullptr, *nonce = nullptr;
    EXPECT_EQ(GetEntropyAndNonce(&length, &nonce_length, &entropy, &nonce, 33, 1), 0x1C06002Bu);
    EXPECT_EQ(GetEntropyAndNonce(nullptr, &nonce_length, &entropy, &nonce, 16, 1), 0x1C060049u);
    EXPECT_EQ(GetReseedEntropy(&length, &entropy, 33, 1), 0x1C05002Bu);
    EXPECT_EQ(GetReseedEntropy(nullptr, &entropy, 16, 1), 0x1C05002Bu);
}

TEST(EntropyCollector, SuppliedEntropyGetsOnlyANonce) {
    Bytes supplied = test::random_bytes(40, 3);
    const Bytes copy = supplied;
    std::int32_t entropy_length = 40, nonce_length = 0;
    std::uint8_t* entropy = supplied.data();
    std::uint8_t* nonce = nullptr;
    ASSERT_EQ(GetEntropyAndNonce(&entropy_length, &nonce_length, &entropy, &nonce, 16, 1), kOk);
    EXPECT_EQ(entropy, supplied.data());
    EXPECT_EQ(entropy_length, 40);
    EXPECT_EQ(supplied, copy);
    EXPECT_EQ(nonce_length, 20);
    mem::free_wiped(nonce, 20);
}

}  // namespace
}  // namespace zlc::rand
