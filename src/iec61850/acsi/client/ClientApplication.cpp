#include "iec61850/acsi/client/ClientApplication.h"

#include <new>
#include <optional>
#include <utility>

#include "iec61850/acsi/client/AcsiLayer.h"
#include "iec61850/acsi/client/AcsiStack.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/ControlServices.h"
#include "iec61850/acsi/client/DataSetServices.h"
#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/RcbServices.h"
#include "iec61850/acsi/client/Release.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "mms/machine/RequestGroup.h"
#include "protocol/Layer.h"

namespace Iec61850 {

using System::ResultCode;
using namespace Acsi;

thread_local std::shared_ptr<const Mms::RequestGroup> ClientApplication::postingGroup_;

ClientApplication::ClientApplication() = default;

ClientApplication::~ClientApplication() {
    // The association calls back nothing more once this returns.
    ClearAssociation();
}

// ---- the association link ----

TPAppAssociation* ClientApplication::GetAssociation() const {
    std::lock_guard lock(associationMutex_);
    return association_;
}

void ClientApplication::ClearAssociation() {
    TPAppAssociation* association = nullptr;
    // Keeps the association from going before it has let go of this client.
    std::optional<TPAppAssociation::Entry> entry;
    {
        std::lock_guard lock(associationMutex_);
        association = std::exchange(association_, nullptr);
        if (association != nullptr) {
            // Unlinked at once (the next request gives 1, the next Associate makes a new
            // association), and leaving until it has told that it let go.
            leaving_.push_back(association);
            entry.emplace(*association);
        }
    }
    // Inside a callback this waits for nothing: a call on another thread may be waiting for
    // this one, and the association tells the let-go once the last call is out.
    if (association != nullptr && !association->DetachClient()) ForgetAssociation(association);
    entry.reset();
    // One that lets go later (a callback under way, or one being destroyed that still
    // confirms what it held) calls back until it tells: this client must outlive that, and
    // a callback cannot wait for it.
    if (TPAppAssociation::InCallback()) return;
    std::unique_lock lock(associationMutex_);
    left_.wait(lock, [this] { return leaving_.empty(); });
}

void ClientApplication::ForgetAssociation(TPAppAssociation* association) {
    std::lock_guard lock(associationMutex_);
    if (association_ == association) association_ = nullptr;
    if (std::erase(leaving_, association) > 0) left_.notify_all();
}

void ClientApplication::AssociationLeaving(TPAppAssociation* association) {
    std::lock_guard lock(associationMutex_);
    if (association_ != association) return;
    association_ = nullptr;
    leaving_.push_back(association);
}

bool ClientApplication::IsAssociated() const {
    std::lock_guard lock(associationMutex_);
    return association_ != nullptr && association_->IsAssociated();
}

int ClientApplication::WaitForConfirmation(std::uint32_t milliseconds) {
    // A confirmation signalled before the wait tells nothing of how long one takes.
    if (confirmation_.TryWait()) return System::Semaphore::Acquired;
    return confirmationSpin_.Wait(
        [&](Mms::AnswerSpin::Nanoseconds spin) { return confirmation_.Wait(milliseconds, spin); },
        [](int outcome) { return outcome == System::Semaphore::Acquired; });
}

ResultCode ClientApplication::SignalConfirmation() { return confirmation_.Release(); }

// ---- request groups ----

ClientApplication::RequestGroupScope::RequestGroupScope(std::shared_ptr<const Mms::RequestGroup> group)
    : outer_(std::exchange(postingGroup_, std::move(group))) {}

ClientApplication::RequestGroupScope::~RequestGroupScope() { postingGroup_ = std::move(outer_); }

void ClientApplication::WithdrawRequests(Mms::RequestGroup& group) {
    // Marked first: whatever of the group the association comes to from now on stays unsent.
    group.Withdraw();
    std::lock_guard lock(associationMutex_);
    if (association_ != nullptr) association_->NoteWithdrawals();
}

// ---- association ----

ResultCode ClientApplication::Associate(AssociationProfile& profile, std::uint32_t userValue) {
    TPAppAssociation* association = nullptr;
    TPAppAssociation* retired = nullptr;
    bool made = false;
    // Taken under the link's lock: the association does not go while this call is in it.
    std::optional<TPAppAssociation::Entry> entry;
    bool receiveThread = false;
    {
        std::lock_guard lock(associationMutex_);
        // On its association's receive thread the initiate would wait for what only that
        // thread reads, and retiring the association there (or inside any callback of it)
        // would free what calls back: refused below, the association left as it is.
        receiveThread = association_ != nullptr && (association_->OnReceiveThread() || association_->InOwnCallback());
        if (receiveThread) {
            association = association_;
            entry.emplace(*association);
        }
    }
    if (receiveThread) return association->Associate(profile, userValue);
    {
        std::lock_guard lock(associationMutex_);
        // An association serves the server whose profile's stack made it, and that server
        // destroys it when it goes: one made from another profile is not used for this one
        // (it would keep pointing into a server that may be removed). An idle one is let go
        // of; a standing one refuses the attempt below, as it does for its own server.
        // Inside a callback (of another association: its own are refused above) an idle one
        // of the same stack is let go of too: its receive thread may still carry the end of
        // its last stream, held in a callback that waits for this one (two clients each
        // associated again from the other's OnAbort), and a connect on its chain would wait
        // for that thread. A new association of the stack waits for nothing.
        const bool anotherStack = association_ != nullptr && association_->GetLayer() != &profile.GetStack()->Acsi();
        if (association_ != nullptr && association_->IsIdle() && (anotherStack || TPAppAssociation::InCallback())) {
            retired = association_;
            association_ = nullptr;
            // It may call back until it tells that it let go: this client outlives that.
            leaving_.push_back(retired);
        }
        if (association_ == nullptr) {
            association_ = profile.GetStack()->CreateAssociation();
            if (association_ == nullptr) return System::NoResources;
            made = true;
        }
        association = association_;
        entry.emplace(*association);
    }
    // Outside the link's lock: the association takes its client's lock the other way round.
    if (retired != nullptr) Retire(*retired);
    if (made) {
        association->SetClient(this);
        if (Server* server = profile.GetServer()) server->AddAssociation(association);
    }
    return association->Associate(profile, userValue);
}

void ClientApplication::Retire(TPAppAssociation& association) {
    // It calls back nothing more (inside a callback the let-go waits for nothing, and the
    // last call out tells it), and its own server, which owns it, no longer lists it.
    if (!association.DetachClient()) ForgetAssociation(&association);
    if (Server* server = association.GetServer()) server->RemoveAssociation(&association);
    Protocol::Layer* layer = association.GetLayer();
    // Inside a callback its destruction, which joins its threads and waits for the calls
    // into it, could wait for a callback that waits for this one: it goes on a thread of its
    // layer's, which the layer waits for before it goes. Elsewhere its chain goes now.
    auto* acsi = dynamic_cast<AcsiLayer*>(layer);
    if (TPAppAssociation::InCallback() && acsi != nullptr) acsi->DestroyLate(&association);
    else if (layer != nullptr) layer->RemoveConnection(&association);
}

template <typename Make>
ResultCode ClientApplication::Post(std::uint32_t& id, Make make) {
    Service* refused = nullptr;
    // Keeps the association until a refused service's confirmation (whose callback may
    // remove the server) is over.
    std::optional<TPAppAssociation::Entry> entry;
    {
        std::lock_guard lock(associationMutex_);
        if (association_ == nullptr) return System::Error;
        Service* service = make(*association_);
        if (service == nullptr) return System::NoResources;
        service->JoinGroup(postingGroup_);
        id = service->GetInvokeId();
        // Sent from here when it can be (see TPAppAssociation::SubmitRequest); the link's
        // lock keeps the association alive meanwhile.
        if (association_->SubmitRequest(service) != System::OkNoError) {
            refused = service;
            entry.emplace(*association_);
        }
    }
    // Not taken (the association is ending, or a release went before it): confirmed here
    // with the ending's code, as every request is, once the link is let go (the callback
    // may use it).
    if (refused != nullptr) refused->CompleteWith(System::Aborted);
    return System::OkNoError;
}

ResultCode ClientApplication::Release() {
    std::uint32_t id = 0;
    return Post(id, [](TPAppAssociation& a) -> Service* { return new (std::nothrow) Acsi::Release(a); });
}

ResultCode ClientApplication::GetServerDirectoryAfter(std::uint32_t& id, std::int32_t objectClass,
                                                      AnswerFrom answerFrom, const std::string& continueAfter) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        auto* service = new (std::nothrow) Acsi::GetServerDirectory(a, objectClass, answerFrom);
        if (service != nullptr) service->continueAfter = continueAfter;
        return service;
    });
}

