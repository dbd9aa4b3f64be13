#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "protocol/Connection.h"
#include "system/QueueTimer.h"
#include "system/ResultCode.h"

// A bound on one phase of a responder's connection set-up, kept by the connection that
// sees the phase begin and end: COTP from the accepted socket to the CR, the session from
// its CC to the answered connect. It is armed once, as the phase begins, and settled as it
// ends; when it runs out first, the transport at the bottom of the owner's chain is hung
// up, its receive thread carries the end up the chain as for a peer's close, and the slot
// is free for the next connect. What the peer sends within the phase never re-arms it, so
// a peer that sends nothing, half a packet or one octet at a time holds a slot no longer
// than the bound.
//
// Arm, Settle and Retire may be called from any thread but the timer thread; the hang-up
// runs on the timer thread and takes no lock of the owner.
class ResponderDeadline : public System::QueueTimer {
public:
    static constexpr std::uint32_t DefaultBoundMs = 10000;

    explicit ResponderDeadline(Protocol::Connection& owner) : owner_(owner) {}
    ~ResponderDeadline() override;

    // The bound in milliseconds, as decimal text of at least 1 (InvalidArguments
    // otherwise, the bound unchanged). It holds from the next Arm on.
    System::ResultCode SetBound(std::string_view text);
    std::string GetBoundText() const;
    // The phase begins: the bound runs from now (after Retire: nothing).
    void Arm();
    // The phase has ended, or the connection has: nothing is hung up.
    void Settle();
    // The owner goes: settled for good, so that nothing reaches its chain any more.
    // Called before the owner lets go of the chain below.
    void Retire();

    // The phase ran out: the owner's transport is hung up.
    void Expire() override;

private:
    Protocol::Connection& owner_;
    std::atomic<std::uint32_t> boundMs_{DefaultBoundMs};
    std::mutex mutex_;
    bool retired_ = false;
};
