#include "mms/user/IndexedItem.h"

#include <charconv>
#include <cstdint>

#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Array.h"
#include "mms/values/Structure.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

// An index whose digits run up to the closing bracket, which ends the index.
bool TakeIndex(std::string_view& rest, char close, AccessPath& path) {
    const std::size_t end = rest.find(close);
    if (end == std::string_view::npos || end == 1) return false;
    std::uint32_t index = 0;
    const char* first = rest.data() + 1;
    const char* last = rest.data() + end;
    const auto [stop, error] = std::from_chars(first, last, index);
    if (error != std::errc() || stop != last) return false;
    path.push_back(AccessStep::Element(index));
    rest.remove_prefix(end + 1);
    return true;
}

std::string IndexText(std::uint32_t index) {
    std::string text;
    System::FormatUInt64(text, index);
    return text;
}

}  // namespace

bool SplitIndexedItem(std::string_view item, std::string& variable, AccessPath& path) {
    const std::size_t bracket = item.find('(');
    const std::size_t square = item.find("$[");
    const std::size_t at = std::min(bracket, square);
    if (at == std::string_view::npos || at == 0) return false;
    variable.assign(item.substr(0, at));
    std::string_view rest = item.substr(at);
    while (!rest.empty()) {
        if (rest.front() == '(') {
            if (!TakeIndex(rest, ')', path)) return false;
        } else if (rest.starts_with("$[")) {
            rest.remove_prefix(1);
            if (!TakeIndex(rest, ']', path)) return false;
        } else if (rest.front() == '$') {
            rest.remove_prefix(1);
            const std::string_view name = rest.substr(0, rest.find_first_of("$("));
            if (name.empty() || name.find_first_of("[])") != std::string_view::npos) return false;
            path.push_back(AccessStep::Named(std::string(name)));
            rest.remove_prefix(name.size());
        } else {
            return false;
        }
    }
    return true;
}

Container* PartBelow(Container& value, const AccessStep& step) {
    if (step.kind == AccessStep::Kind::Index) {
        if (value.GetClassId() != ArrayClassId) return nullptr;
        const auto& elements = static_cast<const Array&>(value);
        return step.index < elements.GetElementCount() ? elements.GetElement(step.index) : nullptr;
    }
    if (step.kind != AccessStep::Kind::Component || value.GetClassId() != StructureClassId) return nullptr;
    return static_cast<const Structure&>(value).FindComponent(step.component);
}

Container* FindPart(Container* value, const AccessPath& path) {
    Container* at = value;
    for (const AccessStep& step : path) {
        if (at == nullptr) return nullptr;
        at = PartBelow(*at, step);
    }
    return at;
}

Container* FindIndexedValue(const Domain& domain, std::string_view item) {
    std::string name;
    AccessPath path;
    if (!SplitIndexedItem(item, name, path)) return nullptr;
    const NamedVariable* variable = domain.FindNamedVariable(name);
    return variable != nullptr ? FindPart(variable->GetValue(), path) : nullptr;
}

std::string ComponentItemOf(std::string_view variable, const AccessPath& path) {
    std::string name(variable);
    for (const AccessStep& step : path) {
        if (step.kind == AccessStep::Kind::Component) {
            name.append("$").append(step.component);
        } else {
            name.append("$[").append(IndexText(step.index)).append("]");
        }
    }
    return name;
}

std::string IndexedItemOf(std::string_view variable, const AccessPath& path) {
    std::string name(variable);
    for (const AccessStep& step : path) {
        if (step.kind == AccessStep::Kind::Component) {
            name.append("$").append(step.component);
        } else {
            name.append("(").append(IndexText(step.index)).append(")");
        }
    }
    return name;
}

std::string ComponentItemOf(std::string_view item) {
    std::string variable;
    AccessPath path;
    if (!SplitIndexedItem(item, variable, path)) return {};
    return ComponentItemOf(variable, path);
}

}  // namespace Mms
