#pragma once

// Holds an association's next request at the last point before its frame goes down the
// chain, until released: a sender descheduled on its way down, made by construction.

#include <atomic>
#include <cstdint>

#include "iec61850/association/ThreadHold.h"
#include "mms/machine/MmsConnection.h"
#include "mms/machine/RequestHandle.h"

namespace AcsiClientTest {

class SendHold : public ThreadHold {
public:
    void Arm(Mms::MmsConnection& mms) {
        mms.SetSendHook([this](const Mms::RequestHandle& request) {
            // Only the first request is held, and only its id is noted.
            if (taken_.exchange(true)) return;
            heldId_.store(request.GetInvokeId());
            Reach();
        });
    }
    std::uint32_t HeldId() const { return heldId_.load(); }

private:
    std::atomic<bool> taken_{false};
    std::atomic<std::uint32_t> heldId_{0};
};

}  // namespace AcsiClientTest
