#pragma once

#include <string>

#include "system/ResultCode.h"

namespace Mms {

struct MmsData;

// Appends a decoded MMS value as a "c" element, the way containers render themselves,
// without building a container: arrays and structures hold one element per member,
// each on its own line; the other values carry their text (escaped) in "value".
// InvalidArguments for booleanArray or an unknown choice; a member with such a choice
// ends the member list (the element is still closed). A value that does not read
// renders as an empty or partial text.
System::ResultCode WriteDataXml(std::string& text, const MmsData& data);

}  // namespace Mms
