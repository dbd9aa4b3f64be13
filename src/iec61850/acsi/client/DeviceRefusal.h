#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Iec61850::Acsi {

// How the device refused a request: a confirmed error (its class and code) or a reject (its
// PDU kind and code), as the answer carried them. Anything else (an answer, no answer) is no
// refusal.
struct DeviceRefusal {
    // Mms::MmsPduConfirmedError, Mms::MmsPduConcludeError or Mms::MmsPduReject for a refusal.
    std::int32_t answerKind = 0;
    std::int32_t errorClass = 0;
    std::int32_t errorCode = 0;

    bool Refused() const;
    // "the device refused its list of variables: access (8), code 3 (object-access-denied)";
    // empty when nothing was refused. Every refusal the user reads is worded here, so that a
    // list refused while the model is read and one refused while a kept model is checked
    // read alike. Without what: "the device refused, access (8), ...".
    std::string Text(std::string_view what) const;
};

// The directory requests whose refusal leaves a data model without what they would list.
enum class DirectoryRequest { LogicalDevices, Variables, DataSets, DataSetMembers, ConstraintType };

// What the request asks for, as a refusal names it: "its list of logical devices", "its list
// of variables", "its list of data sets", "the members of data set LLN0.ds2" (object: the data
// set), "the type of XCBR1 under ST" (object: "XCBR1 ST").
std::string DirectoryRequestText(DirectoryRequest request, std::string_view object = {});

}  // namespace Iec61850::Acsi