ResultCode ClientApplication::GetServerDirectory(std::uint32_t& id, std::int32_t objectClass, AnswerFrom answerFrom) {
    return GetServerDirectoryAfter(id, objectClass, answerFrom, {});
}

ResultCode ClientApplication::GetLogicalDeviceDirectoryAfter(std::uint32_t& id, const std::string& reference,
                                                             AnswerFrom answerFrom, const std::string& continueAfter) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        auto* service = new (std::nothrow) Acsi::GetLogicalDeviceDirectory(a, reference, answerFrom);
        if (service != nullptr) service->continueAfter = continueAfter;
        return service;
    });
}

ResultCode ClientApplication::GetLogicalDeviceDirectory(std::uint32_t& id, const std::string& reference,
                                                        AnswerFrom answerFrom) {
    return GetLogicalDeviceDirectoryAfter(id, reference, answerFrom, {});
}

ResultCode ClientApplication::GetLogicalNodeDirectoryAfter(std::uint32_t& id, const std::string& reference,
                                                           std::int32_t objectClass, AnswerFrom answerFrom,
                                                           const std::string& continueAfter) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        auto* service = new (std::nothrow) Acsi::GetLogicalNodeDirectory(a, reference, objectClass, answerFrom);
        if (service != nullptr) service->continueAfter = continueAfter;
        return service;
    });
}

