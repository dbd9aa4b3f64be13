#include <QApplication>
#include <cstdio>
#include <string>

#include "app/program/EndSignals.h"
#include "app/program/QXApp.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "iec61850/icd/ServerModelSource.h"
#include "ui/MessageBridge.h"
#include "ui/WinApp.h"
#include "ui/messages/Types.h"

int main(int argc, char** argv) {
    // Every word is taken or refused before any window opens; what is neither the program's
    // nor one of Qt's own options is refused before Qt looks for a display.
    std::string port;
    std::string problem;
    const auto refused = [&problem] {
        std::fprintf(stderr, "iec61850-tester: %s\n", problem.c_str());
        return 2;
    };
    if (!App::QXApp::TakeArguments(argc - 1, argv + 1, port, problem)) return refused();
    // Qt takes its own options out of the words; which it takes depends on the platform
    // ("-display" on X11 only), so whatever it left of them is refused now.
    QApplication application(argc, argv);
    if (!App::QXApp::TakeArguments(argc - 1, argv + 1, port, problem, App::QXApp::QtOptions::Refuse)) return refused();
    Ui::ResetNumericLocale();
    Ui::MessageBridge::Open();
    // SIGTERM and SIGINT end the program through the close path, on the UI thread.
    App::EndSignals endSignals;
    // Every server the program makes has its exporter: the maker is in place before the first.
    Iec61850::Acsi::Scl::RegisterIcdExporter();
    App::theApp.SetRemotePort(port);
    {
        // Built here and torn down here, after the program has ended every association.
        Iec61850::Acsi::ServerManager servers;
        Iec61850::Acsi::ClientManager clients;
        App::theApp.SetRegistries(&servers, &clients);
        App::theApp.InitInstance();
        App::theApp.SetRegistries(nullptr, nullptr);
        Ui::MessageBridge::Close();
    }
    App::theApp.ExitInstance();
    return 0;
}
