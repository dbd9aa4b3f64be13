#include "iec61850/acsi/reader/RClient.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <tuple>
#include <vector>

#include "iec61850/acsi/client/ControlServices.h"
#include "iec61850/acsi/client/DataSetServices.h"
#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/RcbServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/machine/MmsConnection.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduData.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/pdu/MmsPduServices.h"

namespace Iec61850::Acsi {

using Mms::ModelHold;
using System::ResultCode;

namespace {

std::int64_t Now() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

// The ACSI service error of a class that a directory does not take.
constexpr std::int32_t ClassNotSupported = 7;

bool Succeeded(const Service& service) { return service.GetResult() == System::OkNoError; }

// A request confirmed because its association ended (Service::EndedWithTheAssociation)
// was refused by nobody: what it asked for stays asked, neither read nor dropped, and is
// never asked again by this association. The reader learns of the end on its own; asking
// again after a stall would only end with the abort that follows it. One withdrawn unsent
// (a stopped read) is the same: the next association asks again what it asked.
bool EndedWithAssociation(const Service& service) { return service.EndedWithTheAssociation() || service.Withdrawn(); }

// What a successful answer from the device read is marked read, under the model lock;
// local answers and failures mark nothing.
template <typename Mark>
std::int32_t MarkWhatWasRead(const Service& service, Mark mark) {
    Server* server = service.GetServer();
    if (service.IsLocal() || server == nullptr || !Succeeded(service)) return 0;
    const ModelHold hold(server);
    if (!hold.Taken()) return hold.GetResult();
    mark(hold);
    return 0;
}

// Counts a directory answer being applied for as long as it lives.
class Applying {
public:
    explicit Applying(std::atomic<int>& count) : count_(count) { ++count_; }
    ~Applying() { --count_; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

private:
    std::atomic<int>& count_;
};

// The device answered a read of a whole node with object-access-unsupported: it reads
// nodes only by functional constraint (or below), so the node's groups are read instead.
bool RefusedAsUnsupported(const Service& service) {
    return service.GetAnswerKind() == Mms::MmsPduConfirmedResponse && service.GetResult() == System::Error &&
           service.GetErrorClass() == Mms::MmsErrorClassAccess &&
           service.GetErrorCode() == Mms::MmsObjectAccessUnsupported;
}

// The node a values answer's target belongs to: the node itself or its group's.
LogicalNode* NodeOf(NamedObject* target) {
    if (auto* node = dynamic_cast<LogicalNode*>(target)) return node;
    if (auto* group = dynamic_cast<FunctionalConstraint*>(target))
        return dynamic_cast<LogicalNode*>(group->GetParent());
    return nullptr;
}

// The control blocks of a node are read once its type is built: nothing else reads them.
// A block is always a member of its group, so the groups' members are all there is to look
// at (not the node's whole tree, at every node built).
void MarkControlBlocksRead(LogicalNode& node) {
    for (FunctionalConstraint* group : node.GetFcsInOrder()) {
        for (NamedObject* member : group->GetChildren()) {
            if (auto* block = dynamic_cast<ControlBlock*>(member)) block->SetState(ObjectState::Read);
        }
    }
}

}  // namespace

// The requests a step makes, posted once the model lock is given back: a request that the
// association refuses is confirmed on the posting thread, whose callback takes the lock.
struct RClient::Poster {
    std::vector<std::function<ResultCode(RClient&, std::uint32_t&)>> requests;
    std::vector<LogicalNode*> toBuild;
    std::uint32_t advanced = 0;

