#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mms/values/Object.h"
#include "system/ResultCode.h"

namespace Mms {

struct MmsData;
struct MmsTypeDescription;
struct MmsTypeSpecification;
class Structure;
class ValueHolder;

// Value states of a container.
inline constexpr std::int32_t StateValid = 0;
inline constexpr std::int32_t StateNoValue = 1;
inline constexpr std::int32_t StateFromText = 3;  // typed in, not yet sent or confirmed
inline constexpr std::int32_t StateAccessError = 5;
inline constexpr std::int32_t StateInvalidType = 6;  // sticky: only "SyncState" leaves it

// An access error is kept in the error status as the DataAccessError code plus this.
inline constexpr std::int32_t AccessErrorBase = 256;
// The received DataAccessError codes that can be kept so: a negative one would read as
// another result (even as success), a larger one would not fit.
inline constexpr bool IsKeptAccessErrorCode(std::int32_t code) {
    return code >= 0 && code <= INT32_MAX - AccessErrorBase;
}

// One MMS value together with its type description. A container converts its value
// between text, decoded MMS Data and its type description, and renders itself as XML.
//
// Type parameters are fixed by construction (or by their attributes): values that
// arrive later, from text, from Data or from another container, never change them, and
// a value that does not fit is refused with the old value kept. Text is raw; escaping
// happens only where XML is written. Containers have no lock of their own: their
// owner's lock guards them.
//
// Data and type descriptions written by ToData and ToTypeSpec are coder values: the
// caller releases them through their descriptors (MmsDataType, MmsTypeDescriptionType).
// Both require an empty value (choice 0) and leave it empty when they fail; only BCD
// fills its Data and still answers NotImplemented.
class Container : public Object {
public:
    // Clears the link of its holder and leaves its parent (structure or array) without it.
    ~Container() override;

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // "Name", "SyncState" (0..6, else OutOfRange), "ErrStatus", and "ReferenceType" and
    // "ReferenceName" (ignored). Other names are ignored. Subclasses try their own names
    // first. Numbers that do not read give InvalidArguments, the old value kept.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    // True in the valid state; arrays and structures: when every member is valid.
    virtual bool IsValid() const;
    // Ignored in the invalid-type state. Arrays and structures pass it to every member.
    virtual void SetState(std::int32_t state);

    // Makes this the value of the holder (a variable), once: Error when already bound. A
    // holder takes over a top-level container; a member of a structure or an array stays
    // owned there. Structures also bind their named components to the named variables of
    // the map (see Structure).
    virtual System::ResultCode Bind(ValueHolder* holder, const ObjectMap* variables);

    // Writes the type description into an empty one.
    virtual System::ResultCode ToTypeSpec(MmsTypeDescription& type) = 0;

    // Equal when both text forms can be made and are the same, whatever the classes.
    virtual bool Equals(Container& other);

    virtual System::ResultCode FromText(std::string_view text) = 0;
    // Takes the value of another container of the same class; this container keeps its
    // type parameters and refuses a value that does not fit them.
    virtual System::ResultCode Assign(const Container& other) = 0;
    // Keeps code + AccessErrorBase in the error status and moves to the access-error
    // state; returns the error status.
    virtual std::int32_t SetAccessError(std::int32_t code);
    virtual System::ResultCode FromData(const MmsData& data) = 0;
    // Simple types replace the text; arrays and structures append to it.
    virtual System::ResultCode ToText(std::string& text) = 0;
    virtual System::ResultCode ToData(MmsData& data) = 0;
    // NotImplemented except for bit strings, integers and unsigned integers.
    virtual System::ResultCode GetBit(std::uint32_t index, bool& bit) const;
    // Appends one "c" element with escaped name and value. Always OkNoError.
    virtual System::ResultCode WriteXml(std::string& text);

    std::int32_t GetState() const { return state_; }
    // The component name within the parent structure; empty for array elements and
    // top-level containers.
    const std::string& GetName() const { return name_; }
    // What the container is the value of (a variable); null while unbound.
    ValueHolder* GetBoundVariable() const { return holder_; }
    // The array or structure that owns this container, or null.
    Container* GetParent() const { return parent_; }
    Structure* GetParentStructure() const;

protected:
    // Error status -1, no value.
    Container();

    bool HasInvalidType() const { return state_ == StateInvalidType; }
    // Refuses the type description: the invalid-type state with the reason kept.
    void RefuseType(System::ResultCode reason);
    // A value was taken or written: valid state, error status 0.
    void MarkValid();
    // Keeps the result in the error status and returns it.
    System::ResultCode Record(System::ResultCode result) {
        ErrStatus = result;
        return result;
    }
    // Same class id as this one; otherwise error status and result InvalidArguments.
    System::ResultCode CheckSameClass(const Container& other);
    // The description is of the choice: error status 0. Otherwise the invalid-type state
    // with InvalidArguments. Answers whether it is.
    bool AcceptTypeChoice(const MmsTypeDescription& type, std::int32_t choice);
    // The data is of the choice; otherwise error status InvalidArguments. Answers
    // whether it is.
    bool AcceptDataChoice(const MmsData& data, std::int32_t choice);
    // ToTypeSpec of a type without parameters: the choice into an empty description,
    // error status 0.
    System::ResultCode WriteTypeChoice(MmsTypeDescription& type, std::int32_t choice);
    // Ends ToData once the value is written: valid on success; on failure the data is
    // emptied and the reason kept in the error status.
    System::ResultCode FinishData(MmsData& data, System::ResultCode written);
    // What ToText answers in the invalid-type state: the text emptied, InvalidState.
    static System::ResultCode RefuseText(std::string& text);
    // A "Precision" attribute: 8 up to `largest` bits, else OutOfRange; numbers that do
    // not read give InvalidArguments. The old precision stays on failure.
    static System::ResultCode ParsePrecision(std::uint8_t& precision, std::string_view value, unsigned largest);
    // The choice of the data is `choice`; otherwise InvalidArguments.
    static System::ResultCode CheckDataChoice(const MmsData& data, std::int32_t choice);
    // The data is empty (choice 0); otherwise InvalidArguments.
    static System::ResultCode CheckEmptyData(const MmsData& data);
    // The type description is empty (choice 0); otherwise InvalidArguments.
    static System::ResultCode CheckEmptyType(const MmsTypeDescription& type);
    // Releases what a failed conversion left in the data and empties it.
    static void ClearData(MmsData& data);
    static void ClearType(MmsTypeDescription& type);

private:
    friend class CompositeContainer;
    friend class DataDecoder;
    friend class Structure;
    friend class ValueHolder;
    friend System::ResultCode NewContainerFromType(const MmsTypeDescription& type, Container*& holder);

    void ForgetHolder(const ValueHolder* holder);
    // A member is being destroyed: the parent lets go of it without deleting it.
    virtual void ForgetMember(Container* member);
    // Puts the replacement in the member's place (name included) and hands the member
    // back, detached; null and the replacement kept when this holds no such member.
    virtual std::unique_ptr<Container> ReplaceMember(Container& member, std::unique_ptr<Container>& replacement);

    std::int32_t state_ = StateNoValue;
    ValueHolder* holder_ = nullptr;
    Container* parent_ = nullptr;
    std::string name_;
};

}  // namespace Mms
