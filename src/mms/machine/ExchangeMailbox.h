#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "system/Message.h"

namespace Mms {

// What the initiate and conclude exchanges wait for: the peer's answer, or the news that
// their association was aborted. Each message is filed under the generation of the
// association it belongs to, and an exchange takes only its own generation's: a
// conclude held across an abort and a new association never takes the new initiate's
// answer, and never leaves it without one. What a generation leaves untaken is dropped
// once a message comes for the second generation after it.
class ExchangeMailbox {
public:
    ExchangeMailbox() = default;
    ExchangeMailbox(const ExchangeMailbox&) = delete;
    ExchangeMailbox& operator=(const ExchangeMailbox&) = delete;

    // Files the message (null: a wake-up that carries nothing) for the generation.
    void Put(std::uint32_t generation, std::unique_ptr<System::Message> message);
    // Waits up to timeoutMs (0: without limit) for a message of the generation; nothing
    // when none came in time.
    std::optional<std::unique_ptr<System::Message>> Take(std::uint32_t generation, std::uint32_t timeoutMs);

private:
    std::mutex mutex_;
    std::condition_variable filed_;
    std::deque<std::pair<std::uint32_t, std::unique_ptr<System::Message>>> messages_;
};

}  // namespace Mms
