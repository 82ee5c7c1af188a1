#include "crypto/platform/cpu.h"

#include <atomic>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace zlc::platform {
namespace {

#if defined(__x86_64__) || defined(__i386__)
unsigned long long read_xcr0() {
    unsigned int lo = 0;
    unsigned int hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<unsigned long long>(hi) << 32) | lo;
}

CpuFeatures detect() {
    CpuFeatures f;
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return f;
    f.ssse3 = (c & bit_SSSE3) != 0;
    f.sse41 = (c & bit_SSE4_1) != 0;
    f.pclmul = (c & bit_PCLMUL) != 0;
    f.aesni = (c & bit_AES) != 0;
    const bool osxsave = (c & bit_OSXSAVE) != 0;
    const unsigned long long xcr0 = osxsave ? read_xcr0() : 0;
    const bool ymm_state = (xcr0 & 0x6) == 0x6;
    const bool zmm_state = (xcr0 & 0xE6) == 0xE6;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return f;
    f.sha = (b & bit_SHA) != 0;
    f.bmi2 = (b & bit_BMI2) != 0;
    f.adx = (b & bit_ADX) != 0;
    f.avx2 = ymm_state && (b & bit_AVX2) != 0;
    f.avx512f = zmm_state && (b & bit_AVX512F) != 0;
    f.avx512bw = zmm_state && (b & bit_AVX512BW) != 0;
    f.avx512vl = zmm_state && (b & bit_AVX512VL) != 0;
    f.vaes = ymm_state && (c & bit_VAES) != 0;
    f.vpclmul = ymm_state && (c & bit_VPCLMULQDQ) != 0;
    f.gfni = (c & bit_GFNI) != 0;
    return f;
}
#else
CpuFeatures detect() { return {}; }
#endif

std::atomic<bool> g_force_portable{false};
const CpuFeatures kPortable{};

}  // namespace

const CpuFeatures& cpu_features() noexcept {
    static const CpuFeatures detected = detect();
    return g_force_portable.load(std::memory_order_relaxed) ? kPortable : detected;
}

void force_portable_paths(bool force) noexcept {
    g_force_portable.store(force, std::memory_order_relaxed);
}

}  // namespace zlc::platform
