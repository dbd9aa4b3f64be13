#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/client/BridgeSession.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "mms/pdu/MmsPduServices.h"
#include "system/Polling.h"

namespace AppTest {
namespace {

using namespace App;
using Iec61850::AnswerFrom;

// The client's answer to a read, once it is there.
Message ReadResult(BridgeSession& session, const Iec61850::FcReference& item) {
    session.notifier.Clear();
    std::uint32_t id = 0;
    EXPECT_EQ(session.client->GetDataValues(id, item, AnswerFrom::Device), System::OkNoError);
    Message result;
    EXPECT_TRUE(session.notifier.WaitFor(WM_QX_READ_RESULT, result));
    return result;
}

TEST(ClientCallbacks, ReadsMatchTheWholeReferenceAskedFor) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.device.SetValue("LD0/GGIO1$ST$CntHst$hstVal", "");
    struct Case {
        const char* fc;
        const char* reference;
        std::intptr_t wParam;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"ST", "LD0/GGIO1.IntIn1.stVal", 0, session.device.GetValue("LD0/GGIO1$ST$IntIn1$stVal")},
        // An array element is read with its array and found in the answer by its whole name.
        {"ST", "LD0/GGIO1.CntHst.hstVal.[1]", 0, session.device.GetValue("LD0/GGIO1$ST$CntHst$hstVal")},
        // The array read, but no ninth element in the answer.
        {"ST", "LD0/GGIO1.CntHst.hstVal.[9]", -1, "Unknown error"},
        // Nothing of that constraint: the service error, not "Unknown error".
        {"MX", "LD0/GGIO1.IntIn1.stVal", -1, Iec61850::Acsi::ServiceErrorText(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reference);
        const Message result = ReadResult(session, {c.fc, c.reference});
        EXPECT_EQ(result.wParam, c.wParam);
        if (c.wParam == 0 && std::string(c.reference).find(".[") != std::string::npos) {
            EXPECT_FALSE(result.text.empty());
        } else {
            EXPECT_EQ(result.text, c.text);
        }
    }
    // The request on the wire named the array, not the element.
    bool arrayAsked = false;
    for (const TestDevice::RequestRecord& request : session.device.Requests()) {
        for (const std::string& name : request.names) {
            if (name == "LD0/GGIO1$ST$CntHst$hstVal") arrayAsked = true;
            EXPECT_EQ(name.find('['), std::string::npos) << name;
        }
    }
    EXPECT_TRUE(arrayAsked);
}

TEST(ClientCallbacks, ARefusedReadShowsItsServiceError) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    TestDevice::Faults faults;
    faults.refused[Mms::MmsServiceRead] = {false, 0, (7u << 16) | 2u};  // access, object-access-denied
    session.device.SetFaults(faults);
    const Message result = ReadResult(session, {"ST", "LD0/GGIO1.IntIn1.stVal"});
    EXPECT_EQ(result.wParam, -1);
    EXPECT_NE(result.text, "Unknown error");
    bool known = false;
    for (std::int32_t code = 1; code <= 12; ++code)
        known = known || result.text == Iec61850::Acsi::ServiceErrorText(code);
    EXPECT_TRUE(known) << result.text;
}

TEST(ClientCallbacks, AbortTexts) {
    struct Case {
        std::uint8_t local;
        std::uint8_t peer;
        const char* text;
    };
    const Case cases[] = {{1, 0, "Abort was issued locally"},
                          {1, 1, "Abort was issued locally"},
                          {0, 1, "Abort was issued by peer"},
                          {0, 0, ""}};
    RecordingNotifier notifier;
    QXClient client(&notifier);
    for (const Case& c : cases) {
        notifier.Clear();
        const std::uint8_t record[2] = {c.local, c.peer};
        EXPECT_EQ(client.OnAbort(record), 0);
        ASSERT_EQ(notifier.Messages().size(), 1u);
        EXPECT_EQ(notifier.Messages()[0].message, WM_QX_ABORTED);
        EXPECT_EQ(notifier.Messages()[0].wParam, 0);
        EXPECT_EQ(notifier.Messages()[0].text, c.text);
    }
}

