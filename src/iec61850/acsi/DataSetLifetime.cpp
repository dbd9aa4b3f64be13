#include "iec61850/acsi/DataSetLifetime.h"

#include <memory>
#include <new>

#include "iec61850/acsi/DataSet.h"
#include "iec61850/acsi/LogicalDevice.h"
#include "iec61850/acsi/LogicalNode.h"
#include "mms/Domain.h"
#include "mms/NamedVariableList.h"

namespace Iec61850::Acsi {

System::ResultCode CreateNodeDataSet(NamedObject& node, const std::string& name,
                                     const std::vector<ValueRecord>* members, DataSet*& created) {
    created = nullptr;
    auto* logicalNode = dynamic_cast<LogicalNode*>(&node);
    if (logicalNode == nullptr) return System::InvalidArguments;
    auto* device = dynamic_cast<LogicalDevice*>(node.GetParent());
    Mms::Domain* domain = device != nullptr ? device->GetDomain() : nullptr;
    if (domain == nullptr) return System::InvalidState;
    const std::string listName = node.GetName() + "$" + name;
    if (logicalNode->FindDataSet(name) != nullptr || domain->FindNamedVariableList(listName) != nullptr) {
        return System::AlreadyExist;
    }

    std::unique_ptr<Mms::NamedVariableList> list(new (std::nothrow)
                                                     Mms::NamedVariableList(domain->GetConnection(), listName, domain));
    if (list == nullptr) return System::NoResources;
    // Made apart from the node, so that a failure leaves the node untouched.
    std::unique_ptr<DataSet> dataSet(new (std::nothrow) DataSet(logicalNode, name, list.get()));
    if (dataSet == nullptr) return System::NoResources;
    if (members != nullptr) {
        if (const System::ResultCode added = dataSet->AddMembers(*members); added != System::OkNoError) return added;
    }
    if (const System::ResultCode filed = domain->AddObject(list.get()); filed != System::OkNoError) return filed;
    list.release();  // the domain's now
    DataSet* raw = dataSet.get();
    if (const System::ResultCode entered = logicalNode->AdoptDataSet(std::move(dataSet));
        entered != System::OkNoError) {
        return entered;
    }
    created = raw;
    return System::OkNoError;
}

System::ResultCode RemoveDataSet(DataSet& dataSet) {
    NamedObject* parent = dataSet.GetParent();
    const std::string& name = dataSet.GetName();
    // The named variable list stays: the MMS objects own it (a deletion answer removes it).
    if (auto* node = dynamic_cast<LogicalNode*>(parent); node != nullptr && node->FindDataSet(name) == &dataSet) {
        node->ReleaseDataSet(name).reset();
        return System::OkNoError;
    }
    if (auto* device = dynamic_cast<LogicalDevice*>(parent);
        device != nullptr && device->FindDataSet(name) == &dataSet) {
        device->ReleaseDataSet(name).reset();
        return System::OkNoError;
    }
    return System::InvalidContext;
}

}  // namespace Iec61850::Acsi
