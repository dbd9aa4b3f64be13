// What an association's ending does to its link stays on that link: a local abort's
// abort unit and close, a conclude held on its way down, the close of the socket under a
// standing association, and End inside a callback against a device that keeps the
// transport after an abort.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/SendHold.h"
#include "osi/TcpConnection.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

constexpr const char* kPower = "LD0/MMXU1$MX$TotW$mag$f";

// A recording client that runs an action inside the first OnAbort of a local abort.
class AbortActingClient : public RecordingClient {
public:
    ~AbortActingClient() override { ClearAssociation(); }

    std::function<void()> onLocalAbort;
    std::function<void()> onDirectory;

    std::int32_t OnAbort(const std::uint8_t* record) override {
        RecordingClient::OnAbort(record);
        if (record[0] != 0) {
            if (auto action = std::exchange(onLocalAbort, nullptr)) action();
        }
        return 0;
    }
    std::int32_t OnGetServerDirectory(A::GetServerDirectory* service) override {
        RecordingClient::OnGetServerDirectory(service);
        if (auto action = std::exchange(onDirectory, nullptr)) action();
        return 0;
    }
};

Confirmation ReadPower(DeviceSession& session) {
    return session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device);
    });
}

// The abort units (ACSE ABRT) tshark finds in a connection's recording.
std::size_t AbortUnits(const std::vector<TestSupport::WireUnit>& units) {
    const auto sources = TestSupport::DecodeFields(units, {"acse.abort_source"}, {"-Y", "acse.abort_source"});
    return sources.size();
}

enum class Reassociation { InsideOnAbort, FromAnotherThread };

// A local abort whose OnAbort takes a while, while a new association is made from inside it
// or from another thread as soon as it begins: the new association reads its value and
// still stands once everything of the abort is over; on the wire the abort unit and the
// close belong to the old connection only.
TEST(LinkEnding, AnAssociationMadeOnTheNewsOfALocalAbortStandsOnALinkOfItsOwn) {
    const int pauses[] = {0, 2, 10, 50};
    for (const Reassociation way : {Reassociation::InsideOnAbort, Reassociation::FromAnotherThread}) {
        for (const int pauseMs : pauses) {
            SCOPED_TRACE(std::string(way == Reassociation::InsideOnAbort ? "inside OnAbort" : "another thread") +
                         ", OnAbort takes " + std::to_string(pauseMs) + " ms");
            DeviceSession session;
            AbortActingClient& client = session.UseClient<AbortActingClient>();
            ASSERT_EQ(session.Associate(), System::OkNoError);
            session.LoadModel();
            ASSERT_EQ(session.device.SetValue(kPower, "31.5"), System::OkNoError);
            TPAppAssociation* association = client.GetAssociation();

            std::promise<void> abortBegun;
            std::promise<System::ResultCode> reassociated;
            std::thread other;
            const auto pause = std::chrono::milliseconds(pauseMs);
            if (way == Reassociation::InsideOnAbort) {
                client.onLocalAbort = [&] {
                    reassociated.set_value(session.Associate());
                    std::this_thread::sleep_for(pause);
                };
            } else {
                client.onLocalAbort = [&] {
                    abortBegun.set_value();
                    std::this_thread::sleep_for(pause);
                };
                other = std::thread([&] {
                    abortBegun.get_future().wait();
                    reassociated.set_value(session.Associate());
                });
            }
            std::future<System::ResultCode> associated = reassociated.get_future();
            ASSERT_EQ(association->Abort(), System::OkNoError);
            if (other.joinable()) other.join();
            ASSERT_EQ(associated.wait_for(std::chrono::seconds(20)), std::future_status::ready);
            ASSERT_EQ(associated.get(), System::OkNoError);

            // Everything of the abort is over (its call has returned): the new association
            // reads, and goes on reading.
            client.StartOver();
            for (int round = 0; round < 2; ++round) {
                const Confirmation read = ReadPower(session);
                EXPECT_EQ(read.result, System::OkNoError);
                ASSERT_EQ(read.values.size(), 1u);
                EXPECT_EQ(read.values[0].value, "31.5");
            }
            EXPECT_TRUE(association->IsAssociated());
            ASSERT_EQ(client.Aborts().size(), 1u);
            EXPECT_EQ(client.Aborts()[0], std::make_pair(1, 0));
            ASSERT_EQ(session.relay->Connections(), 2u);
            EXPECT_TRUE(session.relay->EndedByClient(0));
            EXPECT_FALSE(session.relay->Ended(1));
            if (TestSupport::WireCheckRuns()) {
                EXPECT_EQ(AbortUnits(session.relay->Units(0)), 1u);
                EXPECT_EQ(AbortUnits(session.relay->Units(1)), 0u);
                EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(1)), "");
            }
            ASSERT_EQ(client.Release(), System::OkNoError);
            ASSERT_TRUE(TestSupport::Eventually([&] { return !client.IsAssociated(); }));
        }
    }
}

