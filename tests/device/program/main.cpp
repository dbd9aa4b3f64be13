// iec61850-test-device: the test device as a program, for trying the tester by hand.
//
//   iec61850-test-device --port N [options]     (--help lists them)
//
// With --port 0 the system picks the port; the first line on standard output is then
// "port N". Measured values and a few indications change every second. Ctrl-C or
// SIGTERM stops it.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/Device.h"
#include "mms/pdu/MmsPduServices.h"

namespace {

// What the command line asks for.
struct Setup {
    TestDevice::Device::Options device;
    TestDevice::Faults faults;
    int port = -1;
};

bool ParseNumber(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

// One option: its name, the word its value is shown as (none for a switch), its line of
// help, and what it sets (false when its value is refused). A new behaviour is one row.
struct Option {
    const char* name;
    const char* value;
    const char* help;
    std::function<bool(Setup&, const char* value)> apply;
    // Shapes the small model only: refused beside the large one, which it would not change.
    bool smallModelOnly = false;
};

Option SmallModelOnly(Option option) {
    option.smallModelOnly = true;
    return option;
}

using Set = std::function<void(Setup&)>;
using SetNumber = std::function<void(Setup&, int)>;
using SetText = std::function<void(Setup&, std::string)>;

Option Switch(const char* name, const char* help, Set set) {
    return {name, nullptr, help, [set](Setup& s, const char*) {
                set(s);
                return true;
            }};
}
Option Number(const char* name, const char* value, int low, int high, const char* help, SetNumber set) {
    return {name, value, help, [=](Setup& s, const char* text) {
                int number = 0;
                if (!ParseNumber(text, low, high, number)) return false;
                set(s, number);
                return true;
            }};
}
Option Text(const char* name, const char* value, const char* help, SetText set) {
    return {name, value, help, [set](Setup& s, const char* text) {
                if (*text == '\0') return false;
                set(s, text);
                return true;
            }};
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

const std::vector<Option>& Options() {
    static const std::vector<Option> options = {
        // Where it listens.
        Number("--port", "N", 0, 65535, "TCP port to listen on (0: any free port, printed as \"port N\")",
               [](Setup& s, int n) { s.port = n; }),
        Text("--address", "A", "IPv4 address to listen on (127.0.0.1)",
             [](Setup& s, std::string a) { s.device.address = std::move(a); }),
        Number("--slots", "N", 1, 1000, "associations that may stand at once (4)",
               [](Setup& s, int n) { s.device.associations = n; }),
        // The model.
        Switch("--large", "the generated large model (10 logical devices, 500 logical nodes)",
               [](Setup& s) { s.device.model.large = true; }),
        Number("--lds", "N", 1, 1000, "logical devices of the large model",
               [](Setup& s, int n) {
                   s.device.model.logicalDevices = n;
                   s.device.model.large = true;
               }),
        Number("--lns", "N", 1, 100000, "logical nodes of the large model in all",
               [](Setup& s, int n) {
                   s.device.model.logicalNodes = n;
                   s.device.model.large = true;
               }),
        SmallModelOnly(
            Switch("--settings",
                   "setting groups: PTOC1 and PDIF1 of LD0 under SG and SE (SE read only while a group is edited), "
                   "data set LLN0$dsSettings, block LLN0$SP$SGCB (four groups, the second active); small model only",
                   [](Setup& s) { s.device.model.settingGroups = true; })),
        SmallModelOnly(Switch("--harmonics",
                              "the harmonics node LD0/MHAI1, data set LLN0$dsHar of array elements (alternate "
                              "access) and block urcbHar01 on it; small model only",
                              [](Setup& s) { s.device.model.harmonics = true; })),
        SmallModelOnly(Switch("--attribute-data-set",
                              "bay1's data set of attributes and block urcbAttr01 on it; small model only",
                              [](Setup& s) { s.device.model.attributeDataSet = true; })),
        SmallModelOnly(Text("--data-set", "M,M,...",
                            "one more data set of LD0, LLN0$dsx, of these members (e.g. MMXU1$MX$TotW); small "
                            "model only",
                            [](Setup& s, std::string m) { s.device.model.extraDataSet = SplitAtCommas(m); })),
        Number("--huge-fc", "N", 1, 1000000, "a node GGIO99 whose CF holds N components",
               [](Setup& s, int n) { s.device.model.hugeFcComponents = n; }),
        Switch("--other-fc-order", "functional constraints in another order than usual",
               [](Setup& s) { s.device.model.otherFcOrder = true; }),
        // Who it says it is (Identify).
        Text("--vendor", "TEXT", "vendor name (Test Works)",
             [](Setup& s, std::string t) { s.device.model.vendor = t; }),
        Text("--model", "TEXT", "model name (IEC 61850 test device)",
             [](Setup& s, std::string t) { s.device.model.modelName = t; }),
        Text("--revision", "TEXT", "revision (1.0)", [](Setup& s, std::string t) { s.device.model.revision = t; }),
        // How it misbehaves.
        Switch("--hide-identify", "Identify left out of the services it announces",
               [](Setup& s) { s.faults.hideIdentify = true; }),
        Number("--identify-late", "MS", 1, 600000, "Identify answered after the next request's answer, MS later",
               [](Setup& s, int n) { s.faults.identifyAnsweredLateMs = n; }),
        Switch("--identify-unanswered", "Identify announced but never answered",
               [](Setup& s) { s.faults.dropped.insert(Mms::MmsServiceIdentify); }),
        Switch("--refuse-whole-node-reads", "a read of a whole logical node refused (object-access-unsupported)",
               [](Setup& s) { s.faults.refuseWholeNodeReads = true; }),
        Switch("--refuse-node-types", "the type of a whole logical node refused (asked for by constraint instead)",
               [](Setup& s) { s.faults.refuseNodeTypes = true; }),
        Number("--slow-reads", "MS", 1, 600000, "every read answered MS late",
               [](Setup& s, int n) { s.faults.delayedMs[Mms::MmsServiceRead] = n; }),
        Number("--abort-at", "N", 1, 1000000, "each association aborted instead of answering its Nth request",
               [](Setup& s, int n) { s.faults.abortAtRequest = n; }),
        Number("--stall-after", "N", 1, 1000000, "the link stands still from each association's Nth request on",
               [](Setup& s, int n) { s.faults.stallAfterRequest = n; }),
        Number("--report-every", "MS", 1, 3600000, "a report no block names, to every association every MS",
               [](Setup& s, int n) { s.faults.reportEveryMs = n; }),
        Number("--sbo-timeout", "MS", 0, 3600000, "every selection ends after MS instead of its sboTimeout",
               [](Setup& s, int n) { s.faults.sboTimeoutMs = n; }),
        Number("--buffer-entries", "N", 1, 100000, "entries each buffered report block keeps (256)",
               [](Setup& s, int n) { s.faults.reportBuffering.entries = n; }),
        Switch("--buffer-overflow", "each enable of a buffered block reports BufOvfl TRUE first",
               [](Setup& s) { s.faults.reportBuffering.overflowBufferNow = true; }),
    };
    return options;
}

void Usage(std::FILE* to) {
    std::fprintf(to, "usage: iec61850-test-device --port N [options]\n");
    for (const Option& option : Options()) {
        const std::string left = std::string(option.name) + (option.value != nullptr ? " " : "") +
                                 (option.value != nullptr ? option.value : "");
        std::fprintf(to, "  %-28s %s\n", left.c_str(), option.help);
    }
    std::fprintf(to, "  %-28s %s\n", "--help", "this list");
}

const Option* Find(std::string_view name) {
    for (const Option& option : Options()) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

// The values the program changes on its timer, as references of the small and the
// large model.
struct Changing {
    std::string measurement;
    std::string indication;
};

}  // namespace

int main(int argc, char** argv) {
    Setup setup;
    // The first option given that shapes the small model only.
    const char* smallModelOption = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            Usage(stdout);
            return 0;
        }
        const Option* option = Find(argument);
        const bool takesValue = option != nullptr && option->value != nullptr;
        const char* value = takesValue ? (i + 1 < argc ? argv[i + 1] : nullptr) : "";
        if (option != nullptr && value == nullptr) {
            std::fprintf(stderr, "iec61850-test-device: %s needs a value: %s %s (--help lists the options)\n", argv[i],
                         option->name, option->value);
            return 2;
        }
        if (option == nullptr || !option->apply(setup, value)) {
            std::fprintf(stderr, "iec61850-test-device: not understood: %s%s%s (--help lists the options)\n", argv[i],
                         *value != '\0' ? " " : "", value);
            return 2;
        }
        if (option->smallModelOnly && smallModelOption == nullptr) smallModelOption = option->name;
        if (takesValue) ++i;
    }
    if (smallModelOption != nullptr && setup.device.model.large) {
        std::fprintf(stderr,
                     "iec61850-test-device: %s shapes the small model and cannot be given with the large one "
                     "(--large, --lds, --lns)\n",
                     smallModelOption);
        return 2;
    }
    if (setup.port < 0) {
        std::fprintf(stderr, "iec61850-test-device: --port N is needed (--help lists the options)\n");
        return 2;
    }
    TestDevice::Device::Options& options = setup.device;
    options.port = static_cast<std::uint16_t>(setup.port);

    // The signals are taken by sigtimedwait below, on this thread only: every thread the
    // device starts inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    TestDevice::Device device(options);
    device.SetFaults(setup.faults);
    if (device.Start() != System::OkNoError) {
        std::fprintf(stderr, "iec61850-test-device: cannot listen on %s port %d\n", options.address.c_str(),
                     setup.port);
        return 1;
    }
    std::printf("port %u\n", static_cast<unsigned>(device.Port()));
    std::fflush(stdout);
    std::fprintf(stderr, "iec61850-test-device: %zu logical nodes, %zu leaf attributes, listening on %s:%u\n",
                 device.Summary().logicalNodes, device.Summary().leaves, options.address.c_str(),
                 static_cast<unsigned>(device.Port()));

    const Changing changing = options.model.large ? Changing{"LD01/MMXU1$MX$TotW$mag$f", "LD01/GGIO4$ST$Ind1$stVal"}
                                                  : Changing{"LD0/MMXU1$MX$TotW$mag$f", "LD0/GGIO1$ST$Ind1$stVal"};
    const timespec second{1, 0};
    for (unsigned tick = 1;; ++tick) {
        const int received = sigtimedwait(&signals, nullptr, &second);
        if (received == SIGINT || received == SIGTERM) break;
        device.SetValue(changing.measurement, std::to_string(1000 + (tick * 37) % 500) + ".5");
        if (tick % 5 == 0) device.SetValue(changing.indication, tick % 10 == 0 ? "False" : "True");
    }
    device.Stop();
    std::fprintf(stderr, "iec61850-test-device: stopped\n");
    return 0;
}
