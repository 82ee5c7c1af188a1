#pragma once
// RAII wrappers over the library's internal test seams, so every test leaves the process as it
// found it.
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

class PortablePathsScope {
  public:
    explicit PortablePathsScope(bool force) { platform::force_portable_paths(force); }
    ~PortablePathsScope() { platform::force_portable_paths(false); }
};

// The kernel's generator delivers nothing while the scope lasts.
class SystemRandomFailureScope {
  public:
    SystemRandomFailureScope() { platform::fail_system_random(true); }
    ~SystemRandomFailureScope() { platform::fail_system_random(false); }
};

}  // namespace zlc::test
