#include "iec61850/acsi/reader/ModelReader.h"

#include <chrono>
#include <iterator>

#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/reader/RClient.h"
#include "mms/user/ModelHold.h"
#include "system/Semaphore.h"

namespace Iec61850::Acsi {

bool ModelReader::Count(ModelProgress& progress) const {
    Server* server = client_.GetServerModel();
    if (server == nullptr) return true;
    const Mms::ModelHold hold(server, RClient::ReaderLockWaitMs);
    if (!hold.Taken()) return false;
    // One walk for all five: the count runs after every step of a read, under the model
    // lock that the answers wait for, and a large model has tens of thousands of objects.
    static constexpr ModelClass asked[] = {ModelClass::LogicalNode, ModelClass::LLN0, ModelClass::LogicalDevice,
                                           ModelClass::Data, ModelClass::Any};
    std::uint32_t counts[std::size(asked)] = {};
    ModelTally tally{asked, AnyObjectState, counts};
    tally.reuseNodeCounts = true;
    server->CountKinds(hold, tally);
    progress.logicalNodes = counts[0] + counts[1];
    progress.logicalDevices = counts[2];
    progress.dataObjects = counts[3];
    progress.allObjects = counts[4];
    progress.incompleteDataSets = client_.CountIncompleteDataSets(hold);
    return true;
}

std::int32_t ModelReader::ReadResult() const {
    return client_.CountIncompleteDataSets() == 0 ? ResultRead : ResultIncomplete;
}

std::int32_t ModelReader::Run() {
    steps_ = 0;
    TPAppAssociation* association = client_.GetAssociation();
    if (association == nullptr) return ResultLost;
    const auto silence = std::chrono::milliseconds(association->GetTimeout() + WaitMs);
    client_.RestartAnswerClock();
    const ClientApplication::RequestGroupScope asked(requests_);
    // Each step takes what the answers queued: the first looks at the whole model.
    client_.QueueWholeModel();
    // Since when the model lock has been busy at every try (an answer being applied holds it).
    bool busy = false;
    std::chrono::steady_clock::time_point busySince{};
    // The counts last taken, and when.
    ModelProgress counted;
    bool haveCounts = false;
    // A step told counts taken before it.
    bool stale = false;
    std::chrono::steady_clock::time_point countedAt{};
    while (true) {
        if (stop_.load()) return ResultStopped;
        // An association that ended confirms what was pending with failures, which must not
        // pass for a model that is read; so does one being given up for a stalled link,
        // on which nothing more is asked.
        if (!client_.IsAssociated() || association->EndedStalled()) return Ended(*association);
        System::ResultCode lock = System::OkNoError;
        if (client_.IsModelRead(lock)) {
            const std::int32_t result = ReadResult();
            // The last answers may have left a data set incomplete since the last count.
            ModelProgress progress;
            if ((result == ResultIncomplete || stale) && hook_ && Count(progress)) hook_(progress);
            return result;
        }
        RClient::StepOutcome outcome;
        if (lock == System::OkNoError) lock = client_.ReadModelStep(outcome);
        if (lock == System::Timeout) {
            // Each wait is short, so Stop is heard; a lock that stays busy for as long as a
            // silent device would be waited for ends the read.
            const auto now = std::chrono::steady_clock::now();
            if (!busy) busySince = now;
            busy = true;
            if (now - busySince > silence) return ResultLockFailed;
            continue;
        }
        busy = false;
        if (lock != System::OkNoError) return client_.IsAssociated() ? ResultLockFailed : Ended(*association);
        ++steps_;
        if (hook_) {
            const auto now = std::chrono::steady_clock::now();
            stale = true;
            if (!haveCounts || now - countedAt >= std::chrono::milliseconds(CountIntervalMs)) {
                ModelProgress progress;
                if (Count(progress)) {
                    counted = progress;
                    haveCounts = true;
                    countedAt = now;
                    stale = false;
                }
            }
            if (haveCounts) hook_(counted);
        }
        if (outcome.advanced > 0 && outcome.posted == 0) continue;
        // Nothing answered for a whole wait: the next step looks at the whole model, so that
        // no state that an answer left unqueued holds the read.
        if (client_.WaitForConfirmation(WaitMs) == System::Semaphore::TimedOut) client_.QueueWholeModel();
        if (stop_.load()) return ResultStopped;
        if (std::chrono::steady_clock::now() - client_.LastAnswer() > silence && client_.IsAssociated() &&
            !client_.IsModelRead()) {
            return ResultNoAnswer;
        }
    }
}

std::int32_t ModelReader::Ended(const TPAppAssociation& association) {
    // A link that stalled was aborted because the device answered nothing.
    return association.EndedStalled() ? ResultNoAnswer : ResultLost;
}

void ModelReader::Stop() {
    stop_.store(true);
    client_.WithdrawRequests(*requests_);
    client_.SignalConfirmation();
}

}  // namespace Iec61850::Acsi
