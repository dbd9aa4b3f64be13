#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "iec61850/acsi/client/AcsiStack.h"
#include "iec61850/acsi/client/AssociationListener.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/association/RecordingClient.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

class Listener : public AssociationListener {
public:
    void OnAssociationIndication(TPAppAssociation&) override { ++indications; }
    void OnAssociationEnded(TPAppAssociation&, std::int32_t reason) override {
        std::lock_guard lock(mutex);
        endings.push_back(reason);
    }
    std::atomic<int> indications{0};
    std::mutex mutex;
    std::vector<std::int32_t> endings;
};

TEST(ServerSide, AListeningAssociationTellsItsListenerOfTheInitiateAndTheAbort) {
    Server responder;
    Listener listener;
    responder.SetAssociationListener(&listener);
    responder.GetProfile(0)->GetStack()->SetListenAddress("127.0.0.1");
    ASSERT_EQ(responder.CreateServerAssociations(1, 0), System::OkNoError);
    ASSERT_EQ(responder.GetAssociations().size(), 1u);
    const std::uint16_t port = responder.GetProfile(0)->GetStack()->GetListenPort();
    ASSERT_NE(port, 0);

    Server server;
    server.GetProfile(0)->SetParameter("RemoteNPort", std::to_string(port));
    server.GetProfile(0)->SetParameter("LocalSTimeout", "300");
    RecordingClient client;
    ASSERT_EQ(client.Associate(*server.GetProfile(0), 0), System::OkNoError);
    // The responder's thread tells its listener once the answer is out.
    EXPECT_TRUE(TestSupport::Eventually([&] { return listener.indications.load() == 1; }));
    // The responder answers from its own (empty) model.
    std::uint32_t id = 0;
    ASSERT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device), System::OkNoError);
    const Confirmation devices = client.WaitFor(id);
    EXPECT_EQ(devices.serviceError, 0);
    EXPECT_TRUE(devices.names.empty());

    client.GetAssociation()->Abort();
    EXPECT_TRUE(TestSupport::Eventually([&] {
        std::lock_guard lock(listener.mutex);
        return listener.endings == std::vector<std::int32_t>{11};
    }));
    EXPECT_EQ(responder.RemoveAssociation(nullptr), System::Error);
}

TEST(ServerSide, WithoutAProfileNothingIsMade) {
    Server responder;
    TPAppAssociation* association = nullptr;
    EXPECT_EQ(responder.GetServerAssociation(3, association), System::Error);
    EXPECT_EQ(association, nullptr);
}

}  // namespace
}  // namespace AcsiClientTest
