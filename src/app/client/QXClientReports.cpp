#include <list>
#include <string>
#include <vector>

#include "app/client/QXClient.h"
#include "iec61850/acsi/client/RcbServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/values/Container.h"
#include "system/NumberText.h"
#include "ui/messages/MessageParams.h"

// The report-control-block sequence: find the blocks whose data set holds the watched
// item, read each one's values until one is free (RptEna false), enable it, and later
// disable it again. Each step issues one request; the confirmation of that request (and
// no other) runs the next step.
namespace App {

using Iec61850::AnswerFrom;
using Iec61850::Acsi::BRCB;
using Iec61850::Acsi::NamedObject;
using Iec61850::Acsi::RCB;
using Iec61850::Acsi::Server;
using Iec61850::Acsi::URCB;
using Ui::ParamOf;

namespace {

constexpr std::int32_t StateEnded = 7;
constexpr std::int32_t StateChecking = 8;
constexpr std::int32_t StateEnabling = 9;

std::uintptr_t Code(std::intptr_t code) { return static_cast<std::uintptr_t>(code); }

bool IsUsable(NamedObject* object) {
    auto* block = dynamic_cast<RCB*>(object);
    return block != nullptr && block->RptEna != nullptr &&
           (dynamic_cast<BRCB*>(object) != nullptr || dynamic_cast<URCB*>(object) != nullptr);
}

enum class RptEnaReading { Enabled, Disabled, Unreadable };

// Under the model lock.
RptEnaReading ReadRptEna(RCB& block) {
    std::string text;
    bool enabled = false;
    if (block.RptEna == nullptr || block.RptEna->ToText(text) != System::OkNoError ||
        System::ParseBoolean(enabled, text) != System::OkNoError) {
        return RptEnaReading::Unreadable;
    }
    return enabled ? RptEnaReading::Enabled : RptEnaReading::Disabled;
}

}  // namespace

// What a step leaves to do once rcbMutex_ is let go: the messages in order, then at most
// one request.
struct QXClient::RcbStep {
    struct Notice {
        std::uint32_t message;
        std::intptr_t code;
        std::string text;
    };
    std::vector<Notice> notices;
    RcbRequest request = RcbRequest::None;
    bool buffered = false;
    std::string constraint;
    std::string reference;
    Iec61850::AttributeRecords records;

