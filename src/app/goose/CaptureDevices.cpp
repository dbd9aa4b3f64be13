#include "app/goose/CaptureDevices.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pcap/pcap.h>
#include <sys/socket.h>

#include <fstream>

namespace {

// The first line of a small sysfs file; false when it cannot be read.
bool ReadFirstLine(const std::string& path, std::string& line) {
    std::ifstream file(path);
    if (!file) return false;
    if (!std::getline(file, line)) return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "aa:bb:cc:dd:ee:ff"
bool ParseMac(const std::string& text, std::uint64_t& mac) {
    if (text.size() != 17) return false;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        const int high = HexDigit(text[3 * i]);
        const int low = HexDigit(text[3 * i + 1]);
        if (high < 0 || low < 0 || (i < 5 && text[3 * i + 2] != ':')) return false;
        value = (value << 8) | static_cast<std::uint64_t>(high * 16 + low);
    }
    mac = value;
    return true;
}

}  // namespace

bool ListCaptureDevices(std::vector<CaptureDevice>& devices) {
    devices.clear();
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_if_t* list = nullptr;
    if (pcap_findalldevs(&list, error) == -1) return false;
    for (pcap_if_t* device = list; device; device = device->next) {
        CaptureDevice entry;
        entry.name = device->name ? device->name : "";
        entry.hasAddress = device->addresses && device->addresses->addr;
        for (pcap_addr_t* address = device->addresses; address; address = address->next) {
            if (address->addr && address->addr->sa_family == AF_INET) {
                const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address->addr);
                entry.ipv4 = ntohl(ipv4->sin_addr.s_addr);
                break;
            }
        }
        devices.push_back(std::move(entry));
    }
    pcap_freealldevs(list);
    return true;
}

bool ReadAdapterLink(const std::string& root, const std::string& name, AdapterLink& link) {
    // A name that could leave the interface folder is no interface.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return false;
    const std::string folder = root + "/" + name + "/";
    std::string type, address, carrier;
    if (!ReadFirstLine(folder + "type", type)) return false;
    if (!ReadFirstLine(folder + "address", address)) return false;
    AdapterLink result;
    result.ethernet = type == "1";  // ARPHRD_ETHER
    if (result.ethernet && !ParseMac(address, result.mac)) return false;
    result.connected = ReadFirstLine(folder + "carrier", carrier) && carrier == "1";
    link = result;
    return true;
}
