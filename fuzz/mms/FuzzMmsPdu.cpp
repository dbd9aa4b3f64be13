// Feeds arbitrary bytes to the MMS PDU decoder. Whatever decodes is taken apart by the
// readers the protocol machine and the service user use, and, when it can be encoded
// again (a value holding an unknown alternative or a GeneralizedTime cannot), its
// encoding must decode once more and encode to the very same bytes. A frame that keeps
// a read answer's results as octets must decode exactly what the generic decoder takes,
// and its results must reach containers as the generic decode's do. An alternate access
// that reads as a path is written again from that path and reads as the same path.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <list>
#include <string>
#include <vector>

#include "mms/ReadPathAgreement.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/AlternateAccess.h"
#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduReader.h"

using namespace Mms;

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void ReadData(const MmsData& data) {
    double number = 0;
    if (data.present == MmsDataFloatingPoint) MmsFloatingPointToDouble(data.choice.floatingPoint, number);
    if (data.present == MmsDataArray || data.present == MmsDataStructure) {
        for (const MmsData* element : data.choice.array) ReadData(*element);
    }
}

void ReadResults(const MmsAccessResultList& results) {
    for (const MmsAccessResult* result : results) {
        if (result->present == MmsAccessResultSuccess) ReadData(result->choice.success);
    }
}

void ReadVariables(const MmsVariableList& variables) {
    for (const MmsVariableEntry* entry : variables) {
        if (entry->alternateAccess == nullptr) continue;
        AccessPath path;
        if (MmsReadAlternateAccess(*entry->alternateAccess, path) != System::OkNoError) continue;
        MmsAlternateAccess* written = nullptr;
        Require(MmsNewAlternateAccess(path, written) == System::OkNoError);
        AccessPath again;
        Require(MmsReadAlternateAccess(*written, again) == System::OkNoError && again == path);
        Asn1::Asn1FreeValue(&MmsAlternateAccessType, written);
    }
}

void ReadAccess(const MmsVariableAccessSpecification& access) {
    if (access.present == MmsVariableAccessListOfVariable) ReadVariables(access.choice.listOfVariable);
}

void ReadRequest(const MmsConfirmedServiceRequest& service) {
    switch (service.present) {
        case MmsServiceRead: ReadAccess(service.choice.read.variableAccessSpecification); break;
        case MmsServiceWrite: ReadAccess(service.choice.write.variableAccessSpecification); break;
        case MmsServiceDefineNamedVariableList:
            ReadVariables(service.choice.defineNamedVariableList.listOfVariable);
            break;
        default: break;
    }
}

void ReadResponse(const MmsConfirmedServiceResponse& service) {
    std::list<std::string> texts;
    bool moreFollows = false;
    switch (service.present) {
        case MmsServiceGetNameList: {
            MmsReadGetNameListResponse(service.choice.getNameList, texts, moreFollows);
            // The compact list the service user collects in must read the same names.
            System::NameList compact;
            MmsReadGetNameListResponse(service.choice.getNameList, compact, moreFollows);
            Require(std::equal(texts.begin(), texts.end(), compact.begin(), compact.end()));
            break;
        }
        case MmsServiceIdentify: {
            MmsIdentity identity;
            MmsReadIdentifyResponse(service.choice.identify, identity);
            break;
        }
        case MmsServiceRead: ReadResults(service.choice.read.listOfAccessResult); break;
        case MmsServiceGetNamedVariableListAttributes:
            ReadVariables(service.choice.getNamedVariableListAttributes.listOfVariable);
            break;
        case MmsServiceGetDomainAttributes: {
            MmsDomainAttributes attributes;
            MmsReadGetDomainAttributesResponse(service.choice.getDomainAttributes, attributes);
            break;
        }
        case MmsServiceGetCapabilityList: {
            MmsReadGetCapabilityListResponse(service.choice.getCapabilityList, texts, moreFollows);
            System::NameList compact;
            MmsReadGetCapabilityListResponse(service.choice.getCapabilityList, compact, moreFollows);
            Require(std::equal(texts.begin(), texts.end(), compact.begin(), compact.end()));
            break;
        }
        default: break;
    }
}

