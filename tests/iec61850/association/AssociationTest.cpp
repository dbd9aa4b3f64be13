#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "iec61850/acsi/client/AcsiStack.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/SendHold.h"
#include "mms/machine/MmsConnection.h"
#include "mms/machine/RequestGroup.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/user/Domain.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariable.h"
#include "osi/TcpConnection.h"
#include "support/ToolCheck.h"
#include "support/Watchdog.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

using Iec61850::FcReference;

TEST(Association, AssociatesReleasesAndAssociatesAgain) {
    DeviceSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    EXPECT_EQ(session.client->Associated(), 1);
    EXPECT_TRUE(session.client->IsAssociated());
    TPAppAssociation* association = session.client->GetAssociation();
    ASSERT_NE(association, nullptr);
    EXPECT_EQ(session.server->GetConnection(), association);
    EXPECT_EQ(association->GetUserValue(), 7u);

    ASSERT_EQ(session.client->Release(), System::OkNoError);
    ASSERT_TRUE(session.client->WaitForCount(1));
    const Confirmation released = session.client->All().begin()->second;
    EXPECT_EQ(released.callback, "Release");
    EXPECT_EQ(released.result, System::OkNoError);
    EXPECT_EQ(released.serviceError, 0);
    EXPECT_FALSE(session.client->IsAssociated());
    EXPECT_TRUE(session.client->Aborts().empty());

    // The same association object initiates again.
    ASSERT_EQ(session.Associate(), System::OkNoError);
    EXPECT_EQ(session.client->GetAssociation(), association);
    EXPECT_EQ(session.client->Associated(), 2);
    EXPECT_TRUE(session.client->IsAssociated());
}

TEST(Association, RequestsWithoutAnAssociationAreRefusedAndLeaveTheIdAlone) {
    RecordingClient client;
    std::uint32_t id = 4711;
    EXPECT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device), System::Error);
    EXPECT_EQ(client.GetDataValues(id, {"ST", "LD0/LLN0.Mod.stVal"}, AnswerFrom::Device), System::Error);
    EXPECT_EQ(client.Release(), System::Error);
    EXPECT_EQ(id, 4711u);
    EXPECT_FALSE(client.IsAssociated());
    // The semaphore starts signalled.
    EXPECT_EQ(client.WaitForConfirmation(1), 0);
}

TEST(Association, AssociateOnAStandingAssociationLeavesItStanding) {
    DeviceSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    EXPECT_EQ(session.Associate(), System::InvalidState);
    ASSERT_EQ(session.client->FailedReasons().size(), 1u);
    EXPECT_EQ(session.client->FailedReasons()[0], 12);
    EXPECT_TRUE(session.client->IsAssociated());
    const Confirmation devices = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device);
    });
    EXPECT_EQ(devices.serviceError, 0);
}

TEST(Association, AnInitiateRefusedGivesTheReasonOfItsErrorClassAndCode) {
    struct Case {
        std::int32_t errorClass;
        std::int32_t errorCode;
        std::int32_t reason;
    };
    const Case cases[] = {
        {2, 1, 1},  {2, 3, 5},  {2, 4, 5},  {2, 0, 12}, {2, 2, 12}, {9, 3, 1},  {9, 4, 1},
        {9, 6, 11}, {9, 7, 11}, {9, 5, 12}, {9, 0, 12}, {9, 1, 12}, {1, 0, 12}, {5, 1, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("class " + std::to_string(c.errorClass) + " code " + std::to_string(c.errorCode));
        DeviceSession session;
        TestDevice::Faults faults;
        faults.initiateErrorClass = c.errorClass;
        faults.initiateErrorCode = c.errorCode;
        session.device.SetFaults(faults);
        EXPECT_EQ(session.Associate(), System::Rejected);
        ASSERT_EQ(session.client->FailedReasons().size(), 1u);
        EXPECT_EQ(session.client->FailedReasons()[0], c.reason);
        const Mms::ServiceErrorRecord outcome = session.client->GetAssociation()->GetInitiateOutcome();
        EXPECT_EQ(outcome.errorClass, c.errorClass);
        EXPECT_EQ(outcome.errorCode, c.errorCode);
        // The reasons of the layers travel apart: here the MMS layer's own account.
        EXPECT_EQ(outcome.refusal.source, Protocol::PeerRefusal::Source::Mms);
        EXPECT_FALSE(session.client->IsAssociated());
        EXPECT_TRUE(session.client->Aborts().empty());
        // Told to stop refusing, the device associates with the same association again.
        session.device.SetFaults({});
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
        // Nothing of the refused connect may reach this one: neither its tail on the
        // client's side nor the device's teardown of the chain that served it.
        EXPECT_EQ(session.Associate(), System::OkNoError);
        EXPECT_TRUE(session.client->IsAssociated());
    }
}

TEST(Association, ARefusedInitiateReadsAsWiresharkReadsIt) {
    REQUIRE_WIRESHARK();
    DeviceSession session;
    TestDevice::Faults faults;
    faults.initiateErrorClass = 9;
    faults.initiateErrorCode = 6;
    session.device.SetFaults(faults);
    EXPECT_NE(session.Associate(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return session.relay->Connections() == 1; }));
    const auto units = session.relay->Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    EXPECT_NE(decoded.find("initiate-ErrorPDU"), std::string::npos) << decoded;
    EXPECT_NE(decoded.find("REFUSE"), std::string::npos) << decoded;
}