TEST(ClientCallbacks, AFailedAssociationTellsTheServiceErrorAndTheRefusal) {
    struct Case {
        const char* what;
        std::function<void(BridgeSession&)> arrange;
        std::string expectedStart;
        bool refusalTold;
    };
    const std::vector<Case> cases = {
        {"an initiate refused by the device",
         [](BridgeSession& s) {
             TestDevice::Faults faults;
             faults.initiateErrorClass = 9;
             faults.initiateErrorCode = 6;
             s.device.SetFaults(faults);
         },
         Iec61850::Acsi::ServiceErrorText(11), true},
        {"nothing listening",
         [](BridgeSession& s) {
             const std::uint16_t port = s.device.Port();
             s.device.Stop();
             s.Profile().SetParameter("RemoteNPort", std::to_string(port));
         },
         Iec61850::Acsi::ServiceErrorText(12), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BridgeSession session;
        c.arrange(session);
        EXPECT_NE(session.Associate(), System::OkNoError);
        Message failed;
        ASSERT_TRUE(session.notifier.WaitFor(WM_QX_ASSOCIATE_RESULT, failed));
        EXPECT_EQ(failed.wParam, -1);
        if (!c.expectedStart.empty()) {
            EXPECT_EQ(failed.text.rfind(c.expectedStart, 0), 0u) << failed.text;
        }
        const std::string refusal = session.client->GetAssociation()->GetInitiateOutcome().refusal.text;
        if (c.refusalTold) {
            EXPECT_FALSE(refusal.empty());
        }
        if (!refusal.empty()) {
            EXPECT_NE(failed.text.find(refusal), std::string::npos) << failed.text;
        }
        EXPECT_EQ(session.notifier.Messages().size(), 1u);
    }
}

TEST(ClientCallbacks, ValueReadsOfTheExportCountDownAndNeverBelowZero) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.notifier.Clear();
    auto confirmAll = [&](int reads) {
        for (int i = 0; i < reads; ++i) {
            std::uint32_t id = 0;
            ASSERT_EQ(session.client->GetAllDataValues(id, "LD0/GGIO1", "", AnswerFrom::Device), System::OkNoError);
        }
        ASSERT_TRUE(TestSupport::Eventually([&] {
            int answered = 0;
            for (const Message& m : session.notifier.Messages()) answered += m.message == WM_QX_ICD_PROGRESS;
            return answered >= std::min(reads, 2);
        }));
    };
    session.client->GetPendingLock().Wait(0);
    session.client->SetPendingValueReads(2);
    session.client->GetPendingLock().Release();
    confirmAll(3);
    // The third confirmation found the count at 0 and told nothing: give it the time
    // to show if it would.
    std::uint32_t id = 0;
    ASSERT_EQ(session.client->GetAllDataValues(id, "LD0/GGIO1", "", AnswerFrom::Device), System::OkNoError);
    session.client->WaitForConfirmation(1000);
    session.client->WaitForConfirmation(1000);
    std::vector<std::pair<std::uint32_t, std::intptr_t>> seen;
    for (const Message& m : session.notifier.Messages()) seen.emplace_back(m.message, m.lParam);
    EXPECT_EQ(seen, (std::vector<std::pair<std::uint32_t, std::intptr_t>>{
                        {WM_QX_ICD_PROGRESS, 1}, {WM_QX_ICD_PROGRESS, 0}, {WM_QX_ICD_DATA_READ, 0}}));
    session.client->GetPendingLock().Wait(0);
    EXPECT_EQ(session.client->GetPendingValueReads(), 0);
    session.client->GetPendingLock().Release();
}

TEST(ClientCallbacks, AReleaseClearsTheTreesBeforeItIsTold) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    ASSERT_FALSE(session.client->GetReadTree().empty());
    bool emptyWhenTold = false;
    session.notifier.SetHook([&](const Message& message) {
        if (message.message == WM_QX_RELEASE_RESULT) emptyWhenTold = session.client->GetReadTree().empty();
    });
    ASSERT_EQ(session.client->Release(), System::OkNoError);
    Message released;
    ASSERT_TRUE(session.notifier.WaitFor(WM_QX_RELEASE_RESULT, released));
    EXPECT_EQ(released.wParam, 0);
    EXPECT_TRUE(emptyWhenTold);
}

}  // namespace
}  // namespace AppTest
