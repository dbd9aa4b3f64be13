#include "mms/user/NameListBuilder.h"

#include <new>

#include "mms/pdu/MmsPduServices.h"
#include "mms/pdu/MmsPduWriter.h"

namespace Mms {

System::ResultCode BuildNameList(const ObjectMap& objects, const std::string* continueAfter, std::uint32_t byteBudget,
                                 NameListPage& page, MmsGetNameListResponse& response) {
    auto at = objects.begin();
    if (continueAfter != nullptr) {
        at = objects.find(*continueAfter);
        if (at != objects.end()) ++at;
    }
    std::uint64_t size = 8;
    bool complete = true;
    try {
        page.Reserve(byteBudget);
        for (; at != objects.end(); ++at) {
            size += at->first.size() + 2;
            if (size >= byteBudget) {
                complete = false;  // moreFollows absent: true
                break;
            }
            page.Add(at->first);
        }
    } catch (const std::bad_alloc&) {
        return System::NoResources;
    }
    if (System::ResultCode result = page.LendTo(response.listOfIdentifier); result != System::OkNoError) return result;
    if (complete) {
        response.moreFollows = MmsNewValue<Asn1Boolean>(Asn1::Asn1BooleanType);
        if (response.moreFollows == nullptr) return System::NoResources;
        *response.moreFollows = 0;
    }
    return System::OkNoError;
}

}  // namespace Mms