TEST(Association, TheProfileIsPushedDownAndKeepsWhatTheCallerGave) {
    DeviceSession session;
    AssociationProfile& profile = session.Profile();
    EXPECT_EQ(profile.GetName(), "Client - Server profile");
    profile.SetParameter("NoLayerKnowsThis", "1");
    ASSERT_EQ(session.Associate(), System::OkNoError);
    {
        const auto held = profile.HoldParameters();
        for (const auto& [name, parameter] : profile.GetParameters(held)) {
            SCOPED_TRACE(name);
            EXPECT_EQ(parameter->status, name == "NoLayerKnowsThis" ? System::InvalidArguments : System::OkNoError);
        }
    }
    std::string value;
    ASSERT_EQ(profile.GetParameter("RemoteNPort", value), System::OkNoError);
    EXPECT_EQ(value, std::to_string(session.relay->Port()));
    ASSERT_EQ(profile.GetParameter("RemoteSSelector", value), System::OkNoError);
    EXPECT_EQ(value, "1");
    ASSERT_EQ(profile.GetParameter(AssociationProfile::MmsTimeoutParameter, value), System::OkNoError);
    EXPECT_EQ(value, "5000");
    EXPECT_EQ(session.client->GetAssociation()->GetTimeout(), 5000u);
    EXPECT_EQ(session.client->GetAssociation()->GetMmsConnection()->GetTimeout(), 5000u);
}

TEST(Association, AnInitiateThatIsNeverAnsweredTimesOutAfterTheProfilesTime) {
    DeviceSession session;
    session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "300");
    TestDevice::Faults faults;
    faults.dropInitiateAnswer = true;
    session.device.SetFaults(faults);
    EXPECT_EQ(session.Associate(), System::Timeout);
    ASSERT_EQ(session.client->FailedReasons().size(), 1u);
    EXPECT_EQ(session.client->FailedReasons()[0], 12);
}

TEST(Association, ALocalAbortEndsAPendingAssociateAtOnce) {
    DeviceSession session;
    // What the associate would wait for if the abort did not end it.
    session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "30000");
    TestDevice::Faults faults;
    faults.dropInitiateAnswer = true;
    session.device.SetFaults(faults);
    auto associating = std::async(std::launch::async, [&] { return session.Associate(); });
    ASSERT_TRUE(TestSupport::Eventually([&] {
        TPAppAssociation* association = session.client->GetAssociation();
        return association != nullptr &&
               association->GetMmsConnection()->GetState() == Mms::MmsConnection::StateAwaitingAnswer;
    }));
    session.client->GetAssociation()->Abort();
    ASSERT_EQ(associating.wait_for(std::chrono::seconds(15)), std::future_status::ready);
    EXPECT_EQ(associating.get(), System::Aborted);
    ASSERT_EQ(session.client->FailedReasons().size(), 1u);
    EXPECT_EQ(session.client->FailedReasons()[0], 12);
}

// Fifty requests, the association ended in their midst: each is confirmed once.
// What fifty requests are: directories, which the association's thread executes, or
// directories and attribute reads by turns, the reads sent from the posting thread
// whenever nothing posted before them is still waiting; or data directories and reads of
// fifty attributes nothing asked for before, each of which gets its variable as the
// association's thread executes it.
enum class Mix { Directories, DirectoriesAndReads, FirstAskedAttributes };

// Attributes of the read model without a variable yet, as (constraint, reference); none
// of a control (reading one would operate it).
std::vector<FcReference> AttributesNotAskedFor(DeviceSession& session, std::size_t count) {
    std::vector<FcReference> found;
    const Mms::ModelHold hold(session.server.get());
    std::function<void(const std::string&, NamedObject&)> collect = [&](const std::string& fc, NamedObject& at) {
        for (NamedObject* child : at.GetChildren()) {
            if (found.size() == count) return;
            if (child->GetChildren().empty() && child->GetBoundMmsObject() == nullptr) {
                found.emplace_back(fc, child->GetReference());
            }
            collect(fc, *child);
        }
    };
    for (const auto& [deviceName, device] : session.server->GetLogicalDevices()) {
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
            for (FunctionalConstraint* group : node->GetFcsInOrder()) {
                if (group->GetFc() != "CO") collect(group->GetFc(), *group);
            }
        }
    }
    return found;
}

