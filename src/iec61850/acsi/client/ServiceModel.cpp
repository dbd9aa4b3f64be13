#include "iec61850/acsi/client/ServiceModel.h"

#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/NamedObject.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/Variable.h"
#include "mms/values/Container.h"

namespace Iec61850::Acsi {

Mms::Variable* VariableOf(const Mms::ModelHold& hold, NamedObject* object) {
    return object != nullptr ? dynamic_cast<Mms::Variable*>(object->GetMmsObject(hold)) : nullptr;
}

void WalkAccessErrors(Service& service, const std::list<Mms::Variable*>& variables) {
    for (Mms::Variable* variable : variables) {
        const Mms::Container* value = variable != nullptr ? variable->GetValue() : nullptr;
        if (value == nullptr) continue;
        if (service.ResultFromAccessError(value->ErrStatus) != 0) return;
    }
}

void WalkAccessErrors(Service& service, const std::list<NamedObject*>& objects) {
    // The statuses are the model's containers, which the receive thread changes under the
    // lock while it applies an answer (of another request for the same objects, say, while
    // a service that was never sent completes on the association's thread).
    const Mms::ModelHold hold(service.GetServer());
    if (!hold.Taken()) return;
    std::list<Mms::Variable*> variables;
    for (NamedObject* object : objects) variables.push_back(VariableOf(hold, object));
    WalkAccessErrors(service, variables);
}

bool WriteAnswerApplied(const Service& service) {
    if (service.GetAnswerKind() != Mms::MmsPduConfirmedResponse) return false;
    // A member refused by the device comes back as an error of class access.
    return service.GetResult() == System::OkNoError ||
           (service.GetResult() == System::Error && service.GetErrorClass() == Mms::MmsErrorClassAccess);
}

void CollectValueRecords(Server* server, const std::list<NamedObject*>& objects, std::vector<ValueRecord>& records) {
    if (server == nullptr) return;
    const Mms::ModelHold hold(server);
    if (!hold.Taken()) return;
    for (NamedObject* object : objects) {
        if (auto* item = dynamic_cast<DataItem*>(object)) item->CollectValues(records);
    }
}

System::ResultCode ResolveRecordItem(const Mms::ModelHold& hold, Server& server, const ValueRecord& record,
                                     DataItem*& item) {
    item = nullptr;
    std::list<NamedObject*> objects;
    const System::ResultCode resolved = server.ResolveReference(hold, record.reference, record.fc, objects);
    if (resolved != System::OkNoError) return resolved;
    if (objects.size() != 1) return System::Error;
    item = dynamic_cast<DataItem*>(objects.front());
    return item != nullptr ? System::OkNoError : System::InvalidArguments;
}

System::ResultCode AppendNamedVariables(const Mms::ModelHold& hold, const std::list<NamedObject*>& objects,
                                        std::list<Mms::Variable*>& variables) {
    for (NamedObject* object : objects) {
        auto* variable = dynamic_cast<Mms::NamedVariable*>(object->GetMmsObject(hold));
        if (variable == nullptr) return System::InvalidArguments;
        variables.push_back(variable);
    }
    return System::OkNoError;
}

}  // namespace Iec61850::Acsi
