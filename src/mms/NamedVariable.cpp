#include "mms/NamedVariable.h"

#include <utility>

namespace Mms {

NamedVariable::NamedVariable(MmsObject* owner) : Variable(owner) {}

NamedVariable::NamedVariable(MmsUserConnection* connection, std::string name, MmsObject* owner)
    : Variable(connection, owner), Name(std::move(name)) {}

std::uint32_t NamedVariable::GetClassId() const { return NamedVariableClassId; }

const char* NamedVariable::GetClassName() const { return "NamedVariable"; }

System::ResultCode NamedVariable::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "Name") {
        Name = value;
        return AddObject(this);
    }
    return Variable::SetAttribute(name, value);
}

}  // namespace Mms
