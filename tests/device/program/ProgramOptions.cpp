#include "device/program/ProgramOptions.h"

#include <cstdlib>
#include <string>
#include <utility>

#include "mms/pdu/MmsPduServices.h"

namespace TestDevice {

namespace {

using Setup = ProgramSetup;
using Option = ProgramOption;

bool ParseNumber(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

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

}  // namespace

const std::vector<ProgramOption>& ProgramOptions() {
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

const ProgramOption* FindProgramOption(std::string_view name) {
    for (const ProgramOption& option : ProgramOptions()) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

}  // namespace TestDevice
