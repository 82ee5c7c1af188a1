#include "crypto/core/module_state.h"

#include <atomic>

#include "zlc.h"

namespace zlc::core {
namespace {

// All clear at start; nothing in the library sets proven or self_test_pending.
std::atomic<std::uint8_t> g_proven{0};
std::atomic<std::uint8_t> g_gate_armed{0};
std::atomic<std::uint8_t> g_self_test_pending{0};

std::atomic<SelfTestSequence> g_sequence{nullptr};

constexpr Status kModeChangeRefused = make_status(Module::ModuleState, 0x01, REASON_MODE_CHANGE_REFUSED);

}  // namespace

bool is_proven() noexcept { return g_proven.load(std::memory_order_relaxed) != 0; }

Status run_self_test_sequence() noexcept {
    SelfTestSequence replacement = g_sequence.load(std::memory_order_relaxed);
    return replacement != nullptr ? replacement() : self_test_sequence();
}

Status pass_gate() noexcept {
    if (g_gate_armed.load(std::memory_order_relaxed) == 0 ||
        g_self_test_pending.load(std::memory_order_relaxed) == 0) {
        return kOk;
    }
    // Disarm while the sequence runs so that the operations it uses are not gated again.
    g_gate_armed.store(0, std::memory_order_relaxed);
    const Status status = run_self_test_sequence();
    if (status == kOk) g_self_test_pending.store(0, std::memory_order_relaxed);
    g_gate_armed.store(1, std::memory_order_relaxed);
    return status;
}

ModuleFlags module_flags() noexcept {
    return {g_proven.load() != 0, g_gate_armed.load() != 0, g_self_test_pending.load() != 0};
}

void set_module_flags(ModuleFlags flags) noexcept {
    g_proven.store(flags.proven ? 1 : 0);
    g_gate_armed.store(flags.gate_armed ? 1 : 0);
    g_self_test_pending.store(flags.self_test_pending ? 1 : 0);
}

SelfTestSequence replace_self_test_sequence(SelfTestSequence sequence) noexcept {
    return g_sequence.exchange(sequence);
}

Status leave_proven_mode() noexcept {
    if (g_self_test_pending.load(std::memory_order_relaxed) == 0) return kModeChangeRefused;
    g_proven.store(0, std::memory_order_relaxed);
    return kOk;
}

}  // namespace zlc::core

extern "C" {

ZLC_API uint8_t ZLC_Is_Proven(void) ZLC_NOEXCEPT { return zlc::core::is_proven() ? 1 : 0; }

ZLC_API uint32_t ZLC_Change_Non_Proven_Mode(void) ZLC_NOEXCEPT {
    // Leaving proven mode is allowed only while the self-test has not yet completed.
    return zlc::core::leave_proven_mode();
}

ZLC_API uint32_t ZLC_Crypto_Initialize(void) ZLC_NOEXCEPT { return zlc::core::pass_gate(); }

ZLC_API const char* ZLC_Get_Crypto_Version(void) ZLC_NOEXCEPT { return "5.2.0"; }

}  // extern "C"
