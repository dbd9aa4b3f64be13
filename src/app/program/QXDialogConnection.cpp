#include <cstdio>

#include "app/client/ConnectionSession.h"
#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "app/goose/GooseCapture.h"
#include "app/program/ProgramResources.h"
#include "app/program/QXDialog.h"
#include "ui/MessageBox.h"
#include "ui/MessageBridge.h"
#include "ui/Resources.h"
#include "ui/WinApp.h"

namespace App {

using namespace Ui;

// ---- the session's worker ----

void QXDialog::OnConnectFailed(System::ResultCode, const std::string& reason, bool told) {
    // A failure the client told was shown by OnAssociateResult; one it could not tell (no
    // association could even be made) is shown here.
    if (!told) workerFailure_ = reason;
}

void QXDialog::OnWorkEnded() {
    // A window that has gone drops the post.
    MessageBridge::PostMessage(workerWindow_.load(), WM_QX_WORKER_DONE, 0, std::move(workerFailure_));
    workerFailure_.clear();
}

LRESULT QXDialog::OnWorkerDone(WPARAM, LPARAM lParam) {
    connecting_ = false;
    const char* failure = reinterpret_cast<const char*>(lParam);
    if (failure != nullptr && failure[0] != '\0' && !shutDown_) ShowConnectFailure(failure);
    // A connect that failed is no longer shown as under way.
    if (state_ == StateDisconnected && !shutDown_) UpdateControls();
    ApplyEnabling();
    return 1;
}

// ---- connect and disconnect ----

void QXDialog::OnConnect() {
    // Escape sends this command too: only a dialog that may connect does so, never a
    // second time over an association that stands or is being made.
    if (connecting_ || state_ != StateDisconnected || shutDown_) return;
    // A number over 255 or a paste refused: the fields do not hold the address meant.
    if (const std::string problem = address_.GetProblem(); !problem.empty()) {
        ShowStatusText(problem);
        return;
    }
    BYTE a = 0, b = 0, c = 0, d = 0;
    // A blank number reads as 0: connecting then would reach an address nobody typed.
    if (address_.GetAddress(a, b, c, d) != 4) {
        ShowStatusText(kAddressIncompleteText);
        addressProblemShown_ = kAddressIncompleteText;
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%i.%i.%i.%i", a, b, c, d);
    Connect(text, reload_.GetCheck() == 1);
}

// A problem is told as it is typed; the line that tells of one goes once it is mended, and
// the one Connect gave of blank numbers once the last is filled in.
void QXDialog::OnAddressChanged() {
    const std::string problem = address_.GetProblem();
    if (!problem.empty()) {
        ShowStatusText(problem);
        addressProblemShown_ = problem;
        return;
    }
    BYTE a = 0, b = 0, c = 0, d = 0;
    if (addressProblemShown_ == kAddressIncompleteText && address_.GetAddress(a, b, c, d) != 4) return;
    if (!addressProblemShown_.empty() && statusBar_.GetText(2) == addressProblemShown_) ShowStatusText({});
    addressProblemShown_.clear();
}

void QXDialog::ShowConnectFailure(const std::string& detail) {
    PostMessageBox(LoadString(IDS_CONNECT_FAILED) + "\n\r" + detail, "Error", MB_OK | MB_ICONSTOP);
}

// Forwards to the session: the registries' steps, the removal of the server held (reload)
// and Associate with the model load all run there, the removal and Associate on its worker.
bool QXDialog::Connect(const std::string& address, bool reload) {
    if (connecting_ || shutDown_) return false;
    connecting_ = true;
    peer_ = address + ":" + remotePort_;
    UpdateControls();
    workerWindow_.store(GetSafeHwnd());
    const System::ResultCode result = session_.Connect(address, reload);
    client_ = session_.GetClient();
    if (result != System::OkNoError) {
        connecting_ = false;
        UpdateControls();
        ShowConnectFailure(System::ResultCodeText(result));
        return false;
    }
    return true;
}

// Forwards the release to the session, which stops a model load and an export's reads
// under way first. Until the association has ended the dialog shows that it is going.
void QXDialog::OnDisconnect() {
    if (client_ != nullptr && state_ != StateDisconnected && !disconnecting_) {
        // An export under way ends here: answers that still come before the release must
        // not lead on to its windows.
        ResetIcdExport();
        disconnecting_ = true;
        controlResultWhileEnding_.clear();
        modelProgress_.ShowWindow(false);
        session_.Disconnect();
        readSelection_.Clear();
    }
    ClearSelections();
    UpdateControls();
}

// ---- the end ----

void QXDialog::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (CWinApp::GetMainWnd() == this) CWinApp::SetMainWnd(nullptr);
    if (capture_ != nullptr) capture_->Stop();
    // The session stops the load, gives up a connect under way, releases or aborts, and
    // removes every server and the client off this thread.
    session_.Shutdown();
    connecting_ = false;
    client_ = nullptr;
}

}  // namespace App