    void Notify(std::uint32_t message, std::intptr_t code, std::string text) {
        notices.push_back({message, code, std::move(text)});
    }
};

std::int32_t QXClient::GetEnableState() const {
    std::lock_guard lock(rcbMutex_);
    return enableState_;
}

std::string QXClient::GetCurrentRcbReference() const {
    std::lock_guard lock(rcbMutex_);
    return currentBrcb_ != nullptr || currentUrcb_ != nullptr ? currentReference_ : std::string();
}

std::pair<std::string, std::string> QXClient::WatchedItem() const {
    std::lock_guard lock(rcbMutex_);
    return {watchedConstraint_, watchedReference_};
}

void QXClient::ClearReportSequence() {
    std::lock_guard lock(rcbMutex_);
    candidates_.clear();
    currentCandidate_ = candidates_.end();
    currentBrcb_ = nullptr;
    currentUrcb_ = nullptr;
    pendingRequest_ = RcbRequest::None;
    early_.clear();
    ++rcbGeneration_;
}

std::string QXClient::LabelLocked() const { return currentReference_ + "[" + currentConstraint_ + "]"; }

// ---- the requests ----

std::int32_t QXClient::EnableReports(const Iec61850::FcReference& request) {
    Server* server = GetAssociatedServer();
    if (GetAssociation() == nullptr || server == nullptr) {
        static const std::string text = "Invalid state";
        NotifyMainWindow(WM_QX_RCB_ENABLE_STATUS, Code(-2), ParamOf(text.c_str()));
        return System::InvalidState;
    }
    std::vector<std::string> devices;
    {
        Mms::VMD::ModelHold hold(server);
        for (const auto& [name, device] : server->GetLogicalDevices()) devices.push_back(name);
    }
    std::list<NamedObject*> blocks;
    for (const std::string& device : devices) {
        // The collectors start their list afresh: each device's blocks are merged here.
        std::list<NamedObject*> unbuffered;
        std::list<NamedObject*> buffered;
        server->CollectURCBsAnyFc(device, unbuffered);
        server->CollectBRCBsAnyFc(device, buffered);
        blocks.splice(blocks.end(), unbuffered);
        blocks.splice(blocks.end(), buffered);
    }
    RcbStep step;
    {
        std::lock_guard lock(rcbMutex_);
        watchedConstraint_ = request.first;
        watchedReference_ = request.second;
        // A new sequence: a confirmation of an earlier one only updates the model.
        pendingRequest_ = RcbRequest::None;
        ++rcbGeneration_;
        candidates_.clear();
        currentBrcb_ = nullptr;
        currentUrcb_ = nullptr;
        {
            Mms::VMD::ModelHold hold(server);
            server->SelectRcbsByDataSetMember(hold, blocks, {request.first, request.second, {}}, candidates_);
        }
        currentCandidate_ = candidates_.begin();
        if (!SearchCandidateLocked()) {
            step.Notify(WM_QX_RCB_ENABLE_STATUS, -2, "No available RCBs...");
        } else {
            CheckRequestLocked(step);
        }
    }
    RunRcbStep(step);
    return System::OkNoError;
}

std::int32_t QXClient::DisableReports() {
    RcbStep step;
    {
        std::lock_guard lock(rcbMutex_);
        if (currentBrcb_ == nullptr && currentUrcb_ == nullptr) {
            step.Notify(WM_QX_RCB_DISABLE_STATUS, -2, "Invalid state");
        } else {
            // Told before the request leaves, so that the window never sees the answer first.
            step.Notify(WM_QX_RCB_DISABLE_STATUS, 0, "Disabling " + LabelLocked());
            step.request = RcbRequest::Disable;
            step.buffered = currentBrcb_ != nullptr;
            step.reference = currentReference_;
            step.records = {{"RptEna", "False"}};
        }
    }
    RunRcbStep(step);
    return System::OkNoError;
}

void QXClient::RunRcbStep(RcbStep& first) {
    RcbStep step = std::move(first);
    for (;;) {
        for (const RcbStep::Notice& notice : step.notices) {
            NotifyMainWindow(notice.message, Code(notice.code), ParamOf(notice.text.c_str()));
        }
        if (step.request == RcbRequest::None) return;
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(rcbMutex_);
            issuing_ = true;
            early_.clear();
            pendingRequest_ = step.request;
            generation = rcbGeneration_;
        }
        std::uint32_t id = 0;
        System::ResultCode issued = System::OkNoError;
        const bool get = step.request == RcbRequest::Check || step.request == RcbRequest::Recheck ||
                         step.request == RcbRequest::Refresh;
        if (get) {
            const Iec61850::FcReference block{step.constraint, step.reference};
            issued = step.buffered ? GetBRCBValues(id, block, AnswerFrom::Device)
                                   : GetURCBValues(id, block, AnswerFrom::Device);
        } else {
            issued = step.buffered ? SetBRCBValues(id, step.reference, step.records, AnswerFrom::Device)
                                   : SetURCBValues(id, step.reference, step.records, AnswerFrom::Device);
        }
        RcbStep next;
        {
            std::lock_guard lock(rcbMutex_);
            issuing_ = false;
            std::vector<RcbConfirmation> early;
            early.swap(early_);
            // A request that could not be issued ends the sequence without a word, as
            // does a sequence given up meanwhile (release, abort, a new enable).
            if (issued != System::OkNoError || generation != rcbGeneration_) {
                if (generation == rcbGeneration_) pendingRequest_ = RcbRequest::None;
                return;
            }
            pendingId_ = id;
            for (const RcbConfirmation& confirmation : early) {
                if (confirmation.id == id) {
                    const RcbRequest answered = pendingRequest_;
                    pendingRequest_ = RcbRequest::None;
                    AnswerLocked(answered, confirmation, next);
                    break;
                }
            }
        }
        step = std::move(next);
    }
}

// ---- the confirmations ----

