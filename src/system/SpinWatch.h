#pragma once

#include <chrono>

namespace System {

// Tells the processor that this is a spin-wait loop (lets a sibling hardware thread run).
inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Looks at `ready` without sleeping for up to `spin`: whether it came to hold. For a
// waiter that expects what it waits for within microseconds, where the sleep and the
// wake-up would cost more than the wait itself; the spin is the CPU time it may cost
// when nothing comes.
template <typename Ready>
bool WatchFor(std::chrono::nanoseconds spin, Ready ready) {
    if (spin.count() <= 0) return ready();
    const auto until = std::chrono::steady_clock::now() + spin;
    for (unsigned checks = 1; !ready(); ++checks) {
        CpuRelax();
        // The clock is read now and then only: it costs more than a look at the flag.
        if (checks % 32 == 0 && std::chrono::steady_clock::now() >= until) return ready();
    }
    return true;
}

}  // namespace System
