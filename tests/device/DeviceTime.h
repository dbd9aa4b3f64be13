#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "system/UtcTime.h"

namespace Mms {
class Domain;
class NamedVariable;
}  // namespace Mms

namespace TestDevice {

// The quality octet of the device's time stamps: leap seconds not known, clock neither
// failed nor unsynchronised, and the accuracy of its millisecond stamps (10 bits).
inline constexpr std::uint8_t TimeStampQuality = 10;

// The time as the device stamps it: UTC, with the device's quality octet.
System::UtcTime TimeStampOf(std::chrono::system_clock::time_point time);
inline System::UtcTime TimeStampNow() { return TimeStampOf(std::chrono::system_clock::now()); }

// Gives the variable (a UtcTime) the stamp, quality included: false when it is none.
bool SetTimeStamp(Mms::NamedVariable& variable, const System::UtcTime& stamp);

// The time stamp "t" of the data object that holds the item (the nearest one above it:
// "MMXU1$MX$TotW$mag$f" has "MMXU1$MX$TotW$t"); null when there is none, and for "t"
// itself, which a change of its own does not stamp.
Mms::NamedVariable* TimeStampAbove(Mms::Domain& domain, const std::string& item);

}  // namespace TestDevice