// A confirmation the association's end made is no step of the sequence: the abort that
// follows ends the sequence and is the one message.
void QXClient::TakeRcbConfirmation(const RcbConfirmation& confirmation) {
    RcbStep step;
    {
        std::lock_guard lock(rcbMutex_);
        if (issuing_) {
            early_.push_back(confirmation);
            return;
        }
        if (pendingRequest_ == RcbRequest::None || confirmation.id != pendingId_) return;
        const RcbRequest answered = pendingRequest_;
        pendingRequest_ = RcbRequest::None;
        AnswerLocked(answered, confirmation, step);
    }
    RunRcbStep(step);
}

std::int32_t QXClient::OnGetBRCBValues(Iec61850::Acsi::GetBRCBValues* service) {
    QXClientBase::OnGetBRCBValues(service);
    if (modelLoading_.load() || service == nullptr || EndedWithTheAssociation(service, false)) return 0;
    TakeRcbConfirmation({service->GetInvokeId(), service->GetServiceError()});
    return 0;
}

std::int32_t QXClient::OnGetURCBValues(Iec61850::Acsi::GetURCBValues* service) {
    QXClientBase::OnGetURCBValues(service);
    if (modelLoading_.load() || service == nullptr || EndedWithTheAssociation(service, false)) return 0;
    TakeRcbConfirmation({service->GetInvokeId(), service->GetServiceError()});
    return 0;
}

std::int32_t QXClient::OnSetBRCBValues(Iec61850::Acsi::SetBRCBValues* service) {
    QXClientBase::OnSetBRCBValues(service);
    if (service != nullptr && !EndedWithTheAssociation(service, false))
        TakeRcbConfirmation({service->GetInvokeId(), service->GetServiceError()});
    return 0;
}

std::int32_t QXClient::OnSetURCBValues(Iec61850::Acsi::SetURCBValues* service) {
    QXClientBase::OnSetURCBValues(service);
    if (service != nullptr && !EndedWithTheAssociation(service, false))
        TakeRcbConfirmation({service->GetInvokeId(), service->GetServiceError()});
    return 0;
}

void QXClient::AnswerLocked(RcbRequest request, const RcbConfirmation& confirmation, RcbStep& step) {
    switch (request) {
        case RcbRequest::Check:
        case RcbRequest::Recheck: ContinueEnableLocked(step); break;
        case RcbRequest::Enable: SetConfirmedLocked(true, confirmation, step); break;
        case RcbRequest::Disable: SetConfirmedLocked(false, confirmation, step); break;
        default: break;  // a re-read after a refused disable only brings the model up to date
    }
}

// ---- the steps ----

bool QXClient::SearchCandidateLocked() {
    currentBrcb_ = nullptr;
    currentUrcb_ = nullptr;
    Server* server = GetAssociatedServer();
    if (server == nullptr) {
        currentCandidate_ = candidates_.end();
        return false;
    }
    Mms::VMD::ModelHold hold(server);
    for (; currentCandidate_ != candidates_.end(); ++currentCandidate_) {
        NamedObject* candidate = *currentCandidate_;
        if (!IsUsable(candidate)) continue;
        currentConstraint_ = candidate->GetFcName();
        currentReference_ = candidate->GetReference();
        currentBrcb_ = dynamic_cast<BRCB*>(candidate);
        if (currentBrcb_ == nullptr) currentUrcb_ = dynamic_cast<URCB*>(candidate);
        return true;
    }
    return false;
}

void QXClient::CheckRequestLocked(RcbStep& step) {
    step.Notify(WM_QX_RCB_ENABLE_STATUS, 0, "Checking " + LabelLocked());
    enableState_ = StateChecking;
    step.request = RcbRequest::Check;
    step.buffered = currentBrcb_ != nullptr;
    step.constraint = currentConstraint_;
    step.reference = currentReference_;
}

void QXClient::InvalidStateLocked(RcbStep& step) {
    step.Notify(WM_QX_RCB_ENABLE_STATUS, -2, "Invalid state...");
    enableState_ = StateEnded;
}

void QXClient::RequestSameBlockLocked(RcbRequest request, RcbStep& step) {
    step.request = request;
    step.buffered = currentBrcb_ != nullptr;
    step.constraint = currentConstraint_;
    step.reference = currentReference_;
}

