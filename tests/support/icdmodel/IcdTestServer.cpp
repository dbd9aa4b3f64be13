#include "support/icdmodel/IcdTestServer.h"

#include <stdexcept>

#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/user/Domain.h"
#include "mms/user/IndexedItem.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/values/Structure.h"

namespace IcdTestModel {

using Iec61850::Acsi::DataItem;

// The exporter's view of the stand-in (the exporter owns it; the server outlives it).
class TestServerSource : public Iec61850::Acsi::Scl::IcdModelSource {
public:
    explicit TestServerSource(IcdTestServer& server) : server_(server) {}

    Mms::ModelHold HoldModel() override { return Mms::ModelHold(&server_, server_.lockWaitMs); }
    std::vector<LogicalDevice*> GetLogicalDevices() const override {
        if (!server_.IsModelLockedByThisThread()) ++server_.unlockedModelReads;
        std::vector<LogicalDevice*> devices;
        for (const auto& [name, device] : server_.devices) devices.push_back(device.get());
        return devices;
    }
    std::vector<std::pair<std::string, std::string>> GetProfileParameters() const override {
        return {server_.profile.begin(), server_.profile.end()};
    }
    bool IsServiceSupported(std::int32_t service) const override {
        return server_.connected && server_.negotiatedServices.contains(service);
    }
    std::string GetVendorName() const override { return server_.GetIdentity().vendorName; }
    std::string GetModelName() const override { return server_.GetIdentity().modelName; }

private:
    IcdTestServer& server_;
};

namespace {

// Every name of a value down to the leaves, as a device's flat name list gives them.
template <typename Names>
void ListNames(const std::string& prefix, const Mms::Container& value, Names& names) {
    names.push_back(prefix);
    if (const auto* structure = dynamic_cast<const Mms::Structure*>(&value)) {
        for (std::size_t i = 0; i < structure->GetComponentCount(); ++i) {
            const Mms::Container& component = *structure->GetComponent(i);
            ListNames(prefix + "$" + component.GetName(), component, names);
        }
    }
}

}  // namespace

IcdTestServer::IcdTestServer() {
    SetIdentity({"Test Vendor", "Test IED", "1.00", {}});
    profile = {{"LocalAeQualifier", "12"},      {"LocalApId", "1.1.1.999"},  {"LocalNAddress", "127.0.0.1"},
               {"LocalPSelector", "1"},         {"LocalSSelector", "1"},     {"LocalSTimeout", "2000"},
               {"LocalTSelector", "1"},         {"RemoteAeQualifier", "12"}, {"RemoteApId", "1.1.1.999.1"},
               {"RemoteNAddress", "127.0.0.1"}, {"RemoteNPort", "102"},      {"RemotePSelector", "1"},
               {"RemoteSSelector", "1"},        {"RemoteTSelector", "1"}};
    exporter_ = Iec61850::Acsi::Scl::MakeIcdExporter(std::make_unique<TestServerSource>(*this));
}

IcdTestServer::~IcdTestServer() {
    exporter_.reset();
    devices.clear();  // the model goes before the domains it is bound to
}

Iec61850::Acsi::Scl::IcdExporter& IcdTestServer::Exporter() const {
    return static_cast<Iec61850::Acsi::Scl::IcdExporter&>(*exporter_);
}

LogicalDevice& IcdTestServer::AddDevice(const std::string& name, const std::vector<NodeShape>& nodes) {
    auto domain = std::make_unique<Mms::Domain>(nullptr, name, this);
    if (AddObject(domain.get()) != System::OkNoError) throw std::runtime_error("domain " + name + " not filed");
    Mms::Domain* filed = domain.release();
    auto device = std::make_unique<LogicalDevice>(this, filed);
    BuildNodes(*device, nodes);
    LogicalDevice& added = *device;
    devices[name] = std::move(device);
    return added;
}

DataSet* IcdTestServer::AddDataSet(const std::string& device, const std::string& node, const std::string& name,
                                   const std::vector<std::string>& members) {
    LogicalDevice& owner = *devices.at(device);
    owner.dataSetNames = {node + "$" + name};
    owner.BuildDataSetsFromDirectory();
    LogicalNode* logicalNode = owner.FindLogicalNode(node);
    DataSet* dataSet = logicalNode != nullptr ? logicalNode->FindDataSet(name) : nullptr;
    if (dataSet == nullptr) return nullptr;
    Mms::NamedVariableList* list = dataSet->GetList();
    list->Members.clear();
    for (const std::string& member : members) {
        Mms::NamedVariable* variable = owner.GetDomain()->FindNamedVariable(member);
        // A part of an array element ("name(i)$cVal") is the variable the model makes for it.
        const std::string part = Mms::ComponentItemOf(member);
        if (variable == nullptr && !part.empty()) variable = owner.GetDomain()->FindNamedVariable(part);
        if (variable == nullptr) return nullptr;
        list->Members.push_back(variable);
    }
    return dataSet->Build() == System::OkNoError ? dataSet : nullptr;
}

NamedObject* IcdTestServer::Find(const std::string& fc, const std::string& reference) const {
    const std::size_t slash = reference.find('/');
    if (slash == std::string::npos) return nullptr;
    const auto device = devices.find(reference.substr(0, slash));
    if (device == devices.end()) return nullptr;
    NamedObject* found = nullptr;
    device->second->Find(fc, reference, found);
    return found;
}

bool IcdTestServer::SetValue(const std::string& fc, const std::string& reference, const std::string& text) {
    auto* item = dynamic_cast<DataItem*>(Find(fc, reference));
    Mms::Container* value = nullptr;
    if (item == nullptr || item->GetValue(value) != System::OkNoError || value == nullptr) return false;
    // The value arrives as a device's read answer carries it, decoded from MMS Data.
    ContainerTestSupport::Data data = ContainerTestSupport::NewData();
    return value->FromText(text) == System::OkNoError && value->ToData(*data) == System::OkNoError &&
           value->FromData(*data) == System::OkNoError;
}

void IcdTestServer::BindAll() {
    const Mms::ModelHold hold(this);
    for (auto& [name, device] : devices) device->Bind(hold);
}

System::ResultCode IcdTestServer::ResolveReference(const Mms::ModelHold&, std::string_view reference,
                                                   std::string_view fc, std::list<NamedObject*>& found) {
    if (NamedObject* object = Find(std::string(fc), std::string(reference))) found.push_back(object);
    return System::OkNoError;
}

System::ResultCode IcdTestServer::FindDataSet(const Mms::ModelHold&, std::string_view reference, DataSet*& found) {
    found = nullptr;
    const std::size_t slash = reference.find('/');
    const std::size_t split = reference.find_first_of("$.", slash);
    if (slash == std::string_view::npos || split == std::string_view::npos) return System::InvalidArguments;
    const auto device = devices.find(reference.substr(0, slash));
    if (device == devices.end()) return System::InvalidArguments;
    LogicalNode* node = device->second->FindLogicalNode(reference.substr(slash + 1, split - slash - 1));
    found = node != nullptr ? node->FindDataSet(reference.substr(split + 1)) : nullptr;
    return found != nullptr ? System::OkNoError : System::InvalidArguments;
}

void BuildNodes(LogicalDevice& device, const std::vector<NodeShape>& nodes) {
    Mms::Domain* domain = device.GetDomain();
    for (const NodeShape& node : nodes) {
        const Mms::Structure shape(*node.type());
        ListNames(node.name, shape, device.directoryNames);
    }
    device.directoryState = Iec61850::Acsi::DirectoryState::Complete;
    device.BuildFromDirectory();
    for (const NodeShape& node : nodes) {
        MmsObjectTest::Retype(*domain->FindNamedVariable(node.name), node.type());
        LogicalNode* built = device.FindLogicalNode(node.name);
        if (built == nullptr || built->Build() != System::OkNoError) {
            throw std::runtime_error("node " + device.GetName() + "/" + node.name + " not built");
        }
    }
}

std::string AnswersText(const std::vector<std::pair<std::string, std::vector<std::pair<std::string, int>>>>& sections) {
    std::string text = "<Answers>";
    for (const auto& [section, items] : sections) {
        text += "<" + section + ">";
        for (const auto& [item, value] : items) text += "<" + item + " Value=\"" + std::to_string(value) + "\"/>";
        text += "</" + section + ">";
    }
    return text + "</Answers>";
}

}  // namespace IcdTestModel
