#pragma once

// The main dialog against the test device, offscreen: the device on a port the system
// picks, the two registries, and the dialog aimed at the device through the profile of
// the servers it makes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/client/LiveTimeouts.h"
#include "app/client/QXClient.h"
#include "app/ids/ControlIds.h"
#include "app/program/QXDialog.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "support/StackProfile.h"
#include "support/ui/UiHarness.h"

namespace AppTest {

// Runs the event loop until `done` holds, waking for every event (and at least every
// 20 ms); false when the limit passes first.
inline bool WaitUntil(const std::function<bool()>& done, int limitMs = 10000) {
    QTimer tick;
    tick.start(20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

inline std::vector<std::string> Items(QWidget* root, const std::string& path) {
    std::vector<std::string> items;
    auto* combo = qobject_cast<QComboBox*>(UiTest::FindControl(root, path));
    EXPECT_NE(combo, nullptr) << path;
    if (combo == nullptr) return items;
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    return items;
}

inline std::string Current(QWidget* root, const std::string& path) {
    auto* combo = qobject_cast<QComboBox*>(UiTest::FindControl(root, path));
    return combo != nullptr ? combo->currentText().toStdString() : std::string("(none)");
}

// A progress window as the dialog shows it: owned by the dialog's window, which the window
// system keeps it above, centred on it, and with every text whole.
inline void ExpectShownAboveWhole(Ui::CWnd& progress, QWidget* window) {
    QWidget* shown = progress.GetWidget();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(shown->isWindow());
    EXPECT_EQ(shown->parentWidget(), window);
    ASSERT_NE(shown->windowHandle(), nullptr);
    EXPECT_EQ(shown->windowHandle()->transientParent(), window->windowHandle());
    EXPECT_TRUE(window->frameGeometry().contains(shown->frameGeometry().center()));
    EXPECT_EQ(UiTest::CutTexts(shown), std::vector<std::string>{});
}

class DialogSession {
public:
    explicit DialogSession(const TestDevice::Device::Options& options = {}) : device(options) {
        EXPECT_EQ(device.Start(), System::OkNoError);
        dialog = std::make_unique<App::QXDialog>(servers, clients);
        AimAt(device.Port());
        // Far beyond any answer a loaded machine delays: a time-out that ends a request here
        // is a fault, seen as a wait of many seconds, not an answer that came late.
        dialog->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter,
                                   std::to_string(kLongTimeoutMs));
        dialog->SetProfileOverride("LocalSTimeout", std::to_string(kLongTimeoutMs));
    }
    ~DialogSession() {
        if (dialog) {
            dialog->Shutdown();
            dialog.reset();
        }
        device.Stop();
    }
    void AimAt(std::uint16_t port) { dialog->SetProfileOverride("RemoteNPort", std::to_string(port)); }
    // A test device whose model has the feature on (or off), e.g. &TestDevice::ModelOptions::large.
    static TestDevice::Device::Options DeviceWith(bool TestDevice::ModelOptions::*feature, bool on = true) {
        TestDevice::Device::Options options;
        options.model.*feature = on;
        return options;
    }

    // Runs the dialog modally with `act` inside its loop; `act` ends it (Exit) or the
    // test fails. Returns what DoModal gave.
    intptr_t Run(const std::function<void(QWidget* window)>& act) {
        UiTest::OnNextModal([this, act](QWidget* window) {
            act(window);
            if (dialog->IsWindow())
                UiTest::Click(UiTest::FindControl(window, UiTest::IdPath({ControlId::MainDialog::Exit})));
        });
        return dialog->DoModal();
    }
    static constexpr int kLongTimeoutMs = 30000;

    // For a test whose device will answer nothing more: the association now standing waits
    // 600 ms for an answer and 300 ms for the device's part of an abort. Set once connected,
    // so that the connect and the model read keep the long ones.
    void ShortenLiveTimeouts() { SetLiveTimeouts(600, 300); }
    // The long ones back, before the device answers again.
    void RestoreLiveTimeouts() { SetLiveTimeouts(kLongTimeoutMs, kLongTimeoutMs); }
    void SetLiveTimeouts(int mmsMs, int sessionMs) {
        AppTest::SetLiveTimeouts(dialog->GetClient()->GetAssociation(), mmsMs, sessionMs);
    }
    bool ReachState(int state, int limitMs = 10000) {
        return WaitUntil([&] { return dialog->GetState() == state && !dialog->IsConnecting(); }, limitMs);
    }

    TestDevice::Device device;
    Iec61850::Acsi::ServerManager servers;
    Iec61850::Acsi::ClientManager clients;
    std::unique_ptr<App::QXDialog> dialog;
};

}  // namespace AppTest
