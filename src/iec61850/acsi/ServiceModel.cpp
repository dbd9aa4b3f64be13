#include "iec61850/acsi/ServiceModel.h"

#include "iec61850/acsi/DataItem.h"
#include "iec61850/acsi/NamedObject.h"
#include "iec61850/acsi/Server.h"
#include "iec61850/acsi/Service.h"
#include "mms/Container.h"
#include "mms/Variable.h"

namespace Iec61850::Acsi {

Mms::Variable* VariableOf(NamedObject* object) {
    return object != nullptr ? dynamic_cast<Mms::Variable*>(object->GetMmsObject()) : nullptr;
}

void WalkAccessErrors(Service& service, const std::list<Mms::Variable*>& variables) {
    for (Mms::Variable* variable : variables) {
        const Mms::Container* value = variable != nullptr ? variable->GetValue() : nullptr;
        if (value == nullptr) continue;
        if (service.ResultFromAccessError(value->ErrStatus) != 0) return;
    }
}

void WalkAccessErrors(Service& service, const std::list<NamedObject*>& objects) {
    std::list<Mms::Variable*> variables;
    for (NamedObject* object : objects) variables.push_back(VariableOf(object));
    WalkAccessErrors(service, variables);
}

void CollectValueRecords(Server* server, const std::list<NamedObject*>& objects, std::vector<ValueRecord>& records) {
    if (server == nullptr || server->Lock() != System::OkNoError) return;
    for (NamedObject* object : objects) {
        if (auto* item = dynamic_cast<DataItem*>(object)) item->CollectValues(records);
    }
    server->Unlock();
}

}  // namespace Iec61850::Acsi
