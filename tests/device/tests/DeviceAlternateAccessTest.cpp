// Hostile alternate accesses, sent raw on a real association to the device's harmonics
// array (16 elements): an index anywhere in Unsigned32's range is a legal one and is
// refused for its own entry alone when the array does not hold it; a form that BER does
// not allow (an INTEGER of no content or longer than its shortest form, a NULL with
// content) is refused with its whole request, and the association stands.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "RawRequests.h"
#include "device/ModelScope.h"
#include "mms/machine/MmsFrame.h"
#include "mms/user/IndexedItem.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

using DeviceTest::DeviceClient;
using DeviceTest::FirstRawInvokeId;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes operator+(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

Bytes Tlv(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    if (content.size() >= 128) out.push_back(0x81);
    out.push_back(static_cast<std::uint8_t>(content.size()));
    return out + content;
}

Bytes Text(const std::string& text) { return {text.begin(), text.end()}; }

// A listOfVariable entry: the harmonics array with the alternate access (its hex).
Bytes Entry(const char* selection) {
    const Bytes name = Tlv(0xA0, Tlv(0xA1, Tlv(0x1A, Text("LD0")) + Tlv(0x1A, Text("MHAI1$MX$HA$phsAHar"))));
    return Tlv(0x30, name + Tlv(0xA5, TestSupport::BytesFromHex(selection)));
}

// element 9, its cVal (selectAlternateAccess: index 9, then component "cVal")
constexpr const char* kElement9CVal = "A0 0B 81 01 09 30 06 81 04 63 56 61 6C";
// cVal {mag {f 12.5}, ang {f 45}}, written into every entry of a write
constexpr const char* kCVal = "A2 12 A2 07 87 05 08 41 48 00 00 A2 07 87 05 08 42 34 00 00";

Bytes Request(std::int32_t invokeId, bool write, const std::vector<const char*>& selections) {
    Bytes entries;
    Bytes data;
    for (const char* selection : selections) {
        entries = entries + Entry(selection);
        data = data + TestSupport::BytesFromHex(kCVal);
    }
    const Bytes id{static_cast<std::uint8_t>(invokeId >> 16), static_cast<std::uint8_t>(invokeId >> 8),
                   static_cast<std::uint8_t>(invokeId)};
    const Bytes service =
        write ? Tlv(0xA5, Tlv(0xA0, entries) + Tlv(0xA0, data)) : Tlv(0xA4, Tlv(0xA1, Tlv(0xA0, entries)));
    return Tlv(0xA0, Tlv(0x02, id) + service);
}

std::string ItemText(std::int32_t failure, const char* success) {
    if (failure < 0) return success;
    return failure == Mms::MmsObjectNonExistent ? "non-existent" : "failure " + std::to_string(failure);
}

// The answer as our decoder reads it: "reject" (invalid argument), or one item per
// entry ("data", "success", "non-existent"), joined by "|".
std::string Summary(const Bytes& answer) {
    if (answer.empty()) return "no answer";
    const Mms::MmsFrame frame(nullptr, answer);
    const Mms::MmsPdu* pdu = frame.GetPdu();
    if (pdu->present == Mms::MmsPduReject) {
        const Mms::MmsRejectReason& reason = pdu->choice.reject.rejectReason;
        const bool invalidArgument = reason.present == Mms::MmsRejectConfirmedRequest &&
                                     reason.choice.code == Mms::MmsRejectRequestInvalidArgument;
        return invalidArgument ? "reject" : "another reject";
    }
    if (pdu->present != Mms::MmsPduConfirmedResponse) return "another answer";
    const Mms::MmsConfirmedServiceResponse& service = pdu->choice.confirmedResponse.service;
    std::string items;
    auto add = [&items](const std::string& item) { items += (items.empty() ? "" : "|") + item; };
    if (service.present == Mms::MmsServiceRead) {
        for (const Mms::MmsAccessResult* result : service.choice.read.listOfAccessResult) {
            add(ItemText(result->present == Mms::MmsAccessResultSuccess ? -1 : result->choice.failure, "data"));
        }
    } else if (service.present == Mms::MmsServiceWrite) {
        for (const Mms::MmsWriteResult* result : service.choice.write) {
            add(ItemText(result->present == Mms::MmsWriteResultSuccess ? -1 : result->choice.failure, "success"));
        }
    }
    return items;
}

TEST(DeviceAlternateAccessTest, AnIndexOfTheWholeUnsigned32RangeIsRefusedAloneAndAMalformedOneWithItsRequest) {
    TestDevice::Device::Options options;
    options.model.harmonics = true;
    TestDevice::Device device(options);
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);

    const struct {
        const char* what;
        bool write;
        std::vector<const char*> selections;
        const char* answer;
        const char* wireshark;  // invokeID|originalInvokeID|failure of the answer
        bool malformed;         // a form BER does not allow: kept out of the capture's check
    } rows[] = {
        {"indexes past the end, up to 2^32-1",
         false,
         {kElement9CVal, "82 01 10", "82 05 00 80 00 00 00", "82 05 00 FF FF FF FF"},
         "data|non-existent|non-existent|non-existent",
         "70000||10,10,10",
         false},
        {"ranges from 2^31 and of 2^32-1 elements",
         false,
         {"A3 0A 80 05 00 80 00 00 00 81 01 01", "A3 0A 80 01 02 81 05 00 FF FF FF FF", kElement9CVal},
         "non-existent|non-existent|data",
         "70001||10,10",
         false},
        {"writes at indexes 2^31 and 2^32-1",
         true,
         {kElement9CVal, "82 05 00 80 00 00 00", "82 05 00 FF FF FF FF"},
         "success|non-existent|non-existent",
         "70002||10,10",
         false},
        {"an index of no content", false, {kElement9CVal, "82 00"}, "reject", "|70003|", true},
        {"an index of ten octets",
         false,
         {kElement9CVal, "82 0A 00 00 00 00 00 00 00 00 00 01"},
         "reject",
         "|70004|",
         true},
        {"all elements with content", false, {kElement9CVal, "84 01 00"}, "reject", "|70005|", true},
        {"a write at an index of no content", true, {kElement9CVal, "82 00"}, "reject", "|70006|", true},
        // Outside Unsigned32, as an index beyond 32 bits always was.
        {"a negative index", false, {kElement9CVal, "82 01 FF"}, "reject", "|70007|", false},
    };
    std::vector<Bytes> requests;
    std::int32_t invokeId = FirstRawInvokeId;
    for (const auto& row : rows) {
        requests.push_back(Request(invokeId++, row.write, row.selections));
        ASSERT_EQ(DeviceTest::SendRawPdu(client, requests.back()), System::OkNoError) << row.what;
    }
    // Answered after those: every answer has crossed the relay, and the association stands.
    EXPECT_EQ(client.Read("LD0", "LLN0$ST$Mod$stVal"), "1");
    EXPECT_EQ(device.OpenAssociations(), 1);
    {
        // The valid entry beside the huge indexes took its value.
        const TestDevice::ModelScope hold(device.Vmd());
        Mms::Domain* domain = nullptr;
        ASSERT_EQ(device.Vmd().FindDomain("LD0", domain), System::OkNoError);
        Mms::Container* magnitude = Mms::FindIndexedValue(*domain, "MHAI1$MX$HA$phsAHar(9)$cVal$mag$f");
        ASSERT_NE(magnitude, nullptr);
        std::string text;
        EXPECT_EQ(magnitude->ToText(text), System::OkNoError);
        EXPECT_EQ(text, "12.5");
    }

    const std::vector<TestSupport::WireUnit> packets = TestSupport::PacketsApart(client.relay.Units(0));
    std::vector<TestSupport::WireUnit> wellFormed;
    for (const TestSupport::WireUnit& packet : packets) {
        bool malformed = false;
        for (std::size_t i = 0; i < requests.size(); ++i) {
            const Bytes& request = requests[i];
            malformed |= rows[i].malformed && packet.fromClient && packet.bytes.size() >= request.size() &&
                         std::equal(request.begin(), request.end(), packet.bytes.end() - request.size());
        }
        if (!malformed) wellFormed.push_back(packet);
    }
    std::vector<std::string> expectedView;
    invokeId = FirstRawInvokeId;
    for (const auto& row : rows) {
        EXPECT_EQ(Summary(DeviceTest::AnswerOnWire(packets, invokeId++)), row.answer) << row.what;
        expectedView.push_back(row.wireshark);
    }

    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(TestSupport::FindProblems(wellFormed), "");
        // The device's answers to the raw requests as Wireshark reads them.
        EXPECT_EQ(TestSupport::DecodeFields(
                      packets, {"mms.invokeID", "mms.originalInvokeID", "mms.failure"},
                      {"-Y", "(mms.confirmed_ResponsePDU_element && mms.invokeID >= 70000) || mms.rejectPDU_element"}),
                  expectedView);
    }
    EXPECT_EQ(client.Release(), System::OkNoError);
}

}  // namespace