    template <typename Request>
    void Add(Request request) {
        requests.emplace_back(std::move(request));
    }
};

std::string ReadRefusal::Text() const {
    const std::string text = refusal.Text(DirectoryRequestText(request, object));
    return device.empty() ? text : device + ": " + text;
}

bool ReadRefusal::operator<(const ReadRefusal& other) const {
    return std::tie(device, request, object) < std::tie(other.device, other.request, other.object);
}

RClient::RClient() : lastAnswer_(Now()) {}

RClient::~RClient() {
    // Its callbacks use this object: the association lets go of it before it goes.
    ClearAssociation();
    texts.clear();
}

Server* RClient::GetServerModel() const {
    TPAppAssociation* association = GetAssociation();
    return association != nullptr ? association->GetServer() : nullptr;
}

std::chrono::steady_clock::time_point RClient::LastAnswer() const {
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(lastAnswer_.load()));
}

void RClient::RestartAnswerClock() { lastAnswer_.store(Now()); }

std::vector<ReadRefusal> RClient::GetReadRefusals() const {
    std::vector<ReadRefusal> refusals;
    {
        const std::lock_guard lock(refusalsMutex_);
        refusals = refusals_;
    }
    std::sort(refusals.begin(), refusals.end());
    return refusals;
}

bool RClient::NoteRefusal(const Service& service, DirectoryRequest request, std::string device, std::string object) {
    const DeviceRefusal refusal = service.Refusal();
    if (!refusal.Refused()) return false;
    const std::lock_guard lock(refusalsMutex_);
    refusals_.push_back({request, std::move(device), std::move(object), refusal});
    return true;
}

void RClient::NoteAnswer(const Service& service) {
    if (service.IsLocal() || service.GetAnswerKind() != Mms::MmsPduNone) lastAnswer_.store(Now());
}

bool RClient::Offers(std::int32_t mmsService) const {
    {
        // The announcement of the association a step reads for: an abort in the middle of
        // the step clears the connection's, and the device must not then pass for one that
        // offers nothing (its pieces would be marked read and empty).
        const std::lock_guard lock(offeredMutex_);
        if (offered_) return offered_->SupportsService(mmsService);
    }
    TPAppAssociation* association = GetAssociation();
    Mms::MmsConnection* mms = association != nullptr ? association->GetMmsConnection() : nullptr;
    return mms != nullptr && mms->IsServiceSupported(mmsService);
}

// ---- association ----

std::int32_t RClient::OnAssociationFailed(std::int32_t) { return DefaultCallback(); }
std::int32_t RClient::OnAssociated(std::int32_t) {
    const std::int32_t result = DefaultCallback();
    {
        // What an earlier association was refused is asked afresh on this one.
        const std::lock_guard lock(refusalsMutex_);
        refusals_.clear();
    }
    TPAppAssociation* association = GetAssociation();
    if (Mms::MmsConnection* mms = association != nullptr ? association->GetMmsConnection() : nullptr) {
        const std::lock_guard lock(offeredMutex_);
        offered_ = mms->GetNegotiated();
    }
    if (Server* server = GetServerModel()) {
        const ModelHold hold(server);
        if (hold.Taken()) ForgetWhatWasAsked(*server);
    }
    QueueWholeModel();
    return result;
}
std::int32_t RClient::OnAbort(const std::uint8_t*) { return DefaultCallback(); }
std::int32_t RClient::OnRelease(Acsi::Release*) { return DefaultCallback(); }

// ---- work list ----

void RClient::QueueWholeModel() { work_.Rebuild(); }

void RClient::QueueNamedNodes(LogicalDevice& device, const System::NameList& names) {
    for (const std::string_view name : names) {
        const std::string_view nodeName = name.substr(0, name.find('$'));
        if (nodeName.empty()) continue;
        work_.QueueNode(device.FindLogicalNode(nodeName));
    }
}

// ---- directories ----

std::int32_t RClient::OnGetServerDirectory(Acsi::GetServerDirectory* service) {
    NoteAnswer(*service);
    Server* server = service->GetServer();
    if (server == nullptr) return 0;
    if (service->IsLocal()) return server->ListLogicalDevices(*service);
    if (EndedWithAssociation(*service)) return 0;
    // Final: a refused list ends the server's directory with the names that came before it.
    NoteRefusal(*service, DirectoryRequest::LogicalDevices, {});
    {
        const ModelHold hold(server);
        if (!hold.Taken()) return hold.GetResult();
        server->directoryNames.insert(server->directoryNames.end(), service->names.begin(), service->names.end());
    }
    server->RegisterLogicalDevices(*service);
    {
        const ModelHold hold(server);
        if (!hold.Taken()) return hold.GetResult();
        // A directory that was not answered in time is asked again: its names are not known.
        if (service->GetResult() == System::Timeout) {
            server->state = server->directoryNames.empty() ? DirectoryState::NotAsked : DirectoryState::MoreFollows;
        } else {
            server->state = service->GetMoreFollows() ? DirectoryState::MoreFollows : DirectoryState::Complete;
        }
        for (const auto& [name, device] : server->GetLogicalDevices()) work_.QueueDevice(device.get());
    }
    // The server's handler: a derived client sees the logical devices, not the raw names.
    return server->ListLogicalDevices(*service);
}

std::int32_t RClient::OnGetLogicalDeviceDirectory(Acsi::GetLogicalDeviceDirectory* service) {
    NoteAnswer(*service);
    Server* server = service->GetServer();
    if (server == nullptr) return 0;
    if (service->IsLocal()) return server->ListLogicalNodes(*service);
    if (EndedWithAssociation(*service)) return 0;
    NoteRefusal(*service, DirectoryRequest::Variables, service->device);
    const Applying applying(applyingDirectories_);
    LogicalDevice* device = nullptr;
    if (const ResultCode found = server->FindLogicalDevice(service->device, device); found != System::OkNoError) {
        server->ListLogicalNodes(*service);
        return found;
    }
    {
        const ModelHold hold(server);
        if (!hold.Taken()) return hold.GetResult();
        device->directoryNames.insert(device->directoryNames.end(), service->names.begin(), service->names.end());
        if (service->GetResult() == System::Timeout) {
            device->directoryState =
                device->directoryNames.empty() ? DirectoryState::NotAsked : DirectoryState::MoreFollows;
        } else {
            device->directoryState = service->GetMoreFollows() ? DirectoryState::MoreFollows : DirectoryState::Complete;
        }
    }
    const ResultCode built = device->BuildFromDirectory(service->names);
    if (const ModelHold hold(server); hold.Taken()) {
        work_.QueueDevice(device);
        // Nodes whose type was refused wait for the whole directory.
        if (IsDirectoryComplete(device->directoryState)) {
            for (const auto& [name, node] : device->GetLogicalNodes()) work_.QueueNode(node.get());
        } else {
            QueueNamedNodes(*device, service->names);
        }
    }
    // The server's handler: a derived client sees the device's logical nodes, not the flat
    // MMS names (those stay in the device's directory names).
    const ResultCode listed = server->ListLogicalNodes(*service);
    return built != System::OkNoError ? built : listed;
}

std::int32_t RClient::OnGetLogicalNodeDirectory(Acsi::GetLogicalNodeDirectory* service) {
    NoteAnswer(*service);
    Server* server = service->GetServer();
    if (server == nullptr) return 0;
    if (service->IsLocal()) return server->AnswerLogicalNodeDirectory(*service);
    if (EndedWithAssociation(*service)) return System::Error;
    const std::int32_t objectClass = service->objectClass;
    if (objectClass < ObjectClassData || objectClass > NodeTypeClass) {
        service->SetServiceError(ClassNotSupported);
        return System::NotSupported;
    }
    if (objectClass == ObjectClassDataSet) {
        const Applying applying(applyingDirectories_);
        const std::string deviceName = service->node.substr(0, service->node.find('/'));
        LogicalDevice* device = nullptr;
        if (server->FindLogicalDevice(deviceName, device) != System::OkNoError) {
            service->SetServiceError(12);
            return System::Error;
        }
        {
            const ModelHold hold(server);
            if (!hold.Taken()) return hold.GetResult();
            work_.QueueDevice(device);
            if (service->GetResult() == System::Timeout) {
                device->dataSetDirectoryState =
                    device->dataSetNames.empty() ? DirectoryState::NotAsked : DirectoryState::MoreFollows;
                return System::Error;
            }
            if (!Succeeded(*service)) {
                device->dataSetDirectoryState = DirectoryState::GivenUp;
                NoteRefusal(*service, DirectoryRequest::DataSets, deviceName);
                return System::Error;
            }
            device->dataSetNames.insert(device->dataSetNames.end(), service->names.begin(), service->names.end());
        }
        const ResultCode built = device->BuildDataSetsFromDirectory();
        const ModelHold hold(server);
        if (!hold.Taken()) return hold.GetResult();
        device->dataSetDirectoryState =
            service->GetMoreFollows() ? DirectoryState::MoreFollows : DirectoryState::Complete;
        // The sets named, and the nodes they made.
        QueueNamedNodes(*device, service->names);
        for (const std::string_view name : service->names) {
            const std::size_t dollar = name.find('$');
            if (dollar == std::string_view::npos) continue;
            LogicalNode* node = device->FindLogicalNode(name.substr(0, dollar));
            if (node == nullptr) continue;
            work_.QueueDataSet(node, std::string(name.substr(dollar + 1)));
        }
        return built;
    }
    if (objectClass == 8 || objectClass == ObjectClassLog || objectClass == 19 || objectClass == 20 ||
        objectClass == 21) {
        service->SetServiceError(ClassNotSupported);
        return System::NotSupported;
    }
    LogicalNode* node = nullptr;
    if (server->FindLogicalNode(service->node, node) != System::OkNoError) {
        service->SetServiceError(12);
        return System::Error;
    }
    if (Succeeded(*service)) {
        node->Build();
        const ModelHold hold(server);
        if (!hold.Taken()) return hold.GetResult();
        MarkControlBlocksRead(*node);
        node->readingState = service->GetMoreFollows() ? NodeReadingState::MoreFollows : NodeReadingState::Read;
        work_.QueueNode(node);
        return 0;
    }
    bool fallBack = false;
    LogicalDevice* device = nullptr;
    {
        const ModelHold hold(server);
        if (!hold.Taken()) return hold.GetResult();
        work_.QueueNode(node);
        if (service->GetResult() == System::Timeout && node->readingState == NodeReadingState::TypeAsked) {
            // Asked again once; a second time-out reads it by functional constraint.
            if (++typeTimeouts_[node->GetReference()] < 2) {
                node->readingState = NodeReadingState::NotAsked;
                return System::Error;
            }
        }
        node->readingState = NodeReadingState::TypeRefused;
        device = dynamic_cast<LogicalDevice*>(node->GetParent());
        fallBack = device != nullptr && device->directoryState == DirectoryState::Complete;
    }
    // The groups come from the "node$FC" names of a complete directory.
    if (fallBack) {
        device->BuildFromDirectory();
        work_.QueueNode(node);
    }
    return System::Error;
}

std::int32_t RClient::OnGetDataDirectory(Acsi::GetDataDirectory* service) {
    NoteAnswer(*service);
    Server* server = service->GetServer();
    if (server == nullptr || EndedWithAssociation(*service)) return 0;
    {
        const ModelHold hold(server);
        if (!hold.Taken()) return hold.GetResult();
        if (service->found != nullptr) service->found->SetState(ObjectState::DirectoryAnswered);
    }
    const std::int32_t answered = service->IsLocal() || Succeeded(*service) ? server->ListDataComponents(*service) : 0;
    const ModelHold hold(server);
    if (!hold.Taken()) return hold.GetResult();
    LogicalNode* node = server->FindNode(hold, service->reference);
    work_.QueueNode(node);
    if (node == nullptr || node->readingState != NodeReadingState::GroupsAsked) return answered;
    FunctionalConstraint* group = node->FindFc(service->fc);
    if (group == nullptr) return answered;
    if (Succeeded(*service)) {
        group->SetState(ObjectState::Read);
    } else {
        // The service's target goes with it; nothing reads it after this. Refused, the node's
        // type lacks what the device would not describe by any other way of asking.
        node->RemoveFc(service->fc);
        const std::string& reference = service->reference;
        const std::size_t slash = reference.find('/');
        NoteRefusal(*service, DirectoryRequest::ConstraintType, reference.substr(0, slash),
                    (slash == std::string::npos ? reference : reference.substr(slash + 1)) + " " + service->fc);
    }
    return answered;
}

std::int32_t RClient::OnGetDataDefinition(Acsi::GetDataDefinition* service) {
    NoteAnswer(*service);
    return 0;
}

std::int32_t RClient::OnGetDataSetDirectory(Acsi::GetDataSetDirectory* service) {
    NoteAnswer(*service);
    if (service->IsLocal() || EndedWithAssociation(*service)) return 0;
    Server* server = service->GetServer();
    DataSet* dataSet = nullptr;
    if (const ResultCode found = service->GetAssociation().FindDataSet(service->reference, dataSet);
        found != System::OkNoError) {
        service->SetServiceError(12);
        return found;
    }
    if (server == nullptr) return 0;
    work_.QueueDataSet(dynamic_cast<LogicalNode*>(dataSet->GetParent()), dataSet->GetName());
    if (service->GetResult() == System::Timeout) {
        const ModelHold hold(server);
        if (hold.Taken()) dataSet->directoryState = MemberListState::NotAsked;
        return System::Timeout;
    }
    if (service->GetMoreFollows()) {
        const ModelHold hold(server);
        if (hold.Taken()) dataSet->directoryState = MemberListState::MoreFollows;
        return 0;
    }
    // A refused directory leaves the set as it was: empty, and read (the refusal is told). An answer whose members
    // cannot all be found in the model (not applied, or not built) leaves it incomplete.
    const bool answered = service->GetAnswerKind() == Mms::MmsPduConfirmedResponse;
    if (const auto* node = dynamic_cast<const LogicalNode*>(dataSet->GetParent())) {
        const NamedObject* device = node->GetParent();
        NoteRefusal(*service, DirectoryRequest::DataSetMembers, device != nullptr ? device->GetName() : std::string(),
                    node->GetName() + "." + dataSet->GetName());
    }
    const ResultCode built = Succeeded(*service) ? dataSet->Build() : System::OkNoError;
    const bool unresolved = (answered && !Succeeded(*service)) || built != System::OkNoError;
    const ModelHold hold(server);
    if (!hold.Taken()) return hold.GetResult();
    dataSet->directoryState = unresolved ? MemberListState::Unresolved : MemberListState::Complete;
    dataSet->SetState(ObjectState::Read);
    return built;
}

// ---- values ----

std::int32_t RClient::OnGetAllDataValues(Acsi::GetAllDataValues* service) {
    NoteAnswer(*service);
    Server* server = service->GetServer();
    if (service->IsLocal() || server == nullptr || service->target == nullptr) return 0;
    if (EndedWithAssociation(*service)) return 0;
    if (!MarkValuesRead(*server, *service)) return 0;
    // The values, as records, for whoever derives from this client and asked for them.
    return Succeeded(*service) && service->recordsWanted ? server->ListAllDataValues(*service) : 0;
}

// What an earlier association asked and never had answered: its requests ended with it, so
// this association asks again, and the reading goes on from where it stopped.
void RClient::ForgetWhatWasAsked(Server& server) {
    auto directory = [](auto& state, bool namesArrived) {
        if (state == DirectoryState::Asked)
            state = namesArrived ? DirectoryState::MoreFollows : DirectoryState::NotAsked;
    };
    directory(server.state, !server.directoryNames.empty());
    directory(server.secondDirectoryState, false);
    for (const auto& [name, device] : server.GetLogicalDevices()) {
        directory(device->directoryState, !device->directoryNames.empty());
        directory(device->dataSetDirectoryState, !device->dataSetNames.empty());
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
            for (const auto& [setName, dataSet] : node->GetDataSets()) {
                if (dataSet->directoryState == MemberListState::Asked)
                    dataSet->directoryState = MemberListState::NotAsked;
            }
            ForgetWhatWasAsked(*node);
        }
    }
}

