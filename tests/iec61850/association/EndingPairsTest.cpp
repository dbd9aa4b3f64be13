// Two endings of one association racing: the first is held just after it has claimed the
// association, the second comes meanwhile and must neither wait for it nor tell anything;
// the association's end is told once, by the first. And endings of an association that
// does not stand tell nothing at all.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/EndingHold.h"
#include "mms/pdu/MmsPduServices.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

enum class Way { None, LocalAbort, Release, DeviceAbort, LostTransport, Stall, End };

struct EndingPair {
    const char* name;
    Way first;
    // Held just after its claim while the second comes; else the second follows it.
    bool held;
    Way second;
    // OnAbort's records (local, peer) over both.
    std::vector<std::pair<int, int>> told;
};

constexpr std::pair<int, int> Local{1, 0};
constexpr std::pair<int, int> Peer{0, 1};

class PairRun {
public:
    explicit PairRun(DeviceSession& session) : session_(session) {}

    // Sets the ending off; the device's own come on its threads, the program's on one of
    // their own.
    void Start(Way way) {
        switch (way) {
            case Way::None: break;
            case Way::LocalAbort: Spawn([this] { Association().Abort(); }); break;
            case Way::End: Spawn([this] { Association().End(); }); break;
            case Way::Release: EXPECT_EQ(session_.client->Release(), System::OkNoError); break;
            case Way::DeviceAbort: ReadWithFault(&TestDevice::Faults::abortAtRequest); break;
            case Way::Stall: ReadWithFault(&TestDevice::Faults::stallAfterRequest); break;
            case Way::LostTransport: CutTheWire(); break;
        }
    }

    // The second ending, which must come back at once (a wait for the held first would
    // never end).
    void Race(Way way) {
        auto done = std::async(std::launch::async, [this, way] {
            switch (way) {
                case Way::LocalAbort:
                    EXPECT_EQ(Association().Abort(), System::NotConnected);
                    EXPECT_EQ(Association().Abort(), System::NotConnected);
                    break;
                case Way::End: Association().End(); break;
                default: Start(way); break;
            }
        });
        EXPECT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the second ending waited";
    }

    void Join() {
        for (std::thread& thread : threads_) thread.join();
        threads_.clear();
    }

    TPAppAssociation& Association() { return *session_.client->GetAssociation(); }

private:
    void Spawn(std::function<void()> fn) { threads_.emplace_back(std::move(fn)); }
    // The device does the fault at the first request from now on, which a read sets off.
    void ReadWithFault(int TestDevice::Faults::*fault) {
        TestDevice::Faults faults;
        faults.*fault = 1;
        session_.device.SetFaults(faults);
        Read();
    }
    void Read() {
        std::uint32_t id = 0;
        // Asks the device without a model to look things up in.
        EXPECT_EQ(session_.client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                  System::OkNoError);
    }
    void CutTheWire() {
        session_.relay = std::make_unique<AssociationTest::AssociationWireRelay>(session_.device.Port());
        session_.Profile().SetParameter("RemoteNPort", std::to_string(session_.relay->Port()));
    }

    DeviceSession& session_;
    std::vector<std::thread> threads_;
};

TEST(EndingPairs, AnAssociationsEndIsToldOnceWhicheverEndingsRaceAndNeverForOneThatDoesNotStand) {
    const EndingPair pairs[] = {
        {"two aborts", Way::LocalAbort, true, Way::LocalAbort, {Local}},
        {"an abort, then a release", Way::LocalAbort, true, Way::Release, {Local}},
        {"an answered release, then an abort", Way::Release, true, Way::LocalAbort, {}},
        {"an abort, then the transport lost", Way::LocalAbort, true, Way::LostTransport, {Local}},
        {"the device's abort, then an abort", Way::DeviceAbort, true, Way::LocalAbort, {Peer}},
        {"the transport lost, then an abort", Way::LostTransport, true, Way::LocalAbort, {Peer}},
        {"a stall, then an abort", Way::Stall, true, Way::LocalAbort, {Local}},
        {"an abort, then End", Way::LocalAbort, true, Way::End, {Local}},
        {"End, then an abort", Way::End, true, Way::LocalAbort, {Local}},
        {"an abort twice on one thread", Way::LocalAbort, false, Way::LocalAbort, {Local}},
        {"an abort after a release", Way::Release, false, Way::LocalAbort, {}},
        {"an abort before any association stood", Way::None, false, Way::LocalAbort, {}},
    };
    for (const EndingPair& pair : pairs) {
        SCOPED_TRACE(pair.name);
        DeviceSession session;
        // Only the stall waits for a request to time out.
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter,
                                       pair.first == Way::Stall ? "300" : "20000");
        if (pair.first == Way::None) {
            TestDevice::Faults refusing;
            refusing.initiateErrorClass = Mms::MmsErrorClassInitiate;
            session.device.SetFaults(refusing);
            EXPECT_NE(session.Associate(), System::OkNoError);
        } else {
            ASSERT_EQ(session.Associate(), System::OkNoError);
        }
        PairRun run(session);
        EndingHold hold;
        if (pair.held) hold.Arm(*run.Association().GetMmsConnection(), Mms::MmsConnection::EndingPoint::Claimed);
        run.Start(pair.first);
        if (pair.held) {
            ASSERT_TRUE(hold.WaitUntilHeld());
        } else if (pair.first != Way::None) {
            EXPECT_TRUE(TestSupport::Eventually([&] { return run.Association().IsIdle(); }));
        }
        run.Race(pair.second);
        hold.Release();
        run.Join();
        EXPECT_TRUE(TestSupport::Eventually([&] { return !session.client->IsAssociated(); }));
        // Every thread of the association joined: whatever it would still tell has been told.
        session.server.reset();
        EXPECT_EQ(session.client->Aborts(), pair.told);
    }
}

}  // namespace
}  // namespace AcsiClientTest
