#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/DeviceRefusal.h"
#include "iec61850/acsi/reader/ReadingWorkList.h"
#include "mms/pdu/InitiateParameters.h"
#include "system/NameList.h"

namespace Mms {
class ModelHold;
}

namespace Iec61850::Acsi {

class DataSet;
class LogicalDevice;
class LogicalNode;
class Server;

// A directory request the device refused while its model was read: what it asked, where,
// and the device's answer. What it would have listed is missing from the model for good
// (the reader does not ask it again on that association), so the model is incomplete.
struct ReadRefusal {
    DirectoryRequest request = DirectoryRequest::LogicalDevices;
    // The logical device asked about (empty for the server's list of logical devices), and
    // below it the data set ("LLN0.ds2") or the node and constraint ("XCBR1 ST").
    std::string device;
    std::string object;
    DeviceRefusal refusal;

    // "LD0: the device refused its list of variables: access (8), code 3 (object-access-denied)".
    std::string Text() const;
    bool operator<(const ReadRefusal& other) const;
};

// The client that keeps the server's device model: its callbacks apply every answer to
// the model and move the reading states on, and ReadModelStep / IsModelRead drive the
// discovery of a device's whole model after association (see ModelReader for the loop).
// An application derives from it and calls these callbacks before showing results.
//
// States (ReadingStates.h, each stage keeps one): the name lists of the server and of each
// logical device (DirectoryState), each node's type and values (NodeReadingState), each
// data set's members (MemberListState) and every object's own (ObjectState).
//
// Where reading would otherwise never end, these hold: a device directory that ended
// without a name to continue after (EndedWithoutName) and data-set names the device
// refused (GivenUp) are final and count as complete (every directory request the device
// refuses is noted, GetReadRefusals, since what it would have listed stays missing); a node's control blocks are read
// once its type is built, and so are its values; a node whose type times out twice is
// read by functional constraint; a node whose whole read the device refuses as an access
// it does not support has its values read group by group; a node read by functional
// constraint with nothing left to ask is read with what it has. Pieces the device did not announce (MMS services) are
// not asked and count as read and empty.
//
// A step looks at what the answers since the last step queued (ReadingWorkList), not at the
// whole model; QueueWholeModel makes the next step look at everything again.
//
// Threads: ReadModelStep and IsModelRead on the reading thread, the callbacks on the
// thread that delivers the answer; both sides take the server's model lock, and neither
// holds it while calling a locked model operation or while posting is refused.
class RClient : public ClientApplication {
public:
    // The ACSI object class of a node's whole type.
    static constexpr std::int32_t NodeTypeClass = 22;

    // What one step did: requests posted, and states moved on without a request (after
    // which the next step may follow at once).
    struct StepOutcome {
        std::uint32_t posted = 0;
        std::uint32_t advanced = 0;
    };

    RClient();
    ~RClient() override;

    std::int32_t OnAssociationFailed(std::int32_t reason) override;
    std::int32_t OnAssociated(std::int32_t zero) override;
    std::int32_t OnAbort(const std::uint8_t* record) override;
    std::int32_t OnRelease(Acsi::Release* service) override;
    std::int32_t OnGetServerDirectory(Acsi::GetServerDirectory* service) override;
    std::int32_t OnGetLogicalDeviceDirectory(Acsi::GetLogicalDeviceDirectory* service) override;
    std::int32_t OnGetLogicalNodeDirectory(Acsi::GetLogicalNodeDirectory* service) override;
    std::int32_t OnGetAllDataValues(Acsi::GetAllDataValues* service) override;
    std::int32_t OnGetDataValues(Acsi::GetDataValues* service) override;
    std::int32_t OnSetDataValues(Acsi::SetDataValues* service) override;
    std::int32_t OnGetDataDirectory(Acsi::GetDataDirectory* service) override;
    std::int32_t OnGetDataDefinition(Acsi::GetDataDefinition* service) override;
    std::int32_t OnGetDataSetDirectory(Acsi::GetDataSetDirectory* service) override;
    std::int32_t OnGetDataSetValues(Acsi::GetDataSetValues* service) override;
    std::int32_t OnSetDataSetValues(Acsi::SetDataSetValues* service) override;
    std::int32_t OnCreateDataSet(Acsi::CreateDataSet* service) override;
    std::int32_t OnDeleteDataSet(Acsi::DeleteDataSet* service) override;
    std::int32_t OnGetBRCBValues(Acsi::GetBRCBValues* service) override;
    std::int32_t OnSetBRCBValues(Acsi::SetBRCBValues* service) override;
    std::int32_t OnGetURCBValues(Acsi::GetURCBValues* service) override;
    std::int32_t OnSetURCBValues(Acsi::SetURCBValues* service) override;
    std::int32_t OnReport(Acsi::RCBReport* report) override;
    // A refused select: 1. An accepted one marks its SBO attribute read; the answer was
    // judged (and kept in the model) before this is called.
    std::int32_t OnSelect(Acsi::Select* service) override;
    std::int32_t OnSelectWithValue(Acsi::SelectWithValue* service) override;
    std::int32_t OnOperate(Acsi::Operate* service) override;
    std::int32_t OnCancel(Acsi::Cancel* service) override;
    // Fills the report's records: its LastApplError's, then its control object's values.
    std::int32_t OnCommandTermination(Acsi::ControlReport* report) override;

