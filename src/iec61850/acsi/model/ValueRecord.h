#pragma once

#include <string>

namespace Iec61850::Acsi {

// One value as it travels between the model, the services, reports, data sets and the
// program's callbacks.
struct ValueRecord {
    std::string fc;
    std::string reference;
    std::string value;

    bool operator==(const ValueRecord&) const = default;
};

}  // namespace Iec61850::Acsi
