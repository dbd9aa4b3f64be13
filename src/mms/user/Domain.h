#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>

#include "mms/user/MmsObject.h"
#include "system/NameList.h"

namespace Mms {

struct MmsDomainAttributes;
struct MmsGetDomainAttributesResponse;
struct MmsGetNameListResponse;
class NameListPage;
class NamedVariable;
class NamedVariableList;
class Variable;

// The number of basic object classes of ISO 9506: 0 named variable .. 13 access
// control list (9 is the domain itself).
inline constexpr std::int32_t BasicObjectClassCount = 14;

// An MMS domain: a named part of the VMD (an IEC 61850 logical device) that holds
// its own named objects. On the server side it answers name lists and its attributes;
// on the client side it is the image of the peer's domain.
//
// The domain owns every object filed in its maps and its unnamed variables and
// deletes them with itself. Named variable lists do not own their members.
class Domain : public MmsObject {
public:
    // Makes the variable of a name the domain has not filed yet, from what the owner of
    // its image knows (a device's model makes a component's variable when first asked for).
    class VariableMaker {
    public:
        virtual ~VariableMaker() = default;
        // The variable of that item, filed with the domain; null when it names nothing.
        virtual NamedVariable* MakeNamedVariable(std::string_view item) = 0;
    };

    explicit Domain(MmsObject* owner = nullptr);
    Domain(MmsUserConnection* connection, std::string name, MmsObject* owner);
    ~Domain() override;

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // "Name" sets the name and files the domain with its owner (that result;
    // InvalidState, nothing changed, for a new name while the owner holds it under
    // the old one); "State" 0..15 (else OutOfRange, kept); "Deletable" and "Sharable" take a
    // boolean text; other names as MmsObject.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    // A named variable or a named variable list under its name (OkNoError; Error when
    // the name is taken, nothing changed); a plain variable joins the unnamed variables
    // once (OkNoError); any other class: InvalidContext.
    System::ResultCode AddObject(MmsObject* object) override;
    // Takes the list's name out of the list map when it is this list: OkNoError; Error
    // when not there; InvalidContext for an object that is no named variable list. The
    // list is not deleted.
    System::ResultCode RemoveNamedVariableList(MmsObject* list) override;
    bool HoldsObject(const MmsObject* object) const override;

    // Server: a name-list answer from the map of the class (MmsClassNamedVariable ..
    // MmsClassJournal, MmsClassProgramInvocation .. MmsClassAccessControlList). Any other
    // class: reject code MmsRejectRequestInvalidArgument and Error.
    // The names are copied into the page, which the response then shows (NameListPage).
    virtual System::ResultCode GetNameList(std::int32_t objectClass, const std::string* continueAfter,
                                           NameListPage& page, MmsGetNameListResponse& response,
                                           std::uint32_t byteBudget, std::int32_t& rejectCode);
    // Server: the getDomainAttributes answer (no program invocations are listed).
    System::ResultCode FillAttributes(MmsGetDomainAttributesResponse& response) const;
    // Client: takes a getDomainAttributes answer (state 0..15, else OutOfRange and
    // nothing taken); a program invocation object is made for each listed name that the
    // domain does not hold yet.
    System::ResultCode ApplyAttributes(const MmsDomainAttributes& attributes);

    // The map of a basic object class; null for MmsClassDomain and outside the classes.
    ObjectMap* GetObjectMap(std::int32_t objectClass);
    const ObjectMap* GetObjectMap(std::int32_t objectClass) const;
    // The filed variable of that item, else the one the maker makes now (see SetVariableMaker).
    NamedVariable* FindNamedVariable(std::string_view item) const;
    // Only a variable already filed: for makers, which must not ask themselves.
    NamedVariable* FindFiledVariable(std::string_view item) const;
    // Who makes the variables of "$" names not filed yet (none: nobody). Not owned; the
    // maker takes itself out (null) before it goes.
    void SetVariableMaker(VariableMaker* maker) { maker_ = maker; }
    VariableMaker* GetVariableMaker() const { return maker_; }
    NamedVariableList* FindNamedVariableList(std::string_view item) const;
    // A variable by text: an item of this domain, or "domain/item" looked up through
    // the owning VMD (InvalidContext when the owner is not a VMD). InvalidArguments when
    // there is none; Error for any other number of "/".
    System::ResultCode FindVariable(std::string_view text, NamedVariable*& variable) const;
    const std::list<Variable*>& GetUnnamedVariables() const { return unnamedVariables_; }

    // Client: creates one object of the class (connection, name, owner this domain)
    // per name and files it; a name already filed keeps its object, so that nothing
    // bound to it is left dangling. NoResources when memory runs out (earlier names
    // stay).
    System::ResultCode FileObjects(std::int32_t objectClass, const System::NameList& names);
    // Client: the domain's attributes, named variables (with their types and values)
    // and named variable lists (with their members) fetched from the peer through the
    // connection; the first failure is returned.
    System::ResultCode LoadFromPeer();
    // The two halves of LoadFromPeer: attributes and variables first, so that the lists
    // of every domain find their members when the VMD loads several domains.
    System::ResultCode LoadVariablesFromPeer();
    System::ResultCode LoadListsFromPeer();

    std::string Name;
    std::list<std::string> Capabilities;
    std::uint32_t State = 0;
    bool Deletable = false;
    bool Sharable = false;
    std::int8_t UploadInProgress = 0;

private:
    System::ResultCode FetchNames(std::int32_t objectClass);

    std::array<ObjectMap, BasicObjectClassCount> maps_;
    std::list<Variable*> unnamedVariables_;
    VariableMaker* maker_ = nullptr;
};

}  // namespace Mms
