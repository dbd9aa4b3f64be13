// A control carries the values its caller gave, whatever changes the model's control
// structure between the moment the control is made and the moment it is sent.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/control/ControlClient.h"
#include "mms/pdu/MmsPduServices.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

namespace AcsiClientTest {
namespace {

using Iec61850::AttributeRecords;

const std::string kObject = "LD0/CSWI3.Pos";  // direct control with enhanced security
const std::string kTime = "2026-12-07 09:30:00.000";

std::string RecordValue(const std::vector<ValueRecord>& records, const std::string& suffix) {
    for (const ValueRecord& record : records) {
        if (record.reference.size() >= suffix.size() &&
            record.reference.compare(record.reference.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return record.value;
        }
    }
    return "(none)";
}

// Where a control waits after its copy was made and before it is sent: the operate that
// switches off is held there until the test lets it go.
struct StagedGate {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread::id associationThread;
    bool held = false;
    bool released = false;

    static StagedGate& Instance() {
        static StagedGate gate;
        return gate;
    }
    static void Hook(const ControlWrite& control) {
        StagedGate& gate = Instance();
        std::unique_lock lock(gate.mutex);
        gate.associationThread = std::this_thread::get_id();
        if (RecordValue(control.records, ".ctlVal") != "False") return;
        gate.held = true;
        gate.changed.notify_all();
        gate.changed.wait_for(lock, RecordingClient::Deadline, [&] { return gate.released; });
    }
    // Waits for the held control; false when it is not held by the deadline.
    bool WaitHeld() {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, RecordingClient::Deadline, [&] { return held; });
    }
    void Release() {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    void Reset() {
        std::lock_guard lock(mutex);
        held = false;
        released = false;
    }
};

// Holds the receive thread in the confirmation of the operate that switches on until the
// operate that switches off has made its copy: the first one's command termination, which
// the device sends after that confirmation, then reaches the model while the second one
// waits to be sent. A confirmation completed on the association's own thread (its answer
// came before its send had finished) cannot wait for the next control there, and says so.
class GatedClient : public ControlClient {
public:
    ~GatedClient() override { ClearAssociation(); }

    std::int32_t OnOperate(A::Operate* s) override {
        if (RecordValue(s->records, ".ctlVal") == "True") {
            StagedGate& gate = StagedGate::Instance();
            bool onAssociationThread = false;
            {
                std::lock_guard lock(gate.mutex);
                onAssociationThread = gate.associationThread == std::this_thread::get_id();
            }
            if (!onAssociationThread && s->GetResult() == System::OkNoError) overlapped = gate.WaitHeld();
        }
        return ControlClient::OnOperate(s);
    }

    std::atomic<bool> overlapped{false};
};

class ControlValues : public ::testing::Test {
protected:
    void SetUp() override {
        auto made = std::make_unique<GatedClient>();
        client = made.get();
        session.client = std::move(made);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        client->lockProbe = session.server.get();
        ControlWrite::SetStagedHook(&StagedGate::Hook);
    }
    void TearDown() override {
        StagedGate::Instance().Release();
        ControlWrite::SetStagedHook(nullptr);
    }

    std::uint32_t PostOperate(const std::string& value, const std::string& number) {
        std::uint32_t id = 0;
        const AttributeRecords components = {
            {"ctlVal", value}, {"origin.orCat", "3"}, {"origin.orIdent", Identity(number)}, {"ctlNum", number}};
        EXPECT_EQ(client->Operate(id, kObject, components, "False", kTime, "00", Activation::Immediate),
                  System::OkNoError);
        return id;
    }

    // The originator's identity (octets) told apart by the control's number.
    static std::string Identity(const std::string& number) { return number.size() == 1 ? "0" + number : number; }

    DeviceSession session;
    GatedClient* client = nullptr;
};

// Operate on, then operate off at once: the second operate is held after its copy was made
// while the first one's command termination puts the first one's values into the model's
// Oper. Each operate still carries its own values, and the device ends off.
//
// The device holds its answer to the first write until the second operate is held: by then
// the association's thread has finished sending the first (it stages the second only after),
// so the answer comes to the receive thread, which can wait for the held operate. The overlap
// is made every round, whatever the machine's speed.
TEST_F(ControlValues, EachOperateCarriesItsCallersValuesWhileAnEarlierOnesTerminationLands) {
    constexpr int Rounds = 3;
    TestDevice::Faults holdWrites;
    holdWrites.held = {Mms::MmsServiceWrite};
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(round);
        StagedGate::Instance().Reset();
        client->ClearReceived();
        client->overlapped.store(false);
        session.device.SetFaults(holdWrites);
        const std::uint32_t on = PostOperate("True", std::to_string(2 * round + 1));
        const std::uint32_t off = PostOperate("False", std::to_string(2 * round + 2));
        ASSERT_TRUE(StagedGate::Instance().WaitHeld());
        session.device.SetFaults({});
        const ControlConfirmation first = client->WaitForControl(on);
        EXPECT_EQ(first.result, System::OkNoError);
        EXPECT_TRUE(client->overlapped.load()) << "the first operate was not confirmed while the second was held";
        ASSERT_TRUE(client->WaitForTerminations(1));
        StagedGate::Instance().Release();
        const ControlConfirmation second = client->WaitForControl(off);
        EXPECT_EQ(second.result, System::OkNoError);
        ASSERT_TRUE(client->WaitForTerminations(2));

        EXPECT_EQ(session.device.GetValue("LD0/CSWI3$ST$Pos$stVal"), "01");
        EXPECT_EQ(session.device.GetValue("LD0/CSWI3$CO$Pos$Oper$ctlVal"), "False");
        EXPECT_EQ(session.device.GetValue("LD0/CSWI3$CO$Pos$Oper$ctlNum"), std::to_string(2 * round + 2));
        const std::vector<Termination> terminations = client->Terminations();
        ASSERT_EQ(terminations.size(), 2u);
        EXPECT_EQ(RecordValue(terminations[0].objectValues, ".ctlVal"), "True");
        EXPECT_EQ(RecordValue(terminations[1].objectValues, ".ctlVal"), "False");
        EXPECT_EQ(RecordValue(terminations[1].objectValues, ".orIdent"), Identity(std::to_string(2 * round + 2)));
    }

    // On the wire, as an independent decoder reads it: each write carries its own ctlVal
    // (the first boolean; Test is the second), ctlNum and originator.
    if (!TestSupport::WireCheckRuns()) return;
    const auto units = session.relay->Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    std::vector<std::string> writes;
    for (const std::string& line : TestSupport::DecodeFields(
             units, {"mms.confirmedServiceRequest", "mms.boolean", "mms.unsigned", "mms.data.octet-string"})) {
        if (line.rfind("5|", 0) == 0) writes.push_back(line);
    }
    std::vector<std::string> expected;
    for (int round = 0; round < Rounds; ++round) {
        for (const int number : {2 * round + 1, 2 * round + 2}) {
            expected.push_back("5|" + std::string(number % 2 == 1 ? "1" : "0") + ",0|" + std::to_string(number) + "|" +
                               Identity(std::to_string(number)));
        }
    }
    EXPECT_EQ(writes, expected);
}

}  // namespace
}  // namespace AcsiClientTest
