#include "support/icdmodel/DeviceModelImport.h"

#include <stdexcept>

#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"

namespace IcdTestModel {

namespace {

template <typename T>
std::vector<std::pair<std::string, T*>> ObjectsOf(Mms::MmsObject& owner, std::int32_t objectClass) {
    std::vector<std::pair<std::string, T*>> objects;
    const Mms::ObjectMap* map = nullptr;
    if (auto* vmd = dynamic_cast<Mms::VMD*>(&owner)) map = vmd->GetObjectMap(objectClass);
    if (auto* domain = dynamic_cast<Mms::Domain*>(&owner)) map = domain->GetObjectMap(objectClass);
    if (map == nullptr) return objects;
    for (const auto& [name, object] : *map) {
        if (auto* typed = dynamic_cast<T*>(object)) objects.emplace_back(name, typed);
    }
    return objects;
}

// The type description of the device's variable, as its type answer would carry it.
Type TypeOf(Mms::NamedVariable& variable) {
    Type type = ContainerTestSupport::NewType();
    if (variable.GetValue() == nullptr || variable.GetValue()->ToTypeSpec(*type) != System::OkNoError) {
        throw std::runtime_error("no type for " + variable.Name);
    }
    return type;
}

}  // namespace

void ImportDeviceModel(IcdTestServer& server, Mms::VMD& device) {
    // Who it says it is: the file names its manufacturer.
    server.SetIdentity(device.GetIdentity());
    for (const auto& [domainName, domain] : ObjectsOf<Mms::Domain>(device, Mms::MmsClassDomain)) {
        const auto variables = ObjectsOf<Mms::NamedVariable>(*domain, Mms::MmsClassNamedVariable);
        std::vector<NodeShape> nodes;
        for (const auto& [name, variable] : variables) {
            if (name.find('$') != std::string::npos) continue;
            nodes.push_back({name, [variable = variable] { return TypeOf(*variable); }});
        }
        server.AddDevice(domainName, nodes);

        // The values, node by node: each node's variable holds its components' values.
        Mms::Domain& image = *server.devices.at(domainName)->GetDomain();
        for (const auto& [name, variable] : variables) {
            if (name.find('$') != std::string::npos || variable->GetValue() == nullptr) continue;
            Mms::NamedVariable* copy = image.FindNamedVariable(name);
            ContainerTestSupport::Data data = ContainerTestSupport::NewData();
            if (copy == nullptr || copy->GetValue() == nullptr ||
                variable->GetValue()->ToData(*data) != System::OkNoError) {
                continue;
            }
            copy->GetValue()->FromData(*data);
        }

        for (const auto& [name, list] : ObjectsOf<Mms::NamedVariableList>(*domain, Mms::MmsClassNamedVariableList)) {
            const std::size_t dollar = name.find('$');
            if (dollar == std::string::npos) continue;  // a device's own sets are not a node's
            std::vector<std::string> members;
            for (const Mms::Variable* member : list->Members) {
                // A member's name carries its domain ("LD0/XCBR1$ST$Pos").
                std::string memberName;
                if (member != nullptr && member->GetName(memberName) == System::OkNoError) {
                    members.push_back(memberName.substr(memberName.find('/') + 1));
                }
            }
            if (server.AddDataSet(domainName, name.substr(0, dollar), name.substr(dollar + 1), members) == nullptr) {
                std::string listed;
                for (const std::string& member : members) listed += " " + member;
                throw std::runtime_error("data set " + domainName + "/" + name + " not made:" + listed);
            }
        }
    }
    server.BindAll();
}

}  // namespace IcdTestModel
