#pragma once

#include <span>
#include <string>
#include <string_view>

#include "mms/values/Object.h"
#include "system/ResultCode.h"

namespace Mms {

class MmsObject;

// The name under which an owner files the object: the Name of a domain, a named
// variable, a named variable list or a plain named object; null for any other class.
const std::string* NameOfObject(const MmsObject* object);

// Takes a named variable list out of its owner's list map: InvalidContext for anything
// but a list, Error when the map does not hold that very object under its name.
System::ResultCode EraseNamedVariableList(ObjectMap& lists, MmsObject* list);

// True when one of an owner's maps holds that very object under its name.
bool MapsHoldObject(std::span<const ObjectMap> maps, const MmsObject* object);

// An object's text name split at every "/": one part is an item of the VMD (domain
// left empty), two parts a domain and an item in it. Any other number of parts: Error.
System::ResultCode SplitObjectText(std::string_view text, std::string& domain, std::string& item);

}  // namespace Mms
