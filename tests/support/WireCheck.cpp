#include "support/WireCheck.h"
#include "support/PcapSavefile.h"
#include "support/ShellCommand.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace TestSupport {

namespace {

// Keeps each IPv4 packet well below 64 KiB.
constexpr std::size_t kMaxSegment = 16000;

std::string TempPath(const char* suffix) {
    static std::atomic<unsigned> counter{0};
    std::ostringstream path;
    const char* dir = std::getenv("TMPDIR");
    path << (dir ? dir : "/tmp") << "/wirecheck-" << getpid() << "-" << counter++ << suffix;
    return path.str();
}

void WriteHexDump(const std::vector<WireUnit>& units, const std::string& path) {
    std::ofstream out(path);
    static const char* kDigits = "0123456789abcdef";
    for (const WireUnit& unit : units) {
        for (std::size_t start = 0; start < unit.bytes.size(); start += kMaxSegment) {
            const std::size_t end = std::min(unit.bytes.size(), start + kMaxSegment);
            // text2pcap: "I" is the client's direction (source port 40000) with -D.
            out << (unit.fromClient ? "I" : "O") << "\n";
            for (std::size_t i = start; i < end; i += 16) {
                char offset[16];
                std::snprintf(offset, sizeof offset, "%06zx", i - start);
                out << offset;
                for (std::size_t j = i; j < std::min(end, i + 16); ++j)
                    out << ' ' << kDigits[unit.bytes[j] >> 4] << kDigits[unit.bytes[j] & 15];
                out << "\n";
            }
        }
    }
}

class TempFile {
public:
    explicit TempFile(const char* suffix) : path_(TempPath(suffix)) {}
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

void WireRecording::Add(bool fromClient, const std::uint8_t* data, std::size_t size) {
    units_.push_back(WireUnit{fromClient, std::vector<std::uint8_t>(data, data + size)});
}

bool WiresharkAvailable() {
    static const bool available =
        std::system("command -v tshark >/dev/null 2>&1 && command -v text2pcap >/dev/null 2>&1") == 0;
    return available;
}

std::vector<std::uint8_t> BytesFromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : hex) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else continue;
        if (high < 0) {
            high = v;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd number of hex digits");
    return bytes;
}

std::string RunTshark(const std::vector<WireUnit>& units, const std::vector<std::string>& args) {
    TempFile dump(".txt");
    TempFile capture(".pcap");
    WriteHexDump(units, dump.Path());
    CaptureCommand("text2pcap -q -D -T 40000,102 " + ShellQuote(dump.Path()) + " " + ShellQuote(capture.Path()) +
                   " 2>&1");
    return TsharkOnSavefile(capture.Path(), args);
}

std::string FindProblems(const std::vector<WireUnit>& units, const std::vector<std::string>& extraArgs) {
    std::vector<std::string> args = extraArgs;
    args.push_back("-Y");
    args.push_back("_ws.malformed || _ws.expert.severity >= warning");
    return RunTshark(units, args);
}

std::vector<std::string> DecodeFields(const std::vector<WireUnit>& units, const std::vector<std::string>& fields,
                                      const std::vector<std::string>& extraArgs) {
    std::vector<std::string> args = extraArgs;
    for (const char* a : {"-T", "fields", "-E", "separator=|", "-E", "aggregator=,"}) args.push_back(a);
    for (const std::string& field : fields) {
        args.push_back("-e");
        args.push_back(field);
    }
    std::istringstream output(RunTshark(units, args));
    std::vector<std::string> lines;
    for (std::string line; std::getline(output, line);) lines.push_back(line);
    return lines;
}

std::string DecodeVerbose(const std::vector<WireUnit>& units, const std::vector<std::string>& extraArgs) {
    std::vector<std::string> args = extraArgs;
    args.push_back("-V");
    return RunTshark(units, args);
}

std::vector<std::string> MmsContextArgs() { return {"-o", "uat:pres_context_list:\"3\",\"1.0.9506.2.1\""}; }

}  // namespace TestSupport
