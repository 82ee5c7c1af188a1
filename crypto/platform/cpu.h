#pragma once
// Instruction-set extensions and the choice of each family's implementation among them.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>

namespace zlc::platform {

// Extensions usable by this process (CPUID bits confirmed by the OS's XSAVE state), as mask bits.
enum Feature : std::uint32_t {
    kSsse3 = 1u << 0,
    kSse41 = 1u << 1,
    kPclmul = 1u << 2,
    kAesni = 1u << 3,
    kSha = 1u << 4,
    kAvx2 = 1u << 5,
    kBmi2 = 1u << 6,
    kAdx = 1u << 7,
    kAvx512f = 1u << 8,
    kAvx512bw = 1u << 9,
    kAvx512vl = 1u << 10,
    kVaes = 1u << 11,
    kVpclmul = 1u << 12,
    kGfni = 1u << 13,
    kAvx512ifma = 1u << 14,
};
using FeatureMask = std::uint32_t;
inline constexpr FeatureMask kEveryFeature = ~FeatureMask{0};

// What the processor offers, detected once (nothing on processors without hardware paths).
FeatureMask detected_features() noexcept;

// What the paths may use: the detected features that the seam below permits.
FeatureMask usable_features() noexcept;

// Internal seam for tests: permit only these features (kEveryFeature restores the default), so that
// every path a family has can be run on a machine that has the features of several.
void permit_features(FeatureMask permitted) noexcept;

// One implementation of a family's operations and the features it needs.
template <class Ops>
struct Path {
    const char* name;
    FeatureMask needs;
    Ops ops;
};

// The bookkeeping every choice shares: a list of the choices made so far, which the seam clears.
class PathChoiceBase {
  protected:
    constexpr PathChoiceBase() = default;
    // Holds the lock of the list and puts this choice on it once.
    [[nodiscard]] std::unique_lock<std::mutex> enlist() noexcept;

    std::atomic<const void*> chosen_{nullptr};

  private:
    friend void permit_features(FeatureMask permitted) noexcept;
    PathChoiceBase* next_ = nullptr;
    bool listed_ = false;
};

// A family's paths, best first, the last needing nothing. The first whose needs are usable is taken
// at first use and kept until the permitted features change.
template <class Ops>
class PathChoice : PathChoiceBase {
  public:
    template <std::size_t N>
    constexpr explicit PathChoice(const Path<Ops> (&paths)[N]) : paths_(paths) {
        static_assert(N > 0);
    }

    const Path<Ops>& path() noexcept {
        const void* chosen = chosen_.load(std::memory_order_acquire);
        return chosen != nullptr ? *static_cast<const Path<Ops>*>(chosen) : choose();
    }
    const Ops& ops() noexcept { return path().ops; }
    std::span<const Path<Ops>> paths() const noexcept { return paths_; }

  private:
    [[gnu::noinline]] const Path<Ops>& choose() noexcept {
        const auto lock = enlist();
        const FeatureMask usable = usable_features();
        const Path<Ops>* chosen = &paths_.back();
        for (const Path<Ops>& p : paths_) {
            if ((p.needs & ~usable) == 0) {
                chosen = &p;
                break;
            }
        }
        chosen_.store(chosen, std::memory_order_release);
        return *chosen;
    }

    std::span<const Path<Ops>> paths_;
};

}  // namespace zlc::platform