void PostFifty(DeviceSession& session, std::vector<std::uint32_t>& ids, Mix mix = Mix::Directories,
               const std::vector<FcReference>& attributes = {}) {
    for (int i = 0; i < 50; ++i) {
        std::uint32_t id = 0;
        if (mix == Mix::FirstAskedAttributes) {
            const auto& [fc, reference] = attributes.at(i);
            ASSERT_EQ(i % 2 == 0 ? session.client->GetDataDirectory(id, reference, fc, AnswerFrom::Device)
                                 : session.client->GetDataValues(id, {fc, reference}, AnswerFrom::Device),
                      System::OkNoError);
        } else if (mix == Mix::DirectoriesAndReads && i % 2 == 1) {
            ASSERT_EQ(session.client->GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device),
                      System::OkNoError);
        } else {
            ASSERT_EQ(session.client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                      System::OkNoError);
        }
        ids.push_back(id);
    }
}

// Associated, with the model read when the mix has reads (their lookups need it); the
// attributes a mix of first-asked attributes asks for.
std::vector<FcReference> Prepare(DeviceSession& session, Mix mix) {
    EXPECT_EQ(session.Associate(), System::OkNoError);
    if (mix == Mix::Directories) return {};
    session.LoadModel();
    std::vector<FcReference> attributes = AttributesNotAskedFor(session, 50);
    if (mix == Mix::FirstAskedAttributes) {
        EXPECT_EQ(attributes.size(), 50u);
    }
    return attributes;
}

// The ids, besides the `before` confirmations that came earlier.
void ExpectEachConfirmedOnce(DeviceSession& session, const std::vector<std::uint32_t>& ids, std::size_t before = 0) {
    ASSERT_TRUE(session.client->WaitForCount(before + ids.size()));
    const auto all = session.client->All();
    EXPECT_EQ(all.size(), before + ids.size());
    // Answered, or ended by the abort (pending or queued: 8; executed after it: the
    // refusal of the send); never left out, never twice (RecordingClient fails on that).
    for (const std::uint32_t id : ids) {
        ASSERT_TRUE(all.contains(id)) << id;
        EXPECT_NE(all.at(id).result, System::NotCompleted) << id;
    }
}

enum class Ending { DeviceAbort, LocalAbort, SocketClosedByDevice, SocketClosedUnderClient };

// Ends the association amid fifty requests of the mix, after `before` earlier confirmations.
void EndAmidFifty(DeviceSession& session, Ending ending, Mix mix, const std::vector<FcReference>& attributes,
                  std::vector<std::uint32_t>& ids) {
    TPAppAssociation* association = session.client->GetAssociation();
    TestDevice::Faults faults;
    switch (ending) {
        case Ending::DeviceAbort: {
            faults.abortAtRequest = 10;
            session.device.SetFaults(faults);
            // All are posted before the first reaches the device: one posted after the
            // abort would take an id that one of these carries (the next association's ids
            // start again at 1). The association's thread waits in the confirmation of a
            // request answered from the model, which takes the model lock held here
            // meanwhile; nothing posted behind it is sent before it.
            const Mms::ModelHold hold(session.server.get());
            ASSERT_TRUE(hold.Taken());
            session.client->lockProbe = session.server.get();
            std::uint32_t first = 0;
            ASSERT_EQ(session.client->GetServerDirectory(first, ObjectClassLogicalDevice, AnswerFrom::Model),
                      System::OkNoError);
            ids.push_back(first);
            PostFifty(session, ids, mix, attributes);
            return;
        }
        case Ending::LocalAbort:
            PostFifty(session, ids, mix, attributes);
            EXPECT_EQ(association->Abort(), System::OkNoError);
            return;
        case Ending::SocketClosedByDevice:
        case Ending::SocketClosedUnderClient:
            // No answer comes, so that requests are pending when the socket closes.
            faults.dropped = {Mms::MmsServiceGetNameList, Mms::MmsServiceRead,
                              Mms::MmsServiceGetVariableAccessAttributes};
            session.device.SetFaults(faults);
            PostFifty(session, ids, mix, attributes);
            ASSERT_TRUE(TestSupport::Eventually([&] { return association->GetPendingCount() > 0; }));
            if (ending == Ending::SocketClosedByDevice) {
                session.relay->DropConnection(0);
            } else {
                auto* tcp = dynamic_cast<TcpConnection*>(association->GetBottom());
                ASSERT_NE(tcp, nullptr);
                ASSERT_EQ(tcp->Hangup(), System::OkNoError);
            }
            return;
    }
}

