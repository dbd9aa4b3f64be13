#include "iec61850/acsi/model/ComponentVariable.h"

#include <new>
#include <string>

#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Container.h"

namespace Iec61850::Acsi {

Mms::NamedVariable* NamedVariableOf(Mms::MmsObject* object) {
    if (object == nullptr || object->GetClassId() != Mms::NamedVariableClassId) return nullptr;
    return static_cast<Mms::NamedVariable*>(object);
}

System::ResultCode VariableForComponent(Mms::NamedVariable& parent, Mms::Container& component, std::string_view name,
                                        Mms::NamedVariable*& variable, std::unique_ptr<Mms::NamedVariable>& unfiled) {
    variable = nullptr;
    unfiled.reset();
    if (Mms::ValueHolder* bound = component.GetBoundVariable(); bound != nullptr) {
        variable = NamedVariableOf(dynamic_cast<Mms::Variable*>(bound));
        return variable != nullptr ? System::OkNoError : System::InvalidContext;
    }
    Mms::Domain* domain = nullptr;
    if (Mms::MmsObject* owner = parent.GetOwner(); owner != nullptr) {
        if (owner->GetClassId() != Mms::DomainClassId) return System::InvalidContext;
        domain = static_cast<Mms::Domain*>(owner);
    }
    const std::string fullName = parent.Name + "$" + std::string(name);
    if (domain != nullptr) {
        if (Mms::NamedVariable* held = domain->FindFiledVariable(fullName); held != nullptr) {
            const System::ResultCode bound = component.Bind(held, nullptr);
            if (bound == System::OkNoError) variable = held;
            return bound;
        }
    }
    std::unique_ptr<Mms::NamedVariable> made(new (std::nothrow)
                                                 Mms::NamedVariable(parent.GetConnection(), fullName, domain));
    if (made == nullptr) return System::NoResources;
    if (const System::ResultCode bound = component.Bind(made.get(), nullptr); bound != System::OkNoError) return bound;
    if (domain != nullptr) {
        if (const System::ResultCode filed = domain->AddObject(made.get()); filed != System::OkNoError) return filed;
        variable = made.release();
        return System::OkNoError;
    }
    variable = made.get();
    unfiled = std::move(made);
    return System::OkNoError;
}

}  // namespace Iec61850::Acsi
