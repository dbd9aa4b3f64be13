#pragma once

#include <atomic>

namespace Mms {

// Requests one caller makes together (a model read, the value reads before an export),
// which it may take back together once it no longer wants them: after Withdraw, a request
// of the group that has not been entered as pending never is, and its maker has it
// confirmed with Cancelled. One already sent runs its course: its answer (or the end of
// its association) confirms it as usual.
//
// Shared by its requests, which may outlive the caller (a request is confirmed after its
// maker has moved on). Withdraw is final and may be called from any thread.
class RequestGroup {
public:
    void Withdraw() { withdrawn_.store(true); }
    bool IsWithdrawn() const { return withdrawn_.load(); }

private:
    std::atomic<bool> withdrawn_{false};
};

}  // namespace Mms