// The association ended amid fifty requests of each mix: by the device's abort, by a local
// one, by the socket's close at the far end or under the client itself. One OnAbort, the
// association no longer stands, and every request is confirmed once.
TEST(Association, AnEndingAmidFiftyRequestsConfirmsEachOnce) {
    struct Case {
        const char* name;
        Ending ending;
        std::pair<int, int> abort;  // as OnAbort tells it: (local, by the peer)
    };
    const Case cases[] = {
        {"the device's abort", Ending::DeviceAbort, {0, 1}},
        {"a local abort", Ending::LocalAbort, {1, 0}},
        {"the socket closed by the far end", Ending::SocketClosedByDevice, {0, 1}},
        {"the socket closed under the client", Ending::SocketClosedUnderClient, {0, 1}},
    };
    for (const Case& c : cases) {
        for (const Mix mix : {Mix::Directories, Mix::DirectoriesAndReads, Mix::FirstAskedAttributes}) {
            SCOPED_TRACE(std::string(c.name) + ", mix " + std::to_string(static_cast<int>(mix)));
            DeviceSession session;
            // The relay's first connection is this association's.
            const std::vector<FcReference> attributes = Prepare(session, mix);
            const std::size_t before = session.client->Count();
            std::vector<std::uint32_t> ids;
            EndAmidFifty(session, c.ending, mix, attributes, ids);
            if (HasFatalFailure()) return;
            ExpectEachConfirmedOnce(session, ids, before);
            session.client->lockProbe = nullptr;
            ASSERT_TRUE(session.client->WaitForAbort());
            EXPECT_EQ(session.client->Aborts(), (std::vector<std::pair<int, int>>{c.abort}));
            EXPECT_FALSE(session.client->IsAssociated());
            const auto all = session.client->All();
            if (c.ending == Ending::DeviceAbort) {
                EXPECT_NE(all.at(ids.back()).result, System::OkNoError);
                EXPECT_EQ(all.at(ids[1]).result, System::OkNoError);
            }
            if (c.ending == Ending::SocketClosedByDevice || c.ending == Ending::SocketClosedUnderClient) {
                // Sent ones end with 8; one whose turn came after the end never left (7).
                for (const std::uint32_t id : ids) {
                    EXPECT_TRUE(all.at(id).result == System::Aborted || all.at(id).result == System::NotConnected)
                        << id << ": " << all.at(id).result;
                }
            }
            // Nothing of the old association runs on the next one.
            session.device.SetFaults({});
            ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
            ASSERT_EQ(session.Associate(), System::OkNoError);
            EXPECT_EQ(session.client->Count(), before + ids.size());
        }
    }
}

// A read that the posting thread may send itself: it leaves after what was posted before
// it, its answer is confirmed on the receive thread, and what never comes to a send (a
// reference the model does not have) is still confirmed on the association's thread.
TEST(Association, AReadSentByItsCallerKeepsTheOrderAndTheThreadsOfConfirmations) {
    DeviceSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.LoadModel();
    session.client->lockProbe = session.server.get();
    TPAppAssociation* association = session.client->GetAssociation();
    ASSERT_TRUE(TestSupport::Eventually([&] { return association->GetQueuedCount() == 0; }));
    session.device.ClearRequests();
    const auto read = [](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device);
    };

    // Nothing waits: sent from here. The device holds its answer until the send is over
    // (the post has returned, and nothing is left for the association's thread), so it is
    // confirmed on the receive thread; one that came before the send was over would be left
    // to the association's thread.
    TestDevice::Faults holding;
    holding.held = {Mms::MmsServiceRead};
    session.device.SetFaults(holding);
    std::uint32_t directId = 0;
    ASSERT_EQ(read(*session.client, directId), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually(
        [&] { return session.device.RequestCount() == 1 && association->GetQueuedCount() == 0; }));
    session.device.SetFaults({});
    const Confirmation direct = session.client->WaitFor(directId);
    EXPECT_EQ(direct.serviceError, 0);
    ASSERT_EQ(direct.values.size(), 1u);
    EXPECT_NE(direct.thread, std::this_thread::get_id());
    const Confirmation missing = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataValues(id, {"MX", "LD0/MMXU1.NoSuch.mag.f"}, AnswerFrom::Device);
    });
    EXPECT_EQ(missing.serviceError, 1);
    EXPECT_NE(missing.thread, std::this_thread::get_id());
    EXPECT_NE(direct.thread, missing.thread);
    std::vector<std::int32_t> services{Mms::MmsServiceRead};

    // Behind a directory still queued or executing: the read goes after it.
    std::uint32_t directory = 0;
    std::uint32_t behind = 0;
    ASSERT_EQ(session.client->GetServerDirectory(directory, ObjectClassLogicalDevice, AnswerFrom::Device),
              System::OkNoError);
    ASSERT_EQ(read(*session.client, behind), System::OkNoError);
    EXPECT_EQ(session.client->WaitFor(directory).serviceError, 0);
    EXPECT_EQ(session.client->WaitFor(behind).serviceError, 0);
    services.insert(services.end(), {Mms::MmsServiceGetNameList, Mms::MmsServiceRead});
    std::vector<std::int32_t> received;
    for (const TestDevice::RequestRecord& record : session.device.Requests()) received.push_back(record.service);
    EXPECT_EQ(received, services);
}