// A release whose conclude is held on its way down while the association is aborted and a
// new one made: nothing of it reaches the new connection, the release ends with 8, and the
// new association stands.
TEST(LinkEnding, AConcludeHeldAcrossAnAbortAndANewAssociationNeverReachesTheNewOne) {
    DeviceSession session;
    RecordingClient& client = *session.client;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    TPAppAssociation* association = client.GetAssociation();
    SendHold hold;
    hold.Arm(*association->GetMmsConnection());
    ASSERT_EQ(client.Release(), System::OkNoError);
    ASSERT_TRUE(hold.WaitUntilHeld());

    ASSERT_EQ(association->Abort(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
    const System::ResultCode associated = session.Associate();
    hold.Release();
    ASSERT_EQ(associated, System::OkNoError);
    ASSERT_TRUE(client.WaitForCount(1));
    const Confirmation release = client.All().begin()->second;
    EXPECT_EQ(release.callback, "Release");
    EXPECT_EQ(release.result, System::Aborted);

    client.StartOver();
    const Confirmation directory = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device);
    });
    EXPECT_EQ(directory.result, System::OkNoError);
    EXPECT_FALSE(directory.names.empty());
    EXPECT_TRUE(association->IsAssociated());
    ASSERT_EQ(session.relay->Connections(), 2u);
    EXPECT_FALSE(session.relay->Ended(1));
    if (TestSupport::WireCheckRuns()) {
        const auto units = session.relay->Units(1);
        EXPECT_EQ(TestSupport::FindProblems(units), "");
        EXPECT_TRUE(TestSupport::DecodeFields(units, {"mms.conclude"}, {"-Y", "mms.conclude"}).empty());
        EXPECT_TRUE(
            TestSupport::DecodeFields(session.relay->Units(0), {"mms.conclude"}, {"-Y", "mms.conclude"}).empty());
    }
}

enum class Closer { Device, Client };

// The socket under a standing association closed while requests are on their way, by the
// far end or under the client itself: one OnAbort, the association no longer stands, and
// every request is confirmed once.
TEST(LinkEnding, ASocketClosedUnderAStandingAssociationEndsItOnceAndConfirmsEveryRequest) {
    for (const Closer closer : {Closer::Device, Closer::Client}) {
        SCOPED_TRACE(closer == Closer::Device ? "closed by the far end" : "closed under the client");
        TestDevice::Faults faults;
        // Read answers stay away, so that requests are pending when the socket closes.
        faults.dropped = {4};
        DeviceSession session;
        session.device.SetFaults(faults);
        RecordingClient& client = *session.client;
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        TPAppAssociation* association = client.GetAssociation();
        constexpr std::size_t kRequests = 12;
        for (std::size_t i = 0; i < kRequests; ++i) {
            std::uint32_t id = 0;
            ASSERT_EQ(client.GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device), System::OkNoError);
        }
        const std::size_t before = client.Count();
        ASSERT_TRUE(TestSupport::Eventually([&] { return association->GetPendingCount() > 0; }));
        if (closer == Closer::Device) {
            session.relay->DropConnection(0);
        } else {
            auto* tcp = dynamic_cast<TcpConnection*>(association->GetBottom());
            ASSERT_NE(tcp, nullptr);
            ASSERT_EQ(tcp->Hangup(), System::OkNoError);
        }
        ASSERT_TRUE(client.WaitForAbort());
        ASSERT_TRUE(client.WaitForCount(before + kRequests));
        EXPECT_FALSE(association->IsAssociated());
        EXPECT_EQ(client.Aborts(), (std::vector<std::pair<int, int>>{{0, 1}}));
        for (const auto& [id, confirmation] : client.All()) {
            // Sent ones end with 8; one whose turn came after the end never left (7).
            if (confirmation.callback == "GetDataValues") {
                EXPECT_TRUE(confirmation.result == System::Aborted || confirmation.result == System::NotConnected)
                    << id << ": " << confirmation.result;
            }
        }
        // Nothing came twice (RecordingClient fails the test on a second confirmation).
        EXPECT_EQ(client.Count(), before + kRequests);
    }
}

enum class CallbackThread { Receive, Association };

// End inside a callback on one of the association's own threads, against a device that
// keeps the transport after an abort and a session time-out of a minute: End does not wait
// for the device (it would wait the whole minute), and the association has ended.
TEST(LinkEnding, EndInsideACallbackOnTheAssociationsOwnThreadDoesNotWaitForTheDevice) {
    for (const CallbackThread thread : {CallbackThread::Receive, CallbackThread::Association}) {
        SCOPED_TRACE(thread == CallbackThread::Receive ? "receive thread" : "association's thread");
        DeviceSession session;
        session.Profile().SetParameter("LocalSTimeout", "60000");
        AbortActingClient& client = session.UseClient<AbortActingClient>();
        ASSERT_EQ(session.Associate(), System::OkNoError);
        TPAppAssociation* association = client.GetAssociation();
        std::promise<std::chrono::steady_clock::duration> ended;
        client.onDirectory = [&] {
            const auto start = std::chrono::steady_clock::now();
            association->End();
            ended.set_value(std::chrono::steady_clock::now() - start);
        };
        std::uint32_t id = 0;
        const AnswerFrom from = thread == CallbackThread::Receive ? AnswerFrom::Device : AnswerFrom::Model;
        ASSERT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, from), System::OkNoError);
        std::future<std::chrono::steady_clock::duration> took = ended.get_future();
        ASSERT_EQ(took.wait_for(std::chrono::seconds(40)), std::future_status::ready);
        EXPECT_LT(took.get(), std::chrono::seconds(30));
        EXPECT_TRUE(association->IsEnded());
        EXPECT_FALSE(association->IsAssociated());
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.relay->EndedByClient(0); }));
    }
}

}  // namespace
}  // namespace AcsiClientTest
