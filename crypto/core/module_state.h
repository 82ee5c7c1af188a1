#pragma once
// Process-wide module state: proven mode and the self-test gate.
#include <cstdint>

#include "crypto/core/status.h"

namespace zlc::core {

bool is_proven() noexcept;

// The self-test gate: 0 when the gate does not run or the self-test passes, otherwise the
// self-test's status unchanged.
[[nodiscard]] Status pass_gate() noexcept;

// Clears proven mode while a self-test is pending; refuses otherwise.
[[nodiscard]] Status leave_proven_mode() noexcept;

// The self-test sequence the gate runs: the library's own unless a test replaced it.
[[nodiscard]] Status run_self_test_sequence() noexcept;

// The library's power-up self-test sequence. Defined by the self-test layer (crypto/selftest),
// which sits above every family it exercises, so the core reaches it through this declaration
// alone.
[[nodiscard]] Status self_test_sequence() noexcept;

// Internal seams for tests.
struct ModuleFlags {
    bool proven;
    bool gate_armed;
    bool self_test_pending;
};
ModuleFlags module_flags() noexcept;
void set_module_flags(ModuleFlags flags) noexcept;
using SelfTestSequence = Status (*)();
// Replaces the sequence the gate runs; null restores the library's own. Returns the previous one.
SelfTestSequence replace_self_test_sequence(SelfTestSequence sequence) noexcept;

}  // namespace zlc::core
