// What the decoder does with PDUs from peers that say more, or other things, than this
// system sends: extensions are skipped, unknown alternatives in extensible places read
// as choice 0, and malformed or too deeply nested units are refused without harm.

#include <gtest/gtest.h>

#include <memory>

#include "mms/MmsWire.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduReader.h"

using namespace Mms;
using TestSupport::BytesFromHex;

namespace {

struct PduDeleter {
    void operator()(MmsPdu* pdu) const { MmsFreePdu(pdu); }
};
using PduPointer = std::unique_ptr<MmsPdu, PduDeleter>;

PduPointer Decode(const std::vector<std::uint8_t>& bytes, System::ResultCode expected = System::OkNoError) {
    MmsPdu* pdu = nullptr;
    EXPECT_EQ(MmsDecodePdu(bytes.data(), bytes.size(), pdu), expected) << MmsTest::Hex(bytes);
    return PduPointer(pdu);
}

PduPointer Decode(const char* hex, System::ResultCode expected = System::OkNoError) {
    return Decode(BytesFromHex(hex), expected);
}

// A read response whose single access result is the given Data encoding.
std::vector<std::uint8_t> ReadResponseWith(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> results{0xA1, static_cast<std::uint8_t>(data.size())};
    results.insert(results.end(), data.begin(), data.end());
    std::vector<std::uint8_t> read{0xA4, static_cast<std::uint8_t>(results.size())};
    read.insert(read.end(), results.begin(), results.end());
    std::vector<std::uint8_t> pdu{0xA1, static_cast<std::uint8_t>(read.size() + 3), 0x02, 0x01, 0x01};
    pdu.insert(pdu.end(), read.begin(), read.end());
    return pdu;
}

const MmsData& OnlyValue(const PduPointer& pdu) {
    const MmsReadResponse& read = pdu->choice.confirmedResponse.service.choice.read;
    return read.listOfAccessResult[0]->choice.success;
}

// Arrays nested depth levels deep around a boolean, with long-form lengths throughout.
std::vector<std::uint8_t> NestedArrays(int depth) {
    std::vector<std::uint8_t> data{0x83, 0x01, 0x01};
    for (int i = 0; i < depth; ++i) {
        const std::size_t length = data.size();
        std::vector<std::uint8_t> wrapped{0xA1, 0x82, static_cast<std::uint8_t>(length >> 8),
                                          static_cast<std::uint8_t>(length)};
        wrapped.insert(wrapped.end(), data.begin(), data.end());
        data.swap(wrapped);
    }
    return data;
}

std::vector<std::uint8_t> LongReadResponseWith(const std::vector<std::uint8_t>& data) {
    auto tlv = [](std::uint8_t tag, const std::vector<std::uint8_t>& content) {
        std::vector<std::uint8_t> out{tag, 0x82, static_cast<std::uint8_t>(content.size() >> 8),
                                      static_cast<std::uint8_t>(content.size())};
        out.insert(out.end(), content.begin(), content.end());
        return out;
    };
    std::vector<std::uint8_t> body{0x02, 0x01, 0x01};
    const auto read = tlv(0xA4, tlv(0xA1, data));
    body.insert(body.end(), read.begin(), read.end());
    return tlv(0xA1, body);
}

}  // namespace

TEST(MmsPduDecode, AConfirmedRequestForAServiceNotInTheTableKeepsItsInvokeId) {
    // [3] is rename, which this system does not know.
    const PduPointer pdu = Decode("A0 08 02 01 07 A3 03 80 01 00");
    ASSERT_EQ(pdu->present, MmsPduConfirmedRequest);
    EXPECT_EQ(pdu->choice.confirmedRequest.invokeId, 7);
    EXPECT_EQ(pdu->choice.confirmedRequest.service.present, MmsServiceNone);
}

TEST(MmsPduDecode, DataTagsAreMappedToChoicesAndAnUnusedTagReadsAsNoChoice) {
    struct Case {
        const char* data;
        MmsDataChoice choice;
    };
    const Case cases[] = {
        {"88 01 00", MmsDataNone},         // [8] is not used by Data
        {"89 01 00", MmsDataOctetString},  // [9]
        {"8E 02 07 80", MmsDataBooleanArray},
        {"8F 03 28 CA 22", MmsDataObjId},
        {"8D 01 12", MmsDataBcd},
        {"BF 30 00", MmsDataNone},  // a later edition's alternative
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        const PduPointer pdu = Decode(ReadResponseWith(BytesFromHex(c.data)));
        ASSERT_TRUE(pdu);
        EXPECT_EQ(OnlyValue(pdu).present, c.choice);
    }
}

TEST(MmsPduDecode, UnknownValuesInsideAStructureLeaveTheOtherComponentsReadable) {
    const PduPointer pdu = Decode(ReadResponseWith(BytesFromHex("A2 09 83 01 01 88 01 00 85 01 05")));
    ASSERT_TRUE(pdu);
    const MmsData& structure = OnlyValue(pdu);
    ASSERT_EQ(structure.present, MmsDataStructure);
    ASSERT_EQ(structure.choice.structure.Count(), 3);
    EXPECT_EQ(structure.choice.structure[0]->present, MmsDataBoolean);
    EXPECT_EQ(structure.choice.structure[1]->present, MmsDataNone);
    EXPECT_EQ(structure.choice.structure[2]->present, MmsDataInteger);
}

