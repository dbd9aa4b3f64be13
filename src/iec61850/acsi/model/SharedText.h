#pragma once

#include <string>
#include <string_view>

namespace Iec61850::Acsi {

// One copy, for the life of the program, of a text that many model objects repeat and
// that comes from a small set (type and class names): the objects keep a pointer. Safe
// from any thread.
const std::string& SharedText(std::string_view text);

}  // namespace Iec61850::Acsi
