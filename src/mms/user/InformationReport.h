#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mms/pdu/MmsPduServices.h"
#include "mms/user/MmsObject.h"

namespace Mms {

class Container;

// One received informationReport with its values as containers. A report names either
// a named variable list (an IEC 61850 report) or each of its variables (a command
// termination). The report owns its values.
class InformationReport : public MmsObject {
public:
    enum Kind : std::int32_t { ListReport = 0, VariablesReport = 1 };

    InformationReport(MmsUserConnection* connection, MmsObject* owner);
    ~InformationReport() override;

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // A report by variableListName: the list name as text ("item" or "domain/item")
    // and one value per successful access result. ErrStatus (also returned) is the
    // outcome of the last conversion of a successful result, Error when there is none.
    System::ResultCode FromListReport(const MmsObjectName& listName, const MmsAccessResultList& results);
    // A report by listOfVariable: as above, plus one name per variable ("item" or
    // "domain/item"); a variable that is not named by a vmd- or domain-specific name
    // gives NotSupported in ErrStatus and ends the names. NamesComplete tells whether every name
    // was taken.
    System::ResultCode FromVariablesReport(const MmsVariableList& variables, const MmsAccessResultList& results);

    // Assigns the value reported for the variable at this position of Names to the
    // named variable "domain/item" of the VMD: its result; InvalidArguments (also in
    // ErrStatus) when the
    // name is not of that form, the variable is unknown or the position carried a
    // failure instead of a value.
    System::ResultCode ApplyValue(std::size_t index);
    // The value reported at this position of the report (null for a failure).
    Container* ValueAt(std::size_t index) const;

    Kind GetKind() const { return kind_; }
    const std::string& GetListName() const { return listName_; }

    // One container per successful access result, in order (the i-th success).
    std::vector<Container*> Values;
    std::vector<std::string> Names;
    bool NamesComplete = false;

private:
    void TakeValues(const MmsAccessResultList& results);

    Kind kind_ = ListReport;
    std::string listName_;
    // Per access result: its index in Values, or -1 for a failure.
    std::vector<std::int32_t> valueIndex_;
};

}  // namespace Mms
