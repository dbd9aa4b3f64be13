#pragma once

#include <string>
#include <string_view>

namespace Mms {

// Appends device or user text to XML: the five special characters become entities,
// and characters that XML 1.0 does not allow (control characters but tab, LF and CR,
// and octets that are not valid UTF-8) become "?", so no value can break the document.
void AppendXmlEscaped(std::string& xml, std::string_view text);

}  // namespace Mms
