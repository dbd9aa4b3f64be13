#pragma once

#include <string>
#include <string_view>

#include "ui/WinApp.h"

namespace Iec61850::Acsi {
class ClientManager;
class ServerManager;
}  // namespace Iec61850::Acsi

namespace App {

// The program's application object: one global instance, built before main and touching
// neither Qt nor the library then. InitInstance runs the main dialog modally, ends the
// program's connections when it closes, and answers false: there is no loop after it.
class QXApp : public Ui::CWinApp {
public:
    QXApp() = default;

    // What main hands over before InitInstance: the registries it built, and the port of
    // the devices (empty: the profile's own, "102").
    void SetRegistries(Iec61850::Acsi::ServerManager* servers, Iec61850::Acsi::ClientManager* clients);
    void SetRemotePort(std::string port) { remotePort_ = std::move(port); }
    // The program's words (argv without the program's name): the port of `--port N`, N a
    // number from 1 to 65535, into `port` (left as it is without the option). False with one
    // line naming what was given, for a value that is no port or a missing one: a device at
    // port 0 or at a port the text does not say is none the user meant.
    static bool TakeArguments(int count, const char* const* words, std::string& port, std::string& problem);

    Ui::BOOL InitInstance() override;

    // Start-up steps that register common controls, a settings key and help: this
    // program keeps no registry settings and offers no help, so each does nothing.
    void InitCommonControls() {}
    void SetRegistryKey(const char*) {}
    void OnHelp() {}

private:
    Iec61850::Acsi::ServerManager* servers_ = nullptr;
    Iec61850::Acsi::ClientManager* clients_ = nullptr;
    std::string remotePort_;
};

extern QXApp theApp;

}  // namespace App
