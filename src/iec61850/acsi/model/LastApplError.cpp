#include <algorithm>
#include <string>

#include "iec61850/acsi/model/DataSet.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {

namespace {

std::string DollarsToDots(std::string text) {
    std::replace(text.begin(), text.end(), '$', '.');
    return text;
}

std::string TextOf(Mms::Container* value) {
    std::string text;
    if (value != nullptr) value->ToText(text);
    return text;
}

}  // namespace

System::ResultCode ParseLastApplError(LastApplError& error, Mms::Container& value) {
    auto* structure = dynamic_cast<Mms::Structure*>(&value);
    if (structure == nullptr || structure->GetComponentCount() < 5) return System::InvalidArguments;
    auto* origin = dynamic_cast<Mms::Structure*>(structure->GetComponent(2));
    if (origin == nullptr || origin->GetComponentCount() < 2) return System::InvalidArguments;
    error.cntrlObj = structure->GetComponent(0);
    error.error = structure->GetComponent(1);
    error.orCat = origin->GetComponent(0);
    error.orIdent = origin->GetComponent(1);
    error.ctlNum = structure->GetComponent(3);
    error.addCause = structure->GetComponent(4);

    // "LD/LN$FC$DO$..." names the control object: the FC apart, the rest as a reference.
    const std::string object = TextOf(error.cntrlObj);
    const std::size_t first = object.find('$');
    const std::string head = object.substr(0, first);
    const std::string tail = first == std::string::npos ? std::string() : object.substr(first + 1);
    const std::size_t second = tail.find('$');
    error.fc = tail.substr(0, second);
    const std::string rest = second == std::string::npos ? std::string() : tail.substr(second + 1);
    error.reference = DollarsToDots(head + "$" + rest);
    return System::OkNoError;
}

System::ResultCode LastApplErrorToList(const LastApplError& error, std::vector<ValueRecord>& records) {
    records.push_back({"", "LastApplError.CntrlObj", DollarsToDots(TextOf(error.cntrlObj))});
    records.push_back({"", "LastApplError.Error", TextOf(error.error)});
    records.push_back({"", "LastApplError.origin.orCat", TextOf(error.orCat)});
    records.push_back({"", "LastApplError.origin.orIdent", TextOf(error.orIdent)});
    records.push_back({"", "LastApplError.ctlNum", TextOf(error.ctlNum)});
    records.push_back({"", "LastApplError.AddCause", TextOf(error.addCause)});
    return System::OkNoError;
}

}  // namespace Iec61850::Acsi
