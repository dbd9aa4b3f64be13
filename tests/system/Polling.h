#pragma once

#include <chrono>
#include <thread>

namespace TestSupport {

// Polls until the condition holds or the (generous) limit passes; the limit only
// keeps a broken build from hanging, it is not a timing assertion.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Lets time pass in which a fault could show: a thread that should stay blocked
// returns, an event that should not come arrives, a timer that should be dead fires.
// The test passes whether or not the other thread got that far within the window, so
// this never orders threads; it only gives a fault the chance to be seen. Whatever
// must happen is waited for with Eventually or through the event itself.
inline void LeaveTimeForAFaultToShow(std::chrono::milliseconds window) { std::this_thread::sleep_for(window); }

inline std::chrono::milliseconds ElapsedSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

}  // namespace TestSupport
