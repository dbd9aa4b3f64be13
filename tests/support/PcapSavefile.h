#pragma once

// Ethernet frames written as a pcap savefile (microsecond time stamps, link type
// Ethernet), and decoded by tshark. The file format is written here by hand, so that
// libpcap reading it back is a check of its own.

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

using EthernetFrame = std::vector<std::uint8_t>;

// A savefile in the temporary folder, removed with the object.
class PcapSavefile {
public:
    explicit PcapSavefile(const std::vector<EthernetFrame>& frames);
    ~PcapSavefile();
    PcapSavefile(const PcapSavefile&) = delete;
    PcapSavefile& operator=(const PcapSavefile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// tshark's output for the savefile with the given arguments.
std::string TsharkOnSavefile(const std::string& path, const std::vector<std::string>& args);

// The summary lines of the packets that tshark marks malformed or with an expert
// warning or error; empty when the frames are clean.
std::string SavefileProblems(const std::string& path);

// One line per packet with the fields joined by '|' (repeated values joined by ',').
std::vector<std::string> SavefileFields(const std::string& path, const std::vector<std::string>& fields);

}  // namespace TestSupport