void QXClient::ContinueEnableLocked(RcbStep& step) {
    if (enableState_ == StateChecking) {
        RCB* block = currentBrcb_ != nullptr ? static_cast<RCB*>(currentBrcb_) : currentUrcb_;
        Server* server = GetAssociatedServer();
        if (block == nullptr || server == nullptr) return InvalidStateLocked(step);
        RptEnaReading reading = RptEnaReading::Unreadable;
        bool bound = false;
        {
            Mms::VMD::ModelHold hold(server);
            bound = block->RptEna != nullptr;
            // A block whose state cannot be read may be another client's: never taken over.
            if (bound) reading = ReadRptEna(*block);
            if (reading == RptEnaReading::Disabled) {
                currentConstraint_ = block->GetFcName();
                currentReference_ = block->GetReference();
                currentBrcb_ = dynamic_cast<BRCB*>(block);
                currentUrcb_ = currentBrcb_ == nullptr ? dynamic_cast<URCB*>(block) : nullptr;
            }
        }
        if (!bound) return InvalidStateLocked(step);
        if (reading == RptEnaReading::Disabled) {
            if (currentBrcb_ == nullptr && currentUrcb_ == nullptr) return InvalidStateLocked(step);
            step.Notify(WM_QX_RCB_ENABLE_STATUS, 0, "Enabling " + LabelLocked());
            enableState_ = StateEnabling;
            step.request = RcbRequest::Enable;
            step.buffered = currentBrcb_ != nullptr;
            step.reference = currentReference_;
            step.records = {{"RptEna", "True"}, {"GI", "True"}};
            return;
        }
    }
    // The block was in use, or a re-read after a refused enable: the next candidate.
    currentBrcb_ = nullptr;
    currentUrcb_ = nullptr;
    if (currentCandidate_ != candidates_.end()) ++currentCandidate_;
    if (!SearchCandidateLocked()) {
        enableState_ = StateEnded;
        step.Notify(WM_QX_RCB_ENABLE_STATUS, -3, "No available RCBs, check connected subscribers...");
        return;
    }
    CheckRequestLocked(step);
}

void QXClient::SetConfirmedLocked(bool enabling, const RcbConfirmation& confirmation, RcbStep& step) {
    const bool haveBlock = currentBrcb_ != nullptr || currentUrcb_ != nullptr;
    if (confirmation.serviceError != 0) {
        if (!haveBlock) {
            if (enabling) return InvalidStateLocked(step);
            step.Notify(WM_QX_RCB_DISABLE_STATUS, -1, Iec61850::Acsi::ServiceErrorText(confirmation.serviceError));
            return;
        }
        if (enabling) {
            // The model holds the refused value now: the block is read again before the next
            // one is tried, and that read's answer moves on.
            RequestSameBlockLocked(RcbRequest::Recheck, step);
            return;
        }
        // A refused disable stays with this block: told, and the block read again.
        step.Notify(WM_QX_RCB_DISABLE_STATUS, -1, Iec61850::Acsi::ServiceErrorText(confirmation.serviceError));
        RequestSameBlockLocked(RcbRequest::Refresh, step);
        return;
    }
    RptEnaReading reading = RptEnaReading::Unreadable;
    if (haveBlock) {
        if (Server* server = GetAssociatedServer()) {
            Mms::VMD::ModelHold hold(server);
            RCB* block = currentBrcb_ != nullptr ? static_cast<RCB*>(currentBrcb_) : currentUrcb_;
            reading = ReadRptEna(*block);
        }
    }
    switch (reading) {
        case RptEnaReading::Enabled: step.Notify(WM_QX_RCB_ENABLE_STATUS, 1, "Enabled " + LabelLocked()); break;
        case RptEnaReading::Disabled: step.Notify(WM_QX_RCB_DISABLE_STATUS, 1, "Disabled " + LabelLocked()); break;
        default:
            if (enabling) {
                InvalidStateLocked(step);
            } else {
                step.Notify(WM_QX_RCB_DISABLE_STATUS, -2, "Invalid state");
            }
            break;
    }
}

}  // namespace App
