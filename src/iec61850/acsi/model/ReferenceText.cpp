#include "iec61850/acsi/model/ReferenceText.h"

namespace Iec61850::Acsi {

std::vector<std::string_view> SplitText(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::string JoinText(const std::vector<std::string_view>& parts, char separator) {
    std::string joined;
    for (std::size_t index = 0; index < parts.size(); ++index) {
        if (index > 0) joined += separator;
        joined += parts[index];
    }
    return joined;
}

}  // namespace Iec61850::Acsi
