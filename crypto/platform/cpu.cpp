#include "crypto/platform/cpu.h"

namespace zlc::platform {

#ifdef ZLC_X86_64
FeatureMask detect_x86_features() noexcept;  // cpu_x86.cpp
#endif

namespace {

FeatureMask detect() noexcept {
#ifdef ZLC_X86_64
    return detect_x86_features();
#else
    // The hardware paths are x86-64 code: elsewhere every family runs its portable path.
    return 0;
#endif
}

std::atomic<FeatureMask> g_permitted{kEveryFeature};

// Guards the list of choices and orders a choice against a change of the permitted features.
std::mutex g_choices_lock;
constinit PathChoiceBase* g_choices = nullptr;

}  // namespace

FeatureMask detected_features() noexcept {
    static const FeatureMask detected = detect();
    return detected;
}

FeatureMask usable_features() noexcept {
    return detected_features() & g_permitted.load(std::memory_order_relaxed);
}

std::unique_lock<std::mutex> PathChoiceBase::enlist() noexcept {
    std::unique_lock lock(g_choices_lock);
    if (!listed_) {
        next_ = g_choices;
        g_choices = this;
        listed_ = true;
    }
    return lock;
}

void permit_features(FeatureMask permitted) noexcept {
    const std::lock_guard lock(g_choices_lock);
    g_permitted.store(permitted, std::memory_order_relaxed);
    for (PathChoiceBase* c = g_choices; c != nullptr; c = c->next_) {
        c->chosen_.store(nullptr, std::memory_order_release);
    }
}

}  // namespace zlc::platform
