#pragma once

#include <cstdint>
#include <string>

#include "mms/user/NameListPage.h"
#include "mms/values/Object.h"
#include "system/ResultCode.h"

namespace Mms {

struct MmsGetNameListResponse;

// Fills a getNameList answer from a map of objects, in byte order of the names.
//
// Without continueAfter the answer starts at the first name, otherwise at the name
// that follows it (a name the map does not hold gives an empty answer). Each name
// costs its length plus 2 octets on top of 8 for the answer itself; the answer ends
// before the first name that would reach the byte budget, with moreFollows left out
// (which reads as true). When every remaining name fitted, moreFollows is false.
//
// The names are copied into the page, which the response's list then shows (see
// NameListPage): the page must outlive the response's use. The response must be empty;
// NoResources when memory runs out (the response is freed by its owner either way).
System::ResultCode BuildNameList(const ObjectMap& objects, const std::string* continueAfter, std::uint32_t byteBudget,
                                 NameListPage& page, MmsGetNameListResponse& response);

}  // namespace Mms
