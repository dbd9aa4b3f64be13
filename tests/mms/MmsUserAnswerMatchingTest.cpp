// Answers are matched to their requests by invoke id, and only to the request of this
// association: an answer that cannot be decoded still confirms the request it names,
// and a stale request of an aborted association never passes for a new one.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "mms/LoopbackModel.h"
#include "mms/MmsLoopback.h"
#include "mms/MmsWire.h"
#include "mms/machine/RequestHandle.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "system/Polling.h"

using TestSupport::BytesFromHex;

namespace {

// A request of a class of its own: answered into the done queue like an ACSI service.
class TestService : public Mms::RequestHandle {
public:
    explicit TestService(Mms::MmsConnection& connection) : RequestHandle(connection) {}
};

class MmsUserAnswerMatchingTest : public ::testing::Test {
protected:
    Mms::MmsUserConnection& User() { return client.User(); }
    Mms::MmsConnection& Machine() { return *client.end.Mms(); }

    Mms::NamedVariable* AddClientVariable(const char* domainName, const char* item) {
        auto* domain = new Mms::Domain(&User(), domainName, &client.vmd);
        client.vmd.AddObject(domain);
        auto* variable = new Mms::NamedVariable(&User(), item, domain);
        domain->AddObject(variable);
        return variable;
    }

    // A held read would keep the server's receive thread from ending.
    void TearDown() override { serverVmd.ReleaseReads(); }

    void WaitForHeldRead() {
        ASSERT_TRUE(TestSupport::Eventually([this] { return serverVmd.HeldReads() != 0; }));
        ASSERT_EQ(serverVmd.HeldReads(), 1);
    }

    LoopbackModel::TestVmd serverVmd;
    MmsLoopback::Server server{serverVmd};
    MmsLoopback::Client client;
};

// After an abort the invoke ids start again at 1, while an own request of the aborted
// association (id 1) may still lie uncollected among the answered ones. The pages of a
// name list are collected by invoke id: the stale request must not pass for the new one.
TEST_F(MmsUserAnswerMatchingTest, NameListPagesAreNotTakenForAStaleRequestWithTheSameInvokeId) {
    Mms::NamedVariable* stVal = AddClientVariable("LD0", "LLN0$ST$Mod$stVal");
    serverVmd.HoldReads();
    ASSERT_EQ(client.Associate(server.Port()), System::OkNoError);
    ASSERT_EQ(User().ReadVariableValue(stVal), System::OkNoError);
    ASSERT_EQ(User().GetCurrentRequest()->GetInvokeId(), 1u);
    WaitForHeldRead();
    EXPECT_EQ(User().Abort(), System::OkNoError);
    serverVmd.ReleaseReads();
    ASSERT_TRUE(server.WaitUntilIdle());

    ASSERT_EQ(client.Associate(server.Port()), System::OkNoError);
    Mms::NameCollection names;
    ASSERT_EQ(User().GetAllNamesInDomain(Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariable,
                                         Mms::MmsObjectScopeDomain, "PROT", names),
              System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(names.size(), static_cast<std::size_t>(LoopbackModel::ProtectionVariables));
    EXPECT_EQ(User().GetPendingCount(), 0u);
    EXPECT_EQ(client.Release(), System::OkNoError);
}

// An answer that cannot be decoded still names its request by the invoke id in front:
// the request is confirmed at once (3, with the reject reason it earned) instead of
// never, and the late good answer then finds nothing.
TEST_F(MmsUserAnswerMatchingTest, AnUndecodableAnswerConfirmsTheRequestItNames) {
    Mms::NamedVariable* stVal = AddClientVariable("LD0", "LLN0$ST$Mod$stVal");
    serverVmd.HoldReads();
    ASSERT_EQ(client.Associate(server.Port()), System::OkNoError);
    auto* service = new TestService(Machine());
    const std::uint32_t invokeId = service->GetInvokeId();
    ASSERT_EQ(User().ReadVariable(service, stVal), System::OkNoError);
    WaitForHeldRead();

    struct Case {
        const char* hex;
        std::int32_t answerKind;
        std::int16_t rejectClass;
        std::int32_t rejectCode;
    };
    // A read answer whose access result runs past its end; a confirmed-Error whose
    // service error is cut short.
    const Case cases[] = {
        {"A1 09 02 01 01 A4 04 A1 02 85 05", Mms::MmsPduConfirmedResponse, Mms::MmsRejectConfirmedResponse, 3},
        {"A2 07 80 01 02 A2 02 A0 05", Mms::MmsPduConfirmedError, Mms::MmsRejectConfirmedError, 3},
    };
    std::unique_ptr<Mms::RequestHandle> done;
    for (const Case& item : cases) {
        if (item.answerKind == Mms::MmsPduConfirmedError) {
            ASSERT_EQ(User().ReadVariable(new TestService(Machine()), stVal), System::OkNoError);
        }
        const std::vector<std::uint8_t> bytes = BytesFromHex(item.hex);
        EXPECT_NE(Machine().OnSingleAsn1Data(std::span<const std::uint8_t>(bytes.data(), bytes.size()), 16),
                  System::OkNoError);
        const std::uint32_t named = item.answerKind == Mms::MmsPduConfirmedError ? invokeId + 1 : invokeId;
        done.reset(User().TakeDoneRequest(named, 10000));
        ASSERT_NE(done, nullptr) << item.hex;
        EXPECT_EQ(done->GetResult(), System::InvalidResponse);
        EXPECT_EQ(done->GetAnswerKind(), item.answerKind);
        EXPECT_EQ(done->GetErrorClass(), item.rejectClass);
        EXPECT_EQ(done->GetErrorCode(), item.rejectCode);
    }
    EXPECT_EQ(User().GetPendingCount(), 0u);

    // Garbage without an invoke id is dropped as before.
    const std::vector<std::uint8_t> garbage = BytesFromHex("A1 03 04 01 01");
    EXPECT_NE(Machine().OnSingleAsn1Data(std::span<const std::uint8_t>(garbage.data(), garbage.size()), 16),
              System::OkNoError);
    // An unconfirmed PDU that cannot be decoded names nothing to confirm: it is counted
    // and dropped, and nothing is sent for it.
    const std::uint64_t dropped = Machine().GetDroppedUnconfirmedCount();
    const std::vector<std::uint8_t> report = BytesFromHex("A3 06 A0 04 A1 02 80 7F");
    EXPECT_NE(Machine().OnSingleAsn1Data(std::span<const std::uint8_t>(report.data(), report.size()), 16),
              System::OkNoError);
    EXPECT_EQ(Machine().GetDroppedUnconfirmedCount(), dropped + 1);
    serverVmd.ReleaseReads();
    EXPECT_EQ(client.Release(), System::OkNoError);
    EXPECT_EQ(User().TakeDoneRequest(), nullptr);
}

}  // namespace
