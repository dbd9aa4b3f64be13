#include "iec61850/acsi/model/DataSet.h"

#include <algorithm>
#include <list>

#include "iec61850/acsi/model/ComponentVariable.h"
#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSetAssociation.h"
#include "iec61850/acsi/model/StagedWrite.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"

namespace Iec61850::Acsi {

namespace {

std::vector<std::string> SplitAtDollars(const std::string& name) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = name.find('$', start);
        parts.push_back(name.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

}  // namespace

DataSet::DataSet(NamedObject* parent, std::string name, Mms::MmsObject* list)
    : NamedObject(parent, std::move(name), list) {}

DataSet::DataSet(DataSetAssociation* association, std::string name, Mms::MmsObject* list)
    : NamedObject(static_cast<NamedObject*>(nullptr), std::move(name), list), association_(association) {
    if (association_ != nullptr) SetServer(association_->GetServer());
}

DataSet::~DataSet() {
    for (ControlBlock* block : blocks_) block->ForgetDataSet(this);
    blocks_.clear();
    members_.clear();
}

ModelClass DataSet::GetModelClass() const { return ModelClass::DataSet; }

Mms::NamedVariableList* DataSet::GetList() const {
    Mms::MmsObject* bound = GetBoundMmsObject();
    if (bound == nullptr || bound->GetClassId() != Mms::NamedVariableListClassId) return nullptr;
    return static_cast<Mms::NamedVariableList*>(bound);
}

System::ResultCode DataSet::Resolve(const Mms::ModelHold& hold, std::string_view fc, std::string_view reference,
                                    NamedObject*& found) const {
    found = nullptr;
    if (GetServer() == nullptr) return System::InvalidContext;
    std::list<NamedObject*> candidates;
    const System::ResultCode looked = GetServer()->ResolveReference(hold, reference, fc, candidates);
    if (looked != System::OkNoError) return looked;
    // Only the object of exactly that constraint and reference: never a neighbour.
    for (NamedObject* candidate : candidates) {
        if (candidate == nullptr || candidate->GetReference() != reference || candidate->GetFcName() != fc) continue;
        if (found != nullptr && found != candidate) return System::InvalidArguments;
        found = candidate;
    }
    return found != nullptr ? System::OkNoError : System::InvalidArguments;
}

System::ResultCode DataSet::Build() {
    Mms::NamedVariableList* list = GetList();
    if (list == nullptr) return System::InvalidState;
    Mms::VMD::ModelHold hold(Mms::VMD::Of(list));
    members_.clear();
    for (Mms::Variable* member : list->Members) {
        Mms::NamedVariable* variable = NamedVariableOf(member);
        if (variable == nullptr) return System::InvalidArguments;
        const std::vector<std::string> parts = SplitAtDollars(variable->Name);
        if (parts.size() < 3) return System::InvalidArguments;
        Mms::MmsObject* owner = variable->GetOwner();
        if (owner == nullptr || owner->GetClassId() != Mms::DomainClassId) return System::InvalidArguments;
        std::string reference = static_cast<Mms::Domain*>(owner)->Name + "/" + parts[0];
        for (std::size_t i = 2; i < parts.size(); ++i) reference += "." + parts[i];
        NamedObject* found = nullptr;
        if (Resolve(hold, parts[1], reference, found) != System::OkNoError) return System::InvalidArguments;
        if (std::find(members_.begin(), members_.end(), found) == members_.end()) members_.push_back(found);
    }
    return System::OkNoError;
}

System::ResultCode DataSet::AddMembers(const std::vector<ValueRecord>& records) {
    Mms::NamedVariableList* list = GetList();
    if (list == nullptr) return System::InvalidState;
    Mms::VMD::ModelHold hold(Mms::VMD::Of(list));
    // Resolved first, so that a failure leaves the members and the list as they were.
    std::vector<NamedObject*> found;
    for (const ValueRecord& record : records) {
        NamedObject* object = nullptr;
        if (Resolve(hold, record.fc, record.reference, object) != System::OkNoError) return System::InvalidArguments;
        if (NamedVariableOf(object->GetMmsObject(hold)) == nullptr) return System::Error;
        found.push_back(object);
    }
    for (NamedObject* object : found) {
        members_.push_back(object);
        list->Members.push_back(NamedVariableOf(object->GetMmsObject(hold)));
    }
    return System::OkNoError;
}

ObjectState DataSet::SetState(ObjectState state) {
    NamedObject::SetState(state);
    for (NamedObject* member : members_) member->SetState(state);
    if (GetParent() != nullptr) GetParent()->SetState(state);
    return GetState();
}

System::ResultCode DataSet::SetMemberValues(const std::vector<ValueRecord>& records, StagedWrite& staged) {
    if (records.empty()) return System::Error;
    Mms::NamedVariableList* list = GetList();
    if (list == nullptr) return System::InvalidState;
    Mms::VMD::ModelHold hold(Mms::VMD::Of(GetBoundMmsObject()));
    // Every member goes into the write, so every member is staged, in member order.
    for (Mms::Variable* member : list->Members) {
        Mms::NamedVariable* variable = NamedVariableOf(member);
        if (variable == nullptr) return System::InvalidArguments;
        if (const System::ResultCode copied = staged.Stage(hold, *variable); copied != System::OkNoError) return copied;
    }
    System::ResultCode last = System::OkNoError;
    for (const ValueRecord& record : records) {
        NamedObject* object = nullptr;
        if (Resolve(hold, record.fc, record.reference, object) != System::OkNoError) return System::InvalidArguments;
        Mms::NamedVariable* variable = NamedVariableOf(object->GetMmsObject(hold));
        if (dynamic_cast<DataItem*>(object) == nullptr || variable == nullptr || variable->GetValue() == nullptr) {
            return System::InvalidArguments;
        }
        // Only a member or a part of one is written: anything else would never be sent.
        Mms::Container* copy = staged.CopyOf(hold, *variable->GetValue());
        if (copy == nullptr) return System::InvalidArguments;
        last = copy->FromText(record.value);
        if (last != System::OkNoError) return last;
    }
    return last;
}

System::ResultCode DataSet::GetMemberValues(std::vector<ValueRecord>& records) {
    if (members_.empty()) return System::Error;
    for (NamedObject* member : members_) {
        if (auto* item = dynamic_cast<DataItem*>(member)) item->CollectValues(records);
    }
    return System::OkNoError;
}

}  // namespace Iec61850::Acsi