void RClient::ForgetWhatWasAsked(LogicalNode& node) {
    // The node alone: its groups keep what they have, and the next reading of the node marks them.
    const bool valuesAsked = node.GetState() == ObjectState::ValuesAsked;
    switch (node.readingState) {
        case NodeReadingState::TypeAsked:
            node.readingState = NodeReadingState::NotAsked;
            if (valuesAsked) node.NamedObject::SetState(ObjectState::NotAsked);
            break;
        case NodeReadingState::GroupsAsked:
            for (FunctionalConstraint* group : node.GetFcsInOrder()) {
                if (group->GetState() != ObjectState::DirectoryAsked) continue;
                group->SetState(ObjectState::NotAsked);
                node.readingState = NodeReadingState::TypeRefused;
            }
            break;
        case NodeReadingState::Read:
            if (!valuesAsked) break;
            if (!node.groupsFromDirectory && !node.valuesByGroup) {
                node.NamedObject::SetState(ObjectState::NotAsked);
                break;
            }
            // A node whose values are read group by group: the groups whose values came
            // keep them, and only the others are asked again.
            for (FunctionalConstraint* group : node.GetFcsInOrder()) {
                if (!group->IsRead()) group->SetState(ObjectState::NotAsked);
            }
            break;
        default: break;
    }
}

