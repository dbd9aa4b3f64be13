#pragma once

// An independent check of what the stack puts on the wire: byte images are wrapped
// into TCP packets with Wireshark's text2pcap and decoded by tshark. Our own decoder
// agreeing with our own encoder proves little; Wireshark's dissectors were written by
// other people from the standards.
//
// In the capture the client is 10.1.1.1:40000 and the server 10.2.2.2:102, so tshark
// reads the stream as RFC 1006 without further options. Each unit is one direction's
// TCP payload; large units are cut into several segments, which tshark reassembles.

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

struct WireUnit {
    bool fromClient = true;
    std::vector<std::uint8_t> bytes;
};

// A recorder that tests fill from both ends of a connection.
class WireRecording {
public:
    void Add(bool fromClient, const std::uint8_t* data, std::size_t size);
    void Add(bool fromClient, const std::vector<std::uint8_t>& bytes) { Add(fromClient, bytes.data(), bytes.size()); }
    const std::vector<WireUnit>& Units() const { return units_; }

private:
    std::vector<WireUnit> units_;
};

// True when both text2pcap and tshark can be run. A test asks WireCheckRuns
// (ToolCheck.h), which reports a check that cannot run.
bool WiresharkAvailable();

// Hex text ("03 00 00 16 ...", blanks and line breaks ignored) to bytes.
std::vector<std::uint8_t> BytesFromHex(const std::string& hex);

// Runs tshark over the units with the given extra arguments; returns its standard output.
std::string RunTshark(const std::vector<WireUnit>& units, const std::vector<std::string>& args);

// The summary lines of every packet that tshark marks malformed or with an expert
// warning or error; empty when the capture is clean.
std::string FindProblems(const std::vector<WireUnit>& units, const std::vector<std::string>& extraArgs = {});

// One line per packet with the requested fields joined by '|' (values of a repeated
// field are joined by ',').
std::vector<std::string> DecodeFields(const std::vector<WireUnit>& units, const std::vector<std::string>& fields,
                                      const std::vector<std::string>& extraArgs = {});

// DecodeFields over the units of several connections in one run of tshark, each one a TCP
// stream of its own (the client on port 40000 + its index): the lines of each connection,
// in order. Many connections are checked in the time one takes.
std::vector<std::vector<std::string>> DecodeFieldsPerConnection(const std::vector<std::vector<WireUnit>>& connections,
                                                                const std::vector<std::string>& fields,
                                                                const std::vector<std::string>& extraArgs = {});

// The recording with each direction's stream cut into one unit per TPKT, so that
// Wireshark gives each PDU a line of its own however TCP grouped them.
std::vector<WireUnit> PacketsApart(const std::vector<WireUnit>& units);

// The full verbose decode (-V), for searching field texts.
std::string DecodeVerbose(const std::vector<WireUnit>& units, const std::vector<std::string>& extraArgs = {});

// Arguments that make a lone P-DATA unit decode as MMS on presentation context 3.
std::vector<std::string> MmsContextArgs();

}  // namespace TestSupport
