#pragma once

// The program's connection session without a window: the test device behind a recording
// relay, the registries, a recording window and a recording owner.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/client/ConnectionSession.h"
#include "app/client/RecordingNotifier.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "osi/AssociationWireRelay.h"

namespace AppTest {

enum class Told { Connected, Failed, Loaded, Disconnected, WorkEnded };

struct Event {
    Told kind;
    std::int32_t value = 0;  // the failure's result, the load's result
    std::string text;
    bool told = false;
};

class RecordingListener : public App::ConnectionSessionListener {
public:
    void OnConnected() override { Add(Told::Connected); }
    void OnConnectFailed(System::ResultCode result, const std::string& reason, bool told) override {
        Add(Told::Failed, result, reason, told);
    }
    void OnModelLoaded(std::int32_t result) override { Add(Told::Loaded, result); }
    void OnDisconnected() override { Add(Told::Disconnected); }
    void OnWorkEnded() override { Add(Told::WorkEnded); }

    std::vector<Event> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<Told> Kinds() const {
        std::vector<Told> kinds;
        for (const Event& event : Events()) kinds.push_back(event.kind);
        return kinds;
    }
    // Until `count` events of the kind have come in all.
    bool WaitFor(Told kind, int count = 1) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
            return std::count_if(events_.begin(), events_.end(), [&](const Event& e) { return e.kind == kind; }) >=
                   count;
        });
    }

private:
    void Add(Told kind, std::int32_t value = 0, const std::string& text = {}, bool told = false) {
        {
            std::lock_guard lock(mutex_);
            events_.push_back(Event{kind, value, text, told});
        }
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
};

// The session against the test device behind a recording relay, its window and its owner
// recorded. The session goes first, the device last.
struct SessionRig {
    // The time-outs are far beyond any answer a loaded machine delays: one that ends a
    // request or a connect here is a fault, seen as a wait of many seconds.
    explicit SessionRig(const std::string& mmsTimeout = "30000", const TestDevice::Device::Options& options = {})
        : device(options) {
        EXPECT_EQ(device.Start(), System::OkNoError);
        relay = std::make_unique<AssociationTest::AssociationWireRelay>(device.Port());
        session = std::make_unique<App::ConnectionSession>(servers, clients, &window, &listener);
        session->SetProfileOverride("RemoteNPort", std::to_string(relay->Port()));
        session->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, mmsTimeout);
        session->SetProfileOverride("LocalSTimeout", "30000");
    }
    ~SessionRig() {
        session.reset();
        relay.reset();
        device.Stop();
    }
    System::ResultCode Connect(bool reload = false) { return session->Connect("127.0.0.1", reload); }
    int Seen(std::uint32_t message) const {
        int seen = 0;
        for (const Message& m : window.Messages()) seen += m.message == message && m.wParam == 0;
        return seen;
    }
    // The client has sent something after the device's first answer on the first connection.
    bool ClientSpokeAfterAnAnswer() const {
        bool answered = false;
        for (const TestSupport::WireUnit& unit : relay->Units(0)) {
            if (!unit.fromClient) answered = true;
            if (unit.fromClient && answered) return true;
        }
        return false;
    }

    TestDevice::Device device;
    std::unique_ptr<AssociationTest::AssociationWireRelay> relay;
    Iec61850::Acsi::ServerManager servers;
    Iec61850::Acsi::ClientManager clients;
    RecordingNotifier window;
    RecordingListener listener;
    std::unique_ptr<App::ConnectionSession> session;
};

}  // namespace AppTest
