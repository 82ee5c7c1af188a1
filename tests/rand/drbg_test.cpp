// Hash_DRBG against the NIST CAVP vectors through the instance operations, and the process-wide
// generator: its statuses, state carried between requests, reseeding, forks, threads, processes.
#include "crypto/rand/drbg.h"

#include <gtest/gtest.h>
#include <openssl/sha.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <fstream>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "crypto/core/memory.h"
#include "crypto/platform/named_lock.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"
#include "zlc.h"

namespace zlc::rand {
namespace {

using test::Bytes;

// A CAVP Hash_DRBG record keeps its fields in file order: AdditionalInput and EntropyInputPR
// come twice, once per generate.
struct CavpVector {
    std::uint32_t digest = 0;
    int line = 0;
    std::vector<std::pair<std::string, Bytes>> fields;

    const Bytes& get(const std::string& key, int occurrence = 0) const {
        for (const auto& [k, v] : fields) {
            if (k == key && occurrence-- == 0) return v;
        }
        throw std::out_of_range(key + " missing at line " + std::to_string(line));
    }
};

std::vector<CavpVector> read_cavp(const std::string& name) {
    std::ifstream in(std::string(ZLC_VECTOR_DIR) + "/drbg/" + name);
    EXPECT_TRUE(in) << name;
    static const std::pair<const char*, std::uint32_t> kDigests[] = {{"[SHA-1]", ZLC_SHA1},
                                                                     {"[SHA-224]", ZLC_SHA224},
                                                                     {"[SHA-256]", ZLC_SHA256},
                                                                     {"[SHA-384]", ZLC_SHA384},
                                                                     {"[SHA-512]", ZLC_SHA512}};
    std::vector<CavpVector> vectors;
    std::uint32_t digest = 0;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (const auto& [tag, id] : kDigests) {
            if (line == tag) digest = id;
        }
        const auto eq = line.find(" = ");
        if (line.empty() || line[0] == '#' || line[0] == '[' || eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        if (key == "COUNT") {
            vectors.push_back({digest, number, {}});
            continue;
        }
        vectors.back().fields.emplace_back(key, test::from_hex(line.substr(eq + 3)));
    }
    return vectors;
}

const std::uint8_t* or_null(const Bytes& b) {
    return b.empty() ? nullptr : b.data();
}
std::int32_t size32(const Bytes& b) {
    return static_cast<std::int32_t>(b.size());
}

struct InstanceDeleter {
    void operator()(DRBG_INSTANCE* d) const { DrbgFree(d); }
};
using Instance = std::unique_ptr<DRBG_INSTANCE, InstanceDeleter>;

Instance instantiated(std::uint32_t digest, bool prediction_resistance, const Bytes& entropy,
                      const Bytes& nonce, const Bytes& personalization) {
    Instance d(DrbgNew());
    EXPECT_EQ(DrbgSetup(d.get(), digest, prediction_resistance ? 1 : 0, 1), kOk);
    EXPECT_EQ(DrbgSetInputs(d.get(), or_null(entropy), size32(entropy), or_null(nonce),
                            size32(nonce), or_null(personalization), size32(personalization)),
              kOk);
    EXPECT_EQ(DrbgInstantiate(d.get(), 0), kOk);
    return d;
}

// Instantiate, (reseed,) generate, generate; the second output is the published one. The first
// block of a fresh instance only becomes the continuous test's reference, so the first output is
// shifted, but the state update does not depend on it.
void run_cavp(const std::string& file, bool prediction_resistance) {
    const auto vectors = read_cavp(file);
    ASSERT_EQ(vectors.size(), 320u);
    for (const CavpVector& v : vectors) {
        SCOPED_TRACE(file + " line " + std::to_string(v.line));
        Instance d = instantiated(v.digest, prediction_resistance, v.get("EntropyInput"),
                                  v.get("Nonce"), v.get("PersonalizationString"));
        if (!prediction_resistance) {
            const Bytes& add = v.get("AdditionalInputReseed");
            const Bytes& entropy = v.get("EntropyInputReseed");
            ASSERT_EQ(DrbgSetReseedInputs(d.get(), or_null(add), size32(add), entropy.data(),
                                          size32(entropy)),
                      kOk);
            ASSERT_EQ(DrbgReseed(d.get()), kOk);
        }
        const Bytes& expected = v.get("ReturnedBits");
        Bytes out(expected.size());
        for (int i = 0; i < 2; ++i) {
            const Bytes& add = v.get("AdditionalInput", i);
            const Bytes* entropy = prediction_resistance ? &v.get("EntropyInputPR", i) : nullptr;
            ASSERT_EQ(DrbgSetReseedInputs(d.get(), or_null(add), size32(add),
                                          entropy ? entropy->data() : nullptr,
                                          entropy ? size32(*entropy) : 0),
                      kOk);
            ASSERT_EQ(DrbgGenerate(d.get(), out.data(), size32(out)), kOk);
        }
        EXPECT_EQ(test::to_hex(out), test::to_hex(expected));
    }
}

TEST(HashDrbg, CavpWithoutPredictionResistance) {
    run_cavp("Hash_DRBG_pr_false.rsp", false);
}
TEST(HashDrbg, CavpWithPredictionResistance) {
    run_cavp("Hash_DRBG_pr_true.rsp", true);
}

// Hashgen by definition, for a digest hashed through the general path (HAS-160) and one on the
// single-compression path (SHA-224): a fresh instance's first block is only the reference, the
// output starts with Hash(V + 1).
TEST(HashDrbg, HashgenMatchesItsDefinition) {
    for (std::uint32_t digest : {ZLC_HAS160, ZLC_SHA224}) {
        SCOPED_TRACE(digest);
        Instance d =
            instantiated(digest, false, test::random_bytes(32, 8), test::random_bytes(16, 9), {});
        Bytes data(d->V, d->V + d->seed_length);
        const std::int32_t block = ZLC_Get_DIGEST_Length(digest);
        Bytes expected;
        for (int i = 0; i < 2; ++i) {
            for (std::size_t k = data.size(); k-- > 0 && ++data[k] == 0;) {
            }
            Bytes w(static_cast<std::size_t>(block));
            ASSERT_EQ(ZLC_DIGEST(digest, data.data(), size32(data), w.data(), nullptr), kOk);
            expected.insert(expected.end(), w.begin(), w.end());
        }
        Bytes out(static_cast<std::size_t>(block) + 5);
        ASSERT_EQ(DrbgGenerate(d.get(), out.data(), size32(out)), kOk);
        EXPECT_EQ(test::to_hex(out),
                  test::to_hex(Bytes(expected.begin(), expected.begin() + out.size())));
    }
}

TEST(HashDrbg, InputLengthsAreTakenWhole) {
    const Bytes entropy = test::random_bytes(32, 1), nonce = test::random_bytes(16, 2);
    const Bytes personalization = test::random_bytes(300, 3);
    const Bytes cut(personalization.begin(), personalization.begin() + 44);  // 300 mod 256
    Bytes a(64), b(64);
    Instance full = instantiated(ZLC_SHA256, false, entropy, nonce, personalization);
    Instance short_one = instantiated(ZLC_SHA256, false, entropy, nonce, cut);
    ASSERT_EQ(DrbgGenerate(full.get(), a.data(), 64), kOk);
    ASSERT_EQ(DrbgGenerate(short_one.get(), b.data(), 64), kOk);
    EXPECT_NE(a, b);

    Instance d(DrbgNew());
    ASSERT_EQ(DrbgSetup(d.get(), ZLC_SHA256, 0, 1), kOk);
    EXPECT_EQ(DrbgSetInputs(d.get(), entropy.data(), -1, nullptr, 0, nullptr, 0), 1u);
    EXPECT_EQ(DrbgSetInputs(nullptr, entropy.data(), 32, nullptr, 0, nullptr, 0), 1u);
    EXPECT_EQ(DrbgSetReseedInputs(nullptr, nullptr, 0, nullptr, 0), 1u);
    // An entropy input below the security strength is refused.
    ASSERT_EQ(DrbgSetInputs(d.get(), entropy.data(), 15, nonce.data(), 16, nullptr, 0), kOk);
    EXPECT_EQ(DrbgInstantiate(d.get(), 0), 0x0B02000Cu);
}

TEST(HashDrbg, InstanceStatuses) {
    Bytes out(16, 0xAA);
    EXPECT_EQ(DrbgSetup(nullptr, ZLC_SHA256, 0, 1), 0x0B010049u);
    EXPECT_EQ(DrbgParams(nullptr), 0x0B070049u);
    EXPECT_EQ(DrbgInstantiate(nullptr, 0), 0x0B020049u);
    EXPECT_EQ(DrbgReseed(nullptr), 0x0B030049u);
    Instance d(DrbgNew());
    EXPECT_EQ(DrbgSetup(d.get(), ZLC_MD5, 0, 1), 0x0B070048u);
    {
        test::ModuleFlagsScope proven(test::proven_mode());
        EXPECT_EQ(DrbgSetup(d.get(), ZLC_SHA1, 0, 1), 0x0B0700F0u);
        EXPECT_EQ(DrbgSetup(d.get(), ZLC_MD5, 0, 1), 0x0B0700F0u);
        EXPECT_EQ(DrbgSetup(d.get(), ZLC_HAS160, 0, 1), 0x0B0700F0u);
    }
    d = instantiated(ZLC_SHA384, false, test::random_bytes(32, 4), test::random_bytes(16, 5), {});
    EXPECT_EQ(d->reseed_counter, 1);
    EXPECT_EQ(DrbgGenerate(d.get(), nullptr, 16), 0x0B040049u);
    EXPECT_EQ(DrbgGenerate(d.get(), out.data(), 0), 0x0B04002Bu);
    // The generate algorithm refuses to run past the reseed interval.
    d->reseed_counter = kReseedInterval + 1;
    d->prediction_resistance = 0;
    ASSERT_EQ(DrbgGenerate(d.get(), out.data(), 16), kOk);  // reseeds first
    EXPECT_EQ(d->reseed_counter, 2);
}

// A block equal to the previous one fails the continuous test, and the caller gets only zeros.
TEST(HashDrbg, ContinuousTestFailureHandsOutNothing) {
    Instance d =
        instantiated(ZLC_SHA256, false, test::random_bytes(32, 6), test::random_bytes(16, 7), {});
    Bytes out(100, 0xAA);
    ASSERT_EQ(DrbgGenerate(d.get(), out.data(), 100), kOk);
    SHA256(d->V, 55, d->previous_block);  // the next request's first block
    std::fill(out.begin(), out.end(), 0xAA);
    EXPECT_EQ(DrbgGenerate(d.get(), out.data(), 100), 0x0B0A0067u);
    EXPECT_EQ(out, Bytes(100, 0));
}

// The process-wide generator starts and ends each test uninstantiated.
class RandBytesTest : public ::testing::Test {
  protected:
    void SetUp() override { ZLC_Uninstantiate_DRBG(); }
    void TearDown() override { ZLC_Uninstantiate_DRBG(); }
    static const DRBG_SAVED_STATE& saved() { return drbg_saved_state(); }
};

TEST_F(RandBytesTest, StateCarriesOverAndCounts) {
    std::uint8_t a[33], b[33];
    ASSERT_EQ(ZLC_Rand_Bytes(a, 33), kOk);
    EXPECT_EQ(saved().saved, 1u);
    EXPECT_EQ(saved().algorithm, ZLC_SHA256);
    EXPECT_EQ(saved().reseed_counter, 2);  // 1 after instantiation, +1 per request
    // 33 bytes take two SHA-256 blocks; the second one is the next request's reference.
    const std::uint8_t* previous = saved().previous_block;
    Bytes reference(previous, previous + 32);
    EXPECT_EQ(saved().previous_block_length, 32u);
    EXPECT_EQ(reference[0], a[32]);
    ASSERT_EQ(ZLC_Rand_Bytes(b, 33), kOk);
    EXPECT_EQ(saved().reseed_counter, 3);
    EXPECT_NE(Bytes(a, a + 33), Bytes(b, b + 33));
}

TEST_F(RandBytesTest, RequestStatuses) {
    std::uint8_t out[16];
    struct Case {
        const char* name;
        std::uint32_t digest, reserved;
        std::int32_t length;
        std::uint8_t* buffer;
        Status expected;
    };
    const Case cases[] = {
        {"reserved", ZLC_SHA256, 1, 16, out, 0x0B050048u},
        {"MD5", ZLC_MD5, 0, 16, out, 0x0B050063u},
        {"MDC2", ZLC_MDC2, 0, 16, out, 0x0B050063u},
        {"unknown", 0x12345678u, 0, 16, out, 0x0B050063u},
        {"length 0", ZLC_SHA256, 0, 0, out, 0x0B050066u},
        {"negative length", ZLC_SHA256, 0, -5, out, 0x0B050066u},
        {"null output", ZLC_SHA256, 0, 16, nullptr, 0x0B050066u},
        {"SHA-1", ZLC_SHA1, 0, 16, out, kOk},
        {"HAS-160", ZLC_HAS160, 0, 16, out, kOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZLC_Uninstantiate_DRBG();
        EXPECT_EQ(ZLC_Rand_Bytes_DRBG(c.buffer, c.length, c.reserved, c.digest, 0), c.expected);
        EXPECT_EQ(saved().saved, c.expected == kOk ? 1u : 0u);
    }
    // Every failure released the lock: another thread gets through.
    Status from_thread = 1;
    std::thread([&] { from_thread = ZLC_Rand_Bytes(out, 16); }).join();
    EXPECT_EQ(from_thread, kOk);

    test::ModuleFlagsScope proven(test::proven_mode());
    EXPECT_EQ(ZLC_Rand_Bytes_DRBG(out, 16, 0, ZLC_SHA1, 0), 0x0B050063u);
    EXPECT_EQ(ZLC_Rand_Bytes_DRBG(out, 16, 0, ZLC_SHA512, 0), kOk);
}

TEST_F(RandBytesTest, FailedRequestSavesNothingAndZeroesTheOutput) {
    std::uint8_t out[64];
    ASSERT_EQ(ZLC_Rand_Bytes(out, 16), kOk);
    // Make the next first block equal the reference: the continuous test must fail, every time.
    DRBG_SAVED_STATE& state = drbg_saved_state();
    SHA256(state.V, 55, state.previous_block);
    const DRBG_SAVED_STATE before = state;
    for (int i = 0; i < 2; ++i) {
        std::fill(out, out + 64, 0xAA);
        EXPECT_EQ(ZLC_Rand_Bytes(out, 64), 0x0B050067u);
        EXPECT_EQ(Bytes(out, out + 64), Bytes(64, 0));
        EXPECT_EQ(std::memcmp(&state, &before, sizeof(state)), 0);
    }
    // Another digest replaces the state.
    EXPECT_EQ(ZLC_Rand_Bytes_DRBG(out, 64, 0, ZLC_SHA512, 0), kOk);
    EXPECT_EQ(saved().algorithm, ZLC_SHA512);
    ZLC_Uninstantiate_DRBG();
    EXPECT_EQ(saved().saved, 0u);
    EXPECT_EQ(ZLC_Rand_Bytes(out, 64), kOk);
}

TEST_F(RandBytesTest, DigestSwitchesAndReseeds) {
    std::uint8_t out[16];
    // Alternating digests instantiate afresh every time.
    for (std::uint32_t digest : {ZLC_SHA256, ZLC_SHA512, ZLC_SHA256, ZLC_SHA384}) {
        ASSERT_EQ(ZLC_Rand_Bytes_DRBG(out, 16, 0, digest, 0), kOk);
        EXPECT_EQ(saved().algorithm, digest);
        EXPECT_EQ(saved().reseed_counter, 2);
    }
    // Prediction resistance reseeds before each request: the counter starts over every time.
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(ZLC_Rand_Bytes_DRBG(out, 16, 0, ZLC_SHA384, 1), kOk);
        EXPECT_EQ(saved().reseed_counter, 2);
    }
    // The request after the one that leaves the counter above the interval reseeds first.
    drbg_saved_state().reseed_counter = kReseedInterval;
    ASSERT_EQ(ZLC_Rand_Bytes_DRBG(out, 16, 0, ZLC_SHA384, 0), kOk);
    EXPECT_EQ(saved().reseed_counter, kReseedInterval + 1);
    ASSERT_EQ(ZLC_Rand_Bytes_DRBG(out, 16, 0, ZLC_SHA384, 0), kOk);
    EXPECT_EQ(saved().reseed_counter, 2);
}

TEST_F(RandBytesTest, WithoutSystemEntropyNothingIsInstantiated) {
    std::uint8_t out[16];
    test::SystemRandomFailureScope no_kernel_generator;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ZLC_Rand_Bytes(out, 16), 0x0B050064u);
    EXPECT_EQ(saved().saved, 0u);
    testing::internal::GetCapturedStdout();
}

TEST_F(RandBytesTest, RandomIntegers) {
    BIGINT* n = ZLC_New_BIGINT();
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(ZLC_Get_Rand_BIGINT_Ex(nullptr, 8), 0x0B060049u);
    EXPECT_EQ(ZLC_Get_Rand_BIGINT_Ex(n, 0), 0x0B06001Du);
    EXPECT_EQ(ZLC_Get_Rand_BIGINT_Ex(n, -1), 0x0B06002Bu);
    struct Case {
        std::int32_t bits;
        std::uint32_t bound;
    };
    for (const Case c : {Case{1, 2}, Case{12, 4096}, Case{32, 0}}) {
        SCOPED_TRACE(c.bits);
        bool top_bit_seen = false;
        for (int i = 0; i < 64; ++i) {
            ASSERT_EQ(ZLC_Get_Rand_BIGINT_Ex(n, c.bits), kOk);
            ASSERT_LE(n->length, 1);
            const std::uint32_t value = n->length == 0 ? 0 : n->words[0];
            if (c.bound != 0) {
                EXPECT_LT(value, c.bound);
            }
            top_bit_seen |= ((value >> (c.bits - 1)) & 1u) != 0;
        }
        EXPECT_TRUE(top_bit_seen);
    }
    EXPECT_EQ(ZLC_Get_Rand_BIGINT_Ex(n, 2048), kOk);
    EXPECT_LE(ZLC_Get_BIGINT_Bits_Length(n), 2048);
    EXPECT_EQ(ZLC_Free_BIGINT(n), kOk);
}

// Reads exactly n bytes from a pipe.
bool read_all(int fd, std::uint8_t* out, std::size_t n) {
    while (n > 0) {
        const ssize_t got = read(fd, out, n);
        if (got <= 0) return false;
        out += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

bool exited_cleanly(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A forked child must not continue its parent's saved state.
TEST_F(RandBytesTest, ForkedChildDoesNotRepeatItsParent) {
    std::uint8_t warm[16];
    ASSERT_EQ(ZLC_Rand_Bytes(warm, 16), kOk);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::uint8_t out[32];
        const bool ok = ZLC_Rand_Bytes(out, 32) == kOk && write(fds[1], out, 32) == 32;
        _exit(ok ? 0 : 1);
    }
    std::uint8_t parent[32], from_child[32];
    ASSERT_EQ(ZLC_Rand_Bytes(parent, 32), kOk);
    ASSERT_TRUE(read_all(fds[0], from_child, 32));
    EXPECT_TRUE(exited_cleanly(child));
    close(fds[0]);
    close(fds[1]);
    EXPECT_NE(Bytes(parent, parent + 32), Bytes(from_child, from_child + 32));
}

// Threads of this process and forked processes draw at once: every output is distinct.
TEST_F(RandBytesTest, ConcurrentThreadsAndProcesses) {
    constexpr int kThreads = 6, kProcesses = 3, kRequests = 300;
    using Output = std::array<std::uint8_t, 16>;
    std::vector<std::vector<Output>> per_thread(kThreads, std::vector<Output>(kRequests));
    std::atomic<int> failures{0};

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int i = 0; i < kRequests && ok; ++i) {
                Output out;
                ok = ZLC_Rand_Bytes(out.data(), 16) == kOk && write(fds[1], out.data(), 16) == 16;
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (Output& out : per_thread[t]) {
                if (ZLC_Rand_Bytes_DRBG(out.data(), 16, 0, ZLC_SHA256, 0) != kOk) ++failures;
            }
        });
    }
    std::set<Output> seen;
    for (int i = 0; i < kProcesses * kRequests; ++i) {
        Output out;
        ASSERT_TRUE(read_all(fds[0], out.data(), 16));
        seen.insert(out);
    }
    for (std::thread& t : threads) t.join();
    for (pid_t child : children) EXPECT_TRUE(exited_cleanly(child));
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(failures.load(), 0);
    for (const auto& outputs : per_thread) seen.insert(outputs.begin(), outputs.end());
    EXPECT_EQ(seen.size(), static_cast<std::size_t>((kThreads + kProcesses) * kRequests));
}

