#include "mms/user/NameListBuilder.h"

#include "mms/pdu/MmsPduServices.h"
#include "mms/pdu/MmsPduWriter.h"

namespace Mms {

System::ResultCode BuildNameList(const ObjectMap& objects, const std::string* continueAfter, std::uint32_t byteBudget,
                                 MmsGetNameListResponse& response) {
    auto at = objects.begin();
    if (continueAfter != nullptr) {
        at = objects.find(*continueAfter);
        if (at != objects.end()) ++at;
    }
    std::uint64_t size = 8;
    for (; at != objects.end(); ++at) {
        size += at->first.size() + 2;
        if (size >= byteBudget) return System::OkNoError;  // moreFollows absent: true
        if (System::ResultCode result = MmsAppendIdentifier(response.listOfIdentifier, at->first);
            result != System::OkNoError) {
            return result;
        }
    }
    response.moreFollows = MmsNewValue<Asn1Boolean>(Asn1::Asn1BooleanType);
    if (response.moreFollows == nullptr) return System::NoResources;
    *response.moreFollows = 0;
    return System::OkNoError;
}

}  // namespace Mms