bool RClient::MarkValuesRead(Server& server, Acsi::GetAllDataValues& service) {
    const ModelHold hold(&server);
    if (!hold.Taken()) return false;
    work_.QueueNode(NodeOf(service.target));
    // Values that came before the node's type fit no type: the node (alone, not its groups,
    // which the reading may be asking for) is asked again once it is built.
    if (auto* node = dynamic_cast<LogicalNode*>(service.target)) {
        if (node->readingState == NodeReadingState::TypeAsked || node->readingState == NodeReadingState::TypeRefused ||
            node->readingState == NodeReadingState::GroupsAsked) {
            node->NamedObject::SetState(ObjectState::NotAsked);
            return false;
        }
        if (RefusedAsUnsupported(service) && !node->GetFcsInOrder().empty()) {
            // Its groups' answers mark it read, as for a node built from its groups.
            node->valuesByGroup = true;
            for (FunctionalConstraint* group : node->GetFcsInOrder()) group->SetState(ObjectState::NotAsked);
            node->NamedObject::SetState(ObjectState::ValuesAsked);
            return false;
        }
    }
    // Marked read whatever the answer, so that a device refusing values does not hold the
    // reading.
    service.target->SetState(ObjectState::Read);
    // A node read group by group is read with its last group.
    if (auto* group = dynamic_cast<FunctionalConstraint*>(service.target)) {
        auto* node = dynamic_cast<LogicalNode*>(group->GetParent());
        if (node != nullptr && node->GetState() != ObjectState::Read) {
            bool all = true;
            for (const FunctionalConstraint* other : node->GetFcsInOrder()) all = all && other->IsRead();
            if (all) node->SetState(ObjectState::Read);
        }
    }
    return true;
}