// Synchronous MMS requests of the service user's own, made and waited for on several
// threads at once beside the association's services: each wait gets its own request's
// outcome, here the device's refusal of every read, however the answers and the other
// threads' requests interleave. A wait that went by one slot for every thread reported
// another request's success for a refused read, or timed out when another thread's
// wait had taken its answer.
TEST(Association, SynchronousMmsRequestsOnSeveralThreadsEachGetTheirOwnOutcome) {
    DeviceSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.LoadModel();
    TPAppAssociation* association = session.client->GetAssociation();
    Mms::NamedVariable* measured = nullptr;
    Mms::NamedVariable* mode = nullptr;
    {
        const Mms::ModelHold hold(session.server.get());
        Mms::Domain* domain = nullptr;
        ASSERT_EQ(session.server->FindDomain("LD0", domain), System::OkNoError);
        measured = domain->FindNamedVariable("MMXU1$MX$TotW$mag$f");
        mode = domain->FindNamedVariable("LLN0$ST$Mod$stVal");
    }
    ASSERT_NE(measured, nullptr);
    ASSERT_NE(mode, nullptr);
    TestDevice::Faults faults;
    faults.refused[Mms::MmsServiceRead] = {};
    session.device.SetFaults(faults);

    constexpr int Reads = 3000;
    constexpr int Writes = 1000;
    std::atomic<bool> readsDone{false};
    std::vector<System::ResultCode> readOutcomes;
    // Each stops at its first wrong outcome: a wait that took another's answer leaves
    // the others to time out one by one.
    std::thread reader([&] {
        for (int i = 0; i < Reads; ++i) {
            System::ResultCode result = System::OkNoError;
            if (i % 2 == 0) {
                result = association->ReadVariableValueAndWait(measured);
            } else {
                // The form that tells the answer: the device's reject, not another's response.
                Mms::RequestOutcome details;
                result = association->ReadVariableValue(measured);
                if (result == System::OkNoError) result = association->WaitForCurrentRequestWithError(details);
                if (result == System::Rejected && details.answerKind != Mms::MmsPduReject) result = System::Error;
            }
            readOutcomes.push_back(result);
            if (result != System::Rejected) break;
        }
        readsDone.store(true);
    });
    std::vector<System::ResultCode> writeOutcomes;
    std::thread writer([&] {
        for (int i = 0; i < Writes || !readsDone.load(); ++i) {
            writeOutcomes.push_back(association->WriteVariableValueAndWait(mode));
            if (writeOutcomes.back() != writeOutcomes.front()) break;
        }
    });
    // The association's own requests besides: services that complete through the done queue.
    int services = 0;
    while (!readsDone.load()) {
        const Confirmation read = session.Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device);
        });
        EXPECT_NE(read.serviceError, 0);
        ++services;
    }
    reader.join();
    writer.join();

    ASSERT_EQ(readOutcomes.size(), static_cast<std::size_t>(Reads));
    EXPECT_EQ(std::count(readOutcomes.begin(), readOutcomes.end(), System::Rejected), Reads);
    ASSERT_FALSE(writeOutcomes.empty());
    // Whatever the device makes of the write, it is the same every time, and no refusal.
    EXPECT_NE(writeOutcomes.front(), System::Rejected);
    EXPECT_NE(writeOutcomes.front(), System::Timeout);
    EXPECT_EQ(std::count(writeOutcomes.begin(), writeOutcomes.end(), writeOutcomes.front()),
              static_cast<std::ptrdiff_t>(writeOutcomes.size()));
    EXPECT_GT(services, 0);
    // Every request made for a wait was collected by it: nothing left over.
    EXPECT_EQ(association->GetHeldOwnCount(), 0u);
    EXPECT_EQ(association->GetPendingCount(), 0u);
}

