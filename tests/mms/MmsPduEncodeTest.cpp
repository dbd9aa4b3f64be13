// Every PDU kind and every confirmed service the system sends or answers, built through
// the fillers, against byte images; the images are checked once more by Wireshark's
// MMS dissector.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string_view>

#include "mms/MmsPduBuilders.h"
#include "mms/MmsWire.h"
#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/MmsPduWriter.h"
#include "support/ToolCheck.h"

using namespace Mms;
using namespace MmsTest;
using TestSupport::BytesFromHex;

namespace {

struct EncodeCase {
    const char* name;
    std::function<MmsPdu*()> build;
    const char* hex;
    // tshark: invokeID|confirmedServiceRequest|confirmedServiceResponse|domainId|itemId|vmd_specific
    const char* fields;
};

MmsPdu* InitiateRequest() {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduInitiateRequest;
    EXPECT_EQ(MmsFillInitiateRequest(InitiateParameters::Defaults(), pdu->choice.initiateRequest), System::OkNoError);
    return pdu;
}

MmsPdu* InitiateResponse() {
    InitiateParameters answer = InitiateParameters::Defaults();
    for (std::size_t bit : {0, 1, 2, 4, 5, 6, 11, 12, 13, 37}) answer.servicesSupported[bit] = 1;
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduInitiateResponse;
    EXPECT_EQ(MmsFillInitiateResponse(answer, pdu->choice.initiateResponse), System::OkNoError);
    return pdu;
}

MmsPdu* ErrorPdu(MmsPduKind kind, MmsErrorClass errorClass, std::int32_t code) {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = kind;
    MmsServiceError& error = kind == MmsPduInitiateError ? pdu->choice.initiateError : pdu->choice.concludeError;
    error.errorClass.present = errorClass;
    error.errorClass.choice.code = code;
    return pdu;
}

MmsPdu* Bare(MmsPduKind kind) {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = kind;
    return pdu;
}

MmsPdu* ReadOneVariable() {
    MmsPdu* pdu = NewConfirmedRequest(1);
    MmsVariableAccessSpecification spec{};
    spec.present = MmsVariableAccessListOfVariable;
    EXPECT_EQ(MmsAppendVariableName(spec.choice.listOfVariable, "LD0", "LLN0$ST$Mod"), System::OkNoError);
    EXPECT_EQ(MmsFillReadRequest(pdu->choice.confirmedRequest.service, spec), System::OkNoError);
    EXPECT_EQ(spec.present, MmsVariableAccessNone);  // taken over
    return pdu;
}

MmsPdu* WriteOneVariable() {
    MmsPdu* pdu = NewConfirmedRequest(2);
    MmsVariableAccessSpecification spec{};
    spec.present = MmsVariableAccessListOfVariable;
    EXPECT_EQ(MmsAppendVariableName(spec.choice.listOfVariable, "", "x"), System::OkNoError);
    MmsDataList data{};
    AppendData(data, MmsDataBoolean)->choice.boolean = 1;
    EXPECT_EQ(MmsFillWriteRequest(pdu->choice.confirmedRequest.service, spec, data), System::OkNoError);
    return pdu;
}

MmsPdu* WriteResponse() {
    MmsPdu* pdu = NewConfirmedResponse(2);
    MmsConfirmedServiceResponse& service = pdu->choice.confirmedResponse.service;
    service.present = MmsServiceWrite;
    MmsAppendNew(service.choice.write, MmsWriteResultType)->present = MmsWriteResultSuccess;
    MmsWriteResult* failure = MmsAppendNew(service.choice.write, MmsWriteResultType);
    failure->present = MmsWriteResultFailure;
    failure->choice.failure = MmsObjectAccessDenied;
    return pdu;
}

MmsPdu* ReadResponseWithEveryValueKind() {
    MmsPdu* pdu = NewConfirmedResponse(1);
    MmsConfirmedServiceResponse& service = pdu->choice.confirmedResponse.service;
    service.present = MmsServiceRead;
    MmsAccessResultList& results = service.choice.read.listOfAccessResult;

    MmsAccessResult* success = MmsAppendNew(results, MmsAccessResultType);
    success->present = MmsAccessResultSuccess;
    MmsData& structure = success->choice.success;
    structure.present = MmsDataStructure;
    MmsDataList& components = structure.choice.structure;
    AppendData(components, MmsDataBoolean)->choice.boolean = 1;
    Asn1::Asn1IntegerSetInt64(&AppendData(components, MmsDataInteger)->choice.integer, -5);
    Asn1::Asn1IntegerSetUInt64(&AppendData(components, MmsDataUnsigned)->choice.unsignedInteger, 300);
    EXPECT_EQ(MmsFloatingPointFromFloat(AppendData(components, MmsDataFloatingPoint)->choice.floatingPoint, 1.0f),
              System::OkNoError);
    const std::uint8_t flags[13] = {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(MmsSetFlagBits(AppendData(components, MmsDataBitString)->choice.bitString, flags, 13), System::OkNoError);
    MmsSetText(AppendData(components, MmsDataVisibleString)->choice.visibleString, "abc");
    SetOctets(AppendData(components, MmsDataOctetString)->choice.octetString, {0x01, 0x02});
    SetOctets(AppendData(components, MmsDataUtcTime)->choice.utcTime, {0x5F, 0x5E, 0x10, 0x00, 0x80, 0x00, 0x00, 0x0A});
    SetOctets(AppendData(components, MmsDataBinaryTime)->choice.binaryTime, {0x00, 0x00, 0x00, 0x64, 0x00, 0x01});
    MmsSetText(AppendData(components, MmsDataMmsString)->choice.mmsString, "\xC3\xA4");

    MmsAccessResult* failure = MmsAppendNew(results, MmsAccessResultType);
    failure->present = MmsAccessResultFailure;
    failure->choice.failure = MmsObjectNonExistent;
    return pdu;
}

MmsPdu* GetNameListRequest() {
    MmsPdu* pdu = NewConfirmedRequest(3);
    EXPECT_EQ(MmsFillGetNameListRequest(pdu->choice.confirmedRequest.service, MmsClassNamedVariable,
                                        MmsObjectScopeDomain, "LD0", std::string("LLN0")),
              System::OkNoError);
    return pdu;
}

MmsPdu* GetNameListResponse() {
    MmsPdu* pdu = NewConfirmedResponse(3);
    EXPECT_EQ(MmsFillGetNameListResponse(pdu->choice.confirmedResponse.service, {"LLN0", "XCBR1"}, false),
              System::OkNoError);
    return pdu;
}

MmsPdu* IdentifyRequest() {
    MmsPdu* pdu = NewConfirmedRequest(4);
    EXPECT_EQ(MmsFillIdentifyRequest(pdu->choice.confirmedRequest.service), System::OkNoError);
    return pdu;
}

MmsPdu* IdentifyResponse() {
    MmsPdu* pdu = NewConfirmedResponse(4);
    MmsConfirmedServiceResponse& service = pdu->choice.confirmedResponse.service;
    service.present = MmsServiceIdentify;
    MmsIdentifyResponse& identify = service.choice.identify;
    MmsSetText(identify.vendorName, "V");
    MmsSetText(identify.modelName, "M");
    MmsSetText(identify.revision, "1");
    identify.listOfAbstractSyntaxes =
        static_cast<MmsObjectIdentifierList*>(Asn1::Asn1NewValue(&MmsObjectIdentifierListType));
    Asn1::Asn1OctetString* oid = MmsAppendNew(*identify.listOfAbstractSyntaxes, Asn1::Asn1ObjectIdentifierType);
    const std::uint32_t arcs[] = {1, 0, 9506, 2, 1};
    Asn1::Asn1OidSetArcs(oid, arcs, sizeof arcs[0], 5);
    return pdu;
}

MmsPdu* GetVariableAccessAttributesRequest() {
    MmsPdu* pdu = NewConfirmedRequest(5);
    MmsObjectName name{};
    MmsSetObjectName(name, "LD0", "LLN0");
    EXPECT_EQ(MmsFillGetVariableAccessAttributesRequest(pdu->choice.confirmedRequest.service, name), System::OkNoError);
    return pdu;
}

MmsTypeSpecification* AppendComponent(MmsStructureComponentList& components, const char* name,
                                      MmsTypeDescriptionChoice kind) {
    MmsStructureComponent* component = MmsAppendNew(components, MmsStructureComponentType);
    component->componentName = Asn1::Asn1OctetStringNew(&MmsIdentifierType, name, std::strlen(name));
    component->componentType = MmsNewValue<MmsTypeSpecification>(MmsTypeSpecificationType);
    component->componentType->present = MmsTypeSpecificationDescription;
    component->componentType->choice.typeDescription.present = kind;
    return component->componentType;
}

MmsPdu* GetVariableAccessAttributesResponse() {
    MmsPdu* pdu = NewConfirmedResponse(5);
    MmsConfirmedServiceResponse& service = pdu->choice.confirmedResponse.service;
    service.present = MmsServiceGetVariableAccessAttributes;
    MmsGetVariableAccessAttributesResponse& response = service.choice.getVariableAccessAttributes;
    response.mmsDeletable = 0;
    response.typeSpecification.present = MmsTypeSpecificationDescription;
    MmsTypeDescription& description = response.typeSpecification.choice.typeDescription;
    description.present = MmsTypeStructure;
    MmsStructureComponentList& components = description.choice.structure.components;
    AppendComponent(components, "stVal", MmsTypeBoolean);
    AppendComponent(components, "q", MmsTypeBitString)->choice.typeDescription.choice.bitString = 13;
    AppendComponent(components, "t", MmsTypeUtcTime);
    return pdu;
}

MmsPdu* DefineNamedVariableListRequest() {
    MmsPdu* pdu = NewConfirmedRequest(6);
    MmsObjectName listName{};
    MmsSetObjectName(listName, "LD0", "DS1");
    MmsVariableList variables{};
    MmsAppendVariableName(variables, "", "a");
    MmsAppendVariableName(variables, "", "b");
    EXPECT_EQ(MmsFillDefineNamedVariableListRequest(pdu->choice.confirmedRequest.service, listName, variables),
              System::OkNoError);
    return pdu;
}

MmsPdu* ServiceResponse(std::int32_t invokeId, MmsService service) {
    MmsPdu* pdu = NewConfirmedResponse(invokeId);
    pdu->choice.confirmedResponse.service.present = service;
    return pdu;
}

MmsPdu* GetNamedVariableListAttributesRequest() {
    MmsPdu* pdu = NewConfirmedRequest(7);
    MmsObjectName listName{};
    MmsSetObjectName(listName, "LD0", "DS1");
    EXPECT_EQ(MmsFillGetNamedVariableListAttributesRequest(pdu->choice.confirmedRequest.service, listName),
              System::OkNoError);
    return pdu;
}

MmsPdu* GetNamedVariableListAttributesResponse() {
    MmsPdu* pdu = ServiceResponse(7, MmsServiceGetNamedVariableListAttributes);
    MmsGetNamedVariableListAttributesResponse& response =
        pdu->choice.confirmedResponse.service.choice.getNamedVariableListAttributes;
    response.mmsDeletable = 1;
    MmsAppendVariableName(response.listOfVariable, "", "a");
    MmsAppendVariableName(response.listOfVariable, "", "b");
    return pdu;
}

MmsPdu* DeleteNamedVariableListRequest() {
    MmsPdu* pdu = NewConfirmedRequest(8);
    MmsObjectName listName{};
    MmsSetObjectName(listName, "LD0", "DS1");
    EXPECT_EQ(MmsFillDeleteNamedVariableListRequest(pdu->choice.confirmedRequest.service, listName), System::OkNoError);
    return pdu;
}

MmsPdu* DeleteNamedVariableListResponse() {
    MmsPdu* pdu = ServiceResponse(8, MmsServiceDeleteNamedVariableList);
    pdu->choice.confirmedResponse.service.choice.deleteNamedVariableList = {1, 1};
    return pdu;
}

MmsPdu* GetDomainAttributesRequest() {
    MmsPdu* pdu = NewConfirmedRequest(9);
    EXPECT_EQ(MmsFillGetDomainAttributesRequest(pdu->choice.confirmedRequest.service, "LD0"), System::OkNoError);
    return pdu;
}

MmsPdu* StatusRequest() {
    MmsPdu* pdu = NewConfirmedRequest(10);
    EXPECT_EQ(MmsFillStatusRequest(pdu->choice.confirmedRequest.service, false), System::OkNoError);
    return pdu;
}

MmsPdu* GetCapabilityListRequest() {
    MmsPdu* pdu = NewConfirmedRequest(11);
    EXPECT_EQ(MmsFillGetCapabilityListRequest(pdu->choice.confirmedRequest.service, std::nullopt), System::OkNoError);
    return pdu;
}

MmsPdu* ConfirmedError() {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduConfirmedError;
    pdu->choice.confirmedError.invokeId = 12;
    pdu->choice.confirmedError.serviceError.errorClass.present = MmsErrorClassAccess;
    pdu->choice.confirmedError.serviceError.errorClass.choice.code = 2;
    return pdu;
}

MmsPdu* Reject(Asn1::Asn1NativeInteger* originalInvokeId, MmsRejectReasonChoice reason, std::int32_t code) {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduReject;
    pdu->choice.reject.originalInvokeId = originalInvokeId;
    pdu->choice.reject.rejectReason.present = reason;
    pdu->choice.reject.rejectReason.choice.code = code;
    return pdu;
}

MmsPdu* InformationReport() {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduUnconfirmed;
    MmsUnconfirmedService& service = pdu->choice.unconfirmed.service;
    service.present = MmsUnconfirmedInformationReport;
    MmsInformationReport& report = service.choice.informationReport;
    report.variableAccessSpecification.present = MmsVariableAccessVariableListName;
    MmsSetObjectName(report.variableAccessSpecification.choice.variableListName, "", "RPT");
    MmsAccessResult* result = MmsAppendNew(report.listOfAccessResult, MmsAccessResultType);
    result->present = MmsAccessResultSuccess;
    result->choice.success.present = MmsDataVisibleString;
    MmsSetText(result->choice.success.choice.visibleString, "abc");
    return pdu;
}

Asn1::Asn1NativeInteger* Number(std::int32_t value) {
    auto* number = static_cast<Asn1::Asn1NativeInteger*>(Asn1::Asn1NewValue(&Asn1::Asn1NativeIntegerType));
    *number = value;
    return number;
}

const EncodeCase kCases[] = {
    {"initiate request with the library's defaults", InitiateRequest,
     "A8 26 80 03 02 FF 00 81 01 0A 82 01 0A 83 01 05 A4 16 80 01 01 81 03 05 E1 00 82 0C 03 00 00 00 00 00 00 00 00 "
     "00 01 00",
     "|||||"},
    {"initiate response", InitiateResponse,
     "A9 26 80 03 02 FF 00 81 01 0A 82 01 0A 83 01 05 A4 16 80 01 01 81 03 05 E1 00 82 0C 03 EE 1C 00 00 04 00 00 00 "
     "00 01 00",
     "|||||"},
    {"initiate error", [] { return ErrorPdu(MmsPduInitiateError, MmsErrorClassInitiate, 0); }, "AA 05 A0 03 88 01 00",
     "|||||"},
    {"conclude request", [] { return Bare(MmsPduConcludeRequest); }, "8B 00", "|||||"},
    {"conclude response", [] { return Bare(MmsPduConcludeResponse); }, "8C 00", "|||||"},
    {"conclude error", [] { return ErrorPdu(MmsPduConcludeError, MmsErrorClassConclude, 1); }, "AD 05 A0 03 89 01 01",
     "|||||"},
    {"read request without specificationWithResult", ReadOneVariable,
     "A0 21 02 01 01 A4 1C A1 1A A0 18 30 16 A0 14 A1 12 1A 03 4C 44 30 1A 0B 4C 4C 4E 30 24 53 54 24 4D 6F 64",
     "1|4||LD0|LLN0$ST$Mod|"},
    {"write request", WriteOneVariable, "A0 13 02 01 02 A5 0E A0 07 30 05 A0 03 80 01 78 A0 03 83 01 01", "2|5||||x"},
    {"write response with one result per variable", WriteResponse, "A1 0A 02 01 02 A5 05 81 00 80 01 03", "2||5|||"},
    {"read response with every value kind", ReadResponseWithEveryValueKind,
     "A1 41 02 01 01 A4 3C A1 3A A2 35 83 01 01 85 01 FB 86 02 01 2C 87 05 08 3F 80 00 00 84 03 03 A0 08 8A 03 61 62 "
     "63 89 02 01 02 91 08 5F 5E 10 00 80 00 00 0A 8C 06 00 00 00 64 00 01 90 02 C3 A4 80 01 0A",
     "1||4|||"},
    {"getNameList request in a domain, continuing", GetNameListRequest,
     "A0 17 02 01 03 A1 12 A0 03 80 01 00 A1 05 81 03 4C 44 30 82 04 4C 4C 4E 30", "3|1||||"},
    {"getNameList response", GetNameListResponse,
     "A1 17 02 01 03 A1 12 A0 0D 1A 04 4C 4C 4E 30 1A 05 58 43 42 52 31 81 01 00", "3||1|||"},
    {"identify request", IdentifyRequest, "A0 05 02 01 04 82 00", "4|2||||"},
    {"identify response", IdentifyResponse,
     "A1 17 02 01 04 A2 12 80 01 56 81 01 4D 82 01 31 A3 07 06 05 28 CA 22 02 01", "4||2|||"},
    {"getVariableAccessAttributes request", GetVariableAccessAttributesRequest,
     "A0 14 02 01 05 A6 0F A0 0D A1 0B 1A 03 4C 44 30 1A 04 4C 4C 4E 30", "5|6||LD0|LLN0|"},
    {"getVariableAccessAttributes response", GetVariableAccessAttributesResponse,
     "A1 2E 02 01 05 A6 29 80 01 00 A2 24 A2 22 A1 20 30 0B 80 05 73 74 56 61 6C A1 02 83 00 30 08 80 01 71 A1 03 84 "
     "01 0D 30 07 80 01 74 A1 02 91 00",
     "5||6|||"},
    {"defineNamedVariableList request", DefineNamedVariableListRequest,
     "A0 21 02 01 06 AB 1C A1 0A 1A 03 4C 44 30 1A 03 44 53 31 A0 0E 30 05 A0 03 80 01 61 30 05 A0 03 80 01 62",
     "6|11||LD0|DS1|a,b"},
    {"defineNamedVariableList response", [] { return ServiceResponse(6, MmsServiceDefineNamedVariableList); },
     "A1 05 02 01 06 8B 00", "6||11|||"},
    {"getNamedVariableListAttributes request", GetNamedVariableListAttributesRequest,
     "A0 11 02 01 07 AC 0C A1 0A 1A 03 4C 44 30 1A 03 44 53 31", "7|12||LD0|DS1|"},
    {"getNamedVariableListAttributes response", GetNamedVariableListAttributesResponse,
     "A1 18 02 01 07 AC 13 80 01 01 A1 0E 30 05 A0 03 80 01 61 30 05 A0 03 80 01 62", "7||12|||a,b"},
    {"deleteNamedVariableList request", DeleteNamedVariableListRequest,
     "A0 13 02 01 08 AD 0E A1 0C A1 0A 1A 03 4C 44 30 1A 03 44 53 31", "8|13||LD0|DS1|"},
    {"deleteNamedVariableList response", DeleteNamedVariableListResponse, "A1 0B 02 01 08 AD 06 80 01 01 81 01 01",
     "8||13|||"},
    {"getDomainAttributes request", GetDomainAttributesRequest, "A0 09 02 01 09 9F 25 03 4C 44 30", "9|37||||"},
    {"getDomainAttributes response", [] { return ServiceResponse(9, MmsServiceGetDomainAttributes); },
     "A1 16 02 01 09 BF 25 10 A0 00 81 01 00 82 01 00 83 01 00 A4 00 85 01 00", "9||37|||"},
    {"status request", StatusRequest, "A0 06 02 01 0A 80 01 00", "10|0||||"},
    {"status response", [] { return ServiceResponse(10, MmsServiceStatus); }, "A1 0B 02 01 0A A0 06 80 01 00 81 01 00",
     "10||0|||"},
    {"getCapabilityList request", GetCapabilityListRequest, "A0 06 02 01 0B BF 47 00", "11|71||||"},
    {"confirmed error", ConfirmedError, "A2 0A 80 01 0C A2 05 A0 03 87 01 02", "12|||||"},
    {"reject of a confirmed request", [] { return Reject(Number(7), MmsRejectConfirmedRequest, 1); },
     "A4 06 80 01 07 81 01 01", "|||||"},
    {"reject of an undecodable unit", [] { return Reject(nullptr, MmsRejectPduError, 1); }, "A4 03 85 01 01", "|||||"},
    {"information report", InformationReport, "A3 10 A0 0E A1 05 80 03 52 50 54 A0 05 8A 03 61 62 63", "|||||RPT"},
    {"cancel request",
     [] {
         MmsPdu* pdu = Bare(MmsPduCancelRequest);
         pdu->choice.cancelRequest = 5;
         return pdu;
     },
     "85 01 05", "|||||"},
};

std::vector<std::uint8_t> ImageOf(std::string_view name) {
    for (const EncodeCase& c : kCases) {
        if (name == c.name) return BytesFromHex(c.hex);
    }
    ADD_FAILURE() << "no case " << name;
    return {};
}

std::vector<std::vector<std::uint8_t>> ExpectedImages() {
    std::vector<std::vector<std::uint8_t>> images;
    for (const EncodeCase& c : kCases) images.push_back(BytesFromHex(c.hex));
    return images;
}

}  // namespace

TEST(MmsPduEncode, EveryPduKindEncodesToItsImageAndDecodesBackToTheSameBytes) {
    for (const EncodeCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> encoded = EncodeAndFree(c.build());
        EXPECT_EQ(Hex(encoded), Hex(BytesFromHex(c.hex)));

        MmsPdu* decoded = nullptr;
        ASSERT_EQ(MmsDecodePdu(encoded.data(), encoded.size(), decoded), System::OkNoError);
        EXPECT_EQ(Hex(EncodeAndFree(decoded)), Hex(encoded));
    }
}

TEST(MmsPduEncode, WiresharkDecodesEveryImageCleanlyWithTheExpectedServiceAndNames) {
    REQUIRE_WIRESHARK();
    const auto images = ExpectedImages();
    EXPECT_EQ(MmsProblems(images), "");
    const auto lines = MmsFields(images, {"mms.invokeID", "mms.confirmedServiceRequest", "mms.confirmedServiceResponse",
                                          "mms.domainId", "mms.itemId", "mms.vmd_specific"});
    ASSERT_EQ(lines.size(), std::size(kCases));
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], kCases[i].fields) << kCases[i].name;
}

TEST(MmsPduEncode, WiresharkReadsTheValuesOfEveryDataKind) {
    REQUIRE_WIRESHARK();
    const auto lines = MmsFields({ImageOf("read response with every value kind")},
                                 {"mms.boolean", "mms.integer", "mms.unsigned", "mms.floating_point",
                                  "mms.data.visible-string", "mms.data.octet-string", "mms.failure"});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "1|-5|300|083f800000|abc|0102|10");
}

TEST(MmsPduEncode, WiresharkReadsTheInitiateParametersAndTheErrorAndRejectCodes) {
    REQUIRE_WIRESHARK();
    const auto lines = MmsFields(
        {ImageOf("initiate request with the library's defaults"), ImageOf("confirmed error"),
         ImageOf("reject of a confirmed request")},
        {"mms.localDetailCalling", "mms.proposedMaxServOutstandingCalling", "mms.proposedDataStructureNestingLevel",
         "mms.errorClass", "mms.originalInvokeID", "mms.confirmed_requestPDU"});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "196352|10|5|||");
    EXPECT_EQ(lines[1], "|||7||");
    EXPECT_EQ(lines[2], "||||7|1");
}
