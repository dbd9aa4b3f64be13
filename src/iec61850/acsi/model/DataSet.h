#pragma once

#include <set>
#include <string>
#include <vector>

#include "iec61850/acsi/model/NamedObject.h"
#include "iec61850/acsi/model/ValueRecord.h"

namespace Mms {
class NamedVariableList;
}

namespace Iec61850::Acsi {

class ControlBlock;
class DataSetAssociation;
class StagedWrite;

// A data set: model objects in member order (not owned), bound to the named variable list
// that carries it. Control blocks that name it are attached to it, so that when it goes
// none of them keeps it.
class DataSet : public NamedObject {
public:
    // A data set of a logical node or device.
    DataSet(NamedObject* parent, std::string name, Mms::MmsObject* list);
    // A data set of one association: no parent ("@" and the name), the association's server.
    DataSet(DataSetAssociation* association, std::string name, Mms::MmsObject* list);
    // Detaches every control block that names it.
    ~DataSet() override;

    // The members again from the list's variables ("LN$FC$name..." of a domain), each
    // resolved through the server's lookup to the one object of that constraint and
    // reference; a variable that names no such object gives InvalidArguments. Takes the
    // model lock.
    System::ResultCode Build() override;
    // Own state, the members', then the parent's.
    ObjectState SetState(ObjectState state) override;
    ModelClass GetModelClass() const override;

    // Stages every member of the list (StagedWrite) and writes each record's value into the
    // copy of the one object its constraint and reference name, which must be a member or
    // part of one (InvalidArguments otherwise); the model keeps its values until the
    // device confirms the write. Error for no records. Takes the model lock.
    virtual System::ResultCode SetMemberValues(const std::vector<ValueRecord>& records, StagedWrite& staged);
    // The value records of every member in member order; Error without members.
    virtual System::ResultCode GetMemberValues(std::vector<ValueRecord>& records);
    // The members are the device's: the member list was read and every member found.
    virtual bool IsComplete() const { return directoryState == MemberListState::Complete; }
    // The member list was read, whether or not every member was found.
    bool IsMemberListRead() const {
        return directoryState == MemberListState::Complete || directoryState == MemberListState::Unresolved;
    }

    // Appends the objects the records name to the members and their variables to the list;
    // InvalidArguments for a record that names nothing, Error for an object without a variable.
    System::ResultCode AddMembers(const std::vector<ValueRecord>& records);

    const std::vector<NamedObject*>& GetMembers() const { return members_; }
    Mms::NamedVariableList* GetList() const;
    const std::set<ControlBlock*>& GetBlocks() const { return blocks_; }
    // The association of an association's data set; null for one of the model.
    DataSetAssociation* GetAssociation() const { return association_; }

    MemberListState directoryState = MemberListState::NotAsked;

private:
    friend class ControlBlock;
    void AttachBlock(ControlBlock* block) { blocks_.insert(block); }
    void DetachBlock(ControlBlock* block) { blocks_.erase(block); }
    // The one object of the constraint and reference: InvalidArguments unless exactly one
    // object answers to both.
    System::ResultCode Resolve(const Mms::ModelHold& hold, std::string_view fc, std::string_view reference,
                               NamedObject*& found) const;

    std::vector<NamedObject*> members_;
    std::set<ControlBlock*> blocks_;
    DataSetAssociation* association_ = nullptr;
};

// The LastApplError of a command termination, as records.
struct LastApplError {
    std::string fc;
    std::string reference;
    Mms::Container* cntrlObj = nullptr;
    Mms::Container* error = nullptr;
    Mms::Container* orCat = nullptr;
    Mms::Container* orIdent = nullptr;
    Mms::Container* ctlNum = nullptr;
    Mms::Container* addCause = nullptr;
};

// Takes the structure apart (five components at least, the third a structure of two at
// least; InvalidArguments otherwise) and names the control object.
System::ResultCode ParseLastApplError(LastApplError& error, Mms::Container& value);
// The six records, each with an empty constraint.
System::ResultCode LastApplErrorToList(const LastApplError& error, std::vector<ValueRecord>& records);

}  // namespace Iec61850::Acsi