// Synchronous MMS reads on two threads while their association ends each way: every wait
// returns (no thread hangs), with the end's result or the device's refusal, never success,
// and nothing made for a wait is left over.
TEST(Association, SynchronousMmsWaitsEndWithTheirAssociationWhicheverWayItEnds) {
    enum class Ending { DeviceAbort, TransportClosed, StalledLink, LocalAbort, Release };
    const std::pair<const char*, Ending> endings[] = {
        {"device abort", Ending::DeviceAbort}, {"transport closed", Ending::TransportClosed},
        {"stalled link", Ending::StalledLink}, {"local abort", Ending::LocalAbort},
        {"release", Ending::Release},
    };
    for (const auto& [name, ending] : endings) {
        SCOPED_TRACE(name);
        DeviceSession session;
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter,
                                       ending == Ending::StalledLink ? "250" : "2000");
        session.Profile().SetParameter("LocalSTimeout", "50");
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        TPAppAssociation* association = session.client->GetAssociation();
        Mms::NamedVariable* measured = nullptr;
        {
            const Mms::ModelHold hold(session.server.get());
            Mms::Domain* domain = nullptr;
            ASSERT_EQ(session.server->FindDomain("LD0", domain), System::OkNoError);
            measured = domain->FindNamedVariable("MMXU1$MX$TotW$mag$f");
        }
        ASSERT_NE(measured, nullptr);
        TestDevice::Faults faults;
        faults.refused[Mms::MmsServiceRead] = {};
        session.device.SetFaults(faults);
        std::atomic<int> refused{0};
        System::ResultCode last[2] = {System::OkNoError, System::OkNoError};
        std::vector<std::thread> readers;
        for (int t = 0; t < 2; ++t) {
            readers.emplace_back([&, t] {
                System::ResultCode result = System::Rejected;
                while (result == System::Rejected) {
                    result = association->ReadVariableValueAndWait(measured);
                    if (result == System::Rejected) refused.fetch_add(1);
                }
                last[t] = result;
            });
        }
        ASSERT_TRUE(TestSupport::Eventually([&] { return refused.load() >= 20; }));
        switch (ending) {
            case Ending::DeviceAbort: faults.abortAtRequest = 1; break;
            case Ending::StalledLink: faults.stallAfterRequest = 1; break;
            default: break;
        }
        session.device.SetFaults(faults);
        if (ending == Ending::TransportClosed) session.relay.reset();
        if (ending == Ending::LocalAbort) association->Abort();
        if (ending == Ending::Release) {
            // A release the device refuses while reads are outstanding ends with an abort.
            const bool released =
                session.client->Release() == System::OkNoError &&
                TestSupport::Eventually([&] { return !association->IsAssociated(); }, std::chrono::seconds(2));
            if (!released) association->Abort();
        }
        for (std::thread& reader : readers) reader.join();
        for (const System::ResultCode result : last) {
            EXPECT_TRUE(result == System::Aborted || result == System::NotConnected ||
                        (ending == Ending::StalledLink && result == System::Timeout))
                << result;
        }
        // A wait that timed out leaves its request to the stall's filing, which ends it.
        EXPECT_TRUE(TestSupport::Eventually([&] { return association->GetHeldOwnCount() == 0; }));
        session.device.SetFaults({});
    }
}

// A pulled cable: the device stops reading and answering without closing. Once the oldest
// request's time-out passes with nothing received for as long, every request pending or
// queued ends with the time-out at once (each once), the association is aborted, and the
// next request is refused without being sent. A device that answers late but keeps
// answering is slow, not gone: it stays, and each request waits the whole time-out from
// the answer before it, as the device takes its requests in turn.
TEST(Association, AStalledLinkEndsEveryRequestWithTheTimeOutAndAbortsASlowOneStays) {
    {
        SCOPED_TRACE("stalled");
        DeviceSession session;
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "1000");
        TestDevice::Faults faults;
        faults.stallAfterRequest = 3;
        session.device.SetFaults(faults);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        std::vector<std::uint32_t> ids;
        PostFifty(session, ids);
        ExpectEachConfirmedOnce(session, ids);
        const auto all = session.client->All();
        EXPECT_EQ(all.at(ids[0]).result, System::OkNoError);
        EXPECT_EQ(all.at(ids[1]).result, System::OkNoError);
        for (std::size_t i = 2; i < ids.size(); ++i) EXPECT_EQ(all.at(ids[i]).result, System::Timeout) << ids[i];
        ASSERT_TRUE(session.client->WaitForAbort());
        EXPECT_EQ(session.client->Aborts()[0], std::make_pair(1, 0));
        EXPECT_FALSE(session.client->IsAssociated());
        EXPECT_TRUE(session.client->GetAssociation()->EndedStalled());

        session.client->StartOver();
        std::uint32_t id = 0;
        ASSERT_EQ(session.client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                  System::OkNoError);
        EXPECT_EQ(session.client->WaitFor(id).result, System::NotConnected);
        session.device.SetFaults({});
    }
    {
        SCOPED_TRACE("slow");
        DeviceSession session;
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "2000");
        TestDevice::Faults faults;
        // Ten requests pending at a time, one answer each 300 ms: the later ones are
        // answered longer than the time-out after their send, each well within it of the
        // answer before.
        faults.delayedMs[Mms::MmsServiceGetNameList] = 300;
        session.device.SetFaults(faults);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        std::vector<std::uint32_t> ids;
        for (int i = 0; i < 16; ++i) {
            std::uint32_t id = 0;
            ASSERT_EQ(session.client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                      System::OkNoError);
            ids.push_back(id);
        }
        ExpectEachConfirmedOnce(session, ids);
        const auto all = session.client->All();
        for (const std::uint32_t id : ids) EXPECT_EQ(all.at(id).result, System::OkNoError) << id;
        EXPECT_TRUE(session.client->Aborts().empty());
        EXPECT_TRUE(session.client->IsAssociated());
        EXPECT_FALSE(session.client->GetAssociation()->EndedStalled());
        session.device.SetFaults({});
        std::uint32_t id = 0;
        ASSERT_EQ(session.client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                  System::OkNoError);
        EXPECT_EQ(session.client->WaitFor(id).result, System::OkNoError);
    }
}

