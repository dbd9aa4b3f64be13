#include <new>
#include <string>

#include "iec61850/acsi/model/ModelArray.h"
#include "iec61850/acsi/model/NamedObject.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {

namespace {

// Where a new variable goes: its domain (none for a variable no domain holds), its name,
// the container it joins (none for a top-level value) and the connection it runs on.
struct Placement {
    Mms::Domain* domain = nullptr;
    std::string name;
    Mms::Structure* structure = nullptr;
    ModelArray* array = nullptr;
    Mms::MmsUserConnection* connection = nullptr;
};

System::ResultCode Place(Mms::MmsObject* parent, std::string_view component, Placement& place) {
    if (parent == nullptr) {
        place.name = component;
        return System::OkNoError;
    }
    place.connection = parent->GetConnection();
    if (parent->GetClassId() == Mms::DomainClassId) {
        place.domain = static_cast<Mms::Domain*>(parent);
        place.name = component;
        return System::OkNoError;
    }
    if (parent->GetClassId() != Mms::NamedVariableClassId) return System::InvalidContext;
    auto* parentVariable = static_cast<Mms::NamedVariable*>(parent);
    if (Mms::MmsObject* owner = parentVariable->GetOwner(); owner != nullptr) {
        if (owner->GetClassId() != Mms::DomainClassId) return System::InvalidContext;
        place.domain = static_cast<Mms::Domain*>(owner);
    }
    Mms::Container* value = parentVariable->GetValue();
    if (value == nullptr) return System::InvalidState;
    place.structure = dynamic_cast<Mms::Structure*>(value);
    // Only an array the model made grows; a device's array has the elements it described.
    place.array = dynamic_cast<ModelArray*>(value);
    if (place.structure == nullptr && place.array == nullptr) return System::InvalidState;
    place.name = parentVariable->Name + "$" + std::string(component);
    return System::OkNoError;
}

}  // namespace

System::ResultCode NamedObject::CreateMmsVariable(Scl::BasicTypeCode code, Mms::MmsObject* parent,
                                                  std::string_view component, Mms::NamedVariable*& variable) {
    variable = nullptr;
    if (component.empty()) return System::InvalidArguments;
    Placement place;
    if (const System::ResultCode placed = Place(parent, component, place); placed != System::OkNoError) return placed;

    // Every variable has one owner: a name that the domain holds keeps its variable.
    Mms::NamedVariable* existing = place.domain != nullptr ? place.domain->FindFiledVariable(place.name) : nullptr;
    if (existing != nullptr && existing->GetValue() != nullptr) {
        variable = existing;
        return System::OkNoError;
    }

    // A component of that name that the parent's value already has is the value.
    Mms::Container* value = place.structure != nullptr ? place.structure->FindComponent(component) : nullptr;
    if (value != nullptr && value->GetBoundVariable() != nullptr) return System::AlreadyExist;
    std::unique_ptr<Mms::Container> made;
    if (value == nullptr) {
        if (const System::ResultCode result = BasicTypeFactory(code, made); result != System::OkNoError) return result;
        if (place.array == nullptr) made->SetAttribute("Name", component);
    }

    std::unique_ptr<Mms::NamedVariable> created;
    Mms::NamedVariable* target = existing;
    if (target == nullptr) {
        created.reset(new (std::nothrow) Mms::NamedVariable(place.connection, place.name, place.domain));
        if (created == nullptr) return System::NoResources;
        target = created.get();
    }

    // A member must be in its place before it is bound, so that the variable borrows it
    // instead of taking it over.
    if (made != nullptr) {
        value = made.get();
        System::ResultCode attached = System::OkNoError;
        if (place.structure != nullptr) {
            attached = place.structure->AddComponent(std::move(made));
        } else if (place.array != nullptr) {
            attached = place.array->AppendElement(std::move(made));
        }
        if (attached != System::OkNoError) return attached;
    }
    if (const System::ResultCode bound = value->Bind(target, nullptr); bound != System::OkNoError) return bound;
    made.release();  // a top-level value now belongs to the variable

    if (created != nullptr && place.domain != nullptr) {
        if (const System::ResultCode filed = place.domain->AddObject(target); filed != System::OkNoError) {
            return filed;
        }
    }
    variable = created != nullptr ? created.release() : existing;
    return System::OkNoError;
}

}  // namespace Iec61850::Acsi
