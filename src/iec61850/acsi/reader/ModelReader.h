#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "mms/machine/RequestGroup.h"

namespace Iec61850::Acsi {

class RClient;
class TPAppAssociation;

// How far a model read has come: the server's object counts, any state.
struct ModelProgress {
    std::uint32_t logicalNodes = 0;
    std::uint32_t logicalDevices = 0;
    std::uint32_t dataObjects = 0;
    std::uint32_t allObjects = 0;
    // Data sets whose members the model does not all hold (left incomplete).
    std::uint32_t incompleteDataSets = 0;
};

// The loop that reads a device's whole model through an RClient after association:
// IsModelRead, then ReadModelStep and a wait of up to 800 ms for any confirmation, until
// the model is read. The next step follows as soon as a confirmation arrives, or at once
// when a step moved states on without asking anything.
//
// Run's results: 0 the model is read; 16 the model is read but some data set is incomplete
// (a member names nothing the model holds; the progress counts them); 8 the association was lost; 12 the device answered
// nothing for the MMS time-out of the profile (plus one wait, so that a request that was
// sent last has timed out first, or the association was aborted because its link stalled);
// 9 Stop was called; 1 the model lock failed, or stayed busy for as long (the reader waits
// for it RClient::ReaderLockWaitMs at a time, so Stop is heard meanwhile).
//
// Threads: Run on the caller's thread, which must not be one that delivers answers; the
// progress hook is called there after each step, and once more at the end of a read that
// left a data set incomplete or whose last counts are old, with no lock held. Counting
// walks the model and a read takes a step per answer or two: the counts are taken after
// the first step and then at most every CountIntervalMs (a step in between tells the last
// ones). Stop from any thread: it wakes the wait at once, and withdraws every request the
// read asked that has not been sent (Mms::RequestGroup): they are confirmed as withdrawn,
// never sent, and a release or another caller's request goes next.
class ModelReader {
public:
    static constexpr std::uint32_t WaitMs = 800;
    static constexpr std::uint32_t CountIntervalMs = 100;
    static constexpr std::int32_t ResultRead = 0;
    static constexpr std::int32_t ResultLockFailed = 1;
    static constexpr std::int32_t ResultLost = 8;
    static constexpr std::int32_t ResultStopped = 9;
    static constexpr std::int32_t ResultIncomplete = 16;
    static constexpr std::int32_t ResultNoAnswer = 12;

    using ProgressHook = std::function<void(const ModelProgress&)>;

    explicit ModelReader(RClient& client) : client_(client) {}

    void SetProgressHook(ProgressHook hook) { hook_ = std::move(hook); }
    std::int32_t Run();
    void Stop();
    // Steps taken by the last Run.
    std::uint32_t Steps() const { return steps_; }

private:
    static std::int32_t Ended(const TPAppAssociation& association);

    // The counts, under a short wait for the model lock: false when it stayed busy.
    bool Count(ModelProgress& progress) const;
    // ResultRead, or ResultIncomplete when a data set is.
    std::int32_t ReadResult() const;

    RClient& client_;
    ProgressHook hook_;
    // What this reader asks, so that Stop can withdraw it.
    const std::shared_ptr<Mms::RequestGroup> requests_ = std::make_shared<Mms::RequestGroup>();
    std::atomic<bool> stop_{false};
    std::uint32_t steps_ = 0;
};

}  // namespace Iec61850::Acsi
