#pragma once

#include <string>

namespace Iec61850::Acsi::Scl {

// The communication address of one GOOSE, GSSE or sampled-value control block, as the
// block's "DstAddress" gives it (texts empty where the device has none).
struct ControlBlockAddress {
    std::string ldInst;
    std::string cbName;
    std::string macAddress;
    std::string appId;
    std::string vlanPriority;
    std::string vlanId;

    bool operator==(const ControlBlockAddress&) const = default;
};

}  // namespace Iec61850::Acsi::Scl