std::int32_t RClient::OnGetDataValues(Acsi::GetDataValues* service) {
    NoteAnswer(*service);
    return MarkWhatWasRead(*service, [service](const ModelHold&) {
        for (NamedObject* object : service->found) object->SetState(ObjectState::Read);
    });
}

std::int32_t RClient::OnSetDataValues(Acsi::SetDataValues* service) {
    NoteAnswer(*service);
    return 0;
}

std::int32_t RClient::OnGetDataSetValues(Acsi::GetDataSetValues* service) {
    NoteAnswer(*service);
    if (service->dataSet == nullptr) return 0;
    return MarkWhatWasRead(*service, [service](const ModelHold&) { service->dataSet->SetState(ObjectState::Read); });
}

std::int32_t RClient::OnSetDataSetValues(Acsi::SetDataSetValues* service) {
    NoteAnswer(*service);
    if (service->dataSet == nullptr) return 0;
    return MarkWhatWasRead(*service, [service](const ModelHold&) { service->dataSet->SetState(ObjectState::Read); });
}

std::int32_t RClient::OnCreateDataSet(Acsi::CreateDataSet* service) {
    NoteAnswer(*service);
    // A refused definition has been taken back by the service itself, which undoes only
    // what that request made and what still exists; nothing is left to undo here.
    return 0;
}

std::int32_t RClient::OnDeleteDataSet(Acsi::DeleteDataSet* service) {
    NoteAnswer(*service);
    // The service has taken the deleted set out of the model.
    return System::NotImplemented;
}

// ---- control blocks ----

namespace {

std::int32_t ReadBlocks(GetRCBValues& service) {
    return MarkWhatWasRead(service, [&service](const ModelHold& hold) {
        for (NamedObject* block : service.blocks) {
            block->SetState(ObjectState::Read);
            const std::string fc = block->GetFcName();
            if (fc == "BR" || fc == "RP") block->Bind(hold);
        }
    });
}

}  // namespace

std::int32_t RClient::OnGetBRCBValues(Acsi::GetBRCBValues* service) {
    NoteAnswer(*service);
    return ReadBlocks(*service);
}

std::int32_t RClient::OnSetBRCBValues(Acsi::SetBRCBValues* service) {
    NoteAnswer(*service);
    return 0;
}

std::int32_t RClient::OnGetURCBValues(Acsi::GetURCBValues* service) {
    NoteAnswer(*service);
    return ReadBlocks(*service);
}

std::int32_t RClient::OnSetURCBValues(Acsi::SetURCBValues* service) {
    NoteAnswer(*service);
    return 0;
}

std::int32_t RClient::OnReport(Acsi::RCBReport*) { return DefaultCallback(); }

std::int32_t RClient::OnSelect(Acsi::Select* service) {
    if (!Succeeded(*service)) return 1;
    // The select's own completion has already judged the SBO answer: judging it again
    // would only take the model lock a second time, and a lock that timed out then would
    // turn a select the device granted into a refused one.
    Server* server = service->GetServer();
    if (server == nullptr || service->selected == nullptr) return 0;
    const ModelHold hold(server);
    if (!hold.Taken()) return hold.GetResult();
    service->selected->SetState(ObjectState::Read);
    return 0;
}

std::int32_t RClient::OnSelectWithValue(Acsi::SelectWithValue*) { return DefaultCallback(); }
std::int32_t RClient::OnOperate(Acsi::Operate*) { return DefaultCallback(); }
std::int32_t RClient::OnCancel(Acsi::Cancel*) { return DefaultCallback(); }

std::int32_t RClient::OnCommandTermination(Acsi::ControlReport* report) {
    if (report->lastApplError != nullptr) LastApplErrorToList(*report->lastApplError, report->records);
    auto* item = dynamic_cast<DataItem*>(report->controlObject);
    Server* server = report->GetServer();
    if (item == nullptr || server == nullptr) return 0;
    // The reading thread works on the same model: its values are copied under the lock.
    const ModelHold hold(server);
    if (!hold.Taken()) return hold.GetResult();
    item->CollectValues(report->records);
    return 0;
}

