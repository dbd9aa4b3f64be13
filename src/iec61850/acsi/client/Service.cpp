#include "iec61850/acsi/client/Service.h"

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "mms/machine/MmsConnection.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduError.h"

namespace Iec61850::Acsi {

using System::ResultCode;

namespace {

Mms::MmsConnection& ConnectionOf(TPAppAssociation& association) {
    // Every chain has its MMS connection below the association from the start.
    return *association.GetMmsConnection();
}

}  // namespace

Service::Service(TPAppAssociation& association, AnswerFrom answerFrom)
    : Mms::RequestHandle(ConnectionOf(association)),
      association_(association),
      local_(answerFrom != AnswerFrom::Device) {}

Service::Service(TPAppAssociation& association, Indication) : association_(association) {}

Service::~Service() {
    if (state_.load() != Completed) {
        state_.store(Ending);
        association_.WithClient([](ClientApplication& client) { client.SignalConfirmation(); });
    }
}

Server* Service::GetServer() const { return association_.GetServer(); }

bool Service::EndedWithTheAssociation() const {
    if (local_) return false;
    const ResultCode result = GetResult();
    if (result == System::Aborted || result == System::NotConnected) return true;
    return result == System::Timeout && GetAnswerKind() == Mms::MmsPduNone && association_.EndedStalled();
}

void Service::execute() { state_.store(Executing); }

void Service::complete() { Finish(); }

void Service::completeSilently() { Finish(); }

void Service::Finish() {
    if (association_.DeferWhileSending([this] { FinishNow(); })) return;
    FinishNow();
}

void Service::FinishNow() {
    association_.WithClient([](ClientApplication& client) { client.SignalConfirmation(); });
    if (state_.load() == Ending) return;
    state_.store(Completed);
    delete this;
}

void Service::Confirm(ClientCall call) {
    // Completed within a turn at the request operations: confirmed once the sending lock
    // has been let go, as no client is called under a lock of the association.
    if (association_.DeferWhileSending([this, call] { ConfirmNow(call); })) return;
    ConfirmNow(call);
}

void Service::ConfirmNow(ClientCall call) {
    association_.WithClient([this, call](ClientApplication& client) { call(client, *this); });
    Told();
    Finish();
}

void Service::CompleteWith(ResultCode result) {
    SetResult(result);
    complete();
}

void Service::CompleteNotFound() {
    SetResult(System::InvalidArguments);
    serviceError_ = 1;
    complete();
}

Server* Service::FindReferenced(std::string_view fc, std::string_view reference, std::list<NamedObject*>& found) {
    if (reference.find('[') != std::string_view::npos) {
        CompleteWith(System::InvalidArguments);
        return nullptr;
    }
    Server* server = GetServer();
    if (server == nullptr) {
        CompleteNotFound();
        return nullptr;
    }
    if (const ResultCode result = server->FindObjects(fc, reference, found); result != System::OkNoError) {
        CompleteWith(result);
        return nullptr;
    }
    if (found.empty()) {
        CompleteNotFound();
        return nullptr;
    }
    return server;
}

bool Service::MayHoldModel(const Server& server) { return !server.IsModelLockedByThisThread(); }

ResultCode Service::SendFailure(ResultCode requestResult) const {
    // The association it was made for ended while it was being sent (the chain reset
    // meanwhile, whatever failed first): it ends as every request of that association does.
    const Mms::MmsConnection* mms = GetAssociation().GetMmsConnection();
    return mms != nullptr && mms->GetInvokeGeneration() != GetGeneration() ? System::Aborted : requestResult;
}

Service::Direct Service::SentDirect(ResultCode requestResult) {
    if (requestResult == System::OkNoError) return Direct::Sent;
    // Still this caller's: neither kept nor filed by the service user.
    SetResult(SendFailure(requestResult));
    sendFailed_ = true;
    return Direct::SendFailed;
}

void Service::Handed(ResultCode requestResult) {
    if (requestResult != System::OkNoError) CompleteWith(SendFailure(requestResult));
}

std::int32_t Service::ResultFromServiceError() {
    if (serviceError_ != NoServiceError) return serviceError_;
    std::int32_t error = NoServiceError;
    if (GetResult() == System::OkNoError || local_) {
        error = 0;
    } else {
        const std::int32_t errorClass = GetErrorClass();
        const std::int32_t code = GetErrorCode();
        switch (GetAnswerKind()) {
            case Mms::MmsPduReject: error = 12; break;
            case Mms::MmsPduConfirmedResponse:
                if (errorClass == Mms::MmsErrorClassAccess) {
                    switch (code) {
                        case 2: error = 1; break;
                        case 3: error = 3; break;
                        case 5: error = 6; break;
                        case 1: error = HardwareFaultError(); break;
                        default: break;
                    }
                }
                break;
            case Mms::MmsPduConfirmedError:
                if (errorClass == Mms::MmsErrorClassDefinition) {
                    switch (code) {
                        case 5: error = 2; break;
                        case 1: error = 1; break;
                        case 2: error = 6; break;
                        case 4: error = 10; break;
                        default: error = 11; break;
                    }
                } else if (errorClass == Mms::MmsErrorClassService && code == 2) {
                    error = 2;
                } else if (errorClass == Mms::MmsErrorClassAccess && (code == 2 || code == 3)) {
                    // object-non-existent, object-access-denied.
                    error = code == 2 ? 1 : 3;
                } else {
                    error = 11;
                }
                break;
            default: break;
        }
    }
    // After the local rule: a local create or delete is still refused as inappropriate.
    if (GetResult() == System::InvalidArguments) error = 5;
    if (GetResult() == System::AlreadyExist) error = 2;
    if (error == NoServiceError) error = 11;
    serviceError_ = error;
    return error;
}

std::int32_t Service::ResultFromAccessError(std::int32_t status) {
    if (status >= 0 && status <= 255) return serviceError_;
    switch (status & 0xFF) {
        case 1: serviceError_ = 12; break;
        case 2: serviceError_ = 8; break;
        case 3: serviceError_ = 3; break;
        case 5: serviceError_ = 6; break;
        case 7: serviceError_ = 10; break;
        case 10: serviceError_ = 1; break;
        case 11: serviceError_ = 5; break;
        default: serviceError_ = 11; break;
    }
    return serviceError_;
}

bool Service::HasConfirmedAnswer() const { return GetAnswerKind() == Mms::MmsPduConfirmedResponse; }

std::string Service::DeviceRefusalText() const {
    switch (GetAnswerKind()) {
        case Mms::MmsPduConfirmedError:
        case Mms::MmsPduConcludeError:
            return "the device refused, " + Mms::MmsServiceErrorText(GetErrorClass(), GetErrorCode());
        case Mms::MmsPduReject: return "the device refused, " + Mms::MmsRejectText(GetErrorClass(), GetErrorCode());
        default: return {};
    }
}

}  // namespace Iec61850::Acsi
