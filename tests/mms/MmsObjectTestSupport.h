#pragma once

// Helpers of the object-model and service-user tests: typed named variables, object
// names and the small coder values the VMD's answering operations take.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mms/ContainerTestSupport.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"
#include "mms/values/Structure.h"

namespace MmsObjectTest {

using ContainerTestSupport::FloatType;
using ContainerTestSupport::SimpleType;
using ContainerTestSupport::StructureType;
using ContainerTestSupport::Type;

// Gives the variable a value of the described type.
inline System::ResultCode Retype(Mms::NamedVariable& variable, Type description) {
    Mms::CoderValue<Mms::MmsTypeSpecification> spec(Mms::MmsTypeSpecificationType);
    spec->present = Mms::MmsTypeSpecificationDescription;
    Mms::MmsTakeOver(spec->choice.typeDescription, *description);
    return variable.SetType(*spec);
}

// A named variable of the type, filed with the owner; null when filing failed.
inline Mms::NamedVariable* AddVariable(Mms::MmsObject& owner, const std::string& name, Type description) {
    auto variable = std::make_unique<Mms::NamedVariable>(owner.GetConnection(), name, &owner);
    if (owner.AddObject(variable.get()) != System::OkNoError) return nullptr;
    Mms::NamedVariable* filed = variable.release();
    Retype(*filed, std::move(description));
    return filed;
}

// The IEC 61850-like status structure used throughout: stVal INT8, q BIT STRING(13).
inline Type StatusType() {
    std::vector<std::pair<std::string, Type>> components;
    components.emplace_back("stVal", SimpleType(Mms::MmsTypeInteger, 8));
    components.emplace_back("q", SimpleType(Mms::MmsTypeBitString, 13));
    return StructureType(std::move(components));
}

// A component of a structured value by its "$" path below the variable.
inline Mms::Container* Component(Mms::Variable& variable, const std::string& path) {
    Mms::Container* at = variable.GetValue();
    std::size_t start = 0;
    while (at != nullptr && start <= path.size()) {
        const std::size_t end = path.find('$', start);
        const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        auto* structure = dynamic_cast<Mms::Structure*>(at);
        at = structure != nullptr ? structure->FindComponent(part) : nullptr;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return at;
}

inline std::string Text(Mms::Variable& variable) {
    std::string text;
    variable.ToText(text);
    return text;
}

inline std::string Text(Mms::Container* container) {
    std::string text;
    if (container != nullptr) container->ToText(text);
    return text;
}

// An object name: vmd-specific when domain is empty.
class Name {
public:
    Name(const std::string& domain, const std::string& item) : value_(Mms::MmsObjectNameType) {
        Mms::MmsSetObjectName(*value_, domain, item);
    }
    const Mms::MmsObjectName& operator*() { return *value_; }

private:
    Mms::CoderValue<Mms::MmsObjectName> value_;
};

}  // namespace MmsObjectTest
