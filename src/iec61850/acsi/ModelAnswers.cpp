#include "iec61850/acsi/ModelAnswers.h"

#include <list>
#include <string>

#include "iec61850/acsi/AcsiTexts.h"
#include "iec61850/acsi/DirectoryServices.h"
#include "iec61850/acsi/LogicalDevice.h"
#include "iec61850/acsi/LogicalNode.h"
#include "iec61850/acsi/Server.h"

namespace Iec61850::Acsi {

using System::ResultCode;

std::int32_t ListLogicalDevices(Server& server, GetServerDirectory& service) {
    if (service.objectClass != ObjectClassLogicalDevice) return System::Error;
    if (const ResultCode taken = server.Lock(); taken != System::OkNoError) return taken;
    for (const auto& [name, device] : server.GetLogicalDevices()) service.names.push_back(device->GetReference());
    server.Unlock();
    return System::OkNoError;
}

std::int32_t ListLogicalNodes(Server& server, GetLogicalDeviceDirectory& service) {
    if (const ResultCode taken = server.Lock(); taken != System::OkNoError) return taken;
    const LogicalDevice* device = server.FindDevice(service.device);
    if (device == nullptr) {
        server.Unlock();
        service.SetServiceError(1);
        return System::InvalidArguments;
    }
    for (const auto& [name, node] : device->GetLogicalNodes()) service.names.push_back(name);
    server.Unlock();
    return System::OkNoError;
}

std::int32_t AnswerLogicalNodeDirectory(Server& server, GetLogicalNodeDirectory& service) {
    if (const ResultCode taken = server.Lock(); taken != System::OkNoError) return taken;
    LogicalNode* node = server.FindNode(service.node);
    ResultCode result = System::InvalidArguments;
    if (node != nullptr && service.objectClass == ObjectClassData) {
        std::list<std::string> names;
        result = server.ListDataNames(*node, names);
        service.SetServiceError(result);
        if (result == System::OkNoError) service.names.splice(service.names.end(), names);
    } else if (node != nullptr) {
        std::list<NamedObject*> objects;
        result = node->CollectByClass(service.objectClass, objects);
        if (result != System::OkNoError) {
            service.SetServiceError(12);
        } else {
            for (const NamedObject* object : objects) service.names.push_back(object->GetName());
        }
    }
    server.Unlock();
    return result;
}

}  // namespace Iec61850::Acsi