TEST(MmsPduDecode, LaterInitiateDetailElementsAreSkipped) {
    // initResponseDetail with additionalSupportedCalled [3] and privilegeClassIdentity [4].
    const PduPointer pdu = Decode(
        "A9 28 81 01 0A 82 01 0A A4 20 80 01 01 81 03 05 F1 00 82 0C 03 EE 1C 00 00 04 00 00 00 00 01 00 "
        "83 02 07 80 84 04 56 49 53 41");
    ASSERT_TRUE(pdu);
    ASSERT_EQ(pdu->present, MmsPduInitiateResponse);
    const MmsInitiateResponsePdu& response = pdu->choice.initiateResponse;
    EXPECT_EQ(response.localDetailCalled, nullptr);
    EXPECT_EQ(response.negotiatedMaxServOutstandingCalling, 10);
    EXPECT_EQ(response.initResponseDetail.negotiatedVersionNumber, 1);
    EXPECT_EQ(MmsBitCount(response.initResponseDetail.servicesSupportedCalled), 85);
}

TEST(MmsPduDecode, ElementsAfterTheServiceOfAConfirmedPduAreSkipped) {
    // A status response followed by a service extension [79].
    const PduPointer response = Decode("A1 0E 02 01 0A A0 06 80 01 00 81 01 00 BF 4F 00");
    ASSERT_TRUE(response);
    EXPECT_EQ(response->choice.confirmedResponse.service.present, MmsServiceStatus);
    const PduPointer request = Decode("A0 09 02 01 0A 80 01 00 BF 4F 00");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->choice.confirmedRequest.service.present, MmsServiceStatus);
}

TEST(MmsPduDecode, ServiceSpecificInformationOfAnotherServiceDoesNotSpoilTheError) {
    // deleteVariableAccess [5] information in a confirmed error.
    const PduPointer pdu = Decode("A2 0F 80 01 0C A2 0A A0 03 82 01 02 A3 03 85 01 04");
    ASSERT_TRUE(pdu);
    const MmsServiceError& error = pdu->choice.confirmedError.serviceError;
    EXPECT_EQ(error.errorClass.present, MmsErrorClassDefinition);
    ASSERT_NE(error.serviceSpecificInformation, nullptr);
    EXPECT_EQ(error.serviceSpecificInformation->present, MmsServiceSpecificNone);
}

TEST(MmsPduDecode, AnObjectClassOtherThanBasicReadsAsNoChoice) {
    // getNameList with a csObjectClass [1].
    const PduPointer pdu = Decode("A0 11 02 01 03 A1 0C A0 03 81 01 00 A1 05 81 03 4C 44 30");
    ASSERT_TRUE(pdu);
    const MmsGetNameListRequest& request = pdu->choice.confirmedRequest.service.choice.getNameList;
    EXPECT_EQ(request.objectClass.present, MmsObjectClassNone);
    EXPECT_EQ(request.objectScope.present, MmsObjectScopeDomain);
}

TEST(MmsPduDecode, NestingIsBoundedForDataAndTypeDescriptions) {
    EXPECT_TRUE(Decode(LongReadResponseWith(NestedArrays(MmsMaxDataNesting - 1))));
    Decode(LongReadResponseWith(NestedArrays(MmsMaxDataNesting + 1)), System::ProtocolError);
    Decode(LongReadResponseWith(NestedArrays(5000)), System::ProtocolError);

    // A getVariableAccessAttributes response whose array elements are arrays, 200 deep.
    std::vector<std::uint8_t> type{0x83, 0x00};
    for (int i = 0; i < 200; ++i) {
        std::vector<std::uint8_t> element{0xA2, 0x82, static_cast<std::uint8_t>(type.size() >> 8),
                                          static_cast<std::uint8_t>(type.size())};
        element.insert(element.end(), type.begin(), type.end());
        std::vector<std::uint8_t> array{0x81, 0x01, 0x02};
        array.insert(array.end(), element.begin(), element.end());
        type = {0xA1, 0x82, static_cast<std::uint8_t>(array.size() >> 8), static_cast<std::uint8_t>(array.size())};
        type.insert(type.end(), array.begin(), array.end());
    }
    std::vector<std::uint8_t> body{0x80,
                                   0x01,
                                   0x00,
                                   0xA2,
                                   0x82,
                                   static_cast<std::uint8_t>(type.size() >> 8),
                                   static_cast<std::uint8_t>(type.size())};
    body.insert(body.end(), type.begin(), type.end());
    std::vector<std::uint8_t> service{0xA6, 0x82, static_cast<std::uint8_t>(body.size() >> 8),
                                      static_cast<std::uint8_t>(body.size())};
    service.insert(service.end(), body.begin(), body.end());
    std::vector<std::uint8_t> pdu{0xA1,
                                  0x82,
                                  static_cast<std::uint8_t>((service.size() + 3) >> 8),
                                  static_cast<std::uint8_t>(service.size() + 3),
                                  0x02,
                                  0x01,
                                  0x05};
    pdu.insert(pdu.end(), service.begin(), service.end());
    Decode(pdu, System::ProtocolError);
}

TEST(MmsPduDecode, MalformedUnitsAreRefused) {
    const char* units[] = {
        "",                            // nothing
        "A0",                          // no length
        "A0 05 02 01 01",              // content cut short
        "A0 03 02 01 01 00",           // a stray octet after the PDU
        "BE 00",                       // no such PDU kind
        "A0 03 02 01 01",              // confirmed request without a service
        "A0 80 02 01 01 82 00 00 00",  // indefinite length
        "A2 03 80 01 0C",              // confirmed error without its service error
        "A9 03 81 01 0A",              // initiate response without its mandatory parts
        "A1 07 02 05 01 00 00 00 00",  // invoke id wider than 32 bits
    };
    for (const char* unit : units) {
        SCOPED_TRACE(unit);
        EXPECT_FALSE(Decode(unit, System::ProtocolError));
    }
}
