#pragma once

#include <cstdint>

#include "system/ResultCode.h"

namespace Mms {

class VMD;

// The one way to take a VMD's model lock: held from construction until Release or the end
// of the scope. The lock is not re-entrant; in debug and sanitizer builds a thread that
// takes it while it holds it already stops the program with a message instead of waiting
// for itself for ever. A null VMD gives a hold of nothing: objects made without one meet
// no other thread.
//
// Lookups that walk the model under their caller's lock take a hold as their first
// parameter, so that a walk without one does not compile. Nothing calls back into the
// application, waits for an answer or calls an operation that takes the lock itself while
// a hold is held: such work comes after the scope, or after Release.
class ModelHold {
public:
    // Waits without a time limit.
    explicit ModelHold(const VMD* vmd);
    // Waits at most waitMs milliseconds (0: without a limit).
    ModelHold(const VMD* vmd, std::uint32_t waitMs);
    ~ModelHold();
    ModelHold(const ModelHold&) = delete;
    ModelHold& operator=(const ModelHold&) = delete;

    // OkNoError when the lock was taken (or there was none to take); Timeout or Error (an
    // unusable lock) when it was not, and nothing is held.
    System::ResultCode GetResult() const { return result_; }
    bool Taken() const { return result_ == System::OkNoError; }
    // Gives the lock back before the scope ends; after that the hold guards nothing and
    // a second Release does nothing.
    void Release();

private:
    const VMD* held_ = nullptr;
    System::ResultCode result_ = System::OkNoError;
};

}  // namespace Mms
