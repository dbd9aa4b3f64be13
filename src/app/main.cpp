#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstring>
#include <string>

#include "app/program/QXApp.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "iec61850/icd/ServerModelSource.h"
#include "ui/MessageBridge.h"
#include "ui/WinApp.h"
#include "ui/messages/Types.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the program through the close box's path, on the UI thread.
void RouteSignalsToClose(QApplication& application) {
    if (::pipe(signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
        if (Ui::CWnd* window = Ui::CWinApp::GetMainWnd()) window->SendMessage(Ui::WM_SYSCOMMAND, Ui::SC_CLOSE, 0);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Ui::ResetNumericLocale();
    Ui::MessageBridge::Open();
    RouteSignalsToClose(application);
    // Every server the program makes has its exporter: the maker is in place before the first.
    Iec61850::Acsi::Scl::RegisterIcdExporter();
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0) App::theApp.SetRemotePort(argv[++i]);
    }
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
