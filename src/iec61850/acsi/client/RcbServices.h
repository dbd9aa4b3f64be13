#pragma once

#include <list>
#include <string>
#include <utility>
#include <vector>

#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/model/StagedWrite.h"
#include "mms/user/MmsUserConnection.h"

namespace Iec61850::Acsi {

class ControlBlock;
class NamedObject;

// (attribute name, value text) records of a report control block.
using AttributeValues = std::vector<std::pair<std::string, std::string>>;

// Every attribute of the report control blocks a (constraint, reference) pair names, in
// one read of their variables. kind: 10 buffered, 11 unbuffered. values holds, once
// answered, the attributes of the blocks under "BR" and "RP".
class GetRCBValues : public Service {
public:
    GetRCBValues(TPAppAssociation& association, std::int32_t kind, std::string fc, std::string reference,
                 AnswerFrom answerFrom);
    void execute() override;

    std::int32_t kind;
    std::string fc;
    std::string reference;
    std::list<NamedObject*> blocks;
    Mms::VariableCollection variables;
    AttributeValues values;

protected:
    void Answered();
};

class GetBRCBValues : public GetRCBValues {
public:
    GetBRCBValues(TPAppAssociation& association, std::string fc, std::string reference, AnswerFrom answerFrom);
    void complete() override;
};

class GetURCBValues : public GetRCBValues {
public:
    GetURCBValues(TPAppAssociation& association, std::string fc, std::string reference, AnswerFrom answerFrom);
    void complete() override;
};

// Writes attributes of one report control block (the last one found under "BR" or "RP")
// in the caller's order, in one write. The texts go into copies (StagedWrite): an attribute
// the block lacks, a text that does not fit or a DatSet that names no data set the
// association knows ("@name" included) refuses the write before anything is sent, and
// the block takes each attribute the device confirmed; a confirmed DatSet attaches the
// block to the data set it names.
class SetRCBValues : public Service {
public:
    SetRCBValues(TPAppAssociation& association, std::int32_t kind, std::string reference, AttributeValues records,
                 AnswerFrom answerFrom);
    void execute() override;

    std::int32_t kind;
    std::string reference;
    AttributeValues records;
    ControlBlock* chosen = nullptr;
    // The attributes' values until the device confirms them.
    StagedWrite staged;

protected:
    // The service error, then the confirmed values into the block.
    void Answered();

private:
    // The block's DatSet attribute when a record writes it.
    Mms::NamedVariable* datSetVariable = nullptr;
};

class SetBRCBValues : public SetRCBValues {
public:
    SetBRCBValues(TPAppAssociation& association, std::string reference, AttributeValues records, AnswerFrom answerFrom);
    void complete() override;
};

class SetURCBValues : public SetRCBValues {
public:
    SetURCBValues(TPAppAssociation& association, std::string reference, AttributeValues records, AnswerFrom answerFrom);
    void complete() override;
};

}  // namespace Iec61850::Acsi