// ---- reading ----

ResultCode RClient::ReadModelStep() {
    StepOutcome outcome;
    return ReadModelStep(outcome);
}

ResultCode RClient::ReadModelStep(StepOutcome& outcome) {
    outcome = {};
    Server* server = GetServerModel();
    if (server == nullptr) return System::Error;
    // Without an association the device announces nothing: a step would take every
    // service for one it does not offer and mark the model read with nothing in it.
    if (!IsAssociated()) return System::NotConnected;
    Poster post;
    {
        const ModelHold hold(server, ReaderLockWaitMs);
        if (!hold.Taken()) return hold.GetResult();
        ReadingWorkList::Batch batch = work_.Take();
        if (batch.rebuild || server != workServer_) TakeWholeModel(*server, batch);
        if (server->state == DirectoryState::NotAsked && !Offers(Mms::MmsServiceGetNameList)) {
            // A device that lists no names has no logical device to read.
            server->state = DirectoryState::Complete;
            ++post.advanced;
        } else if (server->state == DirectoryState::NotAsked) {
            server->state = DirectoryState::Asked;
            post.Add([](RClient& c, std::uint32_t& id) {
                return c.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device);
            });
        } else if (server->state == DirectoryState::MoreFollows) {
            server->state = DirectoryState::Asked;
            const std::string after = server->directoryNames.empty() ? std::string() : server->directoryNames.back();
            post.Add([after](RClient& c, std::uint32_t& id) {
                return c.GetServerDirectoryAfter(id, ObjectClassLogicalDevice, AnswerFrom::Device, after);
            });
        }
        if (server->secondDirectoryState == DirectoryState::NotAsked)
            server->secondDirectoryState = DirectoryState::Asked;
        for (LogicalDevice* device : batch.devices) StepDevice(post, *device);
        for (LogicalNode* node : batch.nodes) {
            auto* device = dynamic_cast<LogicalDevice*>(node->GetParent());
            if (device == nullptr) continue;
            work_.Track(node);
            const NodeReadingState reading = node->readingState;
            const ObjectState own = node->GetState();
            StepNode(post, *device, *node);
            // A node that moved on may move on again without an answer (built, read, or
            // read with what it has): the next step looks at it.
            if (node->readingState != reading || node->GetState() != own) work_.QueueNode(node);
        }
        std::move(batch.dataSets.begin(), batch.dataSets.end(), std::back_inserter(waitingDataSets_));
        if (AllTyped(*server)) StepDataSets(post, *server);
    }
    // Nodes whose groups have all been typed are built outside the lock (Build takes it). A
    // lock that stays busy leaves the rest for the next step, which finds them as they were;
    // what this step asked for is posted all the same.
    for (std::size_t built = 0; built < post.toBuild.size(); ++built) {
        auto leaveRest = [&] {
            for (std::size_t left = built; left < post.toBuild.size(); ++left) work_.QueueNode(post.toBuild[left]);
        };
        LogicalNode* node = post.toBuild[built];
        const ResultCode result = node->Build(ReaderLockWaitMs);
        if (result == System::Timeout) {
            leaveRest();
            break;
        }
        const ModelHold hold(server, ReaderLockWaitMs);
        if (!hold.Taken()) {
            leaveRest();
            break;
        }
        if (result == System::OkNoError) {
            const std::string reference = node->GetReference();
            std::vector<std::int32_t> classes = {ObjectClassData, ObjectClassBrcb, ObjectClassUrcb};
            if (dynamic_cast<LLN0*>(node) != nullptr) {
                classes.insert(classes.end(), {ObjectClassGoCb, ObjectClassSgcb, ObjectClassMsvCb});
            }
            for (std::int32_t objectClass : classes) {
                post.Add([reference, objectClass](RClient& c, std::uint32_t& id) {
                    return c.GetLogicalNodeDirectory(id, reference, objectClass, AnswerFrom::Model);
                });
            }
        }
        MarkControlBlocksRead(*node);
        node->readingState = NodeReadingState::Built;
        node->SetState(ObjectState::ValuesAsked);
        work_.QueueNode(node);
        ++post.advanced;
    }
    for (auto& request : post.requests) {
        std::uint32_t id = 0;
        if (request(*this, id) == System::OkNoError) ++outcome.posted;
    }
    outcome.advanced = post.advanced;
    return System::OkNoError;
}

void RClient::TakeWholeModel(Server& server, ReadingWorkList::Batch& batch) {
    workServer_ = &server;
    work_.ForgetTracked();
    waitingDataSets_.clear();
    dataSetsOpened_ = false;
    batch.devices.clear();
    batch.nodes.clear();
    batch.dataSets.clear();
    for (const auto& [name, device] : server.GetLogicalDevices()) {
        batch.devices.push_back(device.get());
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) batch.nodes.push_back(node.get());
    }
}

bool RClient::AllTyped(const Server& server) {
    if (server.state != DirectoryState::Complete || applyingDirectories_.load() != 0) return false;
    for (const auto& [name, device] : server.GetLogicalDevices()) {
        if (!IsDirectoryComplete(device->directoryState)) return false;
    }
    return work_.AllTyped([](const LogicalNode& node) {
        return node.readingState == NodeReadingState::Read || node.readingState == NodeReadingState::Built;
    });
}

