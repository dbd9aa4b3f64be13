#pragma once

#include <string>
#include <string_view>

#include "mms/user/Variable.h"

namespace Mms {

struct MmsObjectName;

// A variable known by an item name within its owner (a domain or the VMD).
class NamedVariable : public Variable {
public:
    explicit NamedVariable(MmsObject* owner = nullptr);
    NamedVariable(MmsUserConnection* connection, std::string name, MmsObject* owner);

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // "Name" sets the name and files the variable with its owner (that result is
    // returned; InvalidState, nothing changed, for a new name while the owner holds the
    // variable under the old one); other names as Variable.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    // "domain/item" under a domain, "item" under the VMD; NotSupported (empty text)
    // under any other owner or none.
    System::ResultCode GetName(std::string& name) const override;
    // The name alternative with the object name below.
    System::ResultCode ToVariableSpecification(MmsVariableSpecification& spec) const override;
    // Rebuilds the value from the type description (a type name: NotSupported) and binds
    // it to this variable and, for a structure, its components to the owner's "$"
    // variables. The owner must be a domain or the VMD (else InvalidArguments).
    System::ResultCode SetType(const MmsTypeSpecification& type) override;
    // Domain-specific under a domain, vmd-specific under the VMD (the name is emptied
    // first); NotSupported under any other owner or none.
    virtual System::ResultCode ToObjectName(MmsObjectName& name) const;
    // The item name: a structure bound here binds its components to "<Name>$<component>".
    const std::string* ItemName() const override { return &Name; }

    // The item name, without the domain.
    std::string Name;

protected:
    System::ResultCode AdoptValue(Container* container) override;

private:
    // The owner's named variables (a domain's or the VMD's), null for any other owner.
    const ObjectMap* OwnerVariables() const;
};

}  // namespace Mms
