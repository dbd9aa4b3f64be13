#include "app/program/QXApp.h"

#include "app/program/QXDialog.h"

namespace App {

QXApp theApp;

void QXApp::SetRegistries(Iec61850::Acsi::ServerManager* servers, Iec61850::Acsi::ClientManager* clients) {
    servers_ = servers;
    clients_ = clients;
}

Ui::BOOL QXApp::InitInstance() {
    InitCommonControls();
    Ui::CWinApp::InitInstance();
    SetRegistryKey("Local AppWizard-Generated Applications");
    if (servers_ == nullptr || clients_ == nullptr) return Ui::FALSE;
    QXDialog dialog(*servers_, *clients_);
    if (!remotePort_.empty()) dialog.SetProfileOverride("RemoteNPort", remotePort_);
    dialog.DoModal();
    dialog.Shutdown();
    return Ui::FALSE;
}

}  // namespace App
