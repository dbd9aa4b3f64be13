#pragma once

#include <list>
#include <vector>

#include "iec61850/acsi/model/ValueRecord.h"
#include "system/ResultCode.h"

namespace Mms {
class ModelHold;
class Variable;
}  // namespace Mms

namespace Iec61850::Acsi {

class DataItem;
class NamedObject;
class Server;
class Service;

// What the services share of the model.

// The MMS variable a model object is bound to, made now for a component that has none
// (NamedObject::GetMmsObject), under the caller's hold; null for none (or another kind of
// object).
Mms::Variable* VariableOf(const Mms::ModelHold& hold, NamedObject* object);
// The access status of each object's variable in turn, until one gives a service error;
// under the model lock, which it takes.
void WalkAccessErrors(Service& service, const std::list<NamedObject*>& objects);
void WalkAccessErrors(Service& service, const std::list<Mms::Variable*>& variables);
// Whether the service's write answer was applied to what it wrote: a write response, wholly
// successful or refused per member (StagedWrite::Commit).
bool WriteAnswerApplied(const Service& service);
// The one data item a value record names, under the caller's hold: 0 with the item, or
// why not (the reference's own refusal, 1 when it names more than one object, 2 when it
// names something other than a data item).
System::ResultCode ResolveRecordItem(const Mms::ModelHold& hold, Server& server, const ValueRecord& record,
                                     DataItem*& item);
// The named variable of each object in turn (VariableOf), appended to variables: 0, or 2 at
// the first object bound to none (what was appended before stays).
System::ResultCode AppendNamedVariables(const Mms::ModelHold& hold, const std::list<NamedObject*>& objects,
                                        std::list<Mms::Variable*>& variables);
// One record per leaf of each data item, read under the model lock.
void CollectValueRecords(Server* server, const std::list<NamedObject*>& objects, std::vector<ValueRecord>& records);

}  // namespace Iec61850::Acsi
