#include "iec61850/acsi/model/DataItem.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <set>
#include <string>

#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ComponentVariable.h"
#include "iec61850/acsi/model/SharedText.h"
#include "iec61850/scl/DA.h"
#include "iec61850/scl/ElementType.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Array.h"
#include "mms/values/Structure.h"
#include "system/NumberText.h"

namespace Iec61850::Acsi {

namespace {

// Structured members that are attributes although no description says so: the
// constructed attribute types of the common data classes.
constexpr std::array<std::string_view, 49> kStructuredAttributes = {
    "angSVC",  "Cancel",   "crvPts",  "cVal",   "har",         "instCVal", "instMag", "mag",      "magSVC",  "max",
    "maxVal",  "min",      "minVal",  "netHar", "neutHar",     "Oper",     "origin",  "phsABHar", "phsAHar", "phsBCHar",
    "phsBHar", "phsCAHar", "phsCHar", "plsCfg", "pulseConfig", "rangeC",   "resHar",  "SBOw",     "setMag",  "stepSize",
    "subCVal", "subMag",   "subVal",  "sVC",    "units",       "valWTr",   "xUnit",   "yUnit",    "ang",     "hhLim",
    "hLim",    "lLim",     "llLim",   "phsA",   "phsB",        "phsC",     "neut",    "net",      "res",
};

bool IsStructuredAttribute(std::string_view name) {
    return std::find(kStructuredAttributes.begin(), kStructuredAttributes.end(), name) != kStructuredAttributes.end();
}

const char* ClassNameOf(const Mms::Container* value) { return value != nullptr ? value->GetClassName() : ""; }

bool IsStructure(const Mms::Container& container) { return container.GetClassId() == Mms::StructureClassId; }

// A new child whose value is the parent's member of that name; its variable comes when asked for.
template <typename Item>
std::unique_ptr<DataItem> MakeChild(NamedObject* parent, std::string_view name, const Scl::Element* description) {
    return std::unique_ptr<DataItem>(new (std::nothrow) Item(parent, std::string(name), ValueInParent{}, description));
}

}  // namespace

DataItem::DataItem(NamedObject* parent, std::string name, Mms::MmsObject* mmsObject, const Scl::Element* description)
    : NamedObject(parent, std::move(name), mmsObject) {
    SetDescription(description);
}

DataItem::DataItem(NamedObject* parent, std::string name, ValueInParent, const Scl::Element* description)
    : NamedObject(parent, std::move(name), ValueInParent{}) {
    SetDescription(description);
}

void DataItem::SetDescription(const Scl::Element* description) {
    description_ = description;
    typeName_ =
        &SharedText(description != nullptr && description->GetTypeName() != nullptr ? description->GetTypeName() : "");
    valueClassName_ = &SharedText(ClassNameOf(GetValueContainer()));
}

ModelClass DataItem::GetModelClass() const { return ModelClass::DataItem; }

const Scl::Element* DataItem::ChildDescriptions() const {
    if (description_ != nullptr) return description_;
    // An array element has no description of its own: its members are those of the array's.
    if (GetName().find('[') == std::string::npos) return nullptr;
    const auto* parent = dynamic_cast<const DataItem*>(GetParent());
    return parent != nullptr ? parent->description_ : nullptr;
}

System::ResultCode DataItem::Build() {
    Mms::Container* value = GetValueContainer();
    if (value == nullptr) return System::OkNoError;
    switch (value->GetClassId()) {
        case Mms::StructureClassId: return BuildStructure(*value);
        case Mms::ArrayClassId: return BuildArray(*value);
        default: return System::OkNoError;
    }
}

System::ResultCode DataItem::BuildStructure(Mms::Container& value) {
    auto& structure = static_cast<Mms::Structure&>(value);
    const Scl::Element* descriptions = ChildDescriptions();
    for (std::size_t i = 0; i < structure.GetComponentCount(); ++i) {
        Mms::Container& component = *structure.GetComponent(i);
        const std::string& name = component.GetName();
        if (name.empty()) continue;  // a member without a name has no reference
        auto* child = dynamic_cast<DataItem*>(FindOwnedChild(name));
        if (child == nullptr) {
            const Scl::Element* element = nullptr;
            if (descriptions != nullptr && descriptions->type != nullptr) {
                element = descriptions->type->FindElement(name);
            }
            std::unique_ptr<DataItem> made;
            if (element == nullptr) {
                const bool data = IsStructure(component) && !IsStructuredAttribute(name);
                made = data ? MakeChild<Data>(this, name, nullptr) : MakeChild<DataAttribute>(this, name, nullptr);
            } else {
                switch (element->kind) {
                    case Scl::ElementKind::DO:
                    case Scl::ElementKind::SDO: made = MakeChild<Data>(this, name, element); break;
                    case Scl::ElementKind::DA: {
                        // Described only under its own constraint: the same name elsewhere is
                        // another attribute.
                        const bool ownFc = Scl::DescribesUnderFc(*element, GetFcName());
                        made = MakeChild<DataAttribute>(this, name, ownFc ? element : nullptr);
                        break;
                    }
                    case Scl::ElementKind::BDA: made = MakeChild<DataAttribute>(this, name, element); break;
                    default: return System::OkNoError;
                }
            }
            if (made == nullptr) return System::NoResources;
            child = made.get();
            if (const System::ResultCode adopted = AdoptChild(std::move(made)); adopted != System::OkNoError) {
                return adopted;
            }
        }
        if (const System::ResultCode built = child->Build(); built != System::OkNoError) return built;
    }
    return System::OkNoError;
}

System::ResultCode DataItem::BuildArray(Mms::Container& value) {
    auto& array = static_cast<Mms::Array&>(value);
    // Never past the elements that the type describes.
    const std::size_t count = std::min<std::size_t>(array.GetElementCount(), array.GetNumberOfElements());
    for (std::size_t i = 0; i < count; ++i) {
        Mms::Container& element = *array.GetElement(i);
        std::string index;
        System::FormatUInt64(index, i);
        const std::string name = "[" + index + "]";
        auto* child = dynamic_cast<DataItem*>(FindOwnedChild(name));
        if (child == nullptr) {
            std::unique_ptr<DataItem> made = IsStructure(element) ? MakeChild<DataItem>(this, name, nullptr)
                                                                  : MakeChild<DataAttribute>(this, name, nullptr);
            if (made == nullptr) return System::NoResources;
            child = made.get();
            if (const System::ResultCode adopted = AdoptChild(std::move(made)); adopted != System::OkNoError) {
                return adopted;
            }
        }
        if (const System::ResultCode built = child->Build(); built != System::OkNoError) return built;
    }
    return System::OkNoError;
}

System::ResultCode DataItem::CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) {
    std::set<const NamedObject*> asked;
    auto ask = [&](NamedObject* child) -> System::ResultCode {
        if (child == nullptr || !asked.insert(child).second) return System::OkNoError;
        return child->CollectByClass(objectClass, found);
    };
    if (description_ != nullptr && description_->type != nullptr) {
        for (const Scl::Element* element : description_->type->Elements()) {
            if (element->name == nullptr) continue;
            if (const System::ResultCode result = ask(FindOwnedChild(element->name)); result != System::OkNoError) {
                return result;
            }
        }
    }
    for (NamedObject* child : GetChildren()) {
        if (const System::ResultCode result = ask(child); result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

ObjectState DataItem::SetState(ObjectState state) {
    NamedObject::SetState(state);
    for (NamedObject* child : GetChildren()) child->SetState(state);
    return GetState();
}

void DataItem::CountKinds(ModelTally& tally) const {
    CountSelf(tally);
    for (const NamedObject* child : GetChildren()) child->CountKinds(tally);
}

System::ResultCode DataItem::SetValueText(std::string_view text) {
    if (Mms::Container* value = ValueWithoutVariable()) return value->FromText(text);
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr) return System::InvalidContext;
    return variable->FromText(text);
}

System::ResultCode DataItem::GetValueText(std::string& text) {
    if (Mms::Container* value = ValueWithoutVariable()) return value->ToText(text);
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr) return System::InvalidContext;
    return variable->ToText(text);
}

System::ResultCode DataItem::AddChild(std::string_view name, Scl::BasicTypeCode code, DataItem*& child) {
    return System::NotImplemented;
}

System::ResultCode DataItem::AddAttribute(std::string_view name, Scl::BasicTypeCode code, DataItem*& child,
                                          DataItem*& existing) {
    existing = dynamic_cast<DataItem*>(FindOwnedChild(name));
    if (FindOwnedChild(name) != nullptr) return System::AlreadyExist;
    std::unique_ptr<DataItem> made(new (std::nothrow) DataAttribute(this, std::string(name), nullptr, nullptr));
    if (made == nullptr) return System::NoResources;
    if (const System::ResultCode bound = made->BindVariable(code); bound != System::OkNoError) return bound;
    const Scl::Element* element = nullptr;
    if (description_ != nullptr && description_->type != nullptr) element = description_->type->FindElement(name);
    made->SetDescription(element);
    DataItem* added = made.get();
    if (const System::ResultCode adopted = AdoptChild(std::move(made)); adopted != System::OkNoError) return adopted;
    child = added;
    return System::OkNoError;
}

System::ResultCode DataItem::CollectValues(std::vector<ValueRecord>& records) {
    if (GetChildren().empty()) {
        ValueRecord record{GetFcName(), GetReference(), {}};
        GetValueText(record.value);
        records.push_back(std::move(record));
        return System::OkNoError;
    }
    for (NamedObject* child : GetChildren()) {
        if (auto* item = dynamic_cast<DataItem*>(child)) item->CollectValues(records);
    }
    return System::OkNoError;
}

System::ResultCode Data::CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) {
    if (objectClass == ObjectClassData) found.push_back(this);
    return DataItem::CollectByClass(objectClass, found);
}

ModelClass Data::GetModelClass() const { return ModelClass::Data; }

System::ResultCode Data::AddChild(std::string_view name, Scl::BasicTypeCode code, DataItem*& child) {
    DataItem* existing = nullptr;
    return AddAttribute(name, code, child, existing);
}

System::ResultCode DataAttribute::CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) {
    if (objectClass == ObjectClassDataAttribute) found.push_back(this);
    return DataItem::CollectByClass(objectClass, found);
}

ModelClass DataAttribute::GetModelClass() const { return ModelClass::DataAttribute; }

System::ResultCode DataAttribute::AddChild(std::string_view name, Scl::BasicTypeCode code, DataItem*& child) {
    DataItem* existing = nullptr;
    const System::ResultCode result = AddAttribute(name, code, child, existing);
    if (result == System::AlreadyExist) child = existing;
    return result;
}

}  // namespace Iec61850::Acsi
