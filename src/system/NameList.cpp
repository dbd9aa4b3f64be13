#include "system/NameList.h"

namespace System {

NameList::NameList(std::initializer_list<std::string_view> names) {
    std::size_t characters = 0;
    for (std::string_view name : names) characters += name.size();
    reserve(names.size(), characters);
    for (std::string_view name : names) push_back(name);
}

void NameList::push_back(std::string_view name) {
    characters_.append(name);
    ends_.push_back(static_cast<std::uint32_t>(characters_.size()));
}

void NameList::clear() {
    characters_.clear();
    ends_.clear();
}

void NameList::reserve(std::size_t names, std::size_t characters) {
    ends_.reserve(ends_.size() + names);
    characters_.reserve(characters_.size() + characters);
}

}  // namespace System
