#pragma once

// What the GOOSE monitor needs to know of the machine's network devices: libpcap's list of
// capture devices, and the link type, MAC address and cable state of a device from sysfs.

#include <cstdint>
#include <string>
#include <vector>

// One device as libpcap lists it.
struct CaptureDevice {
    std::string name;
    bool hasAddress = false;  // its first address has an address structure
    // The first IPv4 address, as a number (10.1.2.3 is 0x0A010203); 0 without one.
    // Linux lists a packet-socket address first, so the IPv4 one is searched by family.
    std::uint32_t ipv4 = 0;
};

// pcap_findalldevs, in libpcap's order. false when libpcap cannot list the devices.
bool ListCaptureDevices(std::vector<CaptureDevice>& devices);

// The link facts of one network interface.
struct AdapterLink {
    bool ethernet = false;
    bool connected = false;  // the carrier is up; a carrier that cannot be read (interface down) is not
    std::uint64_t mac = 0;   // 48 bits, first octet in bits 47-40
};

// Reads <root>/<name>/type, address and carrier. false when the interface has no sysfs
// entry (libpcap's pseudo-devices such as "any") or its type or address cannot be read.
bool ReadAdapterLink(const std::string& root, const std::string& name, AdapterLink& link);
