#include "app/client/QXClient.h"

#include <algorithm>
#include <charconv>

#include "app/client/IcdValueReads.h"
#include "app/client/SelectionCollector.h"
#include "iec61850/acsi/client/ControlServices.h"
#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/RCBReport.h"
#include "iec61850/acsi/client/Release.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/reader/ModelReader.h"
#include "mms/machine/MmsConnection.h"
#include "mms/machine/RequestGroup.h"
#include "mms/values/Container.h"
#include "ui/messages/MessageParams.h"

namespace App {

using Iec61850::Acsi::ModelClass;
using Iec61850::Acsi::Server;
using Iec61850::Acsi::ServiceErrorText;
using Ui::ParamOf;

namespace {

enum TreeKind { ReadTree, ControlTree, ReportTree };

constexpr std::uintptr_t Failure = static_cast<std::uintptr_t>(-1);

// An export's read that leaves the file with the device's word: the device answered it (a
// refusal too: the file then gives what the model holds), or there was nothing to ask (a
// constraint the node lacks). A time-out, a withdrawal or a failed send leaves the values
// unknown.
bool AnsweredForTheExport(const Iec61850::Acsi::GetAllDataValues& read) {
    if (read.IsLocal() || read.GetAnswerKind() != Mms::MmsPduNone) return true;
    const System::ResultCode result = read.GetResult();
    return result == System::OkNoError || result == System::InvalidArguments;
}

// An answer that gives no values: the model keeps what it held for the node. The edit
// buffer (SE) is refused by many devices while no group is being edited; its values are
// then no one's to give, and the file's are the model's as read with it.
bool RefusedForTheExport(const Iec61850::Acsi::GetAllDataValues& read) {
    return !read.IsLocal() && read.GetAnswerKind() != Mms::MmsPduNone && read.GetResult() != System::OkNoError &&
           read.fc != "SE";
}

}  // namespace

QXClient::QXClient(MainWindowNotifier* notifier)
    : notifier_(notifier), nameCheck_(*this, [this](std::uintptr_t outcome, const std::string& text) {
          NotifyMainWindow(WM_QX_ICD_MODEL_CHECKED, outcome, ParamOf(text.c_str()));
      }) {}

QXClient::~QXClient() {
    StopModelLoad();
    // The association may still call back (a late report or command termination) while
    // this object is being taken apart: it lets go of it first, waiting for a callback
    // under way.
    if (Iec61850::Acsi::TPAppAssociation* association = GetAssociation()) association->DetachClient();
}

std::intptr_t QXClient::NotifyMainWindow(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    MainWindowNotifier* notifier = notifier_.load();
    return notifier != nullptr ? notifier->Send(message, wParam, lParam) : 0;
}

Server* QXClient::GetAssociatedServer() const {
    Iec61850::Acsi::TPAppAssociation* association = GetAssociation();
    return association != nullptr ? association->GetServer() : nullptr;
}

// ---- association ----

System::ResultCode QXClient::Associate(Iec61850::Acsi::AssociationProfile& profile, std::uint32_t userValue) {
    loadAfterAssociate_ = false;
    checkKeptModel_ = false;
    keptModelRenewal_ = 0;
    modelKept_.store(false);
    nameCheck_.Reset();
    {
        std::lock_guard lock(refusalsMutex_);
        modelRefusals_.clear();
    }
    {
        std::lock_guard lock(directoryMutex_);
        askingDirectory_ = false;
    }
    const System::ResultCode result = QXClientBase::Associate(profile, userValue);
    if (!loadAfterAssociate_) return result;
    loadAfterAssociate_ = false;
    if (checkKeptModel_) {
        checkKeptModel_ = false;
        Server* server = GetAssociatedServer();
        switch (server != nullptr ? CheckKeptModel(*server) : KeptModelCheck::Lost) {
            case KeptModelCheck::AnotherDevice: keptModelRenewal_ = ModelReadRenewed; return result;
            case KeptModelCheck::Unidentified: keptModelRenewal_ = ModelReadRenewedUnidentified; return result;
            case KeptModelCheck::OriginUnknown: keptModelRenewal_ = ModelReadRenewedOriginUnknown; return result;
            case KeptModelCheck::ReadIncomplete: keptModelRenewal_ = ModelReadRenewedIncomplete; return result;
            // The abort has been told: to a window that knew of no association.
            case KeptModelCheck::Lost: return System::NotConnected;
            case KeptModelCheck::Own: modelKept_.store(true); break;
            // A stop ends the load at once.
            default: break;
        }
        NotifyMainWindow(WM_QX_ASSOCIATE_RESULT, 0, 0);
    }
    LoadModel();
    return result;
}

std::int32_t QXClient::OnAssociationFailed(std::int32_t reason) {
    const std::int32_t result = QXClientBase::OnAssociationFailed(reason);
    std::string text = ServiceErrorText(reason);
    // Why the device (or the system, for a connect that failed) refused, as the lower
    // layers kept it: the service error alone rarely tells the user what to fix.
    if (Iec61850::Acsi::TPAppAssociation* association = GetAssociation()) {
        const std::string refusal = association->GetInitiateOutcome().refusal.text;
        if (!refusal.empty()) text += ": " + refusal;
    }
    NotifyMainWindow(WM_QX_ASSOCIATE_RESULT, Failure, ParamOf(text.c_str()));
    return result;
}

std::int32_t QXClient::OnAssociated(std::int32_t zero) {
    const std::int32_t result = QXClientBase::OnAssociated(zero);
    ClearReportSequence();
    controlsUnconfirmed_.store(0);
    {
        // A stop asked for from the moment the window knows of this association holds.
        std::lock_guard lock(readerMutex_);
        stopRequested_ = false;
    }
    Iec61850::Acsi::TPAppAssociation* association = GetAssociation();
    Server* server = association != nullptr ? association->GetServer() : nullptr;
    // The identity the answer brings is this device's or none: never an earlier one, nor
    // the library's own default.
    if (server != nullptr) server->SetIdentity({});
    if (server != nullptr && HoldsModel(*server)) {
        // The model may be another device's: the window hears of the association once it
        // is known to be this device's (Associate).
        checkKeptModel_ = true;
    } else {
        if (server != nullptr) {
            std::lock_guard lock(originMutex_);
            origins_.erase(server);
            refusedModels_.erase(server);
        }
        NotifyMainWindow(WM_QX_ASSOCIATE_RESULT, 0, 0);
    }
    if (server != nullptr && OffersIdentify()) association->Identify(server);
    // The association calls this holding its client, which every answer needs too: the
    // load that waits for those answers follows as soon as Associate lets go, on this thread.
    loadAfterAssociate_ = true;
    return result;
}

std::int32_t QXClient::OnAbort(const std::uint8_t* record) {
    const std::int32_t result = QXClientBase::OnAbort(record);
    ClearReportSequence();
    std::string text;
    if (record != nullptr && record[0] != 0) {
        text = "Abort was issued locally";
    } else if (record != nullptr && record[1] != 0) {
        text = "Abort was issued by peer";
    }
    // A local abort is the program's own choice only when the link had not stalled.
    if (Iec61850::Acsi::TPAppAssociation* association = GetAssociation();
        association != nullptr && association->EndedStalled())
        text += "\n\r" + std::string(LinkStalledText);
    // A control that no answer confirmed may have reached the device all the same.
    if (controlsUnconfirmed_.exchange(0) > 0) text += "\n\r" + std::string(ControlOutcomeUnknownText);
    NotifyMainWindow(WM_QX_ABORTED, 0, ParamOf(text.c_str()));
    return result;
}

std::int32_t QXClient::OnRelease(Iec61850::Acsi::Release* service) {
    const std::int32_t result = QXClientBase::OnRelease(service);
    ClearSelectionMaps();
    ClearReportSequence();
    const std::int32_t error = service != nullptr ? service->GetServiceError() : 0;
    if (error != 0 && service->EndedWithTheAssociation()) {
        // The abort that ended the association is told on its own: one box for one end.
    } else if (error == 0) {
        NotifyMainWindow(WM_QX_RELEASE_RESULT, 0, 0);
    } else {
        // The device's own words for its refusal ("the device refused, conclude ..."): the
        // service error alone says only that the release failed.
        const std::string text = service->RefusedByDevice() ? service->DeviceRefusalText() : ServiceErrorText(error);
        NotifyMainWindow(WM_QX_RELEASE_RESULT, Failure, ParamOf(text.c_str()));
    }
    return result;
}

// ---- values ----

std::int32_t QXClient::OnGetAllDataValues(Iec61850::Acsi::GetAllDataValues* service) {
    QXClientBase::OnGetAllDataValues(service);
    if (modelLoading_.load()) return 0;
    bool counted = false;
    bool askNext = false;
    std::int32_t count = 0;
    std::int32_t shown = 0;
    pendingLock_.Wait(0);
    // Only the reads of the export under way count down (and a read asked outside any
    // group, by a caller that keeps the count itself): a late confirmation of the model
    // reader's own reads, or of an earlier export's reads still out when it ended, must
    // neither start an export no one asked for nor end this one early.
    const Mms::RequestGroup* group = service->GetGroup();
    const bool ofTheExport = group != nullptr && group == icdReads_.get();
    if (pendingValueReads_ > 0 && (group == nullptr || ofTheExport)) {
        --pendingValueReads_;
        if (ofTheExport && icdReadsOut_ > 0) --icdReadsOut_;
        counted = true;
        const std::string read = service->node + " " + service->fc;
        if (service->EndedWithTheAssociation()) {
            // Nothing more will be answered: the end is told with the association's.
            valueReadTally_.endedWithTheAssociation = true;
            pendingValueReads_ = 0;
        } else if (!AnsweredForTheExport(*service)) {
            // No file will be written: no read is asked after it.
            ++valueReadTally_.unanswered;
            if (valueReadTally_.timedOut.empty()) {
                valueReadTally_.timedOut = read;
                valueReadTally_.timeoutMs = service->GetAssociation().GetTimeout();
            }
            pendingValueReads_ = 0;
        } else {
            if (RefusedForTheExport(*service)) valueReadTally_.refused.push_back(read);
            askNext = true;
        }
        count = pendingValueReads_;
        shown = count > 0 && ofTheExport ? OutstandingInOrderLocked(*service) : count;
    }
    // Ended: what the export asked and is not yet sent never goes (after a time-out, the rest
    // of its window), and nothing of it counts any more.
    std::shared_ptr<Mms::RequestGroup> ended;
    if (counted && count <= 0 && ofTheExport) ended = std::move(icdReads_);
    // Confirmations come on several threads at once (the receive thread's answers, the
    // association's thread's, a caller's refused read): the counts are queued in the order
    // they fell, and told in that order (TellExportCounts).
    if (counted) exportUntold_.emplace_back(WM_QX_ICD_PROGRESS, shown);
    if (counted && count <= 0) exportUntold_.emplace_back(WM_QX_ICD_DATA_READ, 0);
    pendingLock_.Release();
    if (ended != nullptr) WithdrawRequests(*ended);
    TellExportCounts();
    // With no lock held: a read refused at once is confirmed on this thread, which counts it
    // down here again.
    if (counted && count > 0 && askNext && AskIcdReads()) {
        pendingLock_.Wait(0);
        exportUntold_.emplace_back(WM_QX_ICD_DATA_READ, 0);
        pendingLock_.Release();
        TellExportCounts();
    }
    return 0;
}

void QXClient::TellExportCounts() {
    pendingLock_.Wait(0);
    if (exportTelling_) {
        pendingLock_.Release();
        return;
    }
    exportTelling_ = true;
    while (!exportUntold_.empty()) {
        const auto [message, count] = exportUntold_.front();
        exportUntold_.pop_front();
        pendingLock_.Release();
        NotifyMainWindow(message, 0, count);
        pendingLock_.Wait(0);
    }
    exportTelling_ = false;
    pendingLock_.Release();
}

System::ResultCode QXClient::GetDataValues(std::uint32_t& id, const Iec61850::FcReference& request,
                                           Iec61850::AnswerFrom answerFrom) {
    {
        std::lock_guard lock(lastReadMutex_);
        lastReadConstraint_ = request.first;
        lastReadReference_ = request.second;
    }
    Iec61850::FcReference sent = request;
    // The library addresses data by whole attributes: an array element is read with its array.
    if (const std::size_t cut = sent.second.find(".["); cut != std::string::npos) sent.second.resize(cut);
    return QXClientBase::GetDataValues(id, sent, answerFrom);
}

Iec61850::FcReference QXClient::GetLastRead() const {
    std::lock_guard lock(lastReadMutex_);
    return {lastReadConstraint_, lastReadReference_};
}

std::int32_t QXClient::OnGetDataValues(Iec61850::Acsi::GetDataValues* service) {
    const std::int32_t result = QXClientBase::OnGetDataValues(service);
    static const std::string unknown = "Unknown error";
    // Nobody refused it: the abort that ended the association is the one message.
    if (service != nullptr && (service->EndedWithTheAssociation() || service->Withdrawn())) return 0;
    if (result != 0 || service == nullptr) {
        NotifyMainWindow(WM_QX_READ_RESULT, Failure, ParamOf(unknown.c_str()));
        return 1;
    }
    if (const std::int32_t error = service->GetServiceError(); error != 0) {
        const std::string text = ServiceErrorText(error);
        NotifyMainWindow(WM_QX_READ_RESULT, Failure, ParamOf(text.c_str()));
        return 0;
    }
    const Iec61850::FcReference asked = GetLastRead();
    for (const Iec61850::Acsi::ValueRecord& record : service->values) {
        if (record.fc == asked.first && record.reference == asked.second) {
            NotifyMainWindow(WM_QX_READ_RESULT, 0, ParamOf(record.value.c_str()));
            return 0;
        }
    }
    NotifyMainWindow(WM_QX_READ_RESULT, Failure, ParamOf(unknown.c_str()));
    return 1;
}

namespace {

std::int32_t CodeOf(Mms::Container* value) {
    std::string text;
    if (value != nullptr) value->ToText(text);
    std::int32_t code = -1;
    std::from_chars(text.data(), text.data() + text.size(), code);
    return code;
}

}  // namespace

std::string QXClient::DescribeLastApplError(const Iec61850::Acsi::LastApplError& error) {
    const std::int32_t code = CodeOf(error.error);
    const std::int32_t cause = CodeOf(error.addCause);
    return "LastApplError Error " + std::to_string(code) + " (" + Iec61850::Acsi::ControlLastApplErrorText(code) +
           "), AddCause " + std::to_string(cause) + " (" + Iec61850::Acsi::AddCauseText(cause) + ")";
}

bool QXClient::EndedWithTheAssociation(const Iec61850::Acsi::Service* service, bool control) {
    if (service != nullptr && service->EndedWithTheAssociation()) return true;
    if (control) {
        // Never below 0: a count the abort took is not taken again.
        int count = controlsUnconfirmed_.load();
        while (count > 0 && !controlsUnconfirmed_.compare_exchange_weak(count, count - 1)) {}
    }
    // Withdrawn unsent: the device never saw it, and whoever withdrew it knows.
    return service != nullptr && service->Withdrawn();
}

System::ResultCode QXClient::CountControl(System::ResultCode made) {
    // A control that was not made is never confirmed.
    if (made != System::OkNoError) EndedWithTheAssociation(nullptr, true);
    return made;
}

System::ResultCode QXClient::Select(std::uint32_t& id, const std::string& reference, Iec61850::SelectBy selectBy) {
    controlsUnconfirmed_.fetch_add(1);
    return CountControl(QXClientBase::Select(id, reference, selectBy));
}

System::ResultCode QXClient::SelectWithValue(std::uint32_t& id, const std::string& reference,
                                             const Iec61850::AttributeRecords& values, const std::string& test,
                                             const std::string& t, const std::string& check,
                                             Iec61850::Activation activation) {
    controlsUnconfirmed_.fetch_add(1);
    return CountControl(QXClientBase::SelectWithValue(id, reference, values, test, t, check, activation));
}

System::ResultCode QXClient::Operate(std::uint32_t& id, const std::string& reference,
                                     const Iec61850::AttributeRecords& values, const std::string& test,
                                     const std::string& t, const std::string& check, Iec61850::Activation activation) {
    controlsUnconfirmed_.fetch_add(1);
    return CountControl(QXClientBase::Operate(id, reference, values, test, t, check, activation));
}

System::ResultCode QXClient::Cancel(std::uint32_t& id, const std::string& reference,
                                    const Iec61850::AttributeRecords& values, const std::string& test,
                                    const std::string& t, Iec61850::Activation activation) {
    controlsUnconfirmed_.fetch_add(1);
    return CountControl(QXClientBase::Cancel(id, reference, values, test, t, activation));
}

void QXClient::SendWriteResult(WriteKind kind, std::int32_t serviceError, const std::string& objectReference) {
    std::string applError;
    {
        std::lock_guard lock(applErrorMutex_);
        // "LD0/CSWI2.Pos.Oper" belongs to the write of "LD0/CSWI2.Pos"; what belongs to
        // no write of this object is not this write's.
        if (serviceError != 0 && !objectReference.empty() && applErrorObject_.rfind(objectReference + ".", 0) == 0)
            applError = applErrorText_;
        applErrorObject_.clear();
        applErrorText_.clear();
    }
    const char* const done[] = {"Value has been set", "Object has been selected", "Selection has been cancelled"};
    const char* const refused[] = {"Value has not been set", "Object has not been selected",
                                   "Selection has not been cancelled"};
    const auto index = static_cast<std::size_t>(kind);
    if (serviceError == 0) {
        const std::string text = done[index];
        NotifyMainWindow(WM_QX_WRITE_RESULT, 0, ParamOf(text.c_str()));
        return;
    }
    std::string text = std::string(refused[index]) + "\n\r Service error:" + ServiceErrorText(serviceError);
    if (!applError.empty()) text += "\n\r " + applError;
    NotifyMainWindow(WM_QX_WRITE_RESULT, Failure, ParamOf(text.c_str()));
}

std::int32_t QXClient::OnSetDataValues(Iec61850::Acsi::SetDataValues* service) {
    const std::int32_t result = QXClientBase::OnSetDataValues(service);
    if (EndedWithTheAssociation(service, false)) return result;
    SendWriteResult(WriteKind::Value, service != nullptr ? service->GetServiceError() : 0, {});
    return result;
}

std::int32_t QXClient::OnSelect(Iec61850::Acsi::Select* service) {
    const std::int32_t result = QXClientBase::OnSelect(service);
    if (EndedWithTheAssociation(service, true)) return result;
    SendWriteResult(WriteKind::Select, service != nullptr ? service->GetServiceError() : 0,
                    service != nullptr ? service->objectReference : std::string());
    return result;
}

std::int32_t QXClient::OnSelectWithValue(Iec61850::Acsi::SelectWithValue* service) {
    const std::int32_t result = QXClientBase::OnSelectWithValue(service);
    if (EndedWithTheAssociation(service, true)) return result;
    SendWriteResult(WriteKind::Select, service != nullptr ? service->GetServiceError() : 0,
                    service != nullptr ? service->objectReference : std::string());
    return result;
}

std::int32_t QXClient::OnOperate(Iec61850::Acsi::Operate* service) {
    const std::int32_t result = QXClientBase::OnOperate(service);
    if (EndedWithTheAssociation(service, true)) return result;
    SendWriteResult(WriteKind::Value, service != nullptr ? service->GetServiceError() : 0,
                    service != nullptr ? service->objectReference : std::string());
    return result;
}

std::int32_t QXClient::OnCancel(Iec61850::Acsi::Cancel* service) {
    const std::int32_t result = QXClientBase::OnCancel(service);
    if (EndedWithTheAssociation(service, true)) return result;
    SendWriteResult(WriteKind::Cancel, service != nullptr ? service->GetServiceError() : 0,
                    service != nullptr ? service->objectReference : std::string());
    return result;
}

std::int32_t QXClient::OnCommandTermination(Iec61850::Acsi::ControlReport* report) {
    const std::int32_t result = QXClientBase::OnCommandTermination(report);
    // A positive termination follows a write whose success was shown already.
    if (report == nullptr || report->lastApplError == nullptr) return result;
    const std::string description = DescribeLastApplError(*report->lastApplError);
    if (report->controlObject == nullptr) {
        // A LastApplError alone comes with a refused write, ahead of it: the write's
        // refusal tells it.
        std::lock_guard lock(applErrorMutex_);
        applErrorObject_ = report->lastApplError->reference;
        applErrorText_ = description;
        return result;
    }
    // A negative termination of a command the device had started: its reason.
    const std::string text = "Command terminated: " + description;
    NotifyMainWindow(WM_QX_WRITE_RESULT, Failure, ParamOf(text.c_str()));
    return result;
}

std::int32_t QXClient::OnReport(Iec61850::Acsi::RCBReport* report) {
    const std::int32_t result = QXClientBase::OnReport(report);
    if (report == nullptr) return result;
    for (const Iec61850::Acsi::ReportHeaderRecord& field : report->header) {
        if (field.first == "TimeOfEntry") {
            const std::string text = "Report received with ToE: " + field.second;
            NotifyMainWindow(WM_QX_REPORT, 2, ParamOf(text.c_str()));
            break;
        }
    }
    const auto [constraint, reference] = WatchedItem();
    for (const Iec61850::Acsi::ReportEntry& entry : report->entries) {
        for (const Iec61850::Acsi::ValueRecord& value : entry.values) {
            if (value.fc == constraint && value.reference == reference) {
                NotifyMainWindow(WM_QX_REPORT, 1, ParamOf(value.value.c_str()));
                return result;
            }
        }
    }
    return result;
}

// ---- the model load ----

void QXClient::StopModelLoad() {
    std::lock_guard lock(readerMutex_);
    stopRequested_ = true;
    if (reader_ != nullptr) reader_->Stop();
}

std::size_t QXClient::ExportWindow() const {
    // As many reads out as the device takes, at most the window: one more would wait on
    // the association's thread for the device to make room.
    std::size_t window = IcdReadWindow;
    if (Iec61850::Acsi::TPAppAssociation* association = GetAssociation()) {
        if (Mms::MmsConnection* mms = association->GetMmsConnection()) {
            const std::size_t allowed = mms->GetMaxServOutstandingCalling();
            if (allowed > 0) window = std::min(window, allowed);
        }
    }
    return window;
}

std::shared_ptr<const Mms::RequestGroup> QXClient::BeginIcdReads(std::vector<Iec61850::FcReference> reads) {
    const std::size_t window = ExportWindow();
    auto group = std::make_shared<Mms::RequestGroup>();
    std::map<Iec61850::FcReference, std::size_t> places;
    for (std::size_t i = 0; i < reads.size(); ++i) places.emplace(reads[i], i);
    pendingLock_.Wait(0);
    icdReads_ = group;
    icdReadQueue_ = std::move(reads);
    icdReadPlaces_ = std::move(places);
    icdReadsDone_.assign(icdReadQueue_.size(), false);
    icdReadsDoneInOrder_ = 0;
    icdReadNext_ = 0;
    icdReadsOut_ = 0;
    icdReadWindow_ = window;
    pendingLock_.Release();
    return group;
}

std::int32_t QXClient::OutstandingInOrderLocked(const Iec61850::Acsi::GetAllDataValues& read) {
    // A read a node's lacking constraint answers at once, ahead of the reads sent before it,
    // is done only once they are: the count never runs ahead of the device's answers.
    if (const auto place = icdReadPlaces_.find({read.fc, read.node}); place != icdReadPlaces_.end())
        icdReadsDone_[place->second] = true;
    while (icdReadsDoneInOrder_ < icdReadsDone_.size() && icdReadsDone_[icdReadsDoneInOrder_]) ++icdReadsDoneInOrder_;
    return static_cast<std::int32_t>(icdReadQueue_.size() - icdReadsDoneInOrder_);
}

void QXClient::StopIcdReads() {
    // The withdrawn reads are confirmed too: none may count the export down to its end.
    pendingLock_.Wait(0);
    const std::shared_ptr<Mms::RequestGroup> group = std::move(icdReads_);
    pendingValueReads_ = 0;
    icdReadQueue_.clear();
    icdReadNext_ = 0;
    icdReadsOut_ = 0;
    pendingLock_.Release();
    if (group != nullptr) WithdrawRequests(*group);
}

bool QXClient::AskIcdReads() {
    bool ended = false;
    std::shared_ptr<Mms::RequestGroup> endedGroup;
    pendingLock_.Wait(0);
    // One thread asks at a time, so that the reads leave in the order of the queue. Another
    // finds it asking and leaves the turn to it: it looks at the window again after every
    // read it asks, under the lock in which the other changed it.
    if (icdReadPosting_) {
        pendingLock_.Release();
        return false;
    }
    icdReadPosting_ = true;
    // Several reads out at once: the device answers them in turn, each within the time-out
    // from the answer before it (the pending table times them so), and a distant device's
    // round trips overlap. The window bounds what a withdrawal leaves to run its course.
    while (icdReads_ != nullptr && pendingValueReads_ > 0 && icdReadNext_ < icdReadQueue_.size() &&
           icdReadsOut_ < icdReadWindow_) {
        const std::shared_ptr<const Mms::RequestGroup> group = icdReads_;
        const Iec61850::FcReference next = icdReadQueue_[icdReadNext_++];
        ++icdReadsOut_;
        pendingLock_.Release();
        System::ResultCode asked = System::OkNoError;
        {
            const Iec61850::ClientApplication::RequestGroupScope scope(group);
            std::uint32_t id = 0;
            asked = GetAllDataValues(id, next.second, next.first, Iec61850::AnswerFrom::Device);
        }
        pendingLock_.Wait(0);
        // Refused at once, for the export under way: never asked, its values are not the
        // device's. Answers count down too: only the step that reaches 0 ends the reads.
        if (asked == System::OkNoError || icdReads_ != group) continue;
        --icdReadsOut_;
        if (pendingValueReads_ > 0) {
            ++valueReadTally_.unanswered;
            if (--pendingValueReads_ == 0) {
                ended = true;
                endedGroup = std::move(icdReads_);
                break;
            }
        }
    }
    icdReadPosting_ = false;
    pendingLock_.Release();
    if (endedGroup != nullptr) WithdrawRequests(*endedGroup);
    return ended;
}

bool QXClient::LoadModel() {
    Server* server = GetAssociatedServer();
    if (server == nullptr) return true;
    ClearSelectionMaps();
    NotifyMainWindow(WM_QX_MODEL_READ_START, modelKept_.load() ? ModelReadKept : 0, 0);
    modelLoading_.store(true);
    Iec61850::Acsi::ModelReader reader(*this);
    reader.SetProgressHook([this](const Iec61850::Acsi::ModelProgress& counts) {
        ModelReadProgress record;
        record.logicalNodes = static_cast<std::int32_t>(counts.logicalNodes);
        record.logicalDevices = static_cast<std::int32_t>(counts.logicalDevices);
        record.dataObjects = static_cast<std::int32_t>(counts.dataObjects);
        record.allObjects = static_cast<std::int32_t>(counts.allObjects);
        NotifyMainWindow(WM_QX_MODEL_READ_PROGRESS, 0, ParamOf(&record));
    });
    {
        std::lock_guard lock(readerMutex_);
        reader_ = &reader;
        if (stopRequested_) reader.Stop();
    }
    const std::int32_t result = reader.Run();
    bool stopped = false;
    {
        std::lock_guard lock(readerMutex_);
        reader_ = nullptr;
        stopped = stopRequested_;
    }
    modelLoading_.store(false);
    modelReadResult_.store(result);
    // A refused list is never asked again on this association, and a later one would go on
    // from this model: it lacks that list for good, however the read ended.
    std::vector<std::string> refusals;
    for (const Iec61850::Acsi::ReadRefusal& refusal : GetReadRefusals()) refusals.push_back(refusal.Text());
    if (!refusals.empty()) {
        std::lock_guard lock(originMutex_);
        refusedModels_.insert(server);
    }
    {
        std::lock_guard lock(refusalsMutex_);
        modelRefusals_ = refusals;
    }
    NoteModelOrigin(*server);
    // A lost association or a stop ends here: the abort or release that caused it tells
    // the window. A device that fell silent leaves what was read, shown as such.
    using Iec61850::Acsi::ModelReader;
    if (stopped || (result != ModelReader::ResultRead && result != ModelReader::ResultNoAnswer &&
                    result != ModelReader::ResultIncomplete)) {
        return true;
    }
    server->Bind();
    BuildReadTree({});
    BuildControlTree({});
    BuildReportTree({});
    // A refusal is what the model lacks first: data sets that name what it would have
    // listed are incomplete for that same cause, and one message tells both.
    std::string refused;
    for (const std::string& line : refusals) refused += (refused.empty() ? "" : "\n\r") + line;
    const std::uintptr_t done = !refusals.empty()                         ? ModelReadRefused
                                : result == ModelReader::ResultRead       ? 0
                                : result == ModelReader::ResultIncomplete ? ModelReadIncomplete
                                                                          : ModelReadPartial;
    NotifyMainWindow(WM_QX_MODEL_READ_DONE, done, refusals.empty() ? 0 : ParamOf(refused.c_str()));
    return true;
}

std::vector<std::string> QXClient::GetModelRefusals() const {
    std::lock_guard lock(refusalsMutex_);
    return modelRefusals_;
}

// ---- the selection trees ----

void QXClient::BuildTree(SelectionTree& target, const std::string& device, int kind) {
    SelectionTree tree;
    if (Server* server = GetAssociatedServer()) {
        switch (kind) {
            case ReadTree: SelectionCollector(SelectionFilter::Read()).CollectReadTree(*server, tree, device); break;
            case ControlTree:
                SelectionCollector(SelectionFilter::Control()).CollectControlTree(*server, tree, device);
                break;
            default: SelectionCollector(SelectionFilter::Report()).CollectReportTree(*server, tree, device); break;
        }
    }
    std::lock_guard lock(treesMutex_);
    target = std::move(tree);
}

void QXClient::BuildReadTree(const std::string& device) { BuildTree(readMap_, device, ReadTree); }
void QXClient::BuildControlTree(const std::string& device) { BuildTree(controlMap_, device, ControlTree); }
void QXClient::BuildReportTree(const std::string& device) { BuildTree(reportMap_, device, ReportTree); }

void QXClient::ClearSelectionMaps() {
    std::lock_guard lock(treesMutex_);
    readMap_.clear();
    controlMap_.clear();
    reportMap_.clear();
}

void QXClient::GetLogicalDeviceNames(std::vector<std::string>& names) const {
    names.clear();
    Server* server = GetAssociatedServer();
    if (server == nullptr) return;
    Mms::VMD::ModelHold hold(server);
    for (const auto& [name, device] : server->GetLogicalDevices()) names.push_back(name);
}

SelectionTree QXClient::GetReadTree() const {
    std::lock_guard lock(treesMutex_);
    return readMap_;
}

SelectionTree QXClient::GetControlTree() const {
    std::lock_guard lock(treesMutex_);
    return controlMap_;
}

SelectionTree QXClient::GetReportTree() const {
    std::lock_guard lock(treesMutex_);
    return reportMap_;
}

}  // namespace App
