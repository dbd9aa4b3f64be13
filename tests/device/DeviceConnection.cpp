#include "device/DeviceConnection.h"

#include <cstdlib>
#include <string>
#include <utility>

#include "device/Device.h"
#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/VMD.h"
#include "osi/ItotConnection.h"
#include "osi/Tpdu.h"

namespace TestDevice {

namespace {

thread_local DeviceConnection* current = nullptr;

// The identify bit of the ServiceSupportOptions.
constexpr std::size_t IdentifyServiceBit = 2;

void AddName(std::vector<std::string>& names, const Mms::MmsObjectName& name) {
    std::string text;
    if (Mms::MmsObjectNameText(name, text) == System::OkNoError) names.push_back(std::move(text));
}

void AddAccessNames(std::vector<std::string>& names, const Mms::MmsVariableAccessSpecification& access) {
    if (access.present == Mms::MmsVariableAccessVariableListName) {
        AddName(names, access.choice.variableListName);
        return;
    }
    if (access.present != Mms::MmsVariableAccessListOfVariable) return;
    for (std::int32_t i = 0; i < access.choice.listOfVariable.Count(); ++i) {
        const Mms::MmsVariableSpecification& spec = access.choice.listOfVariable[i]->variableSpecification;
        if (spec.present == Mms::MmsVariableSpecificationName) AddName(names, spec.choice.name);
    }
}

std::vector<std::string> NamesOf(const Mms::MmsConfirmedServiceRequest& request) {
    std::vector<std::string> names;
    switch (request.present) {
        case Mms::MmsServiceRead: AddAccessNames(names, request.choice.read.variableAccessSpecification); break;
        case Mms::MmsServiceWrite: AddAccessNames(names, request.choice.write.variableAccessSpecification); break;
        case Mms::MmsServiceGetVariableAccessAttributes:
            if (request.choice.getVariableAccessAttributes.present == Mms::MmsVariableSpecificationName) {
                AddName(names, request.choice.getVariableAccessAttributes.choice.name);
            }
            break;
        case Mms::MmsServiceGetNamedVariableListAttributes:
            AddName(names, request.choice.getNamedVariableListAttributes);
            break;
        case Mms::MmsServiceGetNameList:
            if (request.choice.getNameList.objectScope.present == Mms::MmsObjectScopeDomain) {
                names.push_back(Mms::MmsText(request.choice.getNameList.objectScope.choice.domainSpecific));
            }
            break;
        case Mms::MmsServiceGetDomainAttributes:
            names.push_back(Mms::MmsText(request.choice.getDomainAttributes));
            break;
        default: break;
    }
    return names;
}

}  // namespace

DeviceConnection::DeviceConnection(Mms::MmsUserLayer* layer, Device& device)
    : MmsUserConnection(layer), device_(device) {}

DeviceConnection::~DeviceConnection() {
    // The receive thread below calls into this connection's handlers.
    ReleaseLower();
}

DeviceConnection* DeviceConnection::Current() { return current; }

void DeviceConnection::Defer(std::function<void()> action) {
    if (current == this && answering_) {
        deferred_.push_back(std::move(action));
    } else {
        action();
    }
}

System::ResultCode DeviceConnection::OnConfirmedRequest(Mms::MmsFrame& frame) {
    const Mms::MmsConfirmedServiceRequest& request = frame.GetPdu()->choice.confirmedRequest.service;
    const std::int32_t service = request.present;
    // Taken before the request is logged: a test that sees it logged knows which faults it meets.
    const Faults faults = device_.GetFaults();
    device_.Log({association_, service, NamesOf(request)});
    Mms::MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;

    if (faults.abortAtRequest > 0 && ++requests_ >= faults.abortAtRequest) return Abort();
    if (faults.stallAfterRequest > 0 && ++stallCount_ >= faults.stallAfterRequest) {
        // This receive thread reads nothing more: the link stands still until let go.
        device_.Stall();
        return System::OkNoError;
    }
    if (faults.dropped.count(service) != 0) return System::OkNoError;
    if (faults.held.contains(service)) device_.HoldAnswer(service);
    const std::vector<std::string> names = NamesOf(request);
    if (!names.empty() && faults.heldNames.contains({service, names.front()}))
        device_.HoldAnswer(service, names.front());
    if (service == Mms::MmsServiceIdentify && faults.identifyAnsweredLateMs != 0) return HoldIdentifyAnswer(frame);
    if (const auto delay = faults.delayedMs.find(service); delay != faults.delayedMs.end())
        device_.Pause(delay->second);
    auto refuse = [&](const Faults::Refusal& refusal) {
        return refusal.reject ? mms->SendReject(&frame, refusal.rejectReason)
                              : mms->SendConfirmedError(frame, refusal.error);
    };
    if (const auto refusal = faults.refused.find(service); refusal != faults.refused.end()) {
        return refuse(refusal->second);
    }
    if (!names.empty()) {
        if (const auto refusal = faults.refusedNames.find({service, names.front()});
            refusal != faults.refusedNames.end()) {
            return refuse(refusal->second);
        }
    }
    if (service == Mms::MmsServiceGetNameList &&
        request.choice.getNameList.objectClass.present == Mms::MmsObjectClassBasic) {
        const std::pair<std::int32_t, std::int32_t> kind{
            static_cast<std::int32_t>(request.choice.getNameList.objectClass.choice.basicObjectClass),
            request.choice.getNameList.objectScope.present};
        if (const auto refusal = faults.refusedNameLists.find(kind); refusal != faults.refusedNameLists.end()) {
            return refuse(refusal->second);
        }
    }
    if (service == Mms::MmsServiceGetVariableAccessAttributes && names.size() == 1 &&
        names.front().find('$') == std::string::npos) {
        if (faults.refuseNodeTypes) return refuse(faults.nodeTypeRefusal);
        if (droppedNodeTypes_[names.front()]++ < faults.droppedNodeTypes) return System::OkNoError;
    }

    DeviceConnection* outer = std::exchange(current, this);
    answering_ = true;
    const System::ResultCode result = MmsUserConnection::OnConfirmedRequest(frame);
    answering_ = false;
    std::vector<std::function<void()>> actions = std::move(deferred_);
    deferred_.clear();
    for (auto& action : actions) action();
    current = outer;
    if (heldIdentify_ != nullptr) {
        device_.Pause(std::abs(faults.identifyAnsweredLateMs));
        const std::unique_ptr<Mms::MmsFrame> held = std::move(heldIdentify_);
        if (faults.identifyAnsweredLateMs < 0) return Abort();
        mms->SendConfirmedResponse(*held);
    }
    return result;
}

System::ResultCode DeviceConnection::HoldIdentifyAnswer(Mms::MmsFrame& request) {
    Mms::MmsConnection* mms = GetMmsConnection();
    Mms::VMD* vmd = GetVmd();
    if (mms == nullptr || vmd == nullptr) return System::NotConnected;
    std::unique_ptr<Mms::MmsFrame> answer = mms->NewAnswerFrame(Mms::MmsFrame::KindConfirmedResponse, request);
    if (answer == nullptr || answer->GetPdu() == nullptr) return System::NoResources;
    Mms::MmsConfirmedServiceResponse& response = answer->GetPdu()->choice.confirmedResponse.service;
    response.present = Mms::MmsServiceIdentify;
    const Mms::MmsIdentity identity = vmd->GetIdentity();
    if (Mms::MmsSetText(response.choice.identify.vendorName, identity.vendorName) != System::OkNoError ||
        Mms::MmsSetText(response.choice.identify.modelName, identity.modelName) != System::OkNoError ||
        Mms::MmsSetText(response.choice.identify.revision, identity.revision) != System::OkNoError) {
        return System::NoResources;
    }
    heldIdentify_ = std::move(answer);
    return System::OkNoError;
}

System::ResultCode DeviceConnection::OnConcludeRequest(Mms::MmsFrame& frame) {
    const Faults faults = device_.GetFaults();
    if (faults.concludeUnanswered) return System::OkNoError;
    if (concludesRefused_ < faults.concludeErrors && GetState() == Mms::MmsUserConnection::StateAssociated) {
        ++concludesRefused_;
        return RefuseConclude(Mms::MmsConcludeFurtherCommunicationRequired, faults.concludeErrorClass);
    }
    if (faults.holdConcludeAnswer) device_.HoldConcludeAnswer();
    return MmsUserConnection::OnConcludeRequest(frame);
}

System::ResultCode DeviceConnection::OnInitiateRequest(Mms::MmsFrame& frame) {
    const Faults faults = device_.GetFaults();
    association_ = device_.NextAssociationNumber();
    concludesRefused_ = 0;
    requests_ = 0;
    stallCount_ = 0;
    droppedNodeTypes_.clear();
    heldIdentify_.reset();
    if (faults.holdInitiateAnswer) device_.HoldInitiateAnswer();
    if (faults.dropInitiateAnswer) return System::OkNoError;
    if (faults.initiateAnswerDelayMs > 0) device_.Pause(faults.initiateAnswerDelayMs);
    if (faults.initiateErrorClass != 0) {
        Mms::MmsConnection* mms = GetMmsConnection();
        if (mms == nullptr) return System::NotConnected;
        return mms->SendInitiateError(faults.initiateErrorClass, faults.initiateErrorCode);
    }
    return MmsUserConnection::OnInitiateRequest(frame);
}

System::ResultCode DeviceConnection::Reset() {
    device_.AssociationEnded(*this);
    return MmsUserConnection::Reset();
}

void DeviceConnection::ChooseAnnouncedServices(std::uint8_t (&flags)[Mms::InitiateParameters::ServiceFlagCount]) {
    MmsUserConnection::ChooseAnnouncedServices(flags);
    const Faults faults = device_.GetFaults();
    if (faults.hideIdentify) flags[IdentifyServiceBit] = 0;
    for (const std::int32_t service : faults.unannounced) {
        for (std::size_t bit = 0; bit < Mms::InitiateParameters::ServiceFlagCount; ++bit) {
            Mms::InitiateParameters probe;
            probe.servicesSupported[bit] = 1;
            if (probe.SupportsService(service)) flags[bit] = 0;
        }
    }
}

Protocol::Connection* DeviceUserLayer::CreateConnection() { return new (std::nothrow) DeviceConnection(this, device_); }

System::ResultCode DeviceCotpConnection::OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) {
    if (event == ItotConnection::TpduReceived && frame != nullptr && Tpdu::TypeOf(*frame) == Tpdu::TypeCr) {
        const Faults faults = device_.GetFaults();
        if (faults.dropConnectConfirm) return System::OkNoError;
        if (faults.connectConfirmDelayMs > 0) device_.Pause(faults.connectConfirmDelayMs);
    }
    return CotpConnection::OnLowerIndication(frame, event);
}

}  // namespace TestDevice
