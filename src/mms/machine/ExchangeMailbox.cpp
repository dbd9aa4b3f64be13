#include "mms/machine/ExchangeMailbox.h"

#include <algorithm>
#include <chrono>

namespace Mms {

void ExchangeMailbox::Put(std::uint32_t generation, std::unique_ptr<System::Message> message) {
    // Notified under the lock: a woken exchange may end its connection at once.
    std::lock_guard lock(mutex_);
    // What generations before the last left behind is nobody's any more; the last one's
    // stays for an exchange of it that has yet to wake (a conclude held across an abort).
    std::erase_if(messages_, [generation](const auto& entry) { return entry.first + 1 < generation; });
    messages_.emplace_back(generation, std::move(message));
    filed_.notify_all();
}

std::optional<std::unique_ptr<System::Message>> ExchangeMailbox::Take(std::uint32_t generation,
                                                                      std::uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    auto mine = [&] {
        return std::find_if(messages_.begin(), messages_.end(),
                            [generation](const auto& entry) { return entry.first == generation; });
    };
    auto filed = [&] { return mine() != messages_.end(); };
    if (timeoutMs == 0) {
        filed_.wait(lock, filed);
    } else if (!filed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), filed)) {
        return std::nullopt;
    }
    const auto found = mine();
    std::unique_ptr<System::Message> message = std::move(found->second);
    messages_.erase(found);
    return message;
}

}  // namespace Mms