// A release is an orderly end only when the device takes part: the conclude goes once
// every request out is answered, and when one of them, or the conclude itself, stays
// unanswered for the time-out on a link that lives (the device keeps sending reports), the
// association ends with an abort instead of waiting without end. The release is confirmed
// once, unanswered, and tells nothing of its own: the abort is the news.
TEST(Association, AReleaseTheDeviceLeavesUnansweredEndsWithAnAbortAfterTheTimeOut) {
    struct Case {
        const char* what;
        TestDevice::Faults faults;
    };
    TestDevice::Faults readUnanswered;
    readUnanswered.dropped = {Mms::MmsServiceRead};
    readUnanswered.reportEveryMs = 50;
    TestDevice::Faults concludeUnanswered;
    concludeUnanswered.concludeUnanswered = true;
    concludeUnanswered.reportEveryMs = 50;
    for (const Case& c : {Case{"a read out stays unanswered", readUnanswered},
                          Case{"the conclude stays unanswered", concludeUnanswered}}) {
        SCOPED_TRACE(c.what);
        DeviceSession session;
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "1000");
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        session.client->StartOver();
        session.device.SetFaults(c.faults);
        std::uint32_t read = 0;
        ASSERT_EQ(session.client->GetDataValues(read, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device),
                  System::OkNoError);
        ASSERT_EQ(session.client->Release(), System::OkNoError);
        ASSERT_TRUE(session.client->WaitForCount(2));
        ASSERT_TRUE(session.client->WaitForAbort());
        EXPECT_EQ(session.client->Aborts(), (std::vector<std::pair<int, int>>{{1, 0}}));
        EXPECT_FALSE(session.client->IsAssociated());
        int releases = 0;
        for (const auto& [id, confirmation] : session.client->All()) {
            if (confirmation.callback == "Release") {
                ++releases;
                EXPECT_NE(confirmation.result, System::OkNoError);
            } else {
                EXPECT_EQ(id, read);
            }
        }
        EXPECT_EQ(releases, 1);
        session.device.SetFaults({});
        EXPECT_TRUE(TestSupport::Eventually([&] { return session.device.OpenAssociations() == 0; }));
    }
}

