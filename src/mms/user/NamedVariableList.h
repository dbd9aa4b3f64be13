#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>

#include "mms/pdu/MmsPduServices.h"
#include "mms/user/MmsObject.h"

namespace Mms {

class AccessResults;
class ModelHold;
class NamedVariable;
class Variable;
class VMD;

// An MMS named variable list (an IEC 61850 data set): an ordered list of variables
// that is read and written as a whole. It is held by a domain, by the VMD, or (with no
// owner) by one association. It does not own its members.
class NamedVariableList : public MmsObject {
public:
    explicit NamedVariableList(MmsObject* owner = nullptr);
    NamedVariableList(MmsUserConnection* connection, std::string name, MmsObject* owner);
    // An association-specific list: deletable, filed at once with the connection. The
    // outcome of the filing is kept in ErrStatus (non-zero: the list is not filed and
    // stays its creator's).
    NamedVariableList(MmsUserConnection* connection, std::string name);
    // Filed at once with the owner; the outcome is kept in ErrStatus as above.
    NamedVariableList(std::string name, MmsObject* owner);

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // "Name" sets the name and files the list with its owner (that result;
    // InvalidState, nothing changed, for a new name while the owner holds it under the
    // old one); "Deletable" takes a boolean text; other names as MmsObject.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    // Domain-specific under a domain, vmd-specific under the VMD, aa-specific without
    // an owner; NotSupported under any other owner. The name must be empty.
    System::ResultCode ToObjectName(MmsObjectName& name) const;
    // Allocates the name first when the slot is empty (NoResources when memory runs out).
    System::ResultCode NewObjectName(MmsObjectName*& slot) const;

    // Requests on the list's connection (NotConnected without one), answered
    // asynchronously.
    virtual System::ResultCode Read();
    virtual System::ResultCode Write();
    virtual System::ResultCode Define();
    virtual System::ResultCode Delete();
    System::ResultCode GetAttributes();

    // The VMD that holds the list: the top of its owner chain when that is a VMD, else
    // (a list without owner) the VMD of its connection; null when there is none.
    VMD* FindVmd() const;

    // Members from a list of variables (an attributes answer or a define request): the
    // members are replaced; each entry must name its variable (NotSupported for an
    // address or a description, Error for any other choice), which must exist in the VMD
    // that holds the list (the lookup's failure otherwise). An entry with an alternate
    // access that selects a part by indexes and components stands for the variable of
    // that part (the one bound to it, or the one its domain's maker makes); another kind
    // of selection, or a part without such a variable, gives NotSupported, a part the
    // variable does not hold InvalidArguments. The members before a failed entry stay.
    System::ResultCode SetMembers(const MmsVariableList& variables);
    // A getNamedVariableListAttributes answer: Deletable, then the members.
    System::ResultCode ApplyAttributes(const MmsGetNamedVariableListAttributesResponse& response);
    // One access result per member, in order (else InvalidArguments, nothing changed): a
    // success goes to the member's value, a failure marks the member's value with the
    // access error and the member's ErrStatus with AccessErrorBase + the DataAccessError.
    // OkNoError.
    System::ResultCode ApplyReadResults(const MmsAccessResultList& results);
    // The same for results taken one after the other (decoded or as received).
    System::ResultCode ApplyReadResults(AccessResults& results);
    // One write result per member, in order (else InvalidArguments, nothing changed):
    // success makes the
    // member's value valid, failure marks it with the access error. Each member's
    // ErrStatus takes its outcome; the last non-zero outcome is the list's ErrStatus and
    // the result. Under the model lock: the members' values are the model's.
    System::ResultCode ApplyWriteResults(const ModelHold& hold, const MmsWriteResponse& results);

    // Server: mmsDeletable and one variable spec per member (InvalidContext for a member
    // that is not a named variable).
    System::ResultCode FillAttributes(MmsGetNamedVariableListAttributesResponse& response) const;
    // One list entry naming each member, in order (InvalidContext for a member without a
    // name); a member whose name holds an index (a part of an array, IndexedItem.h) is
    // named as its array's variable with an alternate access that selects the part.
    System::ResultCode ToVariableList(MmsVariableList& variables) const;
    // One Data value per member, in order (the member's conversion failure otherwise).
    System::ResultCode ToDataList(MmsDataList& data) const;

    bool Deletable = false;
    std::string Name;
    std::list<Variable*> Members;
};

// Appends the entry that names the variable on the wire: its name, or for a variable of a
// part of an array (its name holds an index, IndexedItem.h) the array's variable with an
// alternate access that selects the part. The naming's failure otherwise (NotSupported
// for a variable whose owner cannot name it).
System::ResultCode AppendVariableEntry(const NamedVariable& variable, MmsVariableList& variables);

}  // namespace Mms
