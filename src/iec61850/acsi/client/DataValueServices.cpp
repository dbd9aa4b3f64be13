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
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        target = fc.empty() ? static_cast<NamedObject*>(logicalNode) : logicalNode->FindFc(fc);
    }
    Mms::Variable* variable = VariableOf(target);
    if (variable == nullptr) return CompleteWith(System::InvalidArguments);
    Handed(GetAssociation().ReadVariable(this, variable));
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

void GetDataValues::execute() {
    Service::execute();
    if (FindReferenced(fc, reference, found) == nullptr) return;
    if (IsLocal()) return CompleteWith(System::OkNoError);
    NamedObject* read = found.front();
    if (found.size() > 1) {
        NamedObject* node = nullptr;
        if (read->FindAncestor(ObjectClassLogicalNode, node) != System::OkNoError || node == nullptr) {
            return CompleteWith(System::Error);
        }
        read = node;
    }
    Mms::Variable* variable = VariableOf(read);
    if (variable == nullptr) return CompleteWith(System::InvalidArguments);
    Handed(GetAssociation().ReadVariable(this, variable));
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

void SetDataValues::execute() {
    Service::execute();
    Server* server = FindReferenced(fc, reference, found);
    if (server == nullptr) return;
    if (IsLocal()) return CompleteWith(System::OkNoError);
    ResultCode outcome = System::OkNoError;
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        if (!records.empty()) {
            // The texts go into copies: the model takes them only once the device has.
            for (const ValueRecord& record : records) {
                DataItem* item = nullptr;
                outcome = ResolveRecordItem(hold, *server, record, item);
                if (outcome != System::OkNoError) break;
                auto* variable = dynamic_cast<Mms::NamedVariable*>(item->GetMmsObject());
                if (variable == nullptr) {
                    outcome = System::InvalidArguments;
                    break;
                }
                outcome = staged.Stage(hold, *variable);
                if (outcome != System::OkNoError) break;
                outcome = staged.CopyOf(hold, *variable)->FromText(record.value);
                if (outcome != System::OkNoError) break;
            }
        } else {
            outcome = AppendNamedVariables(found, variables);
        }
    }
    if (outcome != System::OkNoError) return CompleteWith(outcome);
    Handed(GetAssociation().WriteVariables(this, records.empty() ? &variables : &staged.Variables()));
}

void SetDataValues::complete() {
    ResultFromServiceError();
    if (records.empty()) {
        WalkAccessErrors(*this, found);
    } else {
        WalkAccessErrors(*this, staged.Variables());
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
