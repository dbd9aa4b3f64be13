// What an association's ending does to its link stays on that link: a local abort's
// abort unit and close. Only an answered release ends the connection in order (FIN); every
// other ending resets it.

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

    std::int32_t OnAbort(const std::uint8_t* record) override {
        RecordingClient::OnAbort(record);
        if (record[0] != 0) {
            if (auto action = std::exchange(onLocalAbort, nullptr)) action();
        }
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
    // From inside OnAbort it is refused at once (the ending-pairs table shows it).
    for (const Reassociation way : {Reassociation::FromAnotherThread}) {
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
            EXPECT_TRUE(session.relay->ResetByClient(0));
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

enum class Ending { Release, Abort, End };

// The client's end of the connection: in order (FIN) after a release the device answered,
// since nothing is left to discard then; a reset after an abort or End, once the abort unit
// has left, so that nothing the kernel still held could reach the device later. The read
// before each ending is answered whole either way.
TEST(LinkEnding, OnlyAnAnsweredReleaseClosesInOrderEveryOtherEndingResetsOnceItsAbortHasLeft) {
    struct Case {
        Ending ending;
        const char* name;
        bool reset;
        std::size_t abortUnits;
    };
    const Case cases[] = {
        {Ending::Release, "release", false, 0},
        {Ending::Abort, "abort", true, 1},
        {Ending::End, "End()", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceSession session;
        RecordingClient& client = *session.client;
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        ASSERT_EQ(session.device.SetValue(kPower, "17.25"), System::OkNoError);
        TPAppAssociation* association = client.GetAssociation();
        const Confirmation read = ReadPower(session);
        ASSERT_EQ(read.values.size(), 1u);
        EXPECT_EQ(read.values[0].value, "17.25");
        client.StartOver();
        switch (c.ending) {
            case Ending::Release:
                ASSERT_EQ(client.Release(), System::OkNoError);
                ASSERT_TRUE(client.WaitForCount(1));
                EXPECT_EQ(client.All().begin()->second.result, System::OkNoError);
                break;
            case Ending::Abort: ASSERT_EQ(association->Abort(), System::OkNoError); break;
            case Ending::End: association->End(); break;
        }
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.relay->Ended(0); }));
        EXPECT_TRUE(session.relay->EndedByClient(0));
        EXPECT_EQ(session.relay->ResetByClient(0), c.reset);
        if (TestSupport::WireCheckRuns()) {
            EXPECT_EQ(AbortUnits(session.relay->Units(0)), c.abortUnits);
            EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(0)), "");
        }
    }
}

}  // namespace
}  // namespace AcsiClientTest