ResultCode ClientApplication::GetLogicalNodeDirectory(std::uint32_t& id, const std::string& reference,
                                                      std::int32_t objectClass, AnswerFrom answerFrom) {
    return GetLogicalNodeDirectoryAfter(id, reference, objectClass, answerFrom, {});
}

ResultCode ClientApplication::GetAllDataValues(std::uint32_t& id, const std::string& reference, const std::string& fc,
                                               AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::GetAllDataValues(a, reference, fc, answerFrom);
    });
}

ResultCode ClientApplication::GetAllDataValuesIntoModel(std::uint32_t& id, const std::string& reference,
                                                        const std::string& fc) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        auto* service = new (std::nothrow) Acsi::GetAllDataValues(a, reference, fc, AnswerFrom::Device);
        if (service != nullptr) service->recordsWanted = false;
        return service;
    });
}

ResultCode ClientApplication::GetDataValues(std::uint32_t& id, const FcReference& request, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::GetDataValues(a, request.first, request.second, answerFrom);
    });
}

ResultCode ClientApplication::SetDataValues(std::uint32_t& id, const FcReference& request,
                                            const std::vector<ValueRecord>& values, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::SetDataValues(a, request.first, request.second, values, answerFrom);
    });
}

ResultCode ClientApplication::GetDataDirectory(std::uint32_t& id, const std::string& reference, const std::string& fc,
                                               AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::GetDataDirectory(a, reference, fc, answerFrom);
    });
}

ResultCode ClientApplication::GetDataDefinition(std::uint32_t& id, const std::string& reference,
                                                AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::GetDataDefinition(a, reference, answerFrom);
    });
}

ResultCode ClientApplication::GetDataSetDirectory(std::uint32_t& id, const std::string& reference,
                                                  AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::GetDataSetDirectory(a, reference, answerFrom);
    });
}

