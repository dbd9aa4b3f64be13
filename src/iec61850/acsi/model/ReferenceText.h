#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Iec61850::Acsi {

// The parts of a reference between the separators, empty parts kept ("a..b" gives
// "a", "", "b"; the empty text gives one empty part). The views point into the text.
std::vector<std::string_view> SplitText(std::string_view text, char separator);
// The parts joined with the separator between them.
std::string JoinText(const std::vector<std::string_view>& parts, char separator);

}  // namespace Iec61850::Acsi
