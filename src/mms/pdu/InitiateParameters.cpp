#include "mms/pdu/InitiateParameters.h"

#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"

namespace Mms {

using System::ResultCode;

InitiateParameters InitiateParameters::Defaults() {
    InitiateParameters parameters;
    parameters.localDetailPresent = true;
    parameters.localDetail = DefaultLocalDetail;
    parameters.maxServOutstandingCalling = 10;
    parameters.maxServOutstandingCalled = 10;
    parameters.nestingLevelPresent = true;
    parameters.nestingLevel = 5;
    parameters.versionNumber = 1;
    for (std::size_t bit : {ParameterStr1, ParameterStr2, ParameterVnam, ParameterVlis})
        parameters.parameterCbb[bit] = 1;
    parameters.servicesSupported[ServiceInformationReport] = 1;
    return parameters;
}

InitiateParameters InitiateParameters::Cleared() {
    InitiateParameters parameters;
    parameters.localDetail = DefaultLocalDetail;
    return parameters;
}

bool InitiateParameters::SupportsService(std::int32_t service) const {
    // The ServiceSupportOptions bit of each of the library's service numbers 1..20.
    static constexpr std::uint8_t kServiceBits[MmsServiceCount + 1] = {
        0, 0, 1, 2, 4, 5, 6, 11, 12, 13, 37, 46, 65, 66, 67, 71, 72, 73, 74, 76, 77,
    };
    if (service < 1 || service > MmsServiceCount) return false;
    return servicesSupported[kServiceBits[service]] != 0;
}

namespace {

// The fields that both initiate PDUs share, by reference into either of them.
struct InitiateFields {
    Asn1NativeInteger*& localDetail;
    Asn1NativeInteger& maxCalling;
    Asn1NativeInteger& maxCalled;
    Asn1NativeInteger*& nestingLevel;
    Asn1NativeInteger& version;
    Asn1BitString& parameterCbb;
    Asn1BitString& services;
};

struct ConstInitiateFields {
    const Asn1NativeInteger* localDetail;
    const Asn1NativeInteger& maxCalling;
    const Asn1NativeInteger& maxCalled;
    const Asn1NativeInteger* nestingLevel;
    const Asn1NativeInteger& version;
    const Asn1BitString& parameterCbb;
    const Asn1BitString& services;
};

Asn1NativeInteger* NewNumber(std::int32_t value) {
    auto* number = static_cast<Asn1NativeInteger*>(Asn1::Asn1NewValue(&Asn1::Asn1NativeIntegerType));
    if (number != nullptr) *number = value;
    return number;
}

ResultCode Fill(const InitiateParameters& parameters, InitiateFields fields) {
    if (parameters.localDetailPresent) {
        fields.localDetail = NewNumber(parameters.localDetail);
        if (fields.localDetail == nullptr) return System::NoResources;
    }
    fields.maxCalling = parameters.maxServOutstandingCalling;
    fields.maxCalled = parameters.maxServOutstandingCalled;
    if (parameters.nestingLevelPresent) {
        fields.nestingLevel = NewNumber(parameters.nestingLevel);
        if (fields.nestingLevel == nullptr) return System::NoResources;
    }
    fields.version = parameters.versionNumber;
    if (ResultCode result =
            MmsSetFlagBits(fields.parameterCbb, parameters.parameterCbb, InitiateParameters::SentParameterFlags);
        result != System::OkNoError) {
        return result;
    }
    return MmsSetFlagBits(fields.services, parameters.servicesSupported, InitiateParameters::SentServiceFlags);
}

ResultCode Read(ConstInitiateFields fields, InitiateParameters& parameters) {
    ResultCode result =
        MmsReadOptionalNumber(fields.localDetail, parameters.localDetail, parameters.localDetailPresent);
    if (result == System::OkNoError && parameters.localDetailPresent && parameters.localDetail < 0) {
        result = System::OutOfRange;
    }
    if (result == System::OkNoError) result = MmsReadNumber(&fields.maxCalling, parameters.maxServOutstandingCalling);
    if (result == System::OkNoError) result = MmsReadNumber(&fields.maxCalled, parameters.maxServOutstandingCalled);
    if (result == System::OkNoError) {
        result = MmsReadOptionalNumber(fields.nestingLevel, parameters.nestingLevel, parameters.nestingLevelPresent);
    }
    if (result == System::OkNoError) result = MmsReadNumber(&fields.version, parameters.versionNumber);
    if (result == System::OkNoError) {
        result = MmsReadFlagBits(fields.services, parameters.servicesSupported, InitiateParameters::ServiceFlagCount);
    }
    if (result == System::OkNoError) {
        result = MmsReadFlagBits(fields.parameterCbb, parameters.parameterCbb, InitiateParameters::ParameterFlagCount);
    }
    return result;
}

}  // namespace

ResultCode MmsFillInitiateRequest(const InitiateParameters& parameters, MmsInitiateRequestPdu& pdu) {
    MmsInitRequestDetail& detail = pdu.initRequestDetail;
    return Fill(parameters,
                {pdu.localDetailCalling, pdu.proposedMaxServOutstandingCalling, pdu.proposedMaxServOutstandingCalled,
                 pdu.proposedDataStructureNestingLevel, detail.proposedVersionNumber, detail.proposedParameterCbb,
                 detail.servicesSupportedCalling});
}

ResultCode MmsFillInitiateResponse(const InitiateParameters& parameters, MmsInitiateResponsePdu& pdu) {
    MmsInitResponseDetail& detail = pdu.initResponseDetail;
    return Fill(parameters,
                {pdu.localDetailCalled, pdu.negotiatedMaxServOutstandingCalling, pdu.negotiatedMaxServOutstandingCalled,
                 pdu.negotiatedDataStructureNestingLevel, detail.negotiatedVersionNumber, detail.negotiatedParameterCbb,
                 detail.servicesSupportedCalled});
}

ResultCode MmsReadInitiateRequest(const MmsInitiateRequestPdu& pdu, InitiateParameters& parameters) {
    const MmsInitRequestDetail& detail = pdu.initRequestDetail;
    return Read({pdu.localDetailCalling, pdu.proposedMaxServOutstandingCalling, pdu.proposedMaxServOutstandingCalled,
                 pdu.proposedDataStructureNestingLevel, detail.proposedVersionNumber, detail.proposedParameterCbb,
                 detail.servicesSupportedCalling},
                parameters);
}

ResultCode MmsReadInitiateResponse(const MmsInitiateResponsePdu& pdu, InitiateParameters& parameters) {
    const MmsInitResponseDetail& detail = pdu.initResponseDetail;
    return Read({pdu.localDetailCalled, pdu.negotiatedMaxServOutstandingCalling, pdu.negotiatedMaxServOutstandingCalled,
                 pdu.negotiatedDataStructureNestingLevel, detail.negotiatedVersionNumber, detail.negotiatedParameterCbb,
                 detail.servicesSupportedCalled},
                parameters);
}

ResultCode MmsSettleInitiateAnswer(const MmsPdu& answer, const InitiateParameters& proposal,
                                   InitiateParameters& negotiated, ServiceErrorRecord& error) {
    if (answer.present == MmsPduInitiateError) {
        const ResultCode result = MmsReadServiceError(answer.choice.initiateError, error);
        return result == System::OkNoError ? System::Rejected : result;
    }
    if (answer.present != MmsPduInitiateResponse) return System::Error;
    if (ResultCode result = MmsReadInitiateResponse(answer.choice.initiateResponse, negotiated);
        result != System::OkNoError) {
        return result;
    }
    // The peer may lower the largest PDU this side offered, never raise it: every frame
    // of the association is allocated at that size.
    const std::int32_t offered =
        proposal.localDetailPresent ? proposal.localDetail : InitiateParameters::DefaultLocalDetail;
    if (!negotiated.localDetailPresent || negotiated.localDetail > offered) negotiated.localDetail = offered;
    negotiated.localDetailPresent = true;
    return negotiated.localDetail < MmsMinimumLocalDetail ? System::OutOfRange : System::OkNoError;
}

}  // namespace Mms
