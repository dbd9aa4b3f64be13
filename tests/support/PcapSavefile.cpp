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

void PutLittle32(std::ofstream& out, std::uint32_t value) {
    const char octets[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                            static_cast<char>(value >> 24)};
    out.write(octets, 4);
}

void PutLittle16(std::ofstream& out, std::uint16_t value) {
    const char octets[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
    out.write(octets, 2);
}

}  // namespace

PcapSavefile::PcapSavefile(const std::vector<EthernetFrame>& frames) {
    static std::atomic<unsigned> counter{0};
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir ? dir : "/tmp") + "/savefile-" + std::to_string(getpid()) + "-" +
            std::to_string(counter++) + ".pcap";
    std::ofstream out(path_, std::ios::binary);
    PutLittle32(out, 0xA1B2C3D4);  // microsecond time stamps, written little-endian
    PutLittle16(out, 2);
    PutLittle16(out, 4);
    PutLittle32(out, 0);      // time zone
    PutLittle32(out, 0);      // accuracy
    PutLittle32(out, 65535);  // snapshot length
    PutLittle32(out, 1);      // Ethernet
    std::uint32_t second = 1700000000;
    for (const EthernetFrame& frame : frames) {
        PutLittle32(out, second++);
        PutLittle32(out, 0);
        PutLittle32(out, static_cast<std::uint32_t>(frame.size()));
        PutLittle32(out, static_cast<std::uint32_t>(frame.size()));
        out.write(reinterpret_cast<const char*>(frame.data()), static_cast<std::streamsize>(frame.size()));
    }
    if (!out) throw std::runtime_error("cannot write " + path_);
}

PcapSavefile::~PcapSavefile() { std::remove(path_.c_str()); }

std::string TsharkOnSavefile(const std::string& path, const std::vector<std::string>& args) {
    std::string command = "tshark -n -r " + ShellQuote(path);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    return CaptureCommand(command + " 2>/dev/null");
}

std::string SavefileProblems(const std::string& path) {
    return TsharkOnSavefile(path, {"-Y", "_ws.malformed || _ws.expert.severity >= warning"});
}

std::vector<std::string> SavefileFields(const std::string& path, const std::vector<std::string>& fields) {
    std::vector<std::string> args = {"-T", "fields", "-E", "separator=|", "-E", "aggregator=,"};
    for (const std::string& field : fields) {
        args.push_back("-e");
        args.push_back(field);
    }
    std::istringstream output(TsharkOnSavefile(path, args));
    std::vector<std::string> lines;
    for (std::string line; std::getline(output, line);) lines.push_back(line);
    return lines;
}

}  // namespace TestSupport
