#pragma once

#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace Mms {

class MmsObject;

// The name under which an owner files the object: the Name of a domain, a named
// variable, a named variable list or a plain named object; null for any other class.
const std::string* NameOfObject(const MmsObject* object);

// An object's text name split at every "/": one part is an item of the VMD (domain
// left empty), two parts a domain and an item in it. Any other number of parts: Error.
System::ResultCode SplitObjectText(std::string_view text, std::string& domain, std::string& item);

}  // namespace Mms
