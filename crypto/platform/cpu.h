#pragma once

namespace zlc::platform {

// Instruction-set extensions usable by this process (CPUID bits confirmed by the OS's XSAVE state).
struct CpuFeatures {
    bool ssse3 = false;
    bool sse41 = false;
    bool pclmul = false;
    bool aesni = false;
    bool sha = false;
    bool avx2 = false;
    bool bmi2 = false;
    bool adx = false;
    bool avx512f = false;
    bool avx512bw = false;
    bool avx512vl = false;
    bool vaes = false;
    bool vpclmul = false;
    bool gfni = false;
};

// The features the library's dispatchers should use: what the CPU offers, or nothing at all
// while the portable paths are forced.
const CpuFeatures& cpu_features() noexcept;

// Internal seam for tests: force every dispatcher onto its portable path.
void force_portable_paths(bool force) noexcept;

}  // namespace zlc::platform
