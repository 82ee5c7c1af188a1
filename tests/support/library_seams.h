#pragma once
// RAII wrappers over the library's internal test seams, so every test leaves the process as it
// found it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/core/memory.h"
#include "crypto/core/module_state.h"
#include "crypto/platform/cpu.h"
#include "crypto/platform/entropy_sources.h"

namespace zlc::test {

class ModuleFlagsScope {
  public:
    explicit ModuleFlagsScope(core::ModuleFlags flags, core::SelfTestSequence sequence = nullptr)
        : saved_flags_(core::module_flags()),
          saved_sequence_(core::replace_self_test_sequence(sequence)) {
        core::set_module_flags(flags);
    }
    ~ModuleFlagsScope() {
        core::set_module_flags(saved_flags_);
        core::replace_self_test_sequence(saved_sequence_);
    }
    ModuleFlagsScope(const ModuleFlagsScope&) = delete;
    ModuleFlagsScope& operator=(const ModuleFlagsScope&) = delete;

  private:
    core::ModuleFlags saved_flags_;
    core::SelfTestSequence saved_sequence_;
};

// Proven mode on, gate idle.
inline core::ModuleFlags proven_mode() {
    return {true, false, false};
}

class FailAllocationsScope {
  public:
    explicit FailAllocationsScope(long succeed_first) {
        mem::fail_allocations_after(succeed_first);
    }
    ~FailAllocationsScope() { mem::fail_allocations_after(-1); }
};

// Permits the library's paths only these processor features while alive.
class FeaturesScope {
  public:
    explicit FeaturesScope(platform::FeatureMask permitted) {
        platform::permit_features(permitted);
    }
    ~FeaturesScope() { platform::permit_features(platform::kEveryFeature); }
    FeaturesScope(const FeaturesScope&) = delete;
    FeaturesScope& operator=(const FeaturesScope&) = delete;
};

// The best paths the machine has, or the portable ones of every family.
class PortablePathsScope : public FeaturesScope {
  public:
    explicit PortablePathsScope(bool portable)
        : FeaturesScope(portable ? 0 : platform::kEveryFeature) {}
};

// One path of a family that this machine can run, as a test parameter.
struct MachinePath {
    std::string name;
    platform::FeatureMask needs;
};

template <class Ops>
std::vector<MachinePath> machine_paths(const platform::PathChoice<Ops>& choice) {
    std::vector<MachinePath> out;
    for (const auto& p : choice.paths()) {
        if ((p.needs & ~platform::detected_features()) == 0) out.push_back({p.name, p.needs});
    }
    return out;
}

inline void PrintTo(const MachinePath& path, std::ostream* os) {
    *os << path.name;
}

inline std::string path_name(const ::testing::TestParamInfo<MachinePath>& info) {
    return info.param.name;
}

// Runs a test on one path: permits exactly what the path needs and checks that the family took it.
class OnPath : public ::testing::TestWithParam<MachinePath> {
  protected:
    template <class Ops>
    static void expect_chosen(platform::PathChoice<Ops>& choice) {
        EXPECT_EQ(std::string(choice.path().name), GetParam().name);
    }

    FeaturesScope features_{GetParam().needs};
};

// The kernel's generator delivers nothing while the scope lasts.
class SystemRandomFailureScope {
  public:
    SystemRandomFailureScope() { platform::fail_system_random(true); }
    ~SystemRandomFailureScope() { platform::fail_system_random(false); }
};

}  // namespace zlc::test
