#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace Iec61850::Acsi {

// What a registry removes on a thread of the library, destroyed on a thread of its own: there
// the destruction would wait for threads that may be waiting for the calling thread (its
// callback). Each destruction holds its object and nothing of the registry.
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
    // may wait for this thread to leave a callback, and finishes on its own.
    void JoinAll();

private:
    void Start(std::function<void()> destroy);

    struct Destroyer {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
        // The thread whose callback the destruction may wait for.
        std::thread::id deferredBy;
    };

    std::mutex mutex_;
    std::vector<Destroyer> destroyers_;
};

}  // namespace Iec61850::Acsi