void RClient::StepDataSets(Poster& post, Server& server) {
    if (!dataSetsOpened_) {
        // Once: every set the model holds by now; those named later are queued by their answers.
        dataSetsOpened_ = true;
        waitingDataSets_.clear();
        for (const auto& [name, device] : server.GetLogicalDevices()) {
            for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
                for (const auto& [setName, dataSet] : node->GetDataSets()) {
                    waitingDataSets_.push_back({node.get(), setName});
                }
            }
        }
    }
    const bool listsOffered = Offers(Mms::MmsServiceGetNamedVariableListAttributes);
    for (const ReadingWorkList::DataSetEntry& entry : waitingDataSets_) {
        DataSet* dataSet = entry.node->FindDataSet(entry.name);
        if (dataSet == nullptr || dataSet->directoryState != MemberListState::NotAsked) continue;
        if (!listsOffered) {
            // Not offered: read, with no members.
            dataSet->directoryState = MemberListState::Complete;
            dataSet->SetState(ObjectState::Read);
            ++post.advanced;
            continue;
        }
        dataSet->directoryState = MemberListState::Asked;
        const std::string reference = dataSet->GetReference();
        post.Add([reference](RClient& c, std::uint32_t& id) {
            return c.GetDataSetDirectory(id, reference, AnswerFrom::Device);
        });
    }
    waitingDataSets_.clear();
}

void RClient::StepDevice(Poster& post, LogicalDevice& device) {
    const std::string name = device.GetName();
    switch (device.directoryState) {
        case DirectoryState::NotAsked:
            device.directoryState = DirectoryState::Asked;
            post.Add([name](RClient& c, std::uint32_t& id) {
                return c.GetLogicalDeviceDirectory(id, name, AnswerFrom::Device);
            });
            break;
        case DirectoryState::MoreFollows:
            if (device.directoryNames.empty()) {
                device.directoryState = DirectoryState::EndedWithoutName;
                ++post.advanced;
            } else {
                device.directoryState = DirectoryState::Asked;
                const std::string after(device.directoryNames.back());
                post.Add([name, after](RClient& c, std::uint32_t& id) {
                    return c.GetLogicalDeviceDirectoryAfter(id, name, AnswerFrom::Device, after);
                });
            }
            break;
        default: break;
    }
    if (device.dataSetDirectoryState == DirectoryState::NotAsked) {
        device.dataSetDirectoryState = DirectoryState::Asked;
        post.Add([name](RClient& c, std::uint32_t& id) {
            return c.GetLogicalNodeDirectory(id, name, ObjectClassDataSet, AnswerFrom::Device);
        });
    } else if (device.dataSetDirectoryState == DirectoryState::MoreFollows) {
        device.dataSetDirectoryState = DirectoryState::Asked;
        const std::string after = device.dataSetNames.empty() ? std::string() : device.dataSetNames.back();
        post.Add([name, after](RClient& c, std::uint32_t& id) {
            return c.GetLogicalNodeDirectoryAfter(id, name, ObjectClassDataSet, AnswerFrom::Device, after);
        });
    }
}