// The lock excludes other processes: an unlocked read-modify-write of a shared counter loses
// updates as soon as two processes overlap.
TEST(NamedLock, ExcludesOtherProcesses) {
    constexpr int kProcesses = 4, kRounds = 500;
    auto* counter = static_cast<volatile std::uint32_t*>(mmap(
        nullptr, sizeof(std::uint32_t), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(counter, MAP_FAILED);
    *counter = 0;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0; i < kRounds; ++i) {
                if (platform::named_lock_acquire("ZELTARO_Crypto_Lock") !=
                    platform::LockResult::ok) {
                    _exit(1);
                }
                const std::uint32_t value = *counter;
                sched_yield();
                *counter = value + 1;
                if (!platform::named_lock_release()) _exit(1);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) EXPECT_TRUE(exited_cleanly(child));
    EXPECT_EQ(*counter, static_cast<std::uint32_t>(kProcesses * kRounds));
    munmap(const_cast<std::uint32_t*>(counter), sizeof(std::uint32_t));
}

// A holder killed while it holds the lock does not block anyone: the kernel drops its lock.
TEST_F(RandBytesTest, HolderKilledInsideTheLockBlocksNobody) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (platform::named_lock_acquire("ZELTARO_Crypto_Lock") != platform::LockResult::ok)
            _exit(1);
        const char held = 1;
        if (write(fds[1], &held, 1) != 1) _exit(1);
        for (;;) pause();
    }
    char held = 0;
    ASSERT_EQ(read(fds[0], &held, 1), 1);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    close(fds[0]);
    close(fds[1]);
    std::uint8_t out[16];
    EXPECT_EQ(ZLC_Rand_Bytes(out, 16), kOk);
}

}  // namespace
}  // namespace zlc::rand
