// The server's answers made from its model: data names in dictionary order and data
// definitions.

#include <algorithm>

#include "iec61850/acsi/AcsiTexts.h"
#include "iec61850/acsi/DataItem.h"
#include "iec61850/acsi/LogicalNode.h"
#include "iec61850/acsi/Server.h"
#include "iec61850/scl/BasicTypeCode.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/ElementType.h"

namespace Iec61850::Acsi {

using System::ResultCode;

namespace {

// The names in the order of the type's elements (the others after them), or sorted
// without duplicates when there is no type.
std::vector<std::string> InTypeOrder(const Scl::Element* description, const std::vector<std::string>& names) {
    std::vector<std::string> ordered;
    if (description != nullptr && description->type != nullptr) {
        description->type->SortNamesByElementOrder(ordered, names);
        return ordered;
    }
    ordered = names;
    std::sort(ordered.begin(), ordered.end());
    ordered.erase(std::unique(ordered.begin(), ordered.end()), ordered.end());
    return ordered;
}

void Define(NamedObject& object, std::vector<DataDefinitionRecord>& records) {
    auto* item = dynamic_cast<DataItem*>(&object);
    if (item == nullptr) return;
    std::vector<std::string> names;
    for (const NamedObject* child : item->GetChildren()) names.push_back(child->GetName());
    for (const std::string& name : InTypeOrder(item->GetDescription(), names)) {
        auto* child = dynamic_cast<DataItem*>(item->FindOwnedChild(name));
        if (child == nullptr) continue;
        DataDefinitionRecord record;
        if (child->GetModelClass() == ModelClass::DataAttribute) {
            if (const auto code = Scl::FindBasicTypeCode(child->GetCdc()))
                record.basicType = static_cast<std::int32_t>(*code);
        }
        record.name = child->GetName();
        record.reference = child->GetReference();
        record.fc = child->GetFcName();
        record.typeName = child->GetCdc();
        record.valueClass = child->GetValueClassName();
        records.push_back(std::move(record));
        Define(*child, records);
    }
}

}  // namespace

ResultCode Server::ListDataNames(LogicalNode& node, std::list<std::string>& names) {
    std::list<NamedObject*> data;
    if (node.CollectByClass(ObjectClassData, data) != System::OkNoError) return 12;
    std::vector<std::string> collected;
    for (const NamedObject* object : data) collected.push_back(object->GetName());
    for (std::string& name : InTypeOrder(node.GetClassType(), collected)) names.push_back(std::move(name));
    return System::OkNoError;
}

ResultCode Server::BuildDataDefinition(std::string_view reference, std::vector<DataDefinitionRecord>& records) {
    return Locked([&]() -> ResultCode {
        std::list<NamedObject*> objects;
        const ResultCode resolved = ResolveReference(reference, "", objects);
        if (resolved != System::OkNoError) return resolved;
        for (NamedObject* object : objects) Define(*object, records);
        return System::OkNoError;
    });
}

}  // namespace Iec61850::Acsi
