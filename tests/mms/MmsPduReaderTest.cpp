#include <gtest/gtest.h>

#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "support/WireCheck.h"

using namespace Mms;
using TestSupport::BytesFromHex;

namespace {

Asn1::Asn1OctetString Octets(std::vector<std::uint8_t>& storage) {
    return {storage.data(), static_cast<std::int32_t>(storage.size()), 1};
}

bool PassesConstraints(const Asn1::Asn1TypeDescriptor& type, const void* value) {
    char messages[256];
    std::size_t size = sizeof messages;
    return Asn1::Asn1CheckConstraints(&type, value, messages, &size) == 0;
}

}  // namespace

TEST(MmsPduReader, FloatingPointValuesOfFiveAndNineOctetsAreRead) {
    std::vector<std::uint8_t> single = BytesFromHex("08 3F 80 00 00");
    std::vector<std::uint8_t> twice = BytesFromHex("0B 40 09 21 FB 54 44 2D 18");
    std::vector<std::uint8_t> odd = BytesFromHex("08 3F 80 00 00 00 00");
    double value = 0;
    EXPECT_EQ(MmsFloatingPointToDouble(Octets(single), value), System::OkNoError);
    EXPECT_EQ(value, 1.0);
    EXPECT_EQ(MmsFloatingPointToDouble(Octets(twice), value), System::OkNoError);
    EXPECT_DOUBLE_EQ(value, 3.141592653589793);
    EXPECT_EQ(MmsFloatingPointToDouble(Octets(odd), value), System::NotImplemented);

    Asn1::Asn1OctetString written{};
    ASSERT_EQ(MmsFloatingPointFromDouble(written, -2.5), System::OkNoError);
    ASSERT_EQ(written.size, 9);
    EXPECT_EQ(written.buf[0], 11);
    EXPECT_EQ(MmsFloatingPointToDouble(written, value), System::OkNoError);
    EXPECT_EQ(value, -2.5);
    Asn1::Asn1OctetStringType.free(&Asn1::Asn1OctetStringType, &written, 1);
}

TEST(MmsPduReader, NumbersAreRangeCheckedAgainstTheirTarget) {
    Asn1::Asn1NativeInteger number = 70000;
    std::uint16_t narrow = 0;
    EXPECT_EQ(MmsReadNumber(&number, narrow), System::OutOfRange);
    number = -1;
    EXPECT_EQ(MmsReadNumber(&number, narrow), System::OutOfRange);
    number = 65535;
    EXPECT_EQ(MmsReadNumber(&number, narrow), System::OkNoError);
    EXPECT_EQ(narrow, 65535);
    EXPECT_EQ(MmsReadNumber(static_cast<const Asn1::Asn1NativeInteger*>(nullptr), narrow), System::Error);
    bool present = true;
    std::int8_t small = 3;
    EXPECT_EQ(MmsReadOptionalNumber(nullptr, small, present), System::OkNoError);
    EXPECT_FALSE(present);
    EXPECT_EQ(small, 3);
}

TEST(MmsPduReader, ServiceErrorsKeepTheirClassAndCode) {
    MmsServiceError error{};
    ServiceErrorRecord record;
    error.errorClass.present = MmsErrorClassOthers;
    Asn1::Asn1IntegerSetInt32(&error.errorClass.choice.others, 300);
    EXPECT_EQ(MmsReadServiceError(error, record), System::OkNoError);
    EXPECT_EQ(record.errorClass, 13);
    EXPECT_EQ(record.errorCode, 300);
    MmsServiceErrorType.free(&MmsServiceErrorType, &error, 1);

    error.errorClass.present = MmsErrorClassInitiate;
    error.errorClass.choice.code = 200;
    EXPECT_EQ(MmsReadServiceError(error, record), System::OutOfRange);
    error.errorClass.choice.code = 3;
    MmsServiceSpecificInformation information{};
    information.present = MmsServiceSpecificDeleteNamedVariableList;
    error.serviceSpecificInformation = &information;
    EXPECT_EQ(MmsReadServiceError(error, record), System::NotSupported);
    EXPECT_EQ(record.errorClass, 9);
    EXPECT_EQ(record.errorCode, 3);
}