// A release that does not end the association leaves it standing and usable: one the
// device refuses with a conclude-Error (its answer, not its silence: confirmed at once,
// refused with the device's class and code), and one withdrawn with its request group
// before it went out (held behind a caller's send by construction: confirmed with 9, never
// sent). Either way nothing is aborted, a read posted after it is answered and a second
// release ends the association; the wire shows what went.
TEST(Association, AReleaseRefusedOrWithdrawnLeavesTheAssociationStandingAndUsable) {
    enum class Way { Refused, Withdrawn };
    const struct {
        const char* name;
        Way way;
        System::ResultCode result;
        std::int32_t answerKind;
        int concludes;
        int refusals;
    } rows[] = {
        {"refused by the device", Way::Refused, System::Rejected, Mms::MmsPduConcludeError, 2, 1},
        {"withdrawn with its group", Way::Withdrawn, System::Cancelled, Mms::MmsPduNone, 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DeviceSession session;
        // A refusal taken for silence waits this long, and is confirmed with the time-out.
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "20000");
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        session.client->StartOver();
        TPAppAssociation* association = session.client->GetAssociation();
        ASSERT_TRUE(TestSupport::Eventually([&] { return association->GetQueuedCount() == 0; }));
        const FcReference read{"MX", "LD0/MMXU1.TotW.mag.f"};
        std::size_t confirmed = 1;
        {
            const TestSupport::Watchdog watchdog("the first release", std::chrono::seconds(5));
            if (row.way == Way::Refused) {
                TestDevice::Faults refusing;
                refusing.concludeErrors = 1;
                session.device.SetFaults(refusing);
                ASSERT_EQ(session.client->Release(), System::OkNoError);
            } else {
                // A directory read held in its send keeps the association's thread from
                // the release until the group has been withdrawn.
                SendHold hold;
                hold.Arm(*association->GetMmsConnection());
                std::uint32_t directory = 0;
                ASSERT_EQ(session.client->GetServerDirectory(directory, ObjectClassLogicalDevice, AnswerFrom::Device),
                          System::OkNoError);
                ASSERT_TRUE(hold.WaitUntilHeld());
                const auto group = std::make_shared<Mms::RequestGroup>();
                {
                    const Iec61850::ClientApplication::RequestGroupScope scope(group);
                    ASSERT_EQ(session.client->Release(), System::OkNoError);
                }
                session.client->WithdrawRequests(*group);
                hold.Release();
                EXPECT_EQ(session.client->WaitFor(directory).result, System::OkNoError);
                association->GetMmsConnection()->SetSendHook(nullptr);
                ++confirmed;
            }
            ASSERT_TRUE(session.client->WaitForCount(confirmed));
        }
        Confirmation first;
        for (const auto& [id, confirmation] : session.client->All()) {
            if (confirmation.callback == "Release") first = confirmation;
        }
        EXPECT_EQ(first.result, row.result);
        EXPECT_EQ(first.serviceError, 11);
        EXPECT_EQ(first.answerKind, row.answerKind);
        if (row.way == Way::Refused) {
            EXPECT_EQ(first.errorClass, Mms::MmsErrorClassConclude);
            EXPECT_EQ(first.errorCode, Mms::MmsConcludeFurtherCommunicationRequired);
        }
        EXPECT_TRUE(session.client->IsAssociated());

        std::uint32_t after = 0;
        ASSERT_EQ(session.client->GetDataValues(after, read, AnswerFrom::Device), System::OkNoError);
        EXPECT_EQ(session.client->WaitFor(after).result, System::OkNoError);
        ASSERT_EQ(session.client->Release(), System::OkNoError);
        ASSERT_TRUE(session.client->WaitForCount(confirmed + 2));
        ASSERT_TRUE(TestSupport::Eventually([&] { return !session.client->IsAssociated(); }));
        int released = 0;
        for (const auto& [id, confirmation] : session.client->All()) {
            if (confirmation.callback == "Release" && confirmation.result == System::OkNoError) ++released;
        }
        EXPECT_EQ(released, 1);
        EXPECT_EQ(session.client->Count(), confirmed + 2);
        EXPECT_TRUE(session.client->Aborts().empty());

        if (!TestSupport::WireCheckRuns()) continue;
        const auto units = TestSupport::PacketsApart(session.relay->Units(0));
        EXPECT_EQ(TestSupport::FindProblems(units), "");
        int refusals = 0;
        int concludes = 0;
        for (const std::string& line : TestSupport::DecodeFields(units, {"_ws.col.Info"})) {
            if (line.find("conclude-ErrorPDU") != std::string::npos) ++refusals;
            if (line.find("conclude-RequestPDU") != std::string::npos) ++concludes;
        }
        EXPECT_EQ(refusals, row.refusals);
        EXPECT_EQ(concludes, row.concludes);
    }
}

TEST(Association, ServicesLeftWhenTheServerGoesAreConfirmedAndTheClientLetGo) {
    DeviceSession session;
    TestDevice::Faults faults;
    faults.dropped = {2};  // getNameList never answered
    session.device.SetFaults(faults);
    ASSERT_EQ(session.Associate(), System::OkNoError);
    std::vector<std::uint32_t> ids;
    PostFifty(session, ids);
    session.server.reset();
    ExpectEachConfirmedOnce(session, ids);
    EXPECT_EQ(session.client->GetAssociation(), nullptr);
    std::uint32_t id = 0;
    EXPECT_EQ(session.client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device), System::Error);
}

TEST(Association, AReportNoBlockTakesReachesTheClientAsUnmatched) {
    DeviceSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.LoadModel();
    // Enabling a block makes the device report; nothing matches reports yet.
    const Confirmation enabled = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetURCBValues(id, "LD0/LLN0.urcb01", {{"RptEna", "True"}, {"GI", "True"}}, AnswerFrom::Device);
    });
    EXPECT_EQ(enabled.serviceError, 0) << enabled.result;
    ASSERT_TRUE(session.client->WaitForReport());
    EXPECT_EQ(session.client->Reports()[0], 12);
}

// A device that reports every few milliseconds while associations are made and ended: each
// report is filed with the association it arrived on, while the
// server's link to its association is set and cleared under the model lock (ThreadSanitizer
// runs this: no race between the two).
TEST(Association, ReportsThatArriveWhileAssociationsComeAndGoRaceWithNothing) {
    DeviceSession session;
    TestDevice::Faults reporting;
    reporting.reportEveryMs = 2;
    session.device.SetFaults(reporting);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
        const std::size_t before = session.client->Reports().size();
        ASSERT_EQ(session.Associate(), System::OkNoError);
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.client->Reports().size() >= before + 2; }));
        EXPECT_EQ(session.client->GetAssociation()->Abort(AbortWait::None), System::OkNoError);
        EXPECT_EQ(session.server->GetConnection(), nullptr);
    }
}

}  // namespace
}  // namespace AcsiClientTest
