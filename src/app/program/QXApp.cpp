#include "app/program/QXApp.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/program/QXDialog.h"

namespace App {

QXApp theApp;

namespace {

// Qt's own options, as QGuiApplication, QApplication and the X11 platform read them, with one
// dash or two: those that take the next word as their value, those that stand alone, and those
// that carry their value after "=" in the same word. Which of them Qt takes depends on the
// platform it runs on; what it leaves is refused once it has taken its own.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "title",         "icon",   "name",
    "visual",
};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount", "testability", "nograb", "dograb"};
constexpr std::string_view kQtJoined[] = {"style", "stylesheet", "qmljsdebugger"};

bool Listed(std::span<const std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The name of an option of Qt's without its dashes ("-style", "--style=Fusion": "style"), and
// whether its value is in the word itself; empty when the word is none.
std::string_view QtOptionName(std::string_view word, bool& joined) {
    if (word.size() < 2 || word[0] != '-') return {};
    word.remove_prefix(word[1] == '-' ? 2 : 1);
    const std::size_t equals = word.find('=');
    joined = equals != std::string_view::npos;
    if (joined) {
        word = word.substr(0, equals);
        return Listed(kQtJoined, word) ? word : std::string_view();
    }
    return Listed(kQtOptionsWithValue, word) || Listed(kQtFlags, word) ? word : std::string_view();
}

// A number from 1 to 65535, and nothing else, as the port's text.
bool TakePort(std::string_view value, std::string& port) {
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < 1 || number > 65535) return false;
    port = std::to_string(number);
    return true;
}

}  // namespace

bool QXApp::TakeArguments(int count, const char* const* words, std::string& port, std::string& problem,
                          QtOptions qtOptions) {
    constexpr std::string_view portOption = "--port";
    bool portTaken = false;
    for (int i = 0; i < count; ++i) {
        const std::string_view word = words[i];
        if (word == portOption || word.starts_with("--port=")) {
            // "--port 102 --port 12000" leaves the user's meaning open.
            if (portTaken) {
                problem = "--port given twice";
                return false;
            }
            portTaken = true;
            const bool joined = word != portOption;
            if (!joined && i + 1 >= count) {
                problem = "--port needs a port number from 1 to 65535";
                return false;
            }
            const std::string_view value = joined ? word.substr(portOption.size() + 1) : std::string_view(words[++i]);
            if (!TakePort(value, port)) {
                problem = std::string(portOption) + (joined ? "=" : " ") + std::string(value) +
                          ": not a port number from 1 to 65535";
                return false;
            }
            continue;
        }
        bool joined = false;
        const std::string_view qtName = QtOptionName(word, joined);
        if (!qtName.empty() && qtOptions == QtOptions::Refuse) {
            problem = std::string(word) + ": not taken by Qt on this platform";
            return false;
        }
        if (!qtName.empty()) {
            if (joined || Listed(kQtFlags, qtName)) continue;
            if (i + 1 >= count) {
                problem = std::string(word) + " needs a value";
                return false;
            }
            ++i;
            continue;
        }
        problem = std::string(word) +
                  (word.starts_with("-") ? ": not an option of this program" : ": not an argument of this program");
        return false;
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
