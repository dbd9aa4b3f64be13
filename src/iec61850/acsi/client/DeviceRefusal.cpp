#include "iec61850/acsi/client/DeviceRefusal.h"

#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduError.h"

namespace Iec61850::Acsi {

bool DeviceRefusal::Refused() const {
    return answerKind == Mms::MmsPduConfirmedError || answerKind == Mms::MmsPduConcludeError ||
           answerKind == Mms::MmsPduReject;
}

std::string DeviceRefusal::Text(std::string_view what) const {
    if (!Refused()) return {};
    const std::string reason = answerKind == Mms::MmsPduReject ? Mms::MmsRejectText(errorClass, errorCode)
                                                               : Mms::MmsServiceErrorText(errorClass, errorCode);
    if (what.empty()) return "the device refused, " + reason;
    return "the device refused " + std::string(what) + ": " + reason;
}

std::string DirectoryRequestText(DirectoryRequest request, std::string_view object) {
    switch (request) {
        case DirectoryRequest::LogicalDevices: return "its list of logical devices";
        case DirectoryRequest::Variables: return "its list of variables";
        case DirectoryRequest::DataSets: return "its list of data sets";
        case DirectoryRequest::DataSetMembers: return "the members of data set " + std::string(object);
        case DirectoryRequest::ConstraintType: {
            const std::size_t space = object.find(' ');
            if (space == std::string_view::npos) return "the type of " + std::string(object);
            return "the type of " + std::string(object.substr(0, space)) + " under " +
                   std::string(object.substr(space + 1));
        }
    }
    return {};
}

}  // namespace Iec61850::Acsi
