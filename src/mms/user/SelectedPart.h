#pragma once

#include <cstddef>
#include <cstdint>

#include "mms/pdu/AlternateAccess.h"
#include "system/ResultCode.h"

namespace Mms {

class Container;
struct MmsData;

// The server's reads and writes of the part of a value that an alternate access selects:
// an element, a component, or for a range (all elements: every one) an array of the
// elements in it, the rest of the path applied to each element.

// The selected part's Data, into empty data. On failure the data is left empty and the
// DataAccessError is in accessError: object-non-existent for a part the value does not
// hold (an index past the end, a component the structure lacks, an index into something
// that is not an array), object-value-invalid for a value that cannot be sent. Error, or
// NoResources when memory runs out.
System::ResultCode SelectedPartToData(Container& value, const AccessPath& path, MmsData& data,
                                      std::int32_t& accessError);
// The Data written into the selected part (a range takes an array of as many elements).
// On failure the DataAccessError is in accessError: object-non-existent as above,
// object-access-denied for a value the part refuses (elements of a range before the one
// refused keep what they took); Error.
System::ResultCode SelectedPartFromData(Container& value, const AccessPath& path, const MmsData& data,
                                        std::int32_t& accessError);

}  // namespace Mms
