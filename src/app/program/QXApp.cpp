#include "app/program/QXApp.h"

#include <charconv>
#include <cstdint>

#include "app/program/QXDialog.h"

namespace App {

QXApp theApp;

bool QXApp::TakeArguments(int count, const char* const* words, std::string& port, std::string& problem) {
    for (int i = 0; i < count; ++i) {
        if (std::string_view(words[i]) != "--port") continue;
        if (i + 1 >= count) {
            problem = "--port needs a port number from 1 to 65535";
            return false;
        }
        const std::string_view value = words[++i];
        std::uint32_t number = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (error != std::errc() || end != value.data() + value.size() || number < 1 || number > 65535) {
            problem = "--port " + std::string(value) + ": not a port number from 1 to 65535";
            return false;
        }
        port = std::to_string(number);
    }
    return true;
}

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
