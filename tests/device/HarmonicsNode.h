#pragma once

#include <string>
#include <vector>

#include "device/DeviceModel.h"

namespace Mms {
class Domain;
}

namespace TestDevice {

// The node that ModelOptions::harmonics asks for: MHAI1, whose harmonics HA (under MX) hold
// phsAHar, an array of HarmonicCount complex measurements (cVal {mag {f}, ang {f}}, q, t),
// and numHar. Element i starts at magnitude 100 - 5 i and angle 10 i.
constexpr int HarmonicCount = 16;
void AddHarmonicsNode(Mms::Domain& domain, ModelSummary& summary);

// The members of its data set, in the notation of data references: two elements, an
// element's structure, a structure below that, and a leaf ("MHAI1$MX$HA$phsAHar(7)",
// "...(8)", "...(9)$cVal", ...). On the wire each is the array's name with an alternate
// access that selects the part.
const std::vector<std::string>& HarmonicsDataSetMembers();

}  // namespace TestDevice
