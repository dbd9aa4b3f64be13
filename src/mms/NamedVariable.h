#pragma once

#include <string>
#include <string_view>

#include "mms/Variable.h"

namespace Mms {

// A variable known by an item name within its owner (a domain or the VMD).
class NamedVariable : public Variable {
public:
    explicit NamedVariable(MmsObject* owner = nullptr);
    NamedVariable(MmsUserConnection* connection, std::string name, MmsObject* owner);

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // "Name" sets the name and files the variable with its owner (that result is
    // returned); other names as Variable.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    // The item name, without the domain.
    std::string Name;
};

}  // namespace Mms
