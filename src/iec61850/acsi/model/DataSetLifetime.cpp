#include "iec61850/acsi/model/DataSetLifetime.h"

#include <memory>
#include <new>

#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/DataSetAssociation.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/user/Domain.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"

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

    std::unique_ptr<Mms::NamedVariableList> list(new (std::nothrow)
                                                     Mms::NamedVariableList(domain->GetConnection(), listName, domain));
    if (list == nullptr) return System::NoResources;
    // Made apart from the node, so that a failure leaves the node untouched; the member
    // lookups take the model lock themselves.
    std::unique_ptr<DataSet> dataSet(new (std::nothrow) DataSet(logicalNode, name, list.get()));
    if (dataSet == nullptr) return System::NoResources;
    if (members != nullptr) {
        if (const System::ResultCode added = dataSet->AddMembers(*members); added != System::OkNoError) return added;
    }
    // The domain and the node are walked by other threads (the program's trees, the ICD
    // export, the model reading) under the model lock: the name is checked and the set
    // entered in one hold.
    const Mms::ModelHold hold(Mms::VMD::Of(domain));
    if (Mms::VMD::Of(domain) != nullptr && !hold.Taken()) return hold.GetResult();
    if (logicalNode->FindDataSet(name) != nullptr || domain->FindNamedVariableList(listName) != nullptr) {
        return System::AlreadyExist;
    }
    if (const System::ResultCode filed = domain->AddObject(list.get()); filed != System::OkNoError) return filed;
    Mms::NamedVariableList* filedList = list.release();  // the domain's now
    DataSet* raw = dataSet.get();
    if (const System::ResultCode entered = logicalNode->AdoptDataSet(std::move(dataSet));
        entered != System::OkNoError) {
        if (domain->RemoveNamedVariableList(filedList) == System::OkNoError) delete filedList;
        return entered;
    }
    created = raw;
    return System::OkNoError;
}

System::ResultCode CreateAssociationDataSet(DataSetAssociation& association, const std::string& name,
                                            const std::vector<ValueRecord>& members, DataSet*& created) {
    created = nullptr;
    if (association.FindDataSet(name) != nullptr) return System::AlreadyExist;
    Mms::MmsUserConnection* user = association.GetMmsUser();
    std::unique_ptr<Mms::NamedVariableList> list(new (std::nothrow) Mms::NamedVariableList(user, name));
    if (list == nullptr) return System::NoResources;
    if (list->ErrStatus != System::OkNoError) return list->ErrStatus;  // not filed: still ours
    // Filed with the MMS user from here on; taken back out on every failure.
    auto undo = [&list, user](System::ResultCode failure) {
        user->RemoveObject(list.get());
        return failure;
    };
    std::unique_ptr<DataSet> dataSet(new (std::nothrow) DataSet(&association, name, list.get()));
    if (dataSet == nullptr) return undo(System::NoResources);
    if (const System::ResultCode added = dataSet->AddMembers(members); added != System::OkNoError) {
        dataSet.reset();
        return undo(added);
    }
    DataSet* raw = dataSet.get();
    if (const System::ResultCode entered = association.AdoptDataSet(std::move(dataSet)); entered != System::OkNoError) {
        return undo(entered);
    }
    list.release();  // the MMS user's now
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
    DataSetAssociation* association = dataSet.GetAssociation();
    if (parent == nullptr && association != nullptr && association->FindDataSet(name) == &dataSet) {
        association->ReleaseDataSet(name).reset();
        return System::OkNoError;
    }
    return System::InvalidContext;
}

}  // namespace Iec61850::Acsi
