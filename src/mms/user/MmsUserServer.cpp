// The server face of the service user: the peer's initiate, its confirmed requests
// answered from the VMD, and its conclude.

#include <algorithm>
#include <array>
#include <memory>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/NameListPage.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"

namespace Mms {

using System::ResultCode;

namespace {

// Room for everything of a getNameList answer but its names.
constexpr std::uint32_t kNameListReserve = 256;
constexpr std::uint32_t kMinimumNameListBudget = 256;
constexpr std::uint32_t kMaximumNameListBudget = InitiateParameters::DefaultLocalDetail;

// ServiceSupportOptions bits of the services answered here, and informationReport.
constexpr std::array<std::size_t, 12> kServedServiceBits = {0, 1, 2, 4, 5, 6, 11, 12, 13, 37, 71, 79};

std::array<std::uint8_t, InitiateParameters::ServiceFlagCount> MakeServedFlags() {
    std::array<std::uint8_t, InitiateParameters::ServiceFlagCount> flags{};
    for (const std::size_t bit : kServedServiceBits) flags[bit] = 1;
    return flags;
}

const std::array<std::uint8_t, InitiateParameters::ServiceFlagCount> kServedFlags = MakeServedFlags();

}  // namespace

const std::uint8_t* MmsUserConnection::ServedServiceFlags() { return kServedFlags.data(); }

ResultCode MmsUserConnection::OnInitiateRequest(MmsFrame&) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    const InitiateParameters proposal = mms->GetProposal();
    const InitiateParameters local = InitiateParameters::Defaults();
    InitiateParameters answer = InitiateParameters::Cleared();
    answer.localDetailPresent = proposal.localDetailPresent;
    answer.localDetail =
        proposal.localDetailPresent ? std::min(proposal.localDetail, local.localDetail) : local.localDetail;
    answer.maxServOutstandingCalling = std::min(proposal.maxServOutstandingCalling, local.maxServOutstandingCalling);
    answer.maxServOutstandingCalled = std::min(proposal.maxServOutstandingCalled, local.maxServOutstandingCalled);
    answer.nestingLevelPresent = proposal.nestingLevelPresent;
    answer.nestingLevel = proposal.nestingLevelPresent ? std::min(proposal.nestingLevel, local.nestingLevel) : 0;
    answer.versionNumber = std::min(proposal.versionNumber, local.versionNumber);
    for (std::size_t bit = 0; bit < InitiateParameters::SentParameterFlags; ++bit) {
        answer.parameterCbb[bit] = proposal.parameterCbb[bit] != 0 && local.parameterCbb[bit] != 0 ? 1 : 0;
    }
    // The responder announces what it serves (ISO 9506 servicesSupportedCalled), so that
    // peers, and our own IsServiceSupported, see every service answered here.
    ChooseAnnouncedServices(answer.servicesSupported);
    // Associated before the answer leaves: the peer may act on it at once, and a report
    // sent from another thread must not find the association still opening.
    const Protocol::ConnectionState before = GetState();
    pendingRequests_.SetCapacity(answer.maxServOutstandingCalled);
    SetState(StateAssociated);
    const ResultCode result = mms->SendInitiateResponse(answer);
    if (result != System::OkNoError) SetState(before);
    return result;
}

void MmsUserConnection::ChooseAnnouncedServices(std::uint8_t (&flags)[InitiateParameters::ServiceFlagCount]) {
    std::copy(kServedFlags.begin(), kServedFlags.end(), flags);
}

ResultCode MmsUserConnection::SendListReport(std::string_view listName, MmsAccessResultList& results) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr || GetState() != StateAssociated) return System::NotConnected;
    CoderValue<MmsVariableAccessSpecification> spec(MmsVariableAccessSpecificationType);
    spec->present = MmsVariableAccessVariableListName;
    if (ResultCode result = MmsSetObjectName(spec->choice.variableListName, {}, listName);
        result != System::OkNoError) {
        return result;
    }
    return mms->SendInformationReport(*spec, results);
}

ResultCode MmsUserConnection::SendVariablesReport(const std::vector<const NamedVariable*>& variables) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr || GetState() != StateAssociated) return System::NotConnected;
    if (variables.empty()) return System::InvalidArguments;
    CoderValue<MmsVariableAccessSpecification> spec(MmsVariableAccessSpecificationType);
    CoderValue<MmsAccessResultList> results(MmsAccessResultListType);
    spec->present = MmsVariableAccessListOfVariable;
    for (const NamedVariable* variable : variables) {
        if (variable == nullptr) return System::InvalidArguments;
        // A part of an array goes as the array with an alternate access, as lists name it.
        if (ResultCode result = AppendVariableEntry(*variable, spec->choice.listOfVariable);
            result != System::OkNoError) {
            return result == System::NoResources ? result : System::InvalidArguments;
        }
        MmsAccessResult* access = MmsAppendNew(*results, MmsAccessResultType);
        if (access == nullptr) return System::NoResources;
        if (ResultCode result = variable->ValueToData(access->choice.success); result != System::OkNoError) {
            return result;
        }
        access->present = MmsAccessResultSuccess;
    }
    return mms->SendInformationReport(*spec, *results);
}

