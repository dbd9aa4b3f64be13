// The client face of the service user: answers taken off the pending table and applied
// to their requests' targets.

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsFrame.h"
#include "mms/machine/RequestHandle.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/user/AccessResults.h"
#include "mms/user/Domain.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"

namespace Mms {

using System::ResultCode;

namespace {

// Targets of object requests are kept as MmsObject pointers.
template <typename Class>
Class* TargetAs(const RequestHandle& request) {
    return dynamic_cast<Class*>(static_cast<MmsObject*>(request.GetTarget()));
}

// Answers that write into the model's objects (a deletion takes the lock itself): the ones
// ApplyModelAnswer takes.
bool TouchesModel(std::int32_t service) {
    return service == MmsServiceRead || service == MmsServiceWrite ||
           service == MmsServiceGetVariableAccessAttributes || service == MmsServiceGetNamedVariableListAttributes;
}

bool IsSingleVariableKind(std::int32_t kind) {
    return kind == RequestHandle::KindVariable || kind == RequestHandle::KindNamedVariable;
}

}  // namespace

ResultCode MmsUserConnection::OnConfirmedResponse(MmsFrame& frame) {
    RequestHandle* request = nullptr;
    std::int32_t service = 0;
    if (ResultCode result = TakePendingRequest(frame, request, &service); result != System::OkNoError) return result;
    ResultCode outcome = System::OkNoError;
    if (TouchesModel(service)) {
        // Values and types land in the VMD's objects, which other threads read under the
        // model lock; the request is filed (and so completed) only once it is let go.
        const VMD::ModelHold hold(GetVmd());
        outcome = ApplyModelAnswer(hold, *request, service, frame);
    } else {
        outcome = ApplyConfirmedResponse(*request, service, frame);
    }
    if (outcome >= AccessErrorBase) {
        // A variable refused by the peer: reported like a service error of class access.
        request->SetError(MmsErrorClassAccess, outcome - AccessErrorBase);
        outcome = System::Error;
    }
    request->SetResult(outcome);
    FileAnswered(request, service);
    return System::OkNoError;
}

ResultCode MmsUserConnection::ApplyConfirmedResponse(RequestHandle& request, std::int32_t expectedService,
                                                     const MmsFrame& frame) {
    const MmsConfirmedServiceResponse& response = frame.GetPdu()->choice.confirmedResponse.service;
    // Applying an answer of another service would read the target as the wrong type.
    if (response.present != expectedService) return System::InvalidResponse;
    switch (response.present) {
        case MmsServiceStatus: {
            VMD* vmd = TargetAs<VMD>(request);
            return vmd != nullptr ? vmd->ApplyStatus(response.choice.status) : System::InvalidContext;
        }
        case MmsServiceGetNameList: return OnGetNameListResponse(request, response.choice.getNameList);
        case MmsServiceIdentify: {
            VMD* vmd = TargetAs<VMD>(request);
            return vmd != nullptr ? vmd->ApplyIdentity(response.choice.identify) : System::InvalidContext;
        }
        case MmsServiceDefineNamedVariableList: return OnDefineNamedVariableListResponse(request);
        case MmsServiceDeleteNamedVariableList:
            return OnDeleteNamedVariableListResponse(request, response.choice.deleteNamedVariableList);
        case MmsServiceGetDomainAttributes:
            return OnGetDomainAttributesResponse(request, response.choice.getDomainAttributes);
        case MmsServiceGetCapabilityList: {
            auto* capabilities = static_cast<NameCollection*>(request.GetTarget());
            if (capabilities == nullptr) return System::InvalidContext;
            bool moreFollows = false;
            const ResultCode result =
                MmsReadGetCapabilityListResponse(response.choice.getCapabilityList, *capabilities, moreFollows);
            request.SetMoreFollows(moreFollows);
            return result;
        }
        default: return System::NotSupported;
    }
}

ResultCode MmsUserConnection::ApplyModelAnswer(const ModelHold& hold, RequestHandle& request,
                                               std::int32_t expectedService, const MmsFrame& frame) {
    const MmsConfirmedServiceResponse& response = frame.GetPdu()->choice.confirmedResponse.service;
    if (response.present != expectedService) return System::InvalidResponse;
    switch (response.present) {
        case MmsServiceRead: {
            if (!frame.KeepsReadResults()) return OnReadResponse(hold, request, response.choice.read);
            AccessResults results(frame.GetReadResults(), frame.GetReadResultCount());
            return ApplyReadResults(hold, request, response.choice.read, results);
        }
        case MmsServiceWrite: return OnWriteResponse(hold, request, response.choice.write);
        case MmsServiceGetVariableAccessAttributes:
            return OnGetVariableAccessAttributesResponse(hold, request, response.choice.getVariableAccessAttributes);
        case MmsServiceGetNamedVariableListAttributes:
            return OnGetNamedVariableListAttributesResponse(hold, request,
                                                            response.choice.getNamedVariableListAttributes);
        default: return System::NotSupported;
    }
}

ResultCode MmsUserConnection::OnGetNameListResponse(RequestHandle& request, const MmsGetNameListResponse& response) {
    auto* names = static_cast<NameCollection*>(request.GetTarget());
    if (names == nullptr) return System::InvalidContext;
    bool moreFollows = false;
    const ResultCode result = MmsReadGetNameListResponse(response, *names, moreFollows);
    request.SetMoreFollows(moreFollows);
    return result;
}

ResultCode MmsUserConnection::OnGetDomainAttributesResponse(RequestHandle& request,
                                                            const MmsGetDomainAttributesResponse& response) {
    Domain* domain = TargetAs<Domain>(request);
    if (domain == nullptr) return System::InvalidContext;
    MmsDomainAttributes attributes;
    if (ResultCode result = MmsReadGetDomainAttributesResponse(response, attributes); result != System::OkNoError) {
        return result;
    }
    return domain->ApplyAttributes(attributes);
}

ResultCode MmsUserConnection::OnGetVariableAccessAttributesResponse(
    const ModelHold&, RequestHandle& request, const MmsGetVariableAccessAttributesResponse& response) {
    Variable* variable = TargetAs<Variable>(request);
    return variable != nullptr ? variable->ApplyAccessAttributes(response) : System::InvalidContext;
}

ResultCode MmsUserConnection::OnGetNamedVariableListAttributesResponse(
    const ModelHold&, RequestHandle& request, const MmsGetNamedVariableListAttributesResponse& response) {
    NamedVariableList* list = TargetAs<NamedVariableList>(request);
    return list != nullptr ? list->ApplyAttributes(response) : System::InvalidContext;
}

ResultCode MmsUserConnection::OnDefineNamedVariableListResponse(RequestHandle& request) {
    NamedVariableList* list = TargetAs<NamedVariableList>(request);
    if (list == nullptr) return System::InvalidContext;
    list->ErrStatus = System::OkNoError;
    return System::OkNoError;
}

ResultCode MmsUserConnection::OnDeleteNamedVariableListResponse(RequestHandle& request,
                                                                const MmsDeleteNamedVariableListResponse& response) {
    NamedVariableList* list = TargetAs<NamedVariableList>(request);
    if (list == nullptr) return System::InvalidContext;
    if (response.numberMatched == 1 && response.numberDeleted == 1) {
        // Other requests for this list may still be pending (a second deletion, a read,
        // its attributes); their answers come later on this thread and must meet no
        // list rather than a freed one.
        pendingRequests_.ForgetTarget(list);
        MmsObject* owner = list->GetOwner();
        if (owner == nullptr) {
            if (MmsUserConnection* connection = list->GetConnection(); connection != nullptr) {
                connection->RemoveObject(list);
            }
            delete list;
        } else {
            // Whoever finds the list in the model does so under the model lock: it is
            // gone from the map and deleted before that thread can look again.
            VMD::ModelHold hold(VMD::Of(list));
            if (owner->GetClassId() == DomainClassId || owner->GetClassId() == VmdClassId) {
                owner->RemoveNamedVariableList(list);
            }
            delete list;
        }
        request.SetTarget(nullptr);
        return System::OkNoError;
    }
    ResultCode result = System::Error;
    if (response.numberMatched == 0) {
        result = System::InvalidContext;
    } else if (response.numberMatched != response.numberDeleted) {
        result = System::InvalidState;
    }
    list->ErrStatus = result;
    return result;
}

ResultCode MmsUserConnection::OnReadResponse(const ModelHold& hold, RequestHandle& request,
                                             const MmsReadResponse& response) {
    AccessResults results(response.listOfAccessResult);
    return ApplyReadResults(hold, request, response, results);
}

ResultCode MmsUserConnection::ApplyReadResults(const ModelHold&, RequestHandle& request,
                                               const MmsReadResponse& response, AccessResults& results) {
    const std::int32_t kind = request.GetKind();
    if (IsSingleVariableKind(kind)) {
        Variable* variable = TargetAs<Variable>(request);
        if (variable == nullptr) return System::InvalidContext;
        if (response.variableAccessSpecification != nullptr) {
            return response.variableAccessSpecification->present == MmsVariableAccessVariableListName
                       ? System::NotImplemented
                       : System::InvalidResponse;
        }
        if (results.Count() != 1) return System::InvalidResponse;
        return results.ApplyNext(*variable);
    }
    if (kind == RequestHandle::KindNamedVariableList) {
        NamedVariableList* list = TargetAs<NamedVariableList>(request);
        return list != nullptr ? list->ApplyReadResults(results) : System::InvalidContext;
    }
    if (kind == RequestHandle::KindVariableCollection) {
        auto* variables = static_cast<VariableCollection*>(request.GetTarget());
        if (variables == nullptr) return System::InvalidContext;
        if (results.Count() != variables->size()) return System::InvalidResponse;
        ResultCode last = System::OkNoError;
        for (Variable* variable : *variables) {
            const ResultCode outcome = results.ApplyNext(*variable);
            if (outcome != System::OkNoError) last = outcome;
        }
        return last;
    }
    return System::InvalidContext;
}

ResultCode MmsUserConnection::OnWriteResponse(const ModelHold& hold, RequestHandle& request,
                                              const MmsWriteResponse& response) {
    const std::int32_t kind = request.GetKind();
    if (kind == RequestHandle::KindNamedVariableList) {
        NamedVariableList* list = TargetAs<NamedVariableList>(request);
        return list != nullptr ? list->ApplyWriteResults(hold, response) : System::InvalidContext;
    }
    if (IsSingleVariableKind(kind)) {
        Variable* variable = TargetAs<Variable>(request);
        if (variable == nullptr) return System::InvalidContext;
        if (response.Count() != 1) return System::InvalidResponse;
        return variable->ApplyWriteResult(hold, *response[0]);
    }
    if (kind == RequestHandle::KindVariableCollection) {
        auto* variables = static_cast<VariableCollection*>(request.GetTarget());
        if (variables == nullptr) return System::InvalidContext;
        // One result per variable, as ISO 9506 answers a write of several.
        if (static_cast<std::size_t>(response.Count()) != variables->size()) return System::InvalidResponse;
        ResultCode last = System::OkNoError;
        std::int32_t index = 0;
        for (Variable* variable : *variables) {
            const ResultCode outcome = variable->ApplyWriteResult(hold, *response[index++]);
            if (outcome != System::OkNoError) last = outcome;
        }
        return last;
    }
    return System::OkNoError;
}

ResultCode MmsUserConnection::OnConfirmedError(MmsFrame& frame) {
    RequestHandle* request = nullptr;
    std::int32_t service = 0;
    if (ResultCode result = TakePendingRequest(frame, request, &service); result != System::OkNoError) return result;
    const MmsErrorClassValue& errorClass = frame.GetPdu()->choice.confirmedError.serviceError.errorClass;
    std::int32_t code = 0;
    if (errorClass.present == MmsErrorClassOthers) {
        if (Asn1::Asn1IntegerGetInt32(&errorClass.choice.others, &code) != 0) code = 0;
    } else {
        code = errorClass.choice.code;
    }
    request->SetError(static_cast<std::int16_t>(errorClass.present), code);
    request->SetResult(System::Error);
    FileAnswered(request, service);
    return System::OkNoError;
}

ResultCode MmsUserConnection::OnReject(MmsFrame& frame) {
    RequestHandle* request = nullptr;
    std::int32_t service = 0;
    if (ResultCode result = TakePendingRequest(frame, request, &service); result != System::OkNoError) return result;
    const MmsRejectReason& reason = frame.GetPdu()->choice.reject.rejectReason;
    request->SetError(static_cast<std::int16_t>(reason.present), reason.choice.code);
    request->SetResult(System::Rejected);
    // Filed by type like every answer: an own request must never reach the owner's
    // completion of services.
    FileAnswered(request, service);
    return System::OkNoError;
}

ResultCode MmsUserConnection::OnUndecodableAnswer(MmsFrame& frame) {
    RequestHandle* request = nullptr;
    std::int32_t service = 0;
    if (ResultCode result = TakePendingRequest(frame, request, &service); result != System::OkNoError) return result;
    const MmsRejectReason& reason = frame.GetPdu()->choice.reject.rejectReason;
    request->SetAnswerKind(reason.present == MmsRejectConfirmedError ? MmsPduConfirmedError : MmsPduConfirmedResponse);
    request->SetError(static_cast<std::int16_t>(reason.present), reason.choice.code);
    request->SetResult(System::InvalidResponse);
    FileAnswered(request, service);
    return System::OkNoError;
}

ResultCode MmsUserConnection::OnUnconfirmed(MmsFrame& frame) {
    const MmsUnconfirmedService& service = frame.GetPdu()->choice.unconfirmed.service;
    if (service.present != MmsUnconfirmedInformationReport) return System::NotSupported;
    return OnInformationReport(service.choice.informationReport);
}

ResultCode MmsUserConnection::OnInformationReport(const MmsInformationReport& report) {
    VMD* vmd = GetVmd();
    if (vmd == nullptr) return System::InvalidContext;
    const MmsVariableAccessSpecification& access = report.variableAccessSpecification;
    switch (access.present) {
        case MmsVariableAccessListOfVariable:
            return vmd->QueueVariablesReport(this, access.choice.listOfVariable, report.listOfAccessResult);
        case MmsVariableAccessVariableListName:
            return vmd->QueueListReport(this, access.choice.variableListName, report.listOfAccessResult);
        default: return System::NotSupported;
    }
}

ResultCode MmsUserConnection::OnConcludeResponse(MmsFrame& frame) {
    RequestHandle* request = nullptr;
    std::int32_t service = 0;
    // No conclude request of ours is pending: the machine's own exchange waits for it.
    if (TakePendingRequest(frame, request, &service) != System::OkNoError) return System::NotImplemented;
    // The association ends here, before this thread reads anything more of the link: a
    // device that closes its transport right after its answer has that close taken for
    // this release's end, never for an abort. Another ending that claimed it first has
    // ended it, and confirms the release as it confirms every request it found out.
    const bool released = EndAssociation(request->GetGeneration(), AssociationEnding::Release, AbortWait::None);
    request->SetResult(released ? System::OkNoError : System::Aborted);
    FileAnswered(request, service);
    return System::OkNoError;
}

ResultCode MmsUserConnection::OnConcludeError(MmsFrame& frame) {
    RequestHandle* request = nullptr;
    std::int32_t service = 0;
    // No conclude request of ours is pending: the machine's own exchange waits for it.
    if (TakePendingRequest(frame, request, &service) != System::OkNoError) return System::NotImplemented;
    // Refused as a reject of the conclude refuses it: the association stands, and the
    // device's own class and code say why.
    ServiceErrorRecord record;
    MmsReadServiceError(frame.GetPdu()->choice.concludeError, record);
    request->SetError(static_cast<std::int16_t>(record.errorClass), record.errorCode);
    request->SetResult(System::Rejected);
    FileAnswered(request, service);
    return System::OkNoError;
}

ResultCode MmsUserConnection::OnCancelRequest(MmsFrame&) { return System::NotImplemented; }
ResultCode MmsUserConnection::OnCancelResponse(MmsFrame&) { return System::NotImplemented; }
ResultCode MmsUserConnection::OnCancelError(MmsFrame&) { return System::NotImplemented; }
ResultCode MmsUserConnection::OnInitiateResponse(MmsFrame&) { return System::NotImplemented; }
ResultCode MmsUserConnection::OnInitiateError(MmsFrame&) { return System::NotImplemented; }

}  // namespace Mms
