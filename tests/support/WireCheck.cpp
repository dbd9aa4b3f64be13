#include "support/WireCheck.h"
#include "support/PcapSavefile.h"
#include "support/ShellCommand.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

void PutBig(std::vector<std::uint8_t>& out, std::uint32_t value, int octets) {
    for (int shift = 8 * (octets - 1); shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// One TCP segment of a connection between the capture's two addresses, in an Ethernet
// frame. Checksums stay 0: tshark does not check them unless asked.
EthernetFrame TcpSegment(bool fromClient, std::uint16_t clientPort, std::uint32_t sequence, std::uint32_t acknowledged,
                         const std::uint8_t* payload, std::size_t size) {
    constexpr std::uint8_t kClient[4] = {10, 1, 1, 1};
    constexpr std::uint8_t kServer[4] = {10, 2, 2, 2};
    constexpr std::uint16_t kServerPort = 102;
    EthernetFrame frame = {0x02, 0, 0, 0, 0, fromClient ? std::uint8_t{2} : std::uint8_t{1},
                           0x02, 0, 0, 0, 0, fromClient ? std::uint8_t{1} : std::uint8_t{2}};
    PutBig(frame, 0x0800, 2);
    // IPv4: version 4, 20 octets of header, no options; don't fragment, TTL 64, TCP.
    PutBig(frame, 0x4500, 2);
    PutBig(frame, static_cast<std::uint32_t>(40 + size), 2);
    PutBig(frame, 0, 2);
    PutBig(frame, 0x4000, 2);
    PutBig(frame, 0x4006, 2);
    PutBig(frame, 0, 2);
    frame.insert(frame.end(), fromClient ? kClient : kServer, (fromClient ? kClient : kServer) + 4);
    frame.insert(frame.end(), fromClient ? kServer : kClient, (fromClient ? kServer : kClient) + 4);
    // TCP: 20 octets of header, PSH and ACK.
    PutBig(frame, fromClient ? clientPort : kServerPort, 2);
    PutBig(frame, fromClient ? kServerPort : clientPort, 2);
    PutBig(frame, sequence, 4);
    PutBig(frame, acknowledged, 4);
    PutBig(frame, 0x5018, 2);
    PutBig(frame, 0xFFFF, 2);
    PutBig(frame, 0, 4);
    frame.insert(frame.end(), payload, payload + size);
    return frame;
}

std::vector<std::string> FieldArgs(const std::vector<std::string>& fields, std::vector<std::string> args) {
    for (const char* a : {"-T", "fields", "-E", "separator=|", "-E", "aggregator=,"}) args.push_back(a);
    for (const std::string& field : fields) {
        args.push_back("-e");
        args.push_back(field);
    }
    return args;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::istringstream output(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(output, line);) lines.push_back(line);
    return lines;
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
    return LinesOf(RunTshark(units, FieldArgs(fields, extraArgs)));
}

std::vector<std::vector<std::string>> DecodeFieldsPerConnection(const std::vector<std::vector<WireUnit>>& connections,
                                                                const std::vector<std::string>& fields,
                                                                const std::vector<std::string>& extraArgs) {
    constexpr std::uint16_t kFirstClientPort = 40000;
    if (connections.size() > 65535u - kFirstClientPort) throw std::invalid_argument("too many connections");
    std::vector<EthernetFrame> frames;
    for (std::size_t index = 0; index < connections.size(); ++index) {
        const auto port = static_cast<std::uint16_t>(kFirstClientPort + index);
        std::uint32_t next[2] = {1, 1};  // the server's, the client's
        for (const WireUnit& unit : connections[index]) {
            std::uint32_t& sequence = next[unit.fromClient ? 1 : 0];
            const std::uint32_t acknowledged = next[unit.fromClient ? 0 : 1];
            for (std::size_t start = 0; start < unit.bytes.size(); start += kMaxSegment) {
                const std::size_t size = std::min(unit.bytes.size() - start, kMaxSegment);
                frames.push_back(
                    TcpSegment(unit.fromClient, port, sequence, acknowledged, unit.bytes.data() + start, size));
                sequence += static_cast<std::uint32_t>(size);
            }
        }
    }
    const PcapSavefile capture(frames);
    std::vector<std::string> withPorts = {"tcp.srcport", "tcp.dstport"};
    withPorts.insert(withPorts.end(), fields.begin(), fields.end());
    std::vector<std::vector<std::string>> lines(connections.size());
    for (const std::string& line : LinesOf(TsharkOnSavefile(capture.Path(), FieldArgs(withPorts, extraArgs)))) {
        const std::size_t first = line.find('|');
        const std::size_t second = first == std::string::npos ? first : line.find('|', first + 1);
        if (second == std::string::npos) continue;
        const unsigned long source = std::stoul(line.substr(0, first));
        const unsigned long client = source == 102 ? std::stoul(line.substr(first + 1, second - first - 1)) : source;
        if (client >= kFirstClientPort && client - kFirstClientPort < lines.size())
            lines[client - kFirstClientPort].push_back(line.substr(second + 1));
    }
    return lines;
}

std::vector<WireUnit> PacketsApart(const std::vector<WireUnit>& units) {
    std::vector<WireUnit> apart;
    std::vector<std::uint8_t> pending[2];
    for (const WireUnit& unit : units) {
        std::vector<std::uint8_t>& stream = pending[unit.fromClient ? 1 : 0];
        stream.insert(stream.end(), unit.bytes.begin(), unit.bytes.end());
        while (stream.size() >= 4) {
            const std::size_t length = std::size_t{stream[2]} << 8 | stream[3];
            if (length < 4 || length > stream.size()) break;
            apart.push_back({unit.fromClient, {stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(length)}});
            stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(length));
        }
    }
    return apart;
}

std::string DecodeVerbose(const std::vector<WireUnit>& units, const std::vector<std::string>& extraArgs) {
    std::vector<std::string> args = extraArgs;
    args.push_back("-V");
    return RunTshark(units, args);
}

std::vector<std::string> MmsContextArgs() { return {"-o", "uat:pres_context_list:\"3\",\"1.0.9506.2.1\""}; }

}  // namespace TestSupport
