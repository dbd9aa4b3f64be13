#pragma once

#include <string>
#include <string_view>

#include "mms/user/MmsObject.h"
#include "mms/values/ValueHolder.h"

namespace Mms {

class Container;
class ModelHold;
struct MmsAccessResult;
struct MmsData;
struct MmsGetVariableAccessAttributesResponse;
struct MmsTypeDescription;
struct MmsTypeSpecification;
struct MmsVariableSpecification;
struct MmsWriteResult;

// An MMS variable. Its value is a container with the value's type description. A
// variable owns a top-level container that is bound to it; a container that is a
// component of a structure stays owned by that structure and is only linked here
// (ValueHolder, which also deletes an owned value and unlinks a borrowed one).
class Variable : public MmsObject, public ValueHolder {
public:
    Variable() = default;
    explicit Variable(MmsObject* owner);
    Variable(MmsUserConnection* connection, MmsObject* owner);

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // "Deletable" takes a boolean text; other names as Object.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    // Only named variables have names: empties the text, NotSupported.
    virtual System::ResultCode GetName(std::string& name) const;
    // The variable as a VariableSpecification (which must be empty): only named
    // variables have one; the base gives NotSupported.
    virtual System::ResultCode ToVariableSpecification(MmsVariableSpecification& spec) const;
    // Allocates an empty spec when the slot is empty (NoResources when memory
    // runs out), then ToVariableSpecification.
    System::ResultCode NewVariableSpecification(MmsVariableSpecification*& slot) const;
    // getVariableAccessAttributes on the variable's connection (NotConnected without
    // one); the answer rebuilds the type.
    virtual System::ResultCode GetAccessAttributes();
    // Unless always, nothing is asked for a valid value (OkNoError). Otherwise a read or
    // write of the variable on its connection, answered asynchronously; the AndWait
    // forms wait for the answer and return its outcome.
    virtual System::ResultCode Read(bool always);
    virtual System::ResultCode Write(bool always);
    System::ResultCode ReadAndWait(bool always);
    System::ResultCode WriteAndWait(bool always);
    // Rebuilds the value from a type: NotImplemented here (only named variables are typed).
    virtual System::ResultCode SetType(const MmsTypeSpecification& type);

    // Applies one access result of a read answer: a success goes to the value (a variable
    // without a value takes one of the data's own type), a failure marks the value with
    // the access error. The outcome: the value's result, or AccessErrorBase + the
    // DataAccessError for a failure, or InvalidResponse for an unknown choice or a
    // failure code that cannot be kept (IsKeptAccessErrorCode; the value is left as it is).
    System::ResultCode ApplyReadResult(const MmsAccessResult& result);
    // Applies one write result the same way: a success makes the value valid. Under the
    // model lock: the value is the model's.
    System::ResultCode ApplyWriteResult(const ModelHold& hold, const MmsWriteResult& result);
    // A getVariableAccessAttributes answer: Deletable, then the type (an answer that
    // gives an address: NotImplemented).
    System::ResultCode ApplyAccessAttributes(const MmsGetVariableAccessAttributesResponse& response);
    // The value as MMS Data, into an empty Data: NotInitialized without a value.
    System::ResultCode ValueToData(MmsData& data) const;
    // Allocates the Data first when the slot is empty (NoResources when memory runs out).
    System::ResultCode NewData(MmsData*& slot) const;

    // Forwarded to the value; NotInitialized while the variable has none.
    System::ResultCode FromText(std::string_view text);
    System::ResultCode Assign(const Container& other);
    System::ResultCode ToText(std::string& text);
    System::ResultCode ToXml(std::string& text);

    bool Deletable = false;

protected:
    // Makes a new container, which has no variable yet, the value. Named variables also
    // bind the components of a structure to their own "$" variables.
    virtual System::ResultCode AdoptValue(Container* container);
    // Replaces the value by a container built from the description (in its place when the
    // value is a member of a structure or an array) and adopts it.
    System::ResultCode RebuildValue(const MmsTypeDescription& type);
};

}  // namespace Mms
