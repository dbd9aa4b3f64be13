#include "iec61850/scl/ElementType.h"

#include <algorithm>

#include "iec61850/scl/Element.h"
#include "system/StringText.h"

namespace Iec61850::Acsi::Scl {

namespace {
std::size_t CountElements(const Element* const* elements) {
    std::size_t count = 0;
    if (elements != nullptr) {
        while (elements[count] != nullptr) ++count;
    }
    return count;
}
}  // namespace

ElementType::ElementType(ElementTypeKind kind, const char* id, const Element* const* elements)
    : elements(elements), kind(kind), id(id), elementCount_(CountElements(elements)) {}

const Element* ElementType::FindElement(std::string_view name) const {
    for (const Element* element : Elements()) {
        if (element->name != nullptr && System::CompareNoCase(element->name, name) == 0) return element;
    }
    return nullptr;
}

void ElementType::SortNamesByElementOrder(std::vector<std::string>& sorted,
                                          const std::vector<std::string>& names) const {
    sorted.clear();
    if (elements == nullptr) return;

    std::vector<std::string> remaining(names);
    std::sort(remaining.begin(), remaining.end());
    remaining.erase(std::unique(remaining.begin(), remaining.end()), remaining.end());

    // A member name that occurs twice must not place its name twice.
    std::vector<bool> placed(remaining.size(), false);
    sorted.reserve(remaining.size());
    for (const Element* element : Elements()) {
        if (element->name == nullptr) continue;
        const std::string_view memberName = element->name;
        const auto it = std::lower_bound(remaining.begin(), remaining.end(), memberName);
        if (it == remaining.end() || *it != memberName) continue;
        const auto index = static_cast<std::size_t>(it - remaining.begin());
        if (placed[index]) continue;
        placed[index] = true;
        sorted.push_back(*it);
    }
    for (std::size_t i = 0; i < remaining.size(); ++i) {
        if (!placed[i]) sorted.push_back(std::move(remaining[i]));
    }
}

}  // namespace Iec61850::Acsi::Scl
