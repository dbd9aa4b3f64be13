#include "iec61850/acsi/client/DataValueServices.h"

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/ServiceModel.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Container.h"

namespace Iec61850::Acsi {

using System::ResultCode;

// ---- GetAllDataValues ----

GetAllDataValues::GetAllDataValues(TPAppAssociation& association, std::string node, std::string fc,
                                   AnswerFrom answerFrom)
    : Service(association, answerFrom), node(std::move(node)), fc(fc == "XX" ? std::string() : std::move(fc)) {}

void GetAllDataValues::execute() {
    Service::execute();
    if (IsLocal()) return CompleteWith(System::OkNoError);
    Server* server = GetServer();
    LogicalNode* logicalNode = nullptr;
    if (server == nullptr || server->FindLogicalNode(node, logicalNode) != System::OkNoError) {
        return CompleteNotFound();
    }
    Mms::Variable* variable = nullptr;
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        target = fc.empty() ? static_cast<NamedObject*>(logicalNode) : logicalNode->FindFc(fc);
        variable = VariableOf(hold, target);
    }
    if (variable == nullptr) return CompleteWith(System::InvalidArguments);
    Handed(GetAssociation().ReadVariable(this, variable));
}

Service::Direct GetAllDataValues::SendDirect() {
    Server* server = GetServer();
    if (IsLocal() || server == nullptr || !MayHoldModel(*server)) return Direct::NotSent;
    Mms::Variable* variable = nullptr;
    {
        // One hold for the node and its constraint, where execute takes two.
        const Mms::ModelHold hold(server, DirectHoldWaitMs);
        if (!hold.Taken()) return Direct::NotSent;
        LogicalNode* logicalNode = server->FindNode(hold, node);
        if (logicalNode == nullptr) return Direct::NotSent;
        NamedObject* object = fc.empty() ? static_cast<NamedObject*>(logicalNode) : logicalNode->FindFc(fc);
        variable = VariableOf(hold, object);
        if (variable == nullptr) return Direct::NotSent;
        target = object;
    }
    BeginDirect();
    return SentDirect(GetAssociation().ReadVariable(this, variable));
}

void GetAllDataValues::complete() {
    ResultFromServiceError();
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetAllDataValues(static_cast<GetAllDataValues*>(&service));
    });
}

// ---- GetDataValues ----

GetDataValues::GetDataValues(TPAppAssociation& association, std::string fc, std::string reference,
                             AnswerFrom answerFrom)
    : Service(association, answerFrom), fc(std::move(fc)), reference(std::move(reference)) {}

NamedObject* GetDataValues::ReadTarget(const std::list<NamedObject*>& found) {
    NamedObject* read = found.front();
    if (found.size() > 1) {
        NamedObject* node = nullptr;
        if (read->FindAncestor(ObjectClassLogicalNode, node) != System::OkNoError) return nullptr;
        read = node;
    }
    return read;
}

void GetDataValues::execute() {
    Service::execute();
    Server* server = FindReferenced(fc, reference, found);
    if (server == nullptr) return;
    if (IsLocal()) return CompleteWith(System::OkNoError);
    NamedObject* read = ReadTarget(found);
    if (read == nullptr) return CompleteWith(System::Error);
    Mms::Variable* variable = nullptr;
    {
        // A component read the first time gets its variable now, which files it with its
        // domain: as much a change of the model as the receive thread's.
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        variable = VariableOf(hold, read);
    }
    if (variable == nullptr) return CompleteWith(System::InvalidArguments);
    Handed(GetAssociation().ReadVariable(this, variable));
}

Service::Direct GetDataValues::SendDirect() {
    Server* server = GetServer();
    if (IsLocal() || server == nullptr || !MayHoldModel(*server) || reference.find('[') != std::string::npos) {
        return Direct::NotSent;
    }
    Mms::Variable* variable = nullptr;
    {
        const Mms::ModelHold hold(server, DirectHoldWaitMs);
        if (!hold.Taken()) return Direct::NotSent;
        if (server->ResolveReference(hold, reference, fc, found) == System::OkNoError && !found.empty()) {
            variable = VariableOf(hold, ReadTarget(found));
        }
    }
    // Whatever does not come to a read is left to execute, which tells it on its thread.
    if (variable == nullptr) {
        found.clear();
        return Direct::NotSent;
    }
    BeginDirect();
    return SentDirect(GetAssociation().ReadVariable(this, variable));
}