ResultCode ClientApplication::GetDataSetValues(std::uint32_t& id, const std::string& reference, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::GetDataSetValues(a, reference, answerFrom);
    });
}

ResultCode ClientApplication::SetDataSetValues(std::uint32_t& id, const std::string& reference,
                                               const std::vector<ValueRecord>& values, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::SetDataSetValues(a, reference, values, answerFrom);
    });
}

ResultCode ClientApplication::CreateDataSet(std::uint32_t& id, const std::string& reference,
                                            const std::vector<ValueRecord>& members, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::CreateDataSet(a, reference, members, answerFrom);
    });
}

ResultCode ClientApplication::DeleteDataSet(std::uint32_t& id, const std::string& reference, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::DeleteDataSet(a, reference, answerFrom);
    });
}

ResultCode ClientApplication::GetBRCBValues(std::uint32_t& id, const FcReference& request, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::GetBRCBValues(a, request.first, request.second, answerFrom);
    });
}

ResultCode ClientApplication::SetBRCBValues(std::uint32_t& id, const std::string& reference,
                                            const AttributeRecords& values, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::SetBRCBValues(a, reference, values, answerFrom);
    });
}

ResultCode ClientApplication::GetURCBValues(std::uint32_t& id, const FcReference& request, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::GetURCBValues(a, request.first, request.second, answerFrom);
    });
}

ResultCode ClientApplication::SetURCBValues(std::uint32_t& id, const std::string& reference,
                                            const AttributeRecords& values, AnswerFrom answerFrom) {
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::SetURCBValues(a, reference, values, answerFrom);
    });
}

ResultCode ClientApplication::Select(std::uint32_t& id, const std::string& reference, SelectBy selectBy) {
    if (GetAssociation() == nullptr) return System::Error;
    if (selectBy == SelectBy::Unsupported) return System::NotSupported;
    return Post(id, [&](TPAppAssociation& a) -> Service* { return new (std::nothrow) Acsi::Select(a, reference); });
}

namespace {

enum class ControlKind { SelectWithValue, Operate, Cancel };

// The records of a control structure, or the reason it cannot be written.
ResultCode BuildControlRecords(ControlKind kind, const std::string& reference, const AttributeRecords& values,
                               const std::string& test, const std::string& t, const std::string& check,
                               std::vector<ValueRecord>& records) {
    if (values.empty()) return System::InvalidArguments;
    const std::string structure = kind == ControlKind::SelectWithValue ? ".SBOw."
                                  : kind == ControlKind::Operate       ? ".Oper."
                                                                       : ".Cancel.";
    for (const auto& [name, value] : values) {
        if (kind == ControlKind::Operate && name == "operTm") return System::InvalidArguments;
        // The caller's number goes out as it is, or not at all.
        if (name == "ctlNum" && !ParseControlNumber(value)) return System::InvalidArguments;
        records.push_back({"CO", reference + structure + name, value});
    }
    records.push_back({"CO", reference + structure + "Test", test});
    records.push_back({"CO", reference + structure + "T", t});
    if (kind != ControlKind::Cancel) records.push_back({"CO", reference + structure + "Check", check});
    return System::OkNoError;
}

}  // namespace

ResultCode ClientApplication::SelectWithValue(std::uint32_t& id, const std::string& reference,
                                              const AttributeRecords& values, const std::string& test,
                                              const std::string& t, const std::string& check, Activation activation) {
    if (GetAssociation() == nullptr) return System::Error;
    if (activation != Activation::Immediate) return System::NotSupported;
    std::vector<ValueRecord> records;
    if (const ResultCode built =
            BuildControlRecords(ControlKind::SelectWithValue, reference, values, test, t, check, records);
        built != System::OkNoError) {
        return built;
    }
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::SelectWithValue(a, reference, std::move(records));
    });
}

