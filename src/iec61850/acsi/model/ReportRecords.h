#pragma once

#include <string>
#include <utility>
#include <vector>

#include "iec61850/acsi/model/ValueRecord.h"

namespace Iec61850::Acsi {

// One header field of a report as the program is shown it: ("SqNum", "12").
using ReportHeaderRecord = std::pair<std::string, std::string>;

// One data-set member that a report included.
struct ReportEntry {
    // From the member's data reference, when the report carried data references.
    std::string fc;
    std::string reference;
    // The reason-for-inclusion bits, when the report carried them.
    std::string reason;
    // Every leaf of the member after it took the report's value.
    std::vector<ValueRecord> values;
};

}  // namespace Iec61850::Acsi
