#include <chrono>
#include <cstdio>
#include <vector>

#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "app/goose/GooseCapture.h"
#include "app/program/ProgramResources.h"
#include "app/program/QXDialog.h"
#include "app/program/UiNotifier.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "ui/MessageBox.h"
#include "ui/MessageBridge.h"
#include "ui/Resources.h"
#include "ui/WinApp.h"

namespace App {

using namespace Ui;
using Iec61850::Acsi::Server;

namespace {

// How long a release may take at the end before the association is aborted: the
// profile's MMS time-out.
std::chrono::milliseconds ReleaseTimeout(Server* server) {
    std::string value;
    if (server != nullptr && server->GetProfile(0) != nullptr &&
        server->GetProfile(0)->GetParameter(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, value) ==
            System::OkNoError) {
        try {
            return std::chrono::milliseconds(std::stoul(value));
        } catch (...) {}
    }
    return std::chrono::milliseconds(10000);
}

}  // namespace

// ---- the connect worker ----

void QXDialog::StartWorker(std::function<void()> work, std::function<void()> done) {
    connecting_ = true;
    workerDone_ = std::move(done);
    ApplyEnabling();
    const HWND self = GetSafeHwnd();
    {
        std::lock_guard lock(workerMutex_);
        workerRunning_ = true;
    }
    worker_ = std::thread([this, self, work = std::move(work)] {
        work();
        {
            std::lock_guard lock(workerMutex_);
            workerRunning_ = false;
        }
        workerEnded_.notify_all();
        // The UI thread joins when this arrives; a window that has gone drops it, and
        // the shutdown joins instead.
        MessageBridge::PostMessage(self, WM_QX_WORKER_DONE, 0, 0);
    });
}

void QXDialog::JoinWorker() {
    if (worker_.joinable()) worker_.join();
}

LRESULT QXDialog::OnWorkerDone(WPARAM, LPARAM) {
    JoinWorker();
    connecting_ = false;
    std::function<void()> done = std::move(workerDone_);
    workerDone_ = nullptr;
    if (done) done();
    ApplyEnabling();
    return 1;
}

// ---- connect and disconnect ----

void QXDialog::OnConnect() {
    // Escape sends this command too: only a dialog that may connect does so, never a
    // second time over an association that stands or is being made.
    if (connecting_ || state_ != StateDisconnected || shutDown_) return;
    BYTE a = 0, b = 0, c = 0, d = 0;
    address_.GetAddress(a, b, c, d);
    char text[32];
    std::snprintf(text, sizeof text, "%i.%i.%i.%i", a, b, c, d);
    Connect(text, reload_.GetCheck() == 1);
}

void QXDialog::ShowConnectFailure(const std::string& detail) {
    PostMessageBox(LoadString(IDS_CONNECT_FAILED) + "\n\r" + detail, "Error", MB_OK | MB_ICONSTOP);
}

bool QXDialog::Connect(const std::string& address, bool reload) {
    if (connecting_) return false;
    if (reload && server_ != nullptr) {
        // The removal joins the old association's threads, which may be sending to this
        // thread: it runs on the worker, and the connect goes on when it is done.
        const std::uint32_t old = static_cast<std::uint32_t>(serverId_);
        QXClient* client = client_;
        StartWorker(
            [this, old, client] {
                serverRemoved_ = servers_.RemoveServer(old) == System::OkNoError;
                if (serverRemoved_ && client != nullptr) client->ClearAssociation();
            },
            [this, address] {
                if (serverRemoved_) {
                    server_ = nullptr;
                    serverId_ = -1;
                }
                ContinueConnect(address);
            });
        return true;
    }
    return ContinueConnect(address);
}

bool QXDialog::ContinueConnect(const std::string& address) {
    if (shutDown_) return false;
    Server* found = nullptr;
    servers_.FindServer(address, found);
    server_ = found;
    if (server_ == nullptr) {
        std::uint32_t id = 0;
        System::ResultCode result = servers_.AddServer(address, id);
        if (result == System::OkNoError) {
            serverId_ = static_cast<std::int32_t>(id);
            result = servers_.GetServer(id, server_);
        }
        if (result != System::OkNoError) {
            ShowConnectFailure(System::ResultCodeText(result));
            return false;
        }
        for (const auto& [name, value] : overrides_) server_->GetProfile(0)->SetParameter(name, value);
    } else {
        std::uint32_t id = 0;
        if (servers_.FindServerIdOf(id, server_) == System::OkNoError) serverId_ = static_cast<std::int32_t>(id);
    }
    if (clientId_ == -1) {
        auto* client = new QXClient(&UiNotifier::Instance());
        std::uint32_t id = 0;
        const System::ResultCode result = clients_.AddClient(client, id);
        if (result != System::OkNoError) {
            delete client;
            ShowConnectFailure(System::ResultCodeText(result));
            return false;
        }
        clientId_ = static_cast<std::int32_t>(id);
    }
    Iec61850::ClientApplication* client = nullptr;
    if (const System::ResultCode result = clients_.GetClient(static_cast<std::uint32_t>(clientId_), client);
        result != System::OkNoError) {
        ShowConnectFailure(System::ResultCodeText(result));
        return false;
    }
    client_ = static_cast<QXClient*>(client);
    Iec61850::Acsi::AssociationProfile* profile = server_->GetProfile(0);
    QXClient* associating = client_;
    const std::uint32_t serverId = static_cast<std::uint32_t>(serverId_);
    associateAnswered_.store(false);
    associationFailed_.store(false);
    serverRemoved_ = false;
    StartWorker(
        [this, associating, profile, serverId] {
            if (closing_.load()) {
                associateResult_ = System::Aborted;
                return;
            }
            associateResult_ = associating->Associate(*profile, 0);
            if (associationFailed_.load()) {
                // Associate has returned: nothing of its call chain uses the server any more.
                serverRemoved_ = servers_.RemoveServer(serverId) == System::OkNoError;
                if (serverRemoved_) associating->ClearAssociation();
            }
        },
        [this] { EndAssociate(); });
    return true;
}

void QXDialog::EndAssociate() {
    if (serverRemoved_) {
        server_ = nullptr;
        serverId_ = -1;
    }
    // An association that could not even be made (no resources for its stack) tells no
    // one through the client: say so here.
    if (associateResult_ != System::OkNoError && !associateAnswered_.load() && !closing_.load()) {
        ShowConnectFailure(System::ResultCodeText(associateResult_));
    }
}

void QXDialog::OnDisconnect() {
    if (client_ != nullptr && state_ != StateDisconnected) {
        if (state_ == StateReading) client_->StopModelLoad();
        client_->Release();
        readSelection_.Clear();
    }
    ClearSelections();
    UpdateControls();
}

// ---- the end ----

void QXDialog::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    closing_.store(true);
    if (CWinApp::GetMainWnd() == this) CWinApp::SetMainWnd(nullptr);
    if (capture_ != nullptr) capture_->Stop();
    if (client_ != nullptr) client_->StopModelLoad();
    // A connect still under way is cut short by the client core's abort; the association
    // may not exist yet when the worker is about to make it, so ask until the worker ends.
    {
        std::unique_lock lock(workerMutex_);
        while (workerRunning_) {
            if (client_ != nullptr) {
                lock.unlock();
                if (Iec61850::Acsi::TPAppAssociation* association = client_->GetAssociation()) {
                    if (!association->IsAssociated()) {
                        association->Abort();
                        // Before the MMS initiate the abort has nothing to say to the peer:
                        // closing the chain ends a transport connect or its confirm's wait.
                        if (Protocol::Connection* lower = association->GetLower()) lower->Close();
                    }
                }
                lock.lock();
            }
            workerEnded_.wait_for(lock, std::chrono::milliseconds(50), [this] { return !workerRunning_; });
        }
    }
    JoinWorker();
    connecting_ = false;
    // The removals join association threads: not on this thread (the UI thread's rule
    // holds at the end too), though no window is left to wait for.
    std::thread ending([this] {
        if (client_ != nullptr && client_->IsAssociated()) {
            const auto deadline = std::chrono::steady_clock::now() + ReleaseTimeout(server_);
            client_->Release();
            while (client_->IsAssociated() && std::chrono::steady_clock::now() < deadline) {
                client_->WaitForConfirmation(50);
            }
            if (client_->IsAssociated()) {
                if (Iec61850::Acsi::TPAppAssociation* association = client_->GetAssociation()) association->Abort();
            }
        }
        std::vector<std::uint32_t> ids;
        servers_.ListServerIds(ids);
        for (std::uint32_t id : ids) servers_.RemoveServer(id);
        if (clientId_ != -1) clients_.RemoveClientById(static_cast<std::uint32_t>(clientId_));
    });
    ending.join();
    server_ = nullptr;
    serverId_ = -1;
    client_ = nullptr;
    clientId_ = -1;
}

}  // namespace App
