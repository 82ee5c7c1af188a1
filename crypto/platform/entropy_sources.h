#pragma once
// Operating-system values the entropy collector and the seed pool mix in. Each source reports
// whether it delivered anything; none of them fails loudly.
#include <cstddef>
#include <cstdint>

namespace zlc::platform {

// Fills n bytes from the kernel's generator (getrandom, else /dev/urandom); false when neither
// delivers all of them.
[[nodiscard]] bool system_random(std::uint8_t* out, std::size_t n) noexcept;

// Internal seam for tests: while set, system_random delivers nothing, as on a machine without
// a kernel generator.
void fail_system_random(bool fail) noexcept;

std::uint32_t process_id() noexcept;
std::uint32_t thread_id() noexcept;

// Start times in clock ticks since boot; false when the kernel does not tell.
[[nodiscard]] bool process_start_time(std::uint64_t* ticks) noexcept;
[[nodiscard]] bool thread_start_time(std::uint64_t* ticks) noexcept;

// Local date and time as eight little-endian 16-bit fields: year, month, day of week (Sunday 0),
// day, hour, minute, second, millisecond.
inline constexpr std::size_t kLocalTimeSize = 16;
void local_time(std::uint8_t out[kLocalTimeSize]) noexcept;

// Milliseconds of a monotonic clock, truncated to 32 bits.
std::uint32_t tick_count() noexcept;

// Time-stamp counter difference around one yield of the processor (a raw monotonic clock in
// nanoseconds where there is no such counter).
std::uint64_t timestamp_delta() noexcept;

// CPUID of one leaf (sub-leaf 0); false on processors without the instruction.
struct CpuidRegisters {
    std::uint32_t eax, ebx, ecx, edx;
};
[[nodiscard]] bool cpuid(std::uint32_t leaf, CpuidRegisters* out) noexcept;

// Five memory counters of this process: peak resident size, resident size, minor faults, shared
// pages, virtual size.
inline constexpr std::size_t kMemoryCounterCount = 5;
[[nodiscard]] bool memory_counters(std::uint32_t out[kMemoryCounterCount]) noexcept;

// Protocol counters of the IP, TCP and UDP tables, low 32 bits each; a table the kernel does not
// report is marked absent.
struct NetworkCounters {
    bool ip_present, tcp_present, udp_present;
    // InReceives, InDiscards, InDelivers, OutRequests, OutDiscards
    std::uint32_t ip[5];
    // ActiveOpens, InSegs, OutSegs, RetransSegs
    std::uint32_t tcp[4];
    // InDatagrams, OutDatagrams
    std::uint32_t udp[2];
};
NetworkCounters network_counters() noexcept;

// Reads at most `capacity` bytes of the named shared-memory object, only if another process
// created it; never past its size. Returns the bytes read.
std::size_t read_shared_section(const char* name, std::uint8_t* out, std::size_t capacity) noexcept;

// Where this process's heap currently ends; 0 when unknown.
std::uintptr_t heap_end() noexcept;

// The address at which a shared C library function was loaded (randomised per process).
std::uintptr_t library_function_address() noexcept;

}  // namespace zlc::platform
