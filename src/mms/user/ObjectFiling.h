#pragma once

#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "mms/user/MmsObjectNames.h"
#include "mms/values/Object.h"
#include "system/NameList.h"
#include "system/ResultCode.h"

namespace Mms {

// Files one object per name, made by make(name) (a std::unique_ptr or null when memory
// runs out); a name already filed keeps its object. A server lists names in byte order,
// the map's order: each is first tried right after the one filed before it, so that a
// whole list is filed in one walk of the map instead of one search per name.
template <typename Make>
System::ResultCode FileNamesInOrder(ObjectMap& objects, const System::NameList& names, Make make) {
    auto hint = objects.begin();
    for (std::string_view name : names) {
        const bool fitsHint = (hint == objects.end() || name <= std::string_view(hint->first)) &&
                              (hint == objects.begin() || std::string_view(std::prev(hint)->first) < name);
        if (!fitsHint) hint = objects.lower_bound(name);
        if (hint != objects.end() && hint->first == name) {
            ++hint;
            continue;
        }
        auto object = make(name);
        if (object == nullptr) return System::NoResources;
        // Keyed by the object's own name, which outlives the caller's list.
        const std::string* own = NameOfObject(object.get());
        if (own == nullptr) return System::InvalidContext;
        hint = std::next(objects.emplace_hint(hint, *own, object.release()));
    }
    return System::OkNoError;
}

}  // namespace Mms
