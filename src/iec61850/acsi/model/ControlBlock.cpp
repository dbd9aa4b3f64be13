#include "iec61850/acsi/model/ControlBlock.h"

#include <array>
#include <memory>
#include <new>
#include <string>

#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ComponentVariable.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Structure.h"
#include "system/StringText.h"

namespace Iec61850::Acsi {

namespace {

struct KindPrefix {
    std::string_view prefix;
    std::int32_t kind;
};

// In the order they are tried: shorter prefixes first.
constexpr std::array<KindPrefix, 8> kKindPrefixes = {{
    {"LCB", ObjectClassLcb},
    {"BRCB", ObjectClassBrcb},
    {"URCB", ObjectClassUrcb},
    {"SGCB", ObjectClassSgcb},
    {"GOCB", ObjectClassGoCb},
    {"GSCB", ObjectClassGsCb},
    {"MSVCB", ObjectClassMsvCb},
    {"USVCB", ObjectClassUsvCb},
}};

}  // namespace

std::int32_t ControlBlockKindFromName(std::string_view name) {
    for (const KindPrefix& entry : kKindPrefixes) {
        if (name.size() >= entry.prefix.size() &&
            System::CompareNoCase(name.substr(0, entry.prefix.size()), entry.prefix) == 0) {
            return entry.kind;
        }
    }
    return NoControlBlock;
}

ControlBlock::ControlBlock(NamedObject* parent, std::string name, Mms::MmsObject* mmsObject, DataSet* dataSet)
    : NamedObject(parent, std::move(name), mmsObject) {
    SetDataSet(dataSet);
}

ControlBlock::~ControlBlock() { SetDataSet(nullptr); }

void ControlBlock::SetDataSet(DataSet* dataSet) {
    if (dataSet_ == dataSet) return;
    if (dataSet_ != nullptr) dataSet_->DetachBlock(this);
    dataSet_ = dataSet;
    if (dataSet_ != nullptr) dataSet_->AttachBlock(this);
}

void ControlBlock::ForgetDataSet(const DataSet* dataSet) {
    if (dataSet_ == dataSet) dataSet_ = nullptr;
}

System::ResultCode ControlBlock::Build() {
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr || variable->GetValue() == nullptr ||
        variable->GetValue()->GetClassId() != Mms::StructureClassId) {
        return System::OkNoError;
    }
    auto& structure = static_cast<Mms::Structure&>(*variable->GetValue());
    for (std::size_t i = 0; i < structure.GetComponentCount(); ++i) {
        Mms::Container& component = *structure.GetComponent(i);
        const std::string& name = component.GetName();
        if (name.empty()) continue;
        Mms::NamedVariable* bound = nullptr;
        std::unique_ptr<Mms::NamedVariable> unfiled;
        const System::ResultCode found = VariableForComponent(*variable, component, name, bound, unfiled);
        if (found != System::OkNoError) return found;
        NamedObject* child = FindOwnedChild(name);
        if (child == nullptr) {
            std::unique_ptr<DataItem> made(new (std::nothrow) DataItem(this, name, bound, nullptr));
            if (made == nullptr) return System::NoResources;
            if (unfiled != nullptr) made->OwnVariable(std::move(unfiled));
            child = made.get();
            if (const System::ResultCode adopted = AdoptChild(std::move(made)); adopted != System::OkNoError) {
                return adopted;
            }
        }
        if (const System::ResultCode built = child->Build(); built != System::OkNoError) return built;
    }
    return System::OkNoError;
}

System::ResultCode ControlBlock::Bind(const Mms::ModelHold& hold) {
    const System::ResultCode found = BindAttribute("DatSet", datSet_);
    if (found != System::OkNoError) return found;
    if (datSet_ == nullptr) return System::InvalidState;
    std::string name;
    if (const System::ResultCode text = datSet_->ToText(name); text != System::OkNoError) return text;
    if (name.empty()) return System::OkNoError;
    if (GetServer() == nullptr) return System::InvalidContext;
    DataSet* dataSet = nullptr;
    const System::ResultCode result = GetServer()->FindDataSet(hold, name, dataSet);
    SetDataSet(result == System::OkNoError ? dataSet : nullptr);
    return result;
}

System::ResultCode ControlBlock::CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) {
    const std::int32_t kind = GetKind();
    const bool report = kind == ObjectClassBrcb || kind == ObjectClassUrcb;
    if (objectClass == kind || objectClass == AnyControlBlock || (report && objectClass == AnyReportControlBlock)) {
        found.push_back(this);
    }
    return NamedObject::CollectByClass(objectClass, found);
}

System::ResultCode ControlBlock::Create() { return BindVariable(Scl::BasicTypeCode::Struct); }

System::ResultCode ControlBlock::BindAttribute(std::string_view name, Mms::Container*& value) {
    return GetChildValue(name, value);
}

System::ResultCode ControlBlock::BindAttribute(std::string_view name, std::string_view alternative,
                                               Mms::Container*& value) {
    if (FindOwnedChild(name) != nullptr) return GetChildValue(name, value);
    return GetChildValue(alternative, value);
}

System::ResultCode ControlBlock::CreateAttribute(std::string_view name, Scl::BasicTypeCode code) {
    Mms::NamedVariable* variable = nullptr;
    const System::ResultCode result = CreateMmsVariable(code, GetBoundMmsObject(), name, variable);
    if (result == System::OkNoError && variable->GetOwner() == nullptr) unfiledAttributes_.emplace_back(variable);
    return result;
}

System::ResultCode ControlBlock::CreateAttributes(std::initializer_list<AttributeSpec> attributes) {
    for (const AttributeSpec& attribute : attributes) {
        if (const System::ResultCode result = CreateAttribute(attribute.name, attribute.code);
            result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

}  // namespace Iec61850::Acsi
