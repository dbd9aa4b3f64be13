#pragma once

// The selection an AlternateAccess describes, as a path of steps from a variable down to
// the part selected (an element of an array, a range of elements, a component).

#include <cstdint>
#include <string>
#include <vector>

#include "mms/pdu/MmsPduAccess.h"
#include "system/ResultCode.h"

namespace Mms {

struct AccessStep {
    enum class Kind { Component, Index, IndexRange, AllElements };
    Kind kind = Kind::Index;
    std::string component;    // Component
    std::uint32_t index = 0;  // Index; the first element of an IndexRange
    std::uint32_t count = 0;  // the elements of an IndexRange

    static AccessStep Element(std::uint32_t index) { return {Kind::Index, {}, index, 0}; }
    static AccessStep Named(std::string component) { return {Kind::Component, std::move(component), 0, 0}; }
    bool operator==(const AccessStep&) const = default;
};
using AccessPath = std::vector<AccessStep>;

// The path of a selection that goes one way at every level (appended to the path).
// NotSupported for several components selected side by side (more than one element, or
// a named one); InvalidArguments for an empty selection or an alternative the decoder did
// not know.
System::ResultCode MmsReadAlternateAccess(const MmsAlternateAccess& access, AccessPath& path);
// The AlternateAccess of a path of one step or more, into an empty one: each step but the
// last a selectAlternateAccess, the last a selectAccess. InvalidArguments for an empty
// path, NoResources when memory runs out.
System::ResultCode MmsWriteAlternateAccess(const AccessPath& path, MmsAlternateAccess& access);
// The same into a new AlternateAccess, put in the slot (which must be empty).
System::ResultCode MmsNewAlternateAccess(const AccessPath& path, MmsAlternateAccess*& slot);

}  // namespace Mms