void GetDataValues::complete() {
    ResultFromServiceError();
    WalkAccessErrors(*this, found);
    CollectValueRecords(GetServer(), found, values);
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetDataValues(static_cast<GetDataValues*>(&service));
    });
}

// ---- SetDataValues ----

SetDataValues::SetDataValues(TPAppAssociation& association, std::string fc, std::string reference,
                             std::vector<ValueRecord> records, AnswerFrom answerFrom)
    : Service(association, answerFrom),
      fc(std::move(fc)),
      reference(std::move(reference)),
      records(std::move(records)) {}

ResultCode SetDataValues::PrepareWrite(const Mms::ModelHold& hold, Server& server) {
    if (records.empty()) {
        // What the model holds now goes out as a copy: the receive thread may change the
        // model's containers (reports, other answers) while this request is encoded.
        for (NamedObject* object : found) {
            auto* variable = dynamic_cast<Mms::NamedVariable*>(object->GetMmsObject(hold));
            if (variable == nullptr) return System::InvalidArguments;
            if (const ResultCode result = staged.Stage(hold, *variable); result != System::OkNoError) return result;
        }
        return System::OkNoError;
    }
    // The texts go into copies: the model takes them only once the device has.
    for (const ValueRecord& record : records) {
        DataItem* item = nullptr;
        if (const ResultCode resolved = ResolveRecordItem(hold, server, record, item); resolved != System::OkNoError) {
            return resolved;
        }
        auto* variable = dynamic_cast<Mms::NamedVariable*>(item->GetMmsObject(hold));
        if (variable == nullptr) return System::InvalidArguments;
        if (const ResultCode result = staged.Stage(hold, *variable); result != System::OkNoError) return result;
        if (const ResultCode result = staged.CopyOf(hold, *variable)->FromText(record.value);
            result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

void SetDataValues::execute() {
    Service::execute();
    Server* server = FindReferenced(fc, reference, found);
    if (server == nullptr) return;
    if (IsLocal()) return CompleteWith(System::OkNoError);
    ResultCode outcome = System::OkNoError;
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        outcome = PrepareWrite(hold, *server);
    }
    if (outcome != System::OkNoError) return CompleteWith(outcome);
    Handed(GetAssociation().WriteVariables(this, &staged.Variables()));
}

Service::Direct SetDataValues::SendDirect() {
    Server* server = GetServer();
    if (IsLocal() || server == nullptr || !MayHoldModel(*server) || reference.find('[') != std::string::npos) {
        return Direct::NotSent;
    }
    ResultCode outcome = System::OkNoError;
    {
        const Mms::ModelHold hold(server, DirectHoldWaitMs);
        if (!hold.Taken()) return Direct::NotSent;
        if (server->ResolveReference(hold, reference, fc, found) != System::OkNoError || found.empty()) {
            found.clear();
            return Direct::NotSent;
        }
        outcome = PrepareWrite(hold, *server);
    }
    BeginDirect();
    // A text that does not fit (or an object without a variable) is refused as execute
    // refuses it, on the association's thread.
    if (outcome != System::OkNoError) return SentDirect(outcome);
    return SentDirect(GetAssociation().WriteVariables(this, &staged.Variables()));
}

void SetDataValues::complete() {
    ResultFromServiceError();
    WalkAccessErrors(*this, staged.Variables());
    // A write of what the model held leaves the model as it is now: it may have moved on.
    if (!records.empty()) {
        if (Server* server = GetServer()) {
            const Mms::ModelHold hold(server);
            if (hold.Taken()) staged.Commit(hold, WriteAnswerApplied(*this));
        }
    }
    Confirm([](ClientApplication& client, Service& service) {
        client.OnSetDataValues(static_cast<SetDataValues*>(&service));
    });
}

}  // namespace Iec61850::Acsi
