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
    // Whether TakeArguments lets Qt's own options through (before Qt has read the words) or
    // refuses them (in what Qt left: one that this platform does not take).
    enum class QtOptions { Pass, Refuse };
    // The program's words (argv without the program's name): the port of `--port N` or
    // `--port=N`, N a number from 1 to 65535, into `port` (left as it is without the option);
    // Qt's own options (`-style Fusion`, `--platform offscreen`, `-style=Fusion`...) as Qt
    // reads them, with their values, as `qtOptions` says. False with one line naming the
    // first word that is neither (or a port that is none, a missing value, `--port` given
    // twice): a typo must never reach a device at a port the user did not mean.
    static bool TakeArguments(int count, const char* const* words, std::string& port, std::string& problem,
                              QtOptions qtOptions = QtOptions::Pass);

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