void ReadPdu(const MmsPdu& pdu) {
    InitiateParameters parameters;
    ServiceErrorRecord record;
    std::string text;
    switch (pdu.present) {
        case MmsPduConfirmedRequest:
            ReadRequest(pdu.choice.confirmedRequest.service);
            if (pdu.choice.confirmedRequest.service.present == MmsServiceGetVariableAccessAttributes) {
                const auto& request = pdu.choice.confirmedRequest.service.choice.getVariableAccessAttributes;
                if (request.present == MmsAttributesByName) MmsObjectNameText(request.choice.name, text);
            }
            break;
        case MmsPduConfirmedResponse: ReadResponse(pdu.choice.confirmedResponse.service); break;
        case MmsPduConfirmedError: MmsReadServiceError(pdu.choice.confirmedError.serviceError, record); break;
        case MmsPduUnconfirmed:
            if (pdu.choice.unconfirmed.service.present == MmsUnconfirmedInformationReport) {
                ReadResults(pdu.choice.unconfirmed.service.choice.informationReport.listOfAccessResult);
                ReadAccess(pdu.choice.unconfirmed.service.choice.informationReport.variableAccessSpecification);
            }
            break;
        case MmsPduInitiateRequest: MmsReadInitiateRequest(pdu.choice.initiateRequest, parameters); break;
        case MmsPduInitiateResponse: MmsReadInitiateResponse(pdu.choice.initiateResponse, parameters); break;
        case MmsPduInitiateError: MmsReadServiceError(pdu.choice.initiateError, record); break;
        case MmsPduConcludeError: MmsReadServiceError(pdu.choice.concludeError, record); break;
        default: break;
    }
}

// The frame that keeps read results decodes what the generic decoder does; when it keeps
// them, the envelope is the generic one's and the results agree.
void CheckKeptReadResults(const std::uint8_t* data, std::size_t size, const MmsPdu* generic) {
    MmsFrame frame(nullptr, {data, size}, true);
    Require(frame.IsDecoded() == (generic != nullptr));
    if (!frame.KeepsReadResults()) return;
    Require(generic->present == MmsPduConfirmedResponse);
    const MmsConfirmedResponsePdu& expected = generic->choice.confirmedResponse;
    const MmsConfirmedResponsePdu& got = frame.GetPdu()->choice.confirmedResponse;
    Require(got.invokeId == expected.invokeId && got.service.present == MmsServiceRead &&
            expected.service.present == MmsServiceRead);
    const MmsReadResponse& read = expected.service.choice.read;
    Require((got.service.choice.read.variableAccessSpecification == nullptr) ==
            (read.variableAccessSpecification == nullptr));
    Require(frame.GetReadResultCount() == static_cast<std::size_t>(read.listOfAccessResult.Count()));
    Require(ReadPathAgreement::CompareResults(frame.GetReadResults()).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MmsPdu* pdu = nullptr;
    if (MmsDecodePdu(data, size, pdu) != System::OkNoError) {
        Require(pdu == nullptr);
        CheckKeptReadResults(data, size, nullptr);
        return 0;
    }
    CheckKeptReadResults(data, size, pdu);
    ReadPdu(*pdu);
    std::vector<std::uint8_t> first;
    const bool encoded = MmsEncodePdu(*pdu, first) == System::OkNoError;
    MmsFreePdu(pdu);
    if (!encoded) return 0;

    MmsPdu* again = nullptr;
    Require(MmsDecodePdu(first.data(), first.size(), again) == System::OkNoError);
    std::vector<std::uint8_t> second;
    Require(MmsEncodePdu(*again, second) == System::OkNoError);
    MmsFreePdu(again);
    Require(first == second);
    return 0;
}
