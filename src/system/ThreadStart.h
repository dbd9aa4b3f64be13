#pragma once

#include <functional>
#include <thread>

namespace System {

// Starts a thread that runs the work (taken from the caller): true. The system may refuse a
// thread (std::system_error out of std::thread, when the process or the machine has no
// more): false, the work has not run and is left with the caller as it was (what it holds is
// not let go here, on the caller's thread), and nothing is thrown, so a start inside a
// callback cannot throw through the library.
bool TryStartThread(std::function<void()>& work, std::thread& started);

// While one lives, every TryStartThread of the process is refused as such a system would
// refuse it: how tests reach the paths that a refusal takes.
class RefusedThreadStarts {
public:
    RefusedThreadStarts();
    ~RefusedThreadStarts();
    RefusedThreadStarts(const RefusedThreadStarts&) = delete;
    RefusedThreadStarts& operator=(const RefusedThreadStarts&) = delete;
};

}  // namespace System
