#pragma once

#include <string_view>

namespace System {

// Case-insensitive comparison with ASCII folding, independent of the locale:
// negative when a sorts first, 0 when equal ignoring case, positive otherwise.
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace System
