#pragma once

#include <string>
#include <string_view>

#include "mms/pdu/AlternateAccess.h"

namespace Mms {

class Container;
class Domain;

// Texts that name a part of an array variable. On the wire such a part is the array
// variable's name with an alternate access (AlternateAccess.h); brackets are no MMS
// identifier characters, so these texts are never MMS names. Two notations:
// - "name(i)", as data references and model files write it: element i of the array
//   variable "name", and "$" components and further indexes may follow
//   ("MHAI1$MX$HA$phsAHar(9)$cVal$mag");
// - "name$[i]", as a device's model names the variables of its parts
//   ("MHAI1$MX$HA$phsAHar$[9]$cVal$mag").

// The item split at its first index: the name of the variable that holds the array and
// the path from there (indexes and components). False for an item without an index or
// with a malformed one (no digits, no closing bracket, anything but "$" or an index after
// one, an empty component).
bool SplitIndexedItem(std::string_view item, std::string& variable, AccessPath& path);

// The part one index or component step below the value; null when there is none (or
// for a range or all elements).
Container* PartBelow(Container& value, const AccessStep& step);
// The part of the value that the path reaches, element by element and component by
// component. Null when it names nothing (an index past the array's end, a component the
// structure lacks, an index into something that is not an array) or takes another kind
// of step (a range, all elements).
Container* FindPart(Container* value, const AccessPath& path);

// The part of the domain's variables that the item ("name(i)..." or "name$[i]...")
// reaches. Null when the item has no index or a malformed one, or names nothing.
Container* FindIndexedValue(const Domain& domain, std::string_view item);

// The two notations of a variable's name and a path of indexes and components.
std::string ComponentItemOf(std::string_view variable, const AccessPath& path);  // "name$[i]$c"
std::string IndexedItemOf(std::string_view variable, const AccessPath& path);    // "name(i)$c"
// The item in the notation of a model's part variables; empty when it has no index or a
// malformed one.
std::string ComponentItemOf(std::string_view item);

}  // namespace Mms