ResultCode ClientApplication::Operate(std::uint32_t& id, const std::string& reference, const AttributeRecords& values,
                                      const std::string& test, const std::string& t, const std::string& check,
                                      Activation activation) {
    if (GetAssociation() == nullptr) return System::Error;
    if (activation != Activation::Immediate) return System::NotSupported;
    std::vector<ValueRecord> records;
    if (const ResultCode built = BuildControlRecords(ControlKind::Operate, reference, values, test, t, check, records);
        built != System::OkNoError) {
        return built;
    }
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::Operate(a, reference, std::move(records));
    });
}

ResultCode ClientApplication::Cancel(std::uint32_t& id, const std::string& reference, const AttributeRecords& values,
                                     const std::string& test, const std::string& t, Activation activation) {
    if (GetAssociation() == nullptr) return System::Error;
    if (activation != Activation::Immediate) return System::NotSupported;
    std::vector<ValueRecord> records;
    if (const ResultCode built = BuildControlRecords(ControlKind::Cancel, reference, values, test, t, {}, records);
        built != System::OkNoError) {
        return built;
    }
    return Post(id, [&](TPAppAssociation& a) -> Service* {
        return new (std::nothrow) Acsi::Cancel(a, reference, std::move(records));
    });
}

// ---- callbacks: nothing here ----

std::int32_t ClientApplication::OnAssociationFailed(std::int32_t) { return 0; }
std::int32_t ClientApplication::OnAssociated(std::int32_t) { return 0; }
std::int32_t ClientApplication::OnAbort(const std::uint8_t*) { return 0; }
std::int32_t ClientApplication::OnRelease(Acsi::Release*) { return 0; }
std::int32_t ClientApplication::OnGetServerDirectory(Acsi::GetServerDirectory*) { return 0; }
std::int32_t ClientApplication::OnGetLogicalDeviceDirectory(Acsi::GetLogicalDeviceDirectory*) { return 0; }
std::int32_t ClientApplication::OnGetLogicalNodeDirectory(Acsi::GetLogicalNodeDirectory*) { return 0; }
std::int32_t ClientApplication::OnGetAllDataValues(Acsi::GetAllDataValues*) { return 0; }
std::int32_t ClientApplication::OnGetDataValues(Acsi::GetDataValues*) { return 0; }
std::int32_t ClientApplication::OnSetDataValues(Acsi::SetDataValues*) { return 0; }
std::int32_t ClientApplication::OnGetDataDirectory(Acsi::GetDataDirectory*) { return 0; }
std::int32_t ClientApplication::OnGetDataDefinition(Acsi::GetDataDefinition*) { return 0; }
std::int32_t ClientApplication::OnGetDataSetDirectory(Acsi::GetDataSetDirectory*) { return 0; }
std::int32_t ClientApplication::OnGetDataSetValues(Acsi::GetDataSetValues*) { return 0; }
std::int32_t ClientApplication::OnSetDataSetValues(Acsi::SetDataSetValues*) { return 0; }
std::int32_t ClientApplication::OnCreateDataSet(Acsi::CreateDataSet*) { return 0; }
std::int32_t ClientApplication::OnDeleteDataSet(Acsi::DeleteDataSet*) { return 0; }
std::int32_t ClientApplication::OnGetBRCBValues(Acsi::GetBRCBValues*) { return 0; }
std::int32_t ClientApplication::OnSetBRCBValues(Acsi::SetBRCBValues*) { return 0; }
std::int32_t ClientApplication::OnGetURCBValues(Acsi::GetURCBValues*) { return 0; }
std::int32_t ClientApplication::OnSetURCBValues(Acsi::SetURCBValues*) { return 0; }
std::int32_t ClientApplication::OnReport(Acsi::RCBReport*) { return 0; }
std::int32_t ClientApplication::OnSelect(Acsi::Select*) { return 0; }
std::int32_t ClientApplication::OnSelectWithValue(Acsi::SelectWithValue*) { return 0; }
std::int32_t ClientApplication::OnOperate(Acsi::Operate*) { return 0; }
std::int32_t ClientApplication::OnCancel(Acsi::Cancel*) { return 0; }
std::int32_t ClientApplication::OnCommandTermination(Acsi::ControlReport*) { return 0; }

}  // namespace Iec61850
