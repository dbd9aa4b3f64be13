#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace Iec61850::Acsi {

// A map that owns its objects by name (a device's or node's data sets).
template <typename Object>
using OwnedByName = std::map<std::string, std::unique_ptr<Object>, std::less<>>;

template <typename Object>
Object* FindOwned(const OwnedByName<Object>& objects, std::string_view name) {
    const auto found = objects.find(name);
    return found != objects.end() ? found->second.get() : nullptr;
}

// Takes the object out of the map and hands it over (nothing for an unknown name).
template <typename Object>
std::unique_ptr<Object> TakeOwned(OwnedByName<Object>& objects, std::string_view name) {
    const auto found = objects.find(name);
    if (found == objects.end()) return nullptr;
    std::unique_ptr<Object> taken = std::move(found->second);
    objects.erase(found);
    return taken;
}

// Files what make() gives under the name unless the name is taken (AlreadyExist, nothing
// made): NoResources when make gives nothing, else 0 with the object in added.
template <typename Object, typename Make>
System::ResultCode AddOwned(OwnedByName<Object>& objects, const std::string& name, Make make, Object*& added) {
    if (objects.contains(name)) return System::AlreadyExist;
    std::unique_ptr<Object> object = make();
    if (object == nullptr) return System::NoResources;
    added = object.get();
    objects.emplace(name, std::move(object));
    return System::OkNoError;
}

}  // namespace Iec61850::Acsi
