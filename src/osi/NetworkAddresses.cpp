#include "osi/NetworkAddresses.h"

#include "system/NumberText.h"

System::ResultCode NetworkAddresses::Set(std::string_view name, std::string_view value) {
    if (name == "LocalNAddress") {
        localAddress = value;
    } else if (name == "RemoteNAddress") {
        remoteAddress = value;
    } else if (name == "LocalNPort" || name == "RemoteNPort") {
        std::uint16_t port = 0;
        const System::ResultCode result = System::ParseUInt16Text(port, value);
        if (result != System::OkNoError) return result;
        (name == "LocalNPort" ? localPort : remotePort) = port;
    } else {
        return System::NotSupported;
    }
    return System::OkNoError;
}

System::ResultCode NetworkAddresses::GetAddress(std::string_view name, std::string& value) const {
    if (name == "LocalNAddress") {
        value = localAddress;
    } else if (name == "RemoteNAddress") {
        value = remoteAddress;
    } else {
        return System::NotSupported;
    }
    return System::OkNoError;
}

System::ResultCode NetworkAddresses::GetPort(std::string_view name, std::string& value) const {
    if (name == "LocalNPort") {
        System::FormatUInt16(value, localPort);
    } else if (name == "RemoteNPort") {
        System::FormatUInt16(value, remotePort);
    } else {
        return System::NotSupported;
    }
    return System::OkNoError;
}