    // The longest the reading thread waits for the model lock at a time: an answer being
    // applied holds it, and the reader's Stop and silence bound must still end the read.
    static constexpr std::uint32_t ReaderLockWaitMs = 100;

    // Posts, without waiting, every request the model needs now: 0, or the model lock's
    // failure (12 not free within ReaderLockWaitMs, 1 otherwise) or NotConnected without an
    // association, with nothing posted. Nodes to build whose lock stays busy wait for the
    // next step.
    System::ResultCode ReadModelStep();
    System::ResultCode ReadModelStep(StepOutcome& outcome);
    // The next step looks at the whole model again, from its states, and asks for whatever
    // is not asked (a new association calls it, once what was asked and not answered is
    // back to not asked; the reader calls it when a read starts and when it heard nothing
    // for a while). Any thread.
    void QueueWholeModel();
    // True once the whole model is read (then the server is bound); false while anything
    // is missing, without an association or server, or when the model lock is not free
    // within ReaderLockWaitMs (the second form tells the lock's result: 0, 12 or 1).
    bool IsModelRead();
    bool IsModelRead(System::ResultCode& lock);
    // The model's data sets whose members could not all be found (MemberListState::Unresolved),
    // under the model lock (waited for ReaderLockWaitMs); 0 without a server or when the lock
    // is not had. The second form runs under the caller's hold.
    std::uint32_t CountIncompleteDataSets();
    std::uint32_t CountIncompleteDataSets(const Mms::ModelHold& hold);
    // The server's Bind when the server says it is read: true; else false.
    bool BindIfRead();

    // The directory requests the device refused since this client's association last
    // stood, in the order of their device and request (whatever order the answers came in).
    // Any thread.
    std::vector<ReadRefusal> GetReadRefusals() const;

    // The association's server model; null without one.
    Server* GetServerModel() const;
    // When the device last answered a request (a time-out or an abort is no answer).
    std::chrono::steady_clock::time_point LastAnswer() const;
    // Counts from now (a reading starts).
    void RestartAnswerClock();

    std::int32_t DefaultCallback() { return 0; }

    std::list<std::string> texts;

private:
    struct Poster;
    void StepDevice(Poster& post, LogicalDevice& device);
    void StepNode(Poster& post, LogicalDevice& device, LogicalNode& node);
    // Locked: every device and node into the batch, every node tracked anew.
    void TakeWholeModel(Server& server, ReadingWorkList::Batch& batch);
    // Locked: the server's and devices' directories are complete and every node is typed
    // (data-set members resolve to typed nodes only), no directory answer being applied.
    bool AllTyped(const Server& server);
    // Locked: asks the member lists not asked of the data sets waiting for them.
    void StepDataSets(Poster& post, Server& server);
    // Queues the device's nodes that the names ("node" or "node$...") name.
    void QueueNamedNodes(LogicalDevice& device, const System::NameList& names);
    bool NodeIsRead(const LogicalNode& node) const;
    // Under the model lock.
    void ForgetWhatWasAsked(Server& server);
    void ForgetWhatWasAsked(LogicalNode& node);
    void NoteAnswer(const Service& service);
    // Locked: the target of a values answer read; false when it is not (yet).
    bool MarkValuesRead(Server& server, Acsi::GetAllDataValues& service);
    // The device announced the MMS service in its initiate answer.
    bool Offers(std::int32_t mmsService) const;
    // Notes the service's refusal by the device, if it was one: true then.
    bool NoteRefusal(const Service& service, DirectoryRequest request, std::string device, std::string object = {});

    // Nodes whose type request has timed out once, by reference (under the model lock).
    std::map<std::string, int> typeTimeouts_;
    ReadingWorkList work_;
    // Reading thread, under the model lock: the server the work list holds objects of, the
    // data sets queued while not every node was typed, and whether all data sets were
    // queued once every node was.
    const Server* workServer_ = nullptr;
    std::vector<ReadingWorkList::DataSetEntry> waitingDataSets_;
    bool dataSetsOpened_ = false;
    // Directory answers being applied: their nodes exist before they are queued.
    std::atomic<int> applyingDirectories_{0};
    std::atomic<std::int64_t> lastAnswer_;
    // What the device announced when this client's association last stood.
    mutable std::mutex offeredMutex_;
    std::optional<Mms::InitiateParameters> offered_;
    // What the device refused on this association (never under the model lock's wait).
    mutable std::mutex refusalsMutex_;
    std::vector<ReadRefusal> refusals_;
};

}  // namespace Iec61850::Acsi