ResultCode MmsUserConnection::OnConcludeRequest(MmsFrame&) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    return GetState() == StateAssociated ? mms->SendConcludeResponse() : mms->SendConcludeError(MmsConcludeOther);
}

ResultCode MmsUserConnection::RefuseConclude(std::int32_t code, std::int32_t errorClass) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    concludeTaken_.store(false);
    return mms->SendConcludeError(code, errorClass);
}

ResultCode MmsUserConnection::RefuseBehindConclude(MmsFrame& frame) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    // A request after its own conclude is out of sequence for the peer; a reject would
    // blame the PDU, which is well formed.
    return mms->SendConfirmedError(frame, static_cast<std::uint32_t>(MmsServicePrimitivesOutOfSequenceError));
}

ResultCode MmsUserConnection::OnConfirmedRequest(MmsFrame& frame) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    const MmsConfirmedServiceRequest& request = frame.GetPdu()->choice.confirmedRequest.service;
    // Holds the names a getNameList answer shows until the answer is sent.
    NameListPage names;
    std::unique_ptr<MmsFrame> answer = mms->NewAnswerFrame(MmsFrame::KindConfirmedResponse, frame);
    if (answer == nullptr || answer->GetPdu() == nullptr) return System::NoResources;
    MmsConfirmedServiceResponse& response = answer->GetPdu()->choice.confirmedResponse.service;
    std::int32_t rejectCode = MmsRejectRequestOther;
    ResultCode outcome = System::OkNoError;
    VMD* vmd = GetVmd();
    if (vmd == nullptr) {
        outcome = System::InvalidContext;
    } else {
        // The model also serves the client side, on other threads; the answer is sent
        // after the lock is let go.
        VMD::ModelHold hold(vmd);
        switch (request.present) {
            case MmsServiceStatus:
                response.present = MmsServiceStatus;
                response.choice.status.vmdLogicalStatus = vmd->LogicalStatus;
                response.choice.status.vmdPhysicalStatus = vmd->PhysicalStatus;
                break;
            case MmsServiceGetNameList:
                outcome = OnGetNameListRequest(request.choice.getNameList, names, response, rejectCode);
                break;
            case MmsServiceIdentify: {
                MmsIdentifyResponse& identity = response.choice.identify;
                response.present = MmsServiceIdentify;
                const MmsIdentity own = vmd->GetIdentity();
                if (MmsSetText(identity.vendorName, own.vendorName) != System::OkNoError ||
                    MmsSetText(identity.modelName, own.modelName) != System::OkNoError ||
                    MmsSetText(identity.revision, own.revision) != System::OkNoError) {
                    outcome = System::NoResources;
                }
                break;
            }
            case MmsServiceRead: outcome = OnReadRequest(request.choice.read, response, rejectCode); break;
            case MmsServiceWrite: outcome = OnWriteRequest(request.choice.write, response, rejectCode); break;
            case MmsServiceGetVariableAccessAttributes:
                outcome = OnGetVariableAccessAttributesRequest(request.choice.getVariableAccessAttributes, response,
                                                               rejectCode);
                break;
            case MmsServiceDefineNamedVariableList:
                outcome =
                    OnDefineNamedVariableListRequest(request.choice.defineNamedVariableList, response, rejectCode);
                break;
            case MmsServiceGetNamedVariableListAttributes:
                outcome = OnGetNamedVariableListAttributesRequest(request.choice.getNamedVariableListAttributes,
                                                                  response, rejectCode);
                break;
            case MmsServiceDeleteNamedVariableList:
                outcome =
                    OnDeleteNamedVariableListRequest(request.choice.deleteNamedVariableList, response, rejectCode);
                break;
            case MmsServiceGetDomainAttributes:
                outcome = OnGetDomainAttributesRequest(request.choice.getDomainAttributes, response, rejectCode);
                break;
            case MmsServiceGetCapabilityList: {
                response.present = MmsServiceGetCapabilityList;
                auto*& moreFollows = response.choice.getCapabilityList.moreFollows;
                moreFollows = MmsNewValue<Asn1Boolean>(Asn1::Asn1BooleanType);
                outcome = moreFollows != nullptr ? System::OkNoError : System::NoResources;
                break;
            }
            default:
                rejectCode = MmsRejectRequestUnrecognizedService;
                outcome = System::NotSupported;
                break;
        }
    }
    return SendServerAnswer(frame, *answer, outcome, rejectCode);
}

