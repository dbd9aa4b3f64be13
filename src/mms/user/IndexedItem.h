#pragma once

#include <string>
#include <string_view>

namespace Mms {

class Container;
class Domain;

// Devices name a part of an array variable in their data-set members by an index in
// brackets: "name(i)" is element i of the array variable "name", and "$" components and
// further indexes may follow ("MHAI1$MX$HA$phsAHar(9)$cVal$mag$f"). Names of MMS objects
// never hold brackets, so only such a name has one.

// The part of the domain's variables that the item reaches: the array variable named before
// the first index, then element by element and component by component. Null when the item
// has no index or a malformed one, or names nothing (an index past the array's end, a
// component the structure lacks, an index into something that is not an array).
Container* FindIndexedValue(const Domain& domain, std::string_view item);

// The item as a model that binds each part to a variable of its own names that part: every
// "(i)" becomes "$[i]" ("MHAI1$MX$HA$phsAHar$[9]$cVal"). Empty when the item has no index
// or a malformed one.
std::string ComponentItemOf(std::string_view item);

}  // namespace Mms
