#include "mms/user/IndexedItem.h"

#include <charconv>
#include <cstddef>
#include <vector>

#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Array.h"
#include "mms/values/Structure.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

// One step below the array variable: an element's index, or a component's name.
struct Step {
    bool isIndex = false;
    std::size_t index = 0;
    std::string_view component;
};

// Splits "base(i)$c(j)..." into the base and its steps; false for a name without an index or
// with a malformed one (no digits, no closing bracket, anything but "$" or "(" after one).
bool SplitIndexedItem(std::string_view item, std::string_view& base, std::vector<Step>& steps) {
    const std::size_t open = item.find('(');
    if (open == std::string_view::npos || open == 0) return false;
    base = item.substr(0, open);
    std::string_view rest = item.substr(open);
    while (!rest.empty()) {
        if (rest.front() == '(') {
            const std::size_t close = rest.find(')');
            if (close == std::string_view::npos || close == 1) return false;
            Step step{true, 0, {}};
            const char* first = rest.data() + 1;
            const char* last = rest.data() + close;
            const auto [end, error] = std::from_chars(first, last, step.index);
            if (error != std::errc() || end != last) return false;
            steps.push_back(step);
            rest.remove_prefix(close + 1);
        } else if (rest.front() == '$') {
            rest.remove_prefix(1);
            const std::size_t end = rest.find_first_of("$(");
            const std::string_view name = rest.substr(0, end);
            if (name.empty()) return false;
            steps.push_back({false, 0, name});
            rest.remove_prefix(name.size());
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

Container* FindIndexedValue(const Domain& domain, std::string_view item) {
    std::string_view base;
    std::vector<Step> steps;
    if (!SplitIndexedItem(item, base, steps)) return nullptr;
    const NamedVariable* variable = domain.FindNamedVariable(base);
    Container* at = variable != nullptr ? variable->GetValue() : nullptr;
    for (const Step& step : steps) {
        if (at == nullptr) return nullptr;
        if (step.isIndex) {
            if (at->GetClassId() != ArrayClassId) return nullptr;
            const auto& elements = static_cast<const Array&>(*at);
            at = step.index < elements.GetElementCount() ? elements.GetElement(step.index) : nullptr;
        } else {
            if (at->GetClassId() != StructureClassId) return nullptr;
            at = static_cast<const Structure&>(*at).FindComponent(step.component);
        }
    }
    return at;
}

std::string ComponentItemOf(std::string_view item) {
    std::string_view base;
    std::vector<Step> steps;
    if (!SplitIndexedItem(item, base, steps)) return {};
    std::string name(base);
    for (const Step& step : steps) {
        if (!step.isIndex) {
            name.append("$").append(step.component);
            continue;
        }
        std::string index;
        System::FormatUInt64(index, step.index);
        name.append("$[").append(index).append("]");
    }
    return name;
}

}  // namespace Mms
