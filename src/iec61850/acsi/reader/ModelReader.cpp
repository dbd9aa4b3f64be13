#include "iec61850/acsi/reader/ModelReader.h"

#include <chrono>
#include <iterator>

#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/reader/RClient.h"

namespace Iec61850::Acsi {

ModelProgress ModelReader::Count() const {
    ModelProgress progress;
    Server* server = client_.GetServerModel();
    if (server == nullptr) return progress;
    // One walk for all five: the count runs after every step of a read, under the model
    // lock that the answers wait for, and a large model has tens of thousands of objects.
    static constexpr ModelClass asked[] = {ModelClass::LogicalNode, ModelClass::LLN0, ModelClass::LogicalDevice,
                                           ModelClass::Data, ModelClass::Any};
    std::uint32_t counts[std::size(asked)] = {};
    ModelTally tally{asked, AnyObjectState, counts};
    tally.reuseNodeCounts = true;
    server->CountKinds(tally);
    progress.logicalNodes = counts[0] + counts[1];
    progress.logicalDevices = counts[2];
    progress.dataObjects = counts[3];
    progress.allObjects = counts[4];
    progress.incompleteDataSets = client_.CountIncompleteDataSets();
    return progress;
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
    while (true) {
        if (stop_.load()) return ResultStopped;
        // An association that ended confirms what was pending with failures, which must not
        // pass for a model that is read.
        if (!client_.IsAssociated()) return ResultLost;
        if (client_.IsModelRead()) {
            const std::int32_t result = ReadResult();
            // The last answers may have left a data set incomplete since the last count.
            if (result == ResultIncomplete && hook_) hook_(Count());
            return result;
        }
        RClient::StepOutcome outcome;
        if (client_.ReadModelStep(outcome) != System::OkNoError) {
            return client_.IsAssociated() ? ResultLockFailed : ResultLost;
        }
        ++steps_;
        if (hook_) hook_(Count());
        if (outcome.advanced > 0 && outcome.posted == 0) continue;
        client_.WaitForConfirmation(WaitMs);
        if (stop_.load()) return ResultStopped;
        if (std::chrono::steady_clock::now() - client_.LastAnswer() > silence && client_.IsAssociated() &&
            !client_.IsModelRead()) {
            return ResultNoAnswer;
        }
    }
}

void ModelReader::Stop() {
    stop_.store(true);
    client_.SignalConfirmation();
}

}  // namespace Iec61850::Acsi
