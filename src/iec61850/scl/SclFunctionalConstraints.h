#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace Iec61850::Acsi::Scl {

// The functional constraints the SCL schema of our ICD files (SCL2003.xsd, tFCEnum) lets a
// DA or an FCDA name. Devices give others too (SR, OR, BL of later editions; the control
// blocks' BR, RP, ...): an attribute under any other constraint is left out of the file
// everywhere, types, instances and data sets alike, since a configuration tool refuses the
// whole file for one such fc. Every part of the export asks this list, so that nothing is
// typed that a data set then cannot name, or the reverse.
inline constexpr std::array<std::string_view, 10> SclFileConstraints = {"ST", "MX", "CO", "SP", "SG",
                                                                        "SE", "SV", "CF", "DC", "EX"};

constexpr bool IsSclFileConstraint(std::string_view fc) {
    return std::find(SclFileConstraints.begin(), SclFileConstraints.end(), fc) != SclFileConstraints.end();
}

// Of those, the constraints whose values the file gives as instances (DOI, SDI, DAI):
// configuration, description, and the settings of the active group (SG) and of the one
// being edited (SE). These are what the program reads from the device before an export.
inline constexpr std::array<std::string_view, 4> SclValueConstraints = {"CF", "DC", "SG", "SE"};

static_assert(std::all_of(SclValueConstraints.begin(), SclValueConstraints.end(), IsSclFileConstraint),
              "a value the file gives is of a constraint the file may name");

}  // namespace Iec61850::Acsi::Scl
