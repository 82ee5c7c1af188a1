#include "crypto/platform/entropy_sources.h"

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace zlc::platform {
namespace {

std::atomic<bool> g_fail_system_random{false};

// Reads a small /proc file whole; returns the bytes read (the buffer is NUL-terminated).
std::size_t read_proc_file(const char* path, char* buffer, std::size_t capacity) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    std::size_t used = 0;
    while (used + 1 < capacity) {
        const ssize_t got = ::read(fd, buffer + used, capacity - 1 - used);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        used += static_cast<std::size_t>(got);
    }
    ::close(fd);
    buffer[used] = '\0';
    return used;
}

// Field 22 of a stat line (proc(5)): the start time. The command name in field 2 may hold spaces
// and parentheses, so counting starts after its last ')'.
bool stat_start_time(const char* path, std::uint64_t* ticks) {
    char line[1024];
    if (read_proc_file(path, line, sizeof(line)) == 0) return false;
    const char* p = std::strrchr(line, ')');
    if (p == nullptr) return false;
    ++p;
    for (int field = 3; field < 22; ++field) {
        while (*p == ' ') ++p;
        while (*p != ' ' && *p != '\0') ++p;
        if (*p == '\0') return false;
    }
    char* end = nullptr;
    const unsigned long long value = std::strtoull(p, &end, 10);
    if (end == p) return false;
    *ticks = value;
    return true;
}

bool read_urandom(std::uint8_t* out, std::size_t n) {
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(fd, out + done, n - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return done == n;
}

// The value row of a /proc/net/snmp table: finds "<table>: <names>" and the numbers below it.
bool snmp_values(const char* text, const char* table, const char* const* names, std::size_t count,
                 std::uint32_t* out) {
    const std::size_t table_length = std::strlen(table);
    const char* header = nullptr;
    for (const char* line = text; *line != '\0';) {
        if (std::strncmp(line, table, table_length) == 0 && line[table_length] == ':') {
            header = line;
            break;
        }
        const char* next = std::strchr(line, '\n');
        if (next == nullptr) return false;
        line = next + 1;
    }
    if (header == nullptr) return false;
    const char* values = std::strchr(header, '\n');
    if (values == nullptr || std::strncmp(values + 1, table, table_length) != 0) return false;
    values += 1 + table_length + 1;
    const char* header_end = std::strchr(header, '\n');

    bool found_all = true;
    for (std::size_t i = 0; i < count; ++i) {
        // Column index of the name in the header row, then the same column of the value row.
        const std::size_t name_length = std::strlen(names[i]);
        int column = -1;
        int index = 0;
        for (const char* p = header + table_length + 1; p < header_end; ++index) {
            while (*p == ' ') ++p;
            const char* word_end = p;
            while (word_end < header_end && *word_end != ' ') ++word_end;
            if (static_cast<std::size_t>(word_end - p) == name_length &&
                std::strncmp(p, names[i], name_length) == 0) {
                column = index;
                break;
            }
            p = word_end;
        }
        if (column < 0) {
            found_all = false;
            continue;
        }
        const char* p = values;
        for (int skip = 0; skip < column && *p != '\n' && *p != '\0'; ++skip) {
            while (*p == ' ') ++p;
            while (*p != ' ' && *p != '\n' && *p != '\0') ++p;
        }
        char* end = nullptr;
        const long long value = std::strtoll(p, &end, 10);
        if (end == p) {
            found_all = false;
            continue;
        }
        out[i] = static_cast<std::uint32_t>(value);
    }
    return found_all;
}

}  // namespace

bool system_random(std::uint8_t* out, std::size_t n) noexcept {
    if (g_fail_system_random.load(std::memory_order_relaxed)) return false;
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::getrandom(out + done, n - done, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done == n || read_urandom(out, n);
}

void fail_system_random(bool fail) noexcept {
    g_fail_system_random.store(fail, std::memory_order_relaxed);
}

std::uint32_t process_id() noexcept {
    return static_cast<std::uint32_t>(::getpid());
}

std::uint32_t thread_id() noexcept {
    return static_cast<std::uint32_t>(::gettid());
}

bool process_start_time(std::uint64_t* ticks) noexcept {
    return stat_start_time("/proc/self/stat", ticks);
}

bool thread_start_time(std::uint64_t* ticks) noexcept {
    return stat_start_time("/proc/thread-self/stat", ticks);
}

void local_time(std::uint8_t out[kLocalTimeSize]) noexcept {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    struct tm parts {};
    ::localtime_r(&now.tv_sec, &parts);
    const int fields[8] = {parts.tm_year + 1900, parts.tm_mon + 1,
                           parts.tm_wday,        parts.tm_mday,
                           parts.tm_hour,        parts.tm_min,
                           parts.tm_sec,         static_cast<int>(now.tv_nsec / 1000000)};
    for (int i = 0; i < 8; ++i) {
        out[2 * i] = static_cast<std::uint8_t>(fields[i]);
        out[2 * i + 1] = static_cast<std::uint8_t>(fields[i] >> 8);
    }
}

std::uint32_t tick_count() noexcept {
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::uint64_t timestamp_delta() noexcept {
#if defined(__x86_64__) || defined(__i386__)
    const std::uint64_t before = __rdtsc();
    ::sched_yield();
    return __rdtsc() - before;
#else
    struct timespec before {
    }, after{};
    ::clock_gettime(CLOCK_MONOTONIC_RAW, &before);
    ::sched_yield();
    ::clock_gettime(CLOCK_MONOTONIC_RAW, &after);
    const auto ns = [](const struct timespec& t) {
        return static_cast<std::uint64_t>(t.tv_sec) * 1000000000u +
               static_cast<std::uint64_t>(t.tv_nsec);
    };
    return ns(after) - ns(before);
#endif
}

bool cpuid(std::uint32_t leaf, CpuidRegisters* out) noexcept {
#if defined(__x86_64__) || defined(__i386__)
    unsigned int a = 0, b = 0, c = 0, d = 0;
    __cpuid_count(leaf, 0, a, b, c, d);
    *out = {a, b, c, d};
    return true;
#else
    (void)leaf;
    *out = {};
    return false;
#endif
}

bool memory_counters(std::uint32_t out[kMemoryCounterCount]) noexcept {
    struct rusage usage {};
    if (::getrusage(RUSAGE_SELF, &usage) != 0) return false;
    char text[256];
    if (read_proc_file("/proc/self/statm", text, sizeof(text)) == 0) return false;
    unsigned long size = 0, resident = 0, shared = 0;
    if (std::sscanf(text, "%lu %lu %lu", &size, &resident, &shared) != 3) return false;
    out[0] = static_cast<std::uint32_t>(usage.ru_maxrss);
    out[1] = static_cast<std::uint32_t>(resident);
    out[2] = static_cast<std::uint32_t>(usage.ru_minflt);
    out[3] = static_cast<std::uint32_t>(shared);
    out[4] = static_cast<std::uint32_t>(size);
    return true;
}

NetworkCounters network_counters() noexcept {
    NetworkCounters counters{};
    char text[8192];
    if (read_proc_file("/proc/net/snmp", text, sizeof(text)) == 0) return counters;
    static const char* const kIp[] = {"InReceives", "InDiscards", "InDelivers", "OutRequests",
                                      "OutDiscards"};
    static const char* const kTcp[] = {"ActiveOpens", "InSegs", "OutSegs", "RetransSegs"};
    static const char* const kUdp[] = {"InDatagrams", "OutDatagrams"};
    counters.ip_present = snmp_values(text, "Ip", kIp, 5, counters.ip);
    counters.tcp_present = snmp_values(text, "Tcp", kTcp, 4, counters.tcp);
    counters.udp_present = snmp_values(text, "Udp", kUdp, 2, counters.udp);
    return counters;
}

std::size_t read_shared_section(const char* name, std::uint8_t* out,
                                std::size_t capacity) noexcept {
    // Read-only and without O_CREAT: the object is looked at only when someone else made it.
    const int fd = ::shm_open(name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) return 0;
    std::size_t done = 0;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        // pread stops at the current end even if the creator shrinks the object meanwhile, where
        // a mapping would fault.
        const std::size_t wanted = static_cast<std::size_t>(info.st_size) < capacity
                                       ? static_cast<std::size_t>(info.st_size)
                                       : capacity;
        while (done < wanted) {
            const ssize_t got = ::pread(fd, out + done, wanted - done, static_cast<off_t>(done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += static_cast<std::size_t>(got);
        }
    }
    ::close(fd);
    return done;
}

std::uintptr_t heap_end() noexcept {
    void* end = ::sbrk(0);
    return end == reinterpret_cast<void*>(-1) ? 0 : reinterpret_cast<std::uintptr_t>(end);
}

std::uintptr_t library_function_address() noexcept {
    return reinterpret_cast<std::uintptr_t>(&::getpid);
}

}  // namespace zlc::platform
