#pragma once

#include <string>
#include <vector>

#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/model/StagedWrite.h"
#include "iec61850/acsi/model/ValueRecord.h"

namespace Iec61850::Acsi {

class DataSet;

// The members of a data set, through getNamedVariableListAttributes of its list.
class GetDataSetDirectory : public Service {
public:
    GetDataSetDirectory(TPAppAssociation& association, std::string reference, AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::string reference;
    DataSet* dataSet = nullptr;
};

// The values of a data set's members: one read of its list. values holds, once
// answered, one record per member.
class GetDataSetValues : public Service {
public:
    GetDataSetValues(TPAppAssociation& association, std::string reference, AnswerFrom answerFrom);
    void execute() override;
    Direct SendDirect() override;
    void complete() override;

    std::string reference;
    DataSet* dataSet = nullptr;
    std::vector<ValueRecord> values;
};

// Writes the records into copies of the members and the copies as the list in one write;
// the model takes each member the device confirmed (DataSet::SetMemberValues).
class SetDataSetValues : public Service {
public:
    SetDataSetValues(TPAppAssociation& association, std::string reference, std::vector<ValueRecord> values,
                     AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::string reference;
    std::vector<ValueRecord> values;
    DataSet* dataSet = nullptr;
    StagedWrite staged;
};

// A new data set of a logical node ("LD/LN.name") or of the association ("@name"), with
// the members the records name, defined on the device. A refused definition leaves
// nothing of it in the model.
class CreateDataSet : public Service {
public:
    CreateDataSet(TPAppAssociation& association, std::string reference, std::vector<ValueRecord> members,
                  AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::string reference;
    std::vector<ValueRecord> members;
    DataSet* created = nullptr;
};

// Deletes a data set on the device; once the device has, the model's goes too.
class DeleteDataSet : public Service {
public:
    DeleteDataSet(TPAppAssociation& association, std::string reference, AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::string reference;
    DataSet* dataSet = nullptr;

protected:
    std::int32_t HardwareFaultError() const override { return 12; }
};

}  // namespace Iec61850::Acsi
