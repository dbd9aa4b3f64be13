#pragma once

#include "system/ResultCode.h"

#include <cstdint>
#include <string>
#include <string_view>

// The local and remote network addresses and ports of a connection, under their
// parameter names: "LocalNAddress", "RemoteNAddress" (text), "LocalNPort",
// "RemoteNPort" (unsigned 16-bit decimal). The connection's lock guards them.
struct NetworkAddresses {
    std::string remoteAddress;
    std::uint16_t remotePort = 0;
    std::string localAddress;
    std::uint16_t localPort = 0;

    // NotSupported for any other name; a port that does not read gives the parser's
    // result and keeps the old port.
    System::ResultCode Set(std::string_view name, std::string_view value);
    // The two addresses; NotSupported for any other name.
    System::ResultCode GetAddress(std::string_view name, std::string& value) const;
    // The two ports; NotSupported for any other name.
    System::ResultCode GetPort(std::string_view name, std::string& value) const;
};
