#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mms/user/ModelHold.h"

namespace Iec61850::Acsi {
class LogicalDevice;
}

namespace Iec61850::Acsi::Scl {

// What the exporter needs of the server whose model it writes, beyond the model tree
// itself: the model lock, the association profile, the services the association
// negotiated and the device's identity. The server's adapter gives the real facts; tests
// give a stand-in built with the model's own building operations.
class IcdModelSource {
public:
    virtual ~IcdModelSource() = default;

    // Holds the server's model lock for the caller's scope; the hold's result is OkNoError,
    // Timeout, or Error when the lock is unusable. Nothing the exporter calls while holding
    // it takes the lock again.
    virtual Mms::ModelHold HoldModel() = 0;

    // The logical devices in name order (byte-wise). Read under the model lock.
    virtual std::vector<LogicalDevice*> GetLogicalDevices() const = 0;
    // Every parameter of the association profile as (name, value), in the profile's order.
    virtual std::vector<std::pair<std::string, std::string>> GetProfileParameters() const = 0;
    // Whether the association's MMS connection negotiated the service (the MMS service
    // numbers: 7 defineNamedVariableList, 9 deleteNamedVariableList, 12 readJournal,
    // 14 initializeJournal ...); false when there is no connection.
    virtual bool IsServiceSupported(std::int32_t service) const = 0;
    // The device's identity as its Identify answer gave it.
    virtual std::string GetVendorName() const = 0;
    virtual std::string GetModelName() const = 0;
};

}  // namespace Iec61850::Acsi::Scl