TEST(MmsPduReader, NameListAnswersWithoutMoreFollowsMeanMoreFollow) {
    MmsGetNameListResponse response{};
    MmsAppendIdentifier(response.listOfIdentifier, "LLN0");
    MmsAppendIdentifier(response.listOfIdentifier, "");
    MmsAppendIdentifier(response.listOfIdentifier, "LLN0$ST$Mod$stVal");
    std::list<std::string> names{"before"};
    bool moreFollows = false;
    EXPECT_EQ(MmsReadGetNameListResponse(response, names, moreFollows), System::OkNoError);
    EXPECT_EQ(names, (std::list<std::string>{"before", "LLN0", "", "LLN0$ST$Mod$stVal"}));
    EXPECT_TRUE(moreFollows);

    // The compact list the service user collects in reads the same names, empty ones too.
    System::NameList compact{"before"};
    moreFollows = false;
    EXPECT_EQ(MmsReadGetNameListResponse(response, compact, moreFollows), System::OkNoError);
    EXPECT_EQ(compact, (System::NameList{"before", "LLN0", "", "LLN0$ST$Mod$stVal"}));
    EXPECT_EQ(std::list<std::string>(compact.begin(), compact.end()), names);
    EXPECT_EQ(compact.back(), "LLN0$ST$Mod$stVal");
    EXPECT_TRUE(moreFollows);
    MmsGetNameListResponseType.free(&MmsGetNameListResponseType, &response, 1);
}

TEST(MmsPduReader, DomainAttributesAreRangeChecked) {
    MmsGetDomainAttributesResponse response{};
    response.state = 2;
    response.uploadInProgress = 200;
    MmsDomainAttributes attributes;
    EXPECT_EQ(MmsReadGetDomainAttributesResponse(response, attributes), System::OutOfRange);
    response.uploadInProgress = -1;
    response.sharable = 1;
    EXPECT_EQ(MmsReadGetDomainAttributesResponse(response, attributes), System::OkNoError);
    EXPECT_EQ(attributes.state, 2);
    EXPECT_EQ(attributes.uploadInProgress, -1);
    EXPECT_TRUE(attributes.sharable);
}

TEST(MmsPduReader, ObjectNamesReadAsText) {
    MmsObjectName name{};
    std::string text;
    ASSERT_EQ(MmsSetObjectName(name, "LD0", "LLN0$ST$Mod"), System::OkNoError);
    EXPECT_EQ(MmsObjectNameText(name, text), System::OkNoError);
    EXPECT_EQ(text, "LD0/LLN0$ST$Mod");
    MmsObjectNameType.free(&MmsObjectNameType, &name, 1);
    ASSERT_EQ(MmsSetAaSpecificName(name, "x"), System::OkNoError);
    EXPECT_EQ(MmsObjectNameText(name, text), System::NotSupported);
    MmsObjectNameType.free(&MmsObjectNameType, &name, 1);
}

TEST(MmsPduReader, InitiateAnswersAreReadWithTheirRanges) {
    MmsInitiateResponsePdu pdu{};
    InitiateParameters sent = InitiateParameters::Defaults();
    sent.servicesSupported[4] = 1;
    ASSERT_EQ(MmsFillInitiateResponse(sent, pdu), System::OkNoError);
    InitiateParameters read = InitiateParameters::Cleared();
    EXPECT_EQ(MmsReadInitiateResponse(pdu, read), System::OkNoError);
    EXPECT_TRUE(read.localDetailPresent);
    EXPECT_EQ(read.localDetail, 196352);
    EXPECT_EQ(read.maxServOutstandingCalled, 10);
    EXPECT_EQ(read.nestingLevel, 5);
    EXPECT_EQ(read.servicesSupported[4], 1);
    EXPECT_EQ(read.servicesSupported[79], 1);
    EXPECT_EQ(read.servicesSupported[5], 0);
    EXPECT_EQ(read.parameterCbb[7], 1);

    pdu.negotiatedMaxServOutstandingCalling = 70000;
    EXPECT_EQ(MmsReadInitiateResponse(pdu, read), System::OutOfRange);
    pdu.negotiatedMaxServOutstandingCalling = 10;
    *pdu.localDetailCalled = -1;
    EXPECT_EQ(MmsReadInitiateResponse(pdu, read), System::OutOfRange);
    *pdu.localDetailCalled = 1000;
    const std::uint8_t ninetyFour[94] = {};
    ASSERT_EQ(MmsSetFlagBits(pdu.initResponseDetail.servicesSupportedCalled, ninetyFour, 94), System::OkNoError);
    EXPECT_EQ(MmsReadInitiateResponse(pdu, read), System::Error);
    MmsInitiateResponsePduType.free(&MmsInitiateResponsePduType, &pdu, 1);
}

TEST(MmsPduReader, DeclaredRangesAreCheckedOnlyWhenAsked) {
    Asn1::Asn1NativeInteger number = 128;
    EXPECT_FALSE(PassesConstraints(MmsUnsigned8Type, &number));
    number = 127;
    EXPECT_TRUE(PassesConstraints(MmsUnsigned8Type, &number));

    // The system sends 85 service bits, the type declares exactly 93: the check
    // refuses what the encoder happily writes.
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduInitiateRequest;
    ASSERT_EQ(MmsFillInitiateRequest(InitiateParameters::Defaults(), pdu->choice.initiateRequest), System::OkNoError);
    EXPECT_FALSE(PassesConstraints(MmsPduType, pdu));
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(MmsEncodePdu(*pdu, bytes), System::OkNoError);
    MmsFreePdu(pdu);
}
