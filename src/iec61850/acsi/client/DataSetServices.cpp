#include "iec61850/acsi/client/DataSetServices.h"

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/ServiceModel.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/DataSetLifetime.h"
#include "mms/user/NamedVariableList.h"

namespace Iec61850::Acsi {

using System::ResultCode;

namespace {

// Takes a data set out of the model or its association, under the model lock; with
// deleteList its named variable list goes too (after a deletion answer it is gone
// already and is not looked at).
void Forget(Server* server, TPAppAssociation& association, DataSet* dataSet, bool deleteList) {
    if (server == nullptr || dataSet == nullptr) return;
    const Mms::ModelHold hold(server);
    if (!hold.Taken()) return;
    Mms::NamedVariableList* list = deleteList ? dataSet->GetList() : nullptr;
    RemoveDataSet(*dataSet);
    if (list != nullptr) {
        Mms::MmsObject* owner = list->GetOwner();
        const ResultCode taken =
            owner != nullptr ? owner->RemoveNamedVariableList(list) : association.RemoveObject(list);
        if (taken == System::OkNoError) delete list;
    }
}

}  // namespace

// ---- GetDataSetDirectory ----

GetDataSetDirectory::GetDataSetDirectory(TPAppAssociation& association, std::string reference, AnswerFrom answerFrom)
    : Service(association, answerFrom), reference(std::move(reference)) {}

void GetDataSetDirectory::execute() {
    Service::execute();
    if (IsLocal()) return CompleteWith(System::OkNoError);
    if (const ResultCode found = GetAssociation().FindDataSet(reference, dataSet); found != System::OkNoError) {
        return CompleteWith(found);
    }
    Mms::NamedVariableList* list = dataSet->GetList();
    if (list == nullptr) return CompleteWith(System::Error);
    Handed(GetAssociation().GetNamedVariableListAttributes(this, list));
}

void GetDataSetDirectory::complete() {
    ResultFromServiceError();
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetDataSetDirectory(static_cast<GetDataSetDirectory*>(&service));
    });
}

// ---- GetDataSetValues ----

GetDataSetValues::GetDataSetValues(TPAppAssociation& association, std::string reference, AnswerFrom answerFrom)
    : Service(association, answerFrom), reference(std::move(reference)) {}

void GetDataSetValues::execute() {
    Service::execute();
    if (GetAssociation().FindDataSet(reference, dataSet) != System::OkNoError) return CompleteNotFound();
    if (IsLocal()) return CompleteWith(System::OkNoError);
    Mms::NamedVariableList* list = dataSet->GetList();
    if (list == nullptr) return CompleteWith(System::Error);
    Handed(GetAssociation().ReadNamedVariableList(this, list));
}

Service::Direct GetDataSetValues::SendDirect() {
    Server* server = GetServer();
    if (IsLocal() || server == nullptr || !MayHoldModel(*server)) return Direct::NotSent;
    Mms::NamedVariableList* list = nullptr;
    {
        const Mms::ModelHold hold(server, DirectHoldWaitMs);
        if (!hold.Taken()) return Direct::NotSent;
        DataSet* named = nullptr;
        if (GetAssociation().FindDataSet(hold, reference, named) != System::OkNoError) return Direct::NotSent;
        list = named->GetList();
        if (list == nullptr) return Direct::NotSent;
        dataSet = named;
    }
    BeginDirect();
    return SentDirect(GetAssociation().ReadNamedVariableList(this, list));
}

void GetDataSetValues::complete() {
    ResultFromServiceError();
    if (Server* server = GetServer(); dataSet != nullptr && server != nullptr) {
        const Mms::ModelHold hold(server);
        if (hold.Taken()) dataSet->GetMemberValues(values);
    }
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetDataSetValues(static_cast<GetDataSetValues*>(&service));
    });
}

// ---- SetDataSetValues ----

SetDataSetValues::SetDataSetValues(TPAppAssociation& association, std::string reference,
                                   std::vector<ValueRecord> values, AnswerFrom answerFrom)
    : Service(association, answerFrom), reference(std::move(reference)), values(std::move(values)) {}