ResultCode MmsUserConnection::SendServerAnswer(MmsFrame& request, MmsFrame& response, ResultCode outcome,
                                               std::int32_t rejectCode) {
    MmsConnection* mms = GetMmsConnection();
    if (outcome == System::OkNoError) {
        const ResultCode sent = mms->SendConfirmedResponse(response);
        if (sent != System::OutOfRange && sent != System::NoResources) return sent;
        // The answer does not fit into the PDU size the peer accepts.
        return mms->SendConfirmedError(request, static_cast<std::uint32_t>(MmsResourceOtherError));
    }
    // Definition failures (packed errors) go out as confirmed-Error.
    if (rejectCode >= MmsFirstPackedError)
        return mms->SendConfirmedError(request, static_cast<std::uint32_t>(rejectCode));
    return mms->SendReject(&request, rejectCode);
}

// ---- handlers ----

ResultCode MmsUserConnection::OnGetNameListRequest(const MmsGetNameListRequest& request, NameListPage& page,
                                                   MmsConfirmedServiceResponse& response, std::int32_t& rejectCode) {
    if (request.objectClass.present != MmsObjectClassBasic) {
        rejectCode = MmsRejectRequestInvalidArgument;
        return System::Error;
    }
    MmsConnection* mms = GetMmsConnection();
    const std::uint32_t maxPdu = mms != nullptr ? mms->GetMaxPduSize() : 0;
    const std::uint32_t budget = maxPdu > kNameListReserve ? maxPdu - kNameListReserve : 0;
    if (budget < kMinimumNameListBudget || budget > kMaximumNameListBudget) {
        rejectCode = MmsRejectRequestOther;
        return System::Error;
    }
    std::string continueAfter;
    if (request.continueAfter != nullptr) continueAfter = MmsText(*request.continueAfter);
    response.present = MmsServiceGetNameList;
    return GetVmd()->GetNameList(request.objectClass.choice.basicObjectClass, request.objectScope,
                                 request.continueAfter != nullptr ? &continueAfter : nullptr, page,
                                 response.choice.getNameList, budget, rejectCode);
}

ResultCode MmsUserConnection::OnGetDomainAttributesRequest(const Asn1OctetString& domainName,
                                                           MmsConfirmedServiceResponse& response,
                                                           std::int32_t& rejectCode) {
    response.present = MmsServiceGetDomainAttributes;
    return GetVmd()->GetDomainAttributes(MmsText(domainName), response.choice.getDomainAttributes, rejectCode);
}

ResultCode MmsUserConnection::OnGetVariableAccessAttributesRequest(const MmsGetVariableAccessAttributesRequest& request,
                                                                   MmsConfirmedServiceResponse& response,
                                                                   std::int32_t& rejectCode) {
    response.present = MmsServiceGetVariableAccessAttributes;
    return GetVmd()->GetVariableAccessAttributes(request, response.choice.getVariableAccessAttributes, rejectCode);
}

ResultCode MmsUserConnection::OnGetNamedVariableListAttributesRequest(const MmsObjectName& listName,
                                                                      MmsConfirmedServiceResponse& response,
                                                                      std::int32_t& rejectCode) {
    response.present = MmsServiceGetNamedVariableListAttributes;
    return GetVmd()->GetNamedVariableListAttributes(listName, response.choice.getNamedVariableListAttributes,
                                                    rejectCode);
}

ResultCode MmsUserConnection::OnReadRequest(const MmsReadRequest& request, MmsConfirmedServiceResponse& response,
                                            std::int32_t& rejectCode) {
    response.present = MmsServiceRead;
    return GetVmd()->Read(request, response.choice.read, rejectCode);
}

ResultCode MmsUserConnection::OnWriteRequest(const MmsWriteRequest& request, MmsConfirmedServiceResponse& response,
                                             std::int32_t& rejectCode) {
    response.present = MmsServiceWrite;
    return GetVmd()->Write(request, response.choice.write, rejectCode);
}

ResultCode MmsUserConnection::OnDefineNamedVariableListRequest(const MmsDefineNamedVariableListRequest& request,
                                                               MmsConfirmedServiceResponse& response,
                                                               std::int32_t& rejectCode) {
    response.present = MmsServiceDefineNamedVariableList;
    return GetVmd()->DefineNamedVariableList(request, rejectCode);
}

ResultCode MmsUserConnection::OnDeleteNamedVariableListRequest(const MmsDeleteNamedVariableListRequest& request,
                                                               MmsConfirmedServiceResponse& response,
                                                               std::int32_t& rejectCode) {
    response.present = MmsServiceDeleteNamedVariableList;
    return GetVmd()->DeleteNamedVariableList(request, response.choice.deleteNamedVariableList, rejectCode);
}

}  // namespace Mms
