#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>

#include "iec61850/acsi/client/Service.h"
#include "system/ResultCode.h"

namespace AcsiClientTest {

// Counts confirmations by their result: invoke ids repeat from one association to the
// next, so a request raced against an ending is known only by being counted. A client
// derives from it and counts in its confirmation callbacks.
class ConfirmationTally {
public:
    explicit ConfirmationTally(std::chrono::milliseconds deadline) : deadline_(deadline) {}

    bool WaitForTotal(std::size_t total) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, deadline_, [&] { return total_ >= total; });
    }
    std::size_t Total() const {
        std::lock_guard lock(mutex_);
        return total_;
    }
    std::map<System::ResultCode, std::size_t> ByResult() const {
        std::lock_guard lock(mutex_);
        return byResult_;
    }

protected:
    std::int32_t Count(Iec61850::Acsi::Service& service) {
        std::lock_guard lock(mutex_);
        ++total_;
        ++byResult_[service.GetResult()];
        changed_.notify_all();
        return 0;
    }

private:
    const std::chrono::milliseconds deadline_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t total_ = 0;
    std::map<System::ResultCode, std::size_t> byResult_;
};

}  // namespace AcsiClientTest