void RClient::StepNode(Poster& post, LogicalDevice& device, LogicalNode& node) {
    const std::string reference = node.GetReference();
    const bool lln0 = node.GetName() == "LLN0";
    switch (node.readingState) {
        case NodeReadingState::NotAsked:
            if (!Offers(Mms::MmsServiceGetVariableAccessAttributes)) {
                node.readingState = NodeReadingState::TypeRefused;
                ++post.advanced;
                break;
            }
            node.readingState = NodeReadingState::TypeAsked;
            post.Add([reference](RClient& c, std::uint32_t& id) {
                return c.GetLogicalNodeDirectory(id, reference, NodeTypeClass, AnswerFrom::Device);
            });
            if (lln0) {
                node.SetState(ObjectState::ValuesAsked);
                post.Add([reference](RClient& c, std::uint32_t& id) {
                    return c.GetAllDataValuesIntoModel(id, reference, "");
                });
            }
            break;
        case NodeReadingState::TypeRefused: {
            if (device.directoryState != DirectoryState::Complete) break;
            const bool typesOffered = Offers(Mms::MmsServiceGetVariableAccessAttributes);
            // The answer that refused the type, or the last page of the directory, makes the
            // groups just after it has left the lock: this step may come in between.
            if (typesOffered && !node.groupsFromDirectory) break;
            bool asked = false;
            if (typesOffered) {
                for (FunctionalConstraint* group : node.GetFcsInOrder()) {
                    if (group->GetState() != ObjectState::NotAsked) continue;
                    node.readingState = NodeReadingState::GroupsAsked;
                    group->SetState(ObjectState::DirectoryAsked);
                    const std::string fc = group->GetFc();
                    post.Add([reference, fc](RClient& c, std::uint32_t& id) {
                        return c.GetDataDirectory(id, reference, fc, AnswerFrom::Device);
                    });
                    asked = true;
                }
            }
            if (!asked) {
                // Nothing to ask: read with what it has.
                node.readingState = NodeReadingState::Read;
                node.SetState(ObjectState::Read);
                ++post.advanced;
            }
            break;
        }
        case NodeReadingState::GroupsAsked: {
            if (!node.IsTypeIncomplete()) {
                post.toBuild.push_back(&node);
                break;
            }
            bool pending = false;
            for (FunctionalConstraint* group : node.GetFcsInOrder()) {
                if (group->GetState() == ObjectState::DirectoryAsked || group->GetState() == ObjectState::NotAsked) {
                    pending = true;
                }
            }
            if (!pending) {
                // Every group answered or dropped and the type still lacks one: read with what it has.
                node.readingState = NodeReadingState::Read;
                node.SetState(ObjectState::Read);
                ++post.advanced;
            }
            break;
        }
        case NodeReadingState::Built:
            node.readingState = NodeReadingState::Read;
            node.SetState(ObjectState::ValuesAsked);
            ++post.advanced;
            // Every node's values are read once its type is built. The node's type was put
            // together here, in an order of its own, so each group is read by its own name.
            if (!Offers(Mms::MmsServiceRead) || node.GetFcsInOrder().empty()) {
                node.SetState(ObjectState::Read);
                break;
            }
            for (const FunctionalConstraint* group : node.GetFcsInOrder()) {
                const std::string fc = group->GetFc();
                post.Add([reference, fc](RClient& c, std::uint32_t& id) {
                    return c.GetAllDataValuesIntoModel(id, reference, fc);
                });
            }
            break;
        case NodeReadingState::Read:
            // A node whose values are read group by group (built from its groups, or refused
            // whole): the groups not yet asked, or that an ended association left
            // unanswered, each by its own name.
            if ((node.groupsFromDirectory || node.valuesByGroup) && node.GetState() == ObjectState::ValuesAsked) {
                if (!Offers(Mms::MmsServiceRead)) {
                    node.SetState(ObjectState::Read);
                    ++post.advanced;
                    break;
                }
                for (FunctionalConstraint* group : node.GetFcsInOrder()) {
                    if (group->GetState() != ObjectState::NotAsked) continue;
                    group->SetState(ObjectState::ValuesAsked);
                    const std::string fc = group->GetFc();
                    post.Add([reference, fc](RClient& c, std::uint32_t& id) {
                        return c.GetAllDataValuesIntoModel(id, reference, fc);
                    });
                }
                break;
            }
            // A node built from its type: its values, once (LLN0's again when they came
            // before its type).
            if (node.GetState() == ObjectState::NotAsked) {
                node.SetState(ObjectState::ValuesAsked);
                if (Offers(Mms::MmsServiceRead)) {
                    post.Add([reference](RClient& c, std::uint32_t& id) {
                        return c.GetAllDataValuesIntoModel(id, reference, "");
                    });
                } else {
                    node.SetState(ObjectState::Read);
                    ++post.advanced;
                }
            }
            break;
        default: break;
    }
}

bool RClient::NodeIsRead(const LogicalNode& node) const {
    if (node.GetName() == "LLN0") return node.IsFullyRead();
    if (node.readingState != NodeReadingState::Read) return false;
    if (node.GetState() != ObjectState::Read) return false;
    for (const auto& [name, dataSet] : node.GetDataSets()) {
        if (dataSet->GetState() != ObjectState::Read) return false;
    }
    for (const auto& [name, block] : node.GetBRCBs()) {
        if (!block->IsRead()) return false;
    }
    for (const auto& [name, block] : node.GetURCBs()) {
        if (!block->IsRead()) return false;
    }
    return true;
}

bool RClient::IsModelRead() {
    ResultCode lock = System::OkNoError;
    return IsModelRead(lock);
}

bool RClient::IsModelRead(ResultCode& lock) {
    lock = System::OkNoError;
    Server* server = GetServerModel();
    if (server == nullptr) return false;
    const ModelHold hold(server, ReaderLockWaitMs);
    lock = hold.GetResult();
    if (!hold.Taken()) return false;
    if (server->state != DirectoryState::Complete) return false;
    for (const auto& [name, device] : server->GetLogicalDevices()) {
        if (!IsDirectoryComplete(device->directoryState) || !IsDirectoryComplete(device->dataSetDirectoryState)) {
            return false;
        }
    }
    // The nodes the read knows of first, each until it is read; then one walk for any other.
    if (server == workServer_ && !work_.AllRead([this](const LogicalNode& node) { return NodeIsRead(node); })) {
        return false;
    }
    bool read = true;
    for (const auto& [name, device] : server->GetLogicalDevices()) {
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
            if (NodeIsRead(*node)) continue;
            read = false;
            if (server != workServer_) return false;
            work_.Recheck(node.get());
            work_.QueueNode(node.get());
        }
    }
    if (!read) return false;
    server->Bind(hold);
    return true;
}

std::uint32_t RClient::CountIncompleteDataSets() {
    Server* server = GetServerModel();
    if (server == nullptr) return 0;
    const ModelHold hold(server, ReaderLockWaitMs);
    if (!hold.Taken()) return 0;
    return CountIncompleteDataSets(hold);
}

std::uint32_t RClient::CountIncompleteDataSets(const ModelHold&) {
    Server* server = GetServerModel();
    if (server == nullptr) return 0;
    std::uint32_t incomplete = 0;
    auto count = [&](const DataSet& dataSet) {
        if (dataSet.directoryState == MemberListState::Unresolved) ++incomplete;
    };
    for (const auto& [name, device] : server->GetLogicalDevices()) {
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
            for (const auto& [setName, dataSet] : node->GetDataSets()) count(*dataSet);
        }
    }
    return incomplete;
}

bool RClient::BindIfRead() {
    Server* server = GetServerModel();
    if (server == nullptr || !server->IsRead()) return false;
    server->Bind();
    return true;
}

}  // namespace Iec61850::Acsi
