#pragma once

#include <list>
#include <string>
#include <vector>

#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/model/StagedWrite.h"
#include "iec61850/acsi/model/ValueRecord.h"
#include "mms/user/MmsUserConnection.h"

namespace Iec61850::Acsi {

class NamedObject;

// Every value of a logical node, or of one of its functional constraints: one read of
// the node's (or the constraint's) variable.
class GetAllDataValues : public Service {
public:
    // An fc of "XX" means none.
    GetAllDataValues(TPAppAssociation& association, std::string node, std::string fc, AnswerFrom answerFrom);
    void execute() override;
    Direct SendDirect() override;
    void complete() override;

    std::string node;
    std::string fc;
    NamedObject* target = nullptr;
    // Filled by the server's ListAllDataValues, for a caller that wants the values as text:
    // the model read takes them into the model only, and asks with this false.
    bool recordsWanted = true;
    std::vector<ValueRecord> values;
};

// The values of the objects a (constraint, reference) pair names: one read of the one
// object, or of the whole logical node above the first of several. The answer goes into
// the model; values holds, once answered, one record per leaf of the objects found.
class GetDataValues : public Service {
public:
    GetDataValues(TPAppAssociation& association, std::string fc, std::string reference, AnswerFrom answerFrom);
    void execute() override;
    Direct SendDirect() override;
    void complete() override;

    std::string fc;
    std::string reference;
    std::list<NamedObject*> found;
    std::vector<ValueRecord> values;

private:
    // The object the read goes to: the one found, or the logical node above several.
    static NamedObject* ReadTarget(const std::list<NamedObject*>& found);
};

// Writes values: each record's text is taken by a copy of the one object it names (in the
// device's own type; a text that does not fit is refused before anything is sent), the
// copies are written in one request, and the model takes each copy the device confirmed.
// Without records the objects are written as the model holds them.
class SetDataValues : public Service {
public:
    SetDataValues(TPAppAssociation& association, std::string fc, std::string reference,
                  std::vector<ValueRecord> records, AnswerFrom answerFrom);
    void execute() override;
    Direct SendDirect() override;
    void complete() override;

    std::string fc;
    std::string reference;
    std::vector<ValueRecord> records;
    std::list<NamedObject*> found;
    // The values written: the records' until the device confirms them, or copies of what the
    // model held (no records).
    StagedWrite staged;

private:
    // Under the caller's hold, once found is resolved: the records' copies staged, or the
    // found objects' values copied as they stand.
    System::ResultCode PrepareWrite(const Mms::ModelHold& hold, Server& server);
};

}  // namespace Iec61850::Acsi
