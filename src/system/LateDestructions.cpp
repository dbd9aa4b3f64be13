#include "system/LateDestructions.h"

#include "system/ThreadStart.h"

namespace System {

bool LateDestructions::StartLocked(Waiting& waiting) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::function<void()> run = [destroy = std::move(waiting.destroy), done]() mutable {
        destroy();
        destroy = nullptr;
        done->store(true);
    };
    std::thread thread;
    if (TryStartThread(run, thread)) {
        destroyers_.push_back({std::move(thread), std::move(done), waiting.deferredBy});
        return true;
    }
    // Handed back untouched, and kept for the next try.
    waiting.destroy = std::move(run);
    return false;
}

void LateDestructions::Start(std::function<void()> destroy) {
    std::lock_guard lock(mutex_);
    // Those that have finished are joined as the next comes.
    std::erase_if(destroyers_, [](Destroyer& destroyer) {
        if (!destroyer.done->load()) return false;
        destroyer.thread.join();
        return true;
    });
    waiting_.push_back({std::move(destroy), std::this_thread::get_id()});
    // Those the system refused a thread before are tried again with this one.
    StartWaitingLocked();
}

void LateDestructions::StartWaitingLocked() {
    std::vector<Waiting> refused;
    for (Waiting& waiting : waiting_) {
        if (!StartLocked(waiting)) refused.push_back(std::move(waiting));
    }
    waiting_.swap(refused);
}

void LateDestructions::JoinAll() {
    std::vector<Destroyer> destroyers;
    std::vector<Waiting> waiting;
    {
        std::lock_guard lock(mutex_);
        StartWaitingLocked();
        destroyers.swap(destroyers_);
        waiting.swap(waiting_);
    }
    for (Destroyer& destroyer : destroyers) {
        if (destroyer.deferredBy == std::this_thread::get_id() && !destroyer.done->load()) destroyer.thread.detach();
        else destroyer.thread.join();
    }
    const std::thread::id self = std::this_thread::get_id();
    for (Waiting& each : waiting) {
        if (each.deferredBy != self) each.destroy();
        // Left undone on purpose: destroying what it holds here is what it was deferred from.
        else new std::function<void()>(std::move(each.destroy));
    }
}

}  // namespace System