void SetDataSetValues::execute() {
    Service::execute();
    if (GetAssociation().FindDataSet(reference, dataSet) != System::OkNoError) return CompleteNotFound();
    if (IsLocal()) return CompleteWith(System::OkNoError);
    Mms::NamedVariableList* list = dataSet->GetList();
    if (list == nullptr) return CompleteWith(System::Error);
    // Takes the model lock itself; a text that does not fit refuses before anything is sent.
    if (const ResultCode taken = dataSet->SetMemberValues(values, staged); taken != System::OkNoError) {
        return CompleteWith(taken);
    }
    Handed(GetAssociation().WriteNamedVariableList(this, list, &staged.Variables()));
}

void SetDataSetValues::complete() {
    ResultFromServiceError();
    if (Server* server = GetServer(); server != nullptr && !IsLocal()) {
        const Mms::ModelHold hold(server);
        if (hold.Taken()) staged.Commit(hold, WriteAnswerApplied(*this));
    }
    Confirm([](ClientApplication& client, Service& service) {
        client.OnSetDataSetValues(static_cast<SetDataSetValues*>(&service));
    });
}

// ---- CreateDataSet ----

CreateDataSet::CreateDataSet(TPAppAssociation& association, std::string reference, std::vector<ValueRecord> members,
                             AnswerFrom answerFrom)
    : Service(association, answerFrom), reference(std::move(reference)), members(std::move(members)) {}

void CreateDataSet::execute() {
    Service::execute();
    if (IsLocal()) return CompleteWith(System::InvalidArguments);
    DataSet* existing = nullptr;
    const ResultCode found = GetAssociation().FindDataSet(reference, existing);
    if (found != System::OkNoError && found != System::InvalidArguments) return CompleteWith(found);
    if (existing != nullptr) return CompleteWith(System::AlreadyExist);
    if (const ResultCode made = GetAssociation().CreateDataSetObject(*this); made != System::OkNoError) {
        return CompleteWith(made);
    }
    Mms::NamedVariableList* list = created != nullptr ? created->GetList() : nullptr;
    if (list == nullptr) return CompleteWith(System::Error);
    Handed(GetAssociation().DefineNamedVariableList(this, list));
}

void CreateDataSet::complete() {
    ResultFromServiceError();
    // A definition the device refused (or never answered) leaves nothing behind.
    if (GetResult() != System::OkNoError && created != nullptr) {
        Forget(GetServer(), GetAssociation(), created, true);
        created = nullptr;
    }
    Confirm([](ClientApplication& client, Service& service) {
        client.OnCreateDataSet(static_cast<CreateDataSet*>(&service));
    });
}

// ---- DeleteDataSet ----

DeleteDataSet::DeleteDataSet(TPAppAssociation& association, std::string reference, AnswerFrom answerFrom)
    : Service(association, answerFrom), reference(std::move(reference)) {}

void DeleteDataSet::execute() {
    Service::execute();
    if (IsLocal()) return CompleteWith(System::InvalidArguments);
    const ResultCode found = GetAssociation().FindDataSet(reference, dataSet);
    if (found != System::OkNoError) return CompleteWith(found);
    Mms::NamedVariableList* list = dataSet->GetList();
    if (list == nullptr) return CompleteWith(System::Error);
    Handed(GetAssociation().DeleteNamedVariableList(this, list));
}

void DeleteDataSet::complete() {
    ResultFromServiceError();
    // The device deleted it, and the answer its list: the model's data set goes with it.
    if (GetResult() == System::OkNoError && dataSet != nullptr) {
        Forget(GetServer(), GetAssociation(), dataSet, false);
        dataSet = nullptr;
    }
    Confirm([](ClientApplication& client, Service& service) {
        client.OnDeleteDataSet(static_cast<DeleteDataSet*>(&service));
    });
}

}  // namespace Iec61850::Acsi
