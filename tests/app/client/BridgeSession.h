#pragma once

// The client bridge against the test device: a device on a port the system picks, a relay
// that records the wire, a server aimed at the relay with a short MMS time-out, and the
// program's client telling a recording main window.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/client/LiveTimeouts.h"
#include "app/client/QXClient.h"
#include "app/client/RecordingNotifier.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "osi/AssociationWireRelay.h"
#include "support/StackProfile.h"

namespace AppTest {

class BridgeSession {
public:
    explicit BridgeSession(const TestDevice::Device::Options& options = {}) : device(options) {
        EXPECT_EQ(device.Start(), System::OkNoError);
        relay = std::make_unique<AssociationTest::AssociationWireRelay>(device.Port());
        server = std::make_unique<Iec61850::Acsi::Server>();
        Profile().SetParameter("RemoteNPort", std::to_string(relay->Port()));
        // Far beyond any answer a loaded machine delays: a time-out that ends a request
        // here is a fault, seen as a wait of many seconds, not an answer that came late.
        Profile().SetParameter(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "30000");
        Profile().SetParameter("LocalSTimeout", "30000");
    }
    // For a test whose device will answer nothing more: the association now standing waits
    // 600 ms for an answer and 300 ms for the device's part of an abort.
    void ShortenLiveTimeouts() { AppTest::SetLiveTimeouts(client->GetAssociation(), 600, 300); }
    ~BridgeSession() {
        client.reset();
        server.reset();
        relay.reset();
        device.Stop();
    }

    Iec61850::Acsi::AssociationProfile& Profile() { return *server->GetProfile(0); }
    // On this thread, as the program's connect worker does: the model load runs inside.
    // Once associated, the session waits 300 ms for the device's part of an abort: the test
    // device's session drops an incoming AB and leaves the close to this side, so the abort
    // that ends a test still associated ends by that wait, whatever the machine's speed.
    System::ResultCode Associate() {
        const System::ResultCode result = client->Associate(Profile(), 0);
        if (result == System::OkNoError && client->GetAssociation() != nullptr)
            TestSupport::StackProfile().With("LocalSTimeout", "300").ApplyTo(client->GetAssociation());
        return result;
    }
    std::uint32_t Count(Iec61850::Acsi::ModelClass modelClass) {
        std::uint32_t count = 0;
        EXPECT_EQ(server->CountKindOf(modelClass, Iec61850::Acsi::AnyObjectState, count), System::OkNoError);
        return count;
    }

    TestDevice::Device device;
    std::unique_ptr<AssociationTest::AssociationWireRelay> relay;
    std::unique_ptr<Iec61850::Acsi::Server> server;
    RecordingNotifier notifier;
    std::unique_ptr<App::QXClient> client = std::make_unique<App::QXClient>(&notifier);
};

}  // namespace AppTest
