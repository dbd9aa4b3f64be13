#pragma once

#include <optional>
#include <string>

namespace Mms {
class Container;
}

namespace Iec61850::Acsi::Scl {

// Whether the value is one the device gave: decoded from a read or a report, or written
// and confirmed. A container the client built from a type description, or one whose read
// was refused, holds a default the device never said.
bool WasReceived(const Mms::Container* value);

// The value's text when the device gave it and the text is not empty.
std::optional<std::string> ReceivedText(Mms::Container* value);

// The SCL basic type of a basic value as MMS carries it ("INT16U" for a 16-bit unsigned,
// "Quality" for 13 bits, "Timestamp" for a UTC time, "VisString64" for a visible string
// of 64 characters); empty for a constructed value or one no basic type fits.
std::string BasicTypeOfValue(const Mms::Container& value);

}  // namespace Iec61850::Acsi::Scl
