#pragma once

// The main dialog with its GOOSE capture on injected adapters: a sysfs folder of our own
// and a device list, where chosen devices read savefiles instead of a network link.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QWidget>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/goose/GooseCapture.h"
#include "app/goose/GooseFrameBuilder.h"
#include "app/ids/ControlIds.h"
#include "app/program/ProgramResources.h"
#include "app/program/QXDialog.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "support/ui/UiHarness.h"

namespace GoosePanelTest {

using GooseTest::Bytes;

// Counts the savefiles read to their end, and lets the test wait for the next one.
class EndsOfFile {
public:
    std::function<void()> Callback() {
        return [this] {
            std::lock_guard<std::mutex> hold(mutex_);
            ++count_;
            changed_.notify_all();
        };
    }
    bool WaitFor(int count) {
        std::unique_lock<std::mutex> hold(mutex_);
        return changed_.wait_for(hold, std::chrono::seconds(20), [&] { return count_ >= count; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

// Interfaces gse0, gse1... in a sysfs folder of our own, connected Ethernet with MACs
// 02:00:00:00:00:NN, all listed by the capture's device list in that order.
class InjectedAdapters {
public:
    explicit InjectedAdapters(int count, const std::vector<std::string>& extra = {})
        : root_(std::filesystem::temp_directory_path() / ("goose-panel-sysfs-" + std::to_string(getpid()))) {
        std::filesystem::remove_all(root_);
        for (int i = 0; i < count; ++i) Add("gse" + std::to_string(i), i);
        for (std::size_t i = 0; i < extra.size(); ++i) Add(extra[i], 0x80 + static_cast<int>(i));
        App::QXDialog::SetCaptureFactory([this] {
            return new CGooseCapture(root_.string(), [this](std::vector<CaptureDevice>& out) {
                out = devices_;
                return true;
            });
        });
    }
    // The devices go, as when cables are pulled; the dialog's list stays as it was.
    void RemoveAll() { devices_.clear(); }

    ~InjectedAdapters() {
        App::QXDialog::SetCaptureFactory({});
        std::filesystem::remove_all(root_);
    }

private:
    void Add(const std::string& name, int number) {
        const auto folder = root_ / name;
        std::filesystem::create_directories(folder);
        char mac[32];
        std::snprintf(mac, sizeof mac, "02:00:00:00:00:%02x", number);
        std::ofstream(folder / "type") << "1\n";
        std::ofstream(folder / "address") << mac << "\n";
        std::ofstream(folder / "carrier") << "1\n";
        devices_.push_back({name, true, 0});
    }

    std::filesystem::path root_;
    std::vector<CaptureDevice> devices_;
};

// The real main dialog, modeless and shown, with nothing connected.
class OpenDialog {
public:
    OpenDialog() : dialog_(servers_, clients_) {
        EXPECT_TRUE(dialog_.Create(App::IDD_QX_DIALOG));
        dialog_.ShowWindow(true);
    }
    ~OpenDialog() { dialog_.DestroyWindow(); }

    App::QXDialog& operator*() { return dialog_; }
    App::QXDialog* operator->() { return &dialog_; }
    QWidget* Control(int id) { return UiTest::FindControl(dialog_.GetWidget(), UiTest::IdPath({id})); }
    std::string Text(int id) { return UiTest::Text(Control(id)); }
    bool Enabled(int id) { return Control(id)->isEnabled(); }
    bool Focused(int id) { return dialog_.GetWidget()->focusWidget() == Control(id); }
    void Click(int id) { UiTest::Click(Control(id)); }
    void Tick() { dialog_.SendMessage(Ui::WM_TIMER, App::QXDialog::GooseTimerId, 0); }

private:
    Iec61850::Acsi::ServerManager servers_;
    Iec61850::Acsi::ClientManager clients_;
    App::QXDialog dialog_;
};

}  // namespace GoosePanelTest
