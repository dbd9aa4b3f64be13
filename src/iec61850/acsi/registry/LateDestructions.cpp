#include "iec61850/acsi/registry/LateDestructions.h"

namespace Iec61850::Acsi {

void LateDestructions::Start(std::function<void()> destroy) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard lock(mutex_);
    // Those that have finished are joined as the next comes.
    std::erase_if(destroyers_, [](Destroyer& destroyer) {
        if (!destroyer.done->load()) return false;
        destroyer.thread.join();
        return true;
    });
    destroyers_.push_back({std::thread([destroy = std::move(destroy), done]() mutable {
                               destroy();
                               destroy = nullptr;
                               done->store(true);
                           }),
                           done, std::this_thread::get_id()});
}

void LateDestructions::JoinAll() {
    std::vector<Destroyer> destroyers;
    {
        std::lock_guard lock(mutex_);
        destroyers.swap(destroyers_);
    }
    for (Destroyer& destroyer : destroyers) {
        if (destroyer.deferredBy == std::this_thread::get_id() && !destroyer.done->load()) destroyer.thread.detach();
        else destroyer.thread.join();
    }
}

}  // namespace Iec61850::Acsi
