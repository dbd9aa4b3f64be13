// The server's answers made from its model: data names in dictionary order and data
// definitions.

#include <algorithm>

#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/scl/BasicTypeCode.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/ElementType.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Structure.h"

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

ResultCode Server::ListDataNames(const Mms::ModelHold&, LogicalNode& node, std::list<std::string>& names) {
    std::list<NamedObject*> data;
    if (node.CollectByClass(ObjectClassData, data) != System::OkNoError) return 12;
    std::vector<std::string> collected;
    for (const NamedObject* object : data) collected.push_back(object->GetName());
    for (std::string& name : InTypeOrder(node.GetClassType(), collected)) names.push_back(std::move(name));
    return System::OkNoError;
}

ResultCode Server::BuildDataDefinition(std::string_view reference, std::vector<DataDefinitionRecord>& records) {
    return Locked([&](const Mms::ModelHold& hold) -> ResultCode {
        std::list<NamedObject*> objects;
        const ResultCode resolved = ResolveReference(hold, reference, "", objects);
        if (resolved != System::OkNoError) return resolved;
        for (NamedObject* object : objects) Define(*object, records);
        return System::OkNoError;
    });
}

ResultCode Server::RegisterLogicalDevices(GetServerDirectory& service) {
    for (std::string_view name : service.names) AddLogicalDevice(std::string(name));
    return System::OkNoError;
}

ResultCode Server::ListLogicalDevices(GetServerDirectory& service) {
    if (service.objectClass != ObjectClassLogicalDevice) return System::Error;
    return Locked([&](const Mms::ModelHold&) -> ResultCode {
        service.names.clear();
        for (const auto& [name, device] : logicalDevices_) service.names.push_back(device->GetReference());
        return System::OkNoError;
    });
}

ResultCode Server::ListLogicalNodes(GetLogicalDeviceDirectory& service) {
    return Locked([&](const Mms::ModelHold& hold) -> ResultCode {
        // A device's answer holds flat MMS names: none of them passes for a node.
        service.names.clear();
        LogicalDevice* device = FindDevice(hold, service.device);
        if (device == nullptr) {
            service.SetServiceError(1);
            return System::InvalidArguments;
        }
        for (const auto& [name, node] : device->GetLogicalNodes()) service.names.push_back(name);
        return System::OkNoError;
    });
}

ResultCode Server::AnswerLogicalNodeDirectory(GetLogicalNodeDirectory& service) {
    return Locked([&](const Mms::ModelHold& hold) -> ResultCode {
        LogicalNode* node = FindNode(hold, service.node);
        if (node == nullptr) return System::InvalidArguments;
        if (service.objectClass == ObjectClassData) {
            std::list<std::string> names;
            service.SetServiceError(ListDataNames(hold, *node, names));
            for (const std::string& name : names) service.names.push_back(name);
            return System::OkNoError;
        }
        std::list<NamedObject*> objects;
        if (const ResultCode collected = node->CollectByClass(service.objectClass, objects);
            collected != System::OkNoError) {
            service.SetServiceError(12);
            return collected;
        }
        for (const NamedObject* object : objects) service.names.push_back(object->GetName());
        return System::OkNoError;
    });
}

ResultCode Server::ListAllDataValues(GetAllDataValues& service) {
    return Locked([&](const Mms::ModelHold& hold) -> ResultCode {
        LogicalNode* node = FindNode(hold, service.node);
        if (node == nullptr) {
            service.SetServiceError(1);
            return System::InvalidArguments;
        }
        std::list<std::string> names;
        service.SetServiceError(ListDataNames(hold, *node, names));
        for (const std::string& name : names) {
            std::list<NamedObject*> data;
            node->CollectByName(name, data);
            for (NamedObject* object : data) {
                std::list<NamedObject*> attributes;
                object->CollectByClass(ObjectClassDataAttribute, attributes);
                for (NamedObject* attribute : attributes) {
                    auto* item = dynamic_cast<DataItem*>(attribute);
                    if (item == nullptr || !item->GetChildren().empty()) continue;
                    if (!service.fc.empty() && item->GetFcName() != service.fc) continue;
                    std::string text;
                    item->GetValueText(text);
                    service.values.push_back({item->GetFcName(), item->GetReference(), text});
                }
            }
        }
        return System::OkNoError;
    });
}

ResultCode Server::ListDataComponents(GetDataDirectory& service) {
    return Locked([&](const Mms::ModelHold& hold) -> ResultCode {
        auto* variable =
            service.found != nullptr ? dynamic_cast<Mms::NamedVariable*>(service.found->GetMmsObject(hold)) : nullptr;
        // Nothing bound to list components of (no target, or a group or block without a
        // named variable): the wrong kind of object, not a service the device lacks.
        if (variable == nullptr) return System::InvalidContext;
        auto* structure = dynamic_cast<Mms::Structure*>(variable->GetValue());
        if (structure == nullptr) return System::OkNoError;
        for (std::size_t index = 0; index < structure->GetComponentCount(); ++index) {
            if (const Mms::Container* member = structure->GetComponent(index))
                service.names.push_back(member->GetName());
        }
        return System::OkNoError;
    });
}

}  // namespace Iec61850::Acsi
