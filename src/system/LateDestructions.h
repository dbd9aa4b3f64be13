#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace System {

// What a library thread lets go of, destroyed on a thread of its own: there the destruction
// would wait for threads that may be waiting for the calling thread (its callback). Each
// destruction holds its object and nothing of its owner.
//
// When the system refuses a thread, the destruction waits (it never runs on the thread that
// deferred it): the next Destroy tries again for it, and JoinAll runs it on its own thread
// where that is safe.
class LateDestructions {
public:
    LateDestructions() = default;
    ~LateDestructions() { JoinAll(); }
    LateDestructions(const LateDestructions&) = delete;
    LateDestructions& operator=(const LateDestructions&) = delete;

    template <typename T>
    void Destroy(std::unique_ptr<T> object) {
        Start([held = std::shared_ptr<T>(std::move(object))]() mutable { held.reset(); });
    }
    // Waits for every destruction, except one begun on this thread that has not finished: it
    // may wait for this thread to leave a callback, and finishes on its own. One still waiting
    // for a thread runs here, unless this thread deferred it; then it gets one more try, and
    // is left undone (its object never destroyed) when the system still refuses: a leak is
    // sounder than a destruction that waits for its own caller.
    void JoinAll();

private:
    struct Waiting {
        std::function<void()> destroy;
        // The thread whose callback the destruction may wait for.
        std::thread::id deferredBy;
    };
    struct Destroyer {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
        std::thread::id deferredBy;
    };

    void Start(std::function<void()> destroy);
    // A thread for the destruction (mutex_ held); false, the destruction left in `waiting`,
    // when the system refuses one.
    bool StartLocked(Waiting& waiting);
    // Tries again for each destruction still waiting for a thread (mutex_ held).
    void StartWaitingLocked();

    std::mutex mutex_;
    std::vector<Destroyer> destroyers_;
    std::vector<Waiting> waiting_;
};

}  // namespace System
