// Feature detection on x86-64: CPUID, and XGETBV for the register state the OS saves.
#include <cpuid.h>

#include "crypto/platform/cpu.h"

namespace zlc::platform {
namespace {

unsigned long long read_xcr0() {
    unsigned int lo = 0;
    unsigned int hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<unsigned long long>(hi) << 32) | lo;
}

FeatureMask bit_if(bool present, Feature f) {
    return present ? FeatureMask{f} : 0;
}

}  // namespace

FeatureMask detect_x86_features() noexcept {
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return 0;
    FeatureMask f = bit_if((c & bit_SSSE3) != 0, kSsse3) | bit_if((c & bit_SSE4_1) != 0, kSse41) |
                    bit_if((c & bit_PCLMUL) != 0, kPclmul) | bit_if((c & bit_AES) != 0, kAesni);
    const bool osxsave = (c & bit_OSXSAVE) != 0;
    const unsigned long long xcr0 = osxsave ? read_xcr0() : 0;
    const bool ymm_state = (xcr0 & 0x6) == 0x6;
    const bool zmm_state = (xcr0 & 0xE6) == 0xE6;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return f;
    f |= bit_if((b & bit_SHA) != 0, kSha) | bit_if((b & bit_BMI2) != 0, kBmi2) |
         bit_if((b & bit_ADX) != 0, kAdx) | bit_if(ymm_state && (b & bit_AVX2) != 0, kAvx2) |
         bit_if(zmm_state && (b & bit_AVX512F) != 0, kAvx512f) |
         bit_if(zmm_state && (b & bit_AVX512BW) != 0, kAvx512bw) |
         bit_if(zmm_state && (b & bit_AVX512VL) != 0, kAvx512vl) |
         bit_if(zmm_state && (b & bit_AVX512IFMA) != 0, kAvx512ifma) |
         bit_if(ymm_state && (c & bit_VAES) != 0, kVaes) |
         bit_if(ymm_state && (c & bit_VPCLMULQDQ) != 0, kVpclmul) |
         bit_if((c & bit_GFNI) != 0, kGfni);
    return f;
}

}  // namespace zlc::platform
