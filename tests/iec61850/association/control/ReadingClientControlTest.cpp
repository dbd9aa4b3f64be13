#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "iec61850/acsi/client/ControlServices.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/association/ReadingSession.h"
#include "iec61850/association/control/ControlClient.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

namespace ModelReadTest {
namespace {

using Iec61850::AttributeRecords;
using TestDevice::ControlObject;

const AttributeRecords kComponents = {
    {"ctlVal", "True"}, {"origin.orCat", "3"}, {"origin.orIdent", "5178"}, {"ctlNum", "42"}};
const std::string kTime = "2026-12-07 09:30:00.000";

// The reading client as a program derives from it: the base callback first, then what it
// left in the service is kept for the test.
class ControllingClient : public ReadingClient {
public:
    ~ControllingClient() override { ClearAssociation(); }

    std::int32_t OnSelect(Iec61850::Acsi::Select* service) override {
        const std::int32_t returned = RClient::OnSelect(service);
        std::lock_guard lock(mutex_);
        selects_[service->GetInvokeId()] = returned;
        changed_.notify_all();
        return returned;
    }
    std::int32_t OnCommandTermination(ControlReport* report) override {
        const std::int32_t returned = RClient::OnCommandTermination(report);
        EXPECT_EQ(returned, 0);
        std::lock_guard lock(mutex_);
        terminations_.push_back(report->records);
        changed_.notify_all();
        return returned;
    }

    // What OnSelect returned for the request (-1 when it never came).
    std::int32_t WaitForSelect(std::uint32_t id) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, AcsiClientTest::RecordingClient::Deadline, [&] { return selects_.contains(id); });
        return selects_.contains(id) ? selects_[id] : -1;
    }
    // The records of the first termination (none when it never came).
    std::vector<ValueRecord> WaitForTermination() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, AcsiClientTest::RecordingClient::Deadline, [&] { return !terminations_.empty(); });
        std::vector<ValueRecord> records = terminations_.empty() ? std::vector<ValueRecord>{} : terminations_.front();
        terminations_.clear();
        return records;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::uint32_t, std::int32_t> selects_;
    std::vector<std::vector<ValueRecord>> terminations_;
};

class ReadingClientControls : public ::testing::Test {
protected:
    void SetUp() override {
        auto made = std::make_unique<ControllingClient>();
        client = made.get();
        session.client = std::move(made);
        ASSERT_EQ(session.Read(), ModelReader::ResultRead);
    }

    // The model's SBO attribute of the object, put back to unread.
    DataItem* UnreadSbo(const std::string& object) {
        std::list<NamedObject*> found;
        EXPECT_EQ(session.server->FindObjects("CO", object + ".SBO", found), System::OkNoError);
        auto* sbo = found.empty() ? nullptr : dynamic_cast<DataItem*>(found.front());
        if (sbo != nullptr) Locked([&] { sbo->SetState(ObjectState::NotAsked); });
        return sbo;
    }
    template <typename Fn>
    void Locked(Fn fn) {
        const Mms::ModelHold hold(session.server.get());
        ASSERT_TRUE(hold.Taken());
        fn();
    }
    std::int32_t Select(const std::string& object) {
        std::uint32_t id = 0;
        EXPECT_EQ(client->Select(id, object, SelectBy::ReadingSbo), System::OkNoError);
        return client->WaitForSelect(id);
    }
    void Operate(const std::string& object) {
        std::uint32_t id = 0;
        EXPECT_EQ(client->Operate(id, object, kComponents, "False", kTime, "00", Activation::Immediate),
                  System::OkNoError);
    }

    ReadingSession session;
    ControllingClient* client = nullptr;
};

TEST_F(ReadingClientControls, SelectMarksItsTargetReadOnlyWhenGrantedAndTheModelKeepsTheAnswer) {
    struct Case {
        const char* name;
        int block;
        std::int32_t returned;
        ObjectState state;
        const char* answer;
    };
    const Case cases[] = {
        {"granted", 0, 0, ObjectState::Read, "LD0/CSWI2$CO$Pos"},
        {"refused", 7, 1, ObjectState::NotAsked, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session.device.FindControl("LD0/CSWI2$CO$Pos")->Block(c.block);
        DataItem* sbo = UnreadSbo("LD0/CSWI2.Pos");
        ASSERT_NE(sbo, nullptr);
        EXPECT_EQ(Select("LD0/CSWI2.Pos"), c.returned);
        Locked([&] {
            EXPECT_EQ(sbo->GetState(), c.state);
            std::string answer = "(unread)";
            EXPECT_EQ(sbo->GetValueText(answer), System::OkNoError);
            EXPECT_EQ(answer, c.answer);
        });
    }
    session.device.FindControl("LD0/CSWI2$CO$Pos")->Block(0);
}

TEST_F(ReadingClientControls, CommandTerminationsGiveTheirRecords) {
    ControlObject* device = session.device.FindControl("LD0/CSWI3$CO$Pos");
    ASSERT_NE(device, nullptr);

    // Negative: the LastApplError first, then the control object's values.
    device->FailTermination(ControlObject::NotSupported);
    Operate("LD0/CSWI3.Pos");
    const std::vector<ValueRecord> negative = client->WaitForTermination();
    const std::vector<ValueRecord> lastApplError = {
        {"", "LastApplError.CntrlObj", "LD0/CSWI3.CO.Pos.Oper"},
        {"", "LastApplError.Error", "1"},
        {"", "LastApplError.origin.orCat", "3"},
        {"", "LastApplError.origin.orIdent", "5178"},
        {"", "LastApplError.ctlNum", "42"},
        {"", "LastApplError.AddCause", "1"},
    };
    ASSERT_GT(negative.size(), lastApplError.size());
    EXPECT_EQ(std::vector<ValueRecord>(negative.begin(), negative.begin() + lastApplError.size()), lastApplError);
    const std::vector<ValueRecord> objectValues(negative.begin() + lastApplError.size(), negative.end());

    // Positive: the control object's values alone, the same records.
    device->FailTermination(0);
    Operate("LD0/CSWI3.Pos");
    const std::vector<ValueRecord> positive = client->WaitForTermination();
    EXPECT_EQ(positive, objectValues);
    bool ctlNum = false;
    for (const ValueRecord& record : positive) {
        EXPECT_EQ(record.fc, "CO");
        EXPECT_EQ(record.reference.rfind("LD0/CSWI3.Pos.Oper.", 0), 0u) << record.reference;
        if (record.reference == "LD0/CSWI3.Pos.Oper.ctlNum") ctlNum = record.value == "42";
    }
    EXPECT_TRUE(ctlNum);

    ASSERT_EQ(session.client->Release(), System::OkNoError);
    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(0)), "");
    }
}

}  // namespace
}  // namespace ModelReadTest
