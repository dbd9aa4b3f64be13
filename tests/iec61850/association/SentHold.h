#pragma once

// Holds an association's own thread once the next unit it sends is on the socket, before its
// send is over, until released: a sender descheduled right after its write, made by
// construction. What the device answers meanwhile finds the request still being sent.

#include <atomic>

#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/association/ThreadHold.h"
#include "osi/TcpConnection.h"

namespace AcsiClientTest {

class SentHold : public ThreadHold {
public:
    // Set while the association sends nothing; Disarm before the hold goes.
    void Arm(Iec61850::Acsi::TPAppAssociation& association) {
        tcp_ = dynamic_cast<TcpConnection*>(association.GetBottom());
        if (tcp_ == nullptr) return;
        tcp_->SetStepHook([this, &association](TcpConnection::Step step) {
            if (step == TcpConnection::Step::Sent && association.IsTaskThread() && !taken_.exchange(true)) Reach();
        });
    }
    void Disarm() {
        if (tcp_ != nullptr) tcp_->SetStepHook(nullptr);
    }

private:
    TcpConnection* tcp_ = nullptr;
    std::atomic<bool> taken_{false};
};

}  // namespace AcsiClientTest
