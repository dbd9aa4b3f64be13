#include "iec61850/acsi/client/ControlServices.h"

#include <algorithm>
#include <atomic>
#include <charconv>

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/ServiceModel.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/DataItem.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/user/InformationReport.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Container.h"

namespace Iec61850::Acsi {

using System::ResultCode;

std::int32_t ControlErrorFromAnswer(std::int32_t errorClass, std::int32_t errorCode) {
    if (errorClass != Mms::MmsErrorClassAccess) return 0;
    switch (errorCode) {
        case 1: return 2;
        case 3: return 3;
        case 4: return 4;
        default: return -1;
    }
}

bool ParseControlNumber(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && value <= 255;
}

std::string ControlObjectMmsReference(const std::string& objectReference) {
    const std::size_t slash = objectReference.find('/');
    if (slash == std::string::npos) return objectReference;
    std::string rest = objectReference.substr(slash + 1);
    const std::size_t dot = rest.find('.');
    if (dot == std::string::npos) return objectReference;
    rest = rest.substr(0, dot) + "$CO$" + rest.substr(dot + 1);
    std::replace(rest.begin(), rest.end(), '.', '$');
    return objectReference.substr(0, slash + 1) + rest;
}

// ---- Select ----

Select::Select(TPAppAssociation& association, std::string objectReference)
    : Service(association, AnswerFrom::Device), objectReference(std::move(objectReference)) {}

void Select::execute() {
    Service::execute();
    Server* server = GetServer();
    if (server == nullptr) return CompleteNotFound();
    Mms::Variable* variable = nullptr;
    ResultCode resolved = System::OkNoError;
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        std::list<NamedObject*> found;
        resolved = server->ResolveReference(hold, objectReference + ".SBO", "CO", found);
        if (resolved == System::OkNoError && !found.empty()) {
            selected = found.front();
            variable = VariableOf(hold, selected);
        }
    }
    // Completed only once the hold is given back: completing calls the client.
    if (resolved != System::OkNoError) return CompleteWith(resolved);
    if (variable == nullptr) return CompleteNotFound();
    Handed(GetAssociation().ReadVariable(this, variable));
}

void Select::complete() {
    if (GetResult() == System::OkNoError) {
        if (Server* server = GetServer()) server->ApplySelectResult(*this);
    }
    ResultFromServiceError();
    controlError = ControlErrorFromAnswer(GetErrorClass(), GetErrorCode());
    Confirm([](ClientApplication& client, Service& service) { client.OnSelect(static_cast<Select*>(&service)); });
}

// ---- SelectWithValue, Operate, Cancel ----

ControlWrite::ControlWrite(TPAppAssociation& association, std::string objectReference, const char* structure,
                           std::vector<ValueRecord> records)
    : SetDataValues(association, "CO", objectReference + "." + structure, std::move(records), AnswerFrom::Device),
      objectReference(std::move(objectReference)) {}

namespace {

std::atomic<ControlWrite::StagedHook> stagedHook{nullptr};

}  // namespace

void ControlWrite::SetStagedHook(StagedHook hook) { stagedHook.store(hook); }

ResultCode ControlWrite::StageControl(const Mms::ModelHold& hold, Server& server) {
    for (NamedObject* object : found) {
        auto* variable = dynamic_cast<Mms::NamedVariable*>(VariableOf(hold, object));
        if (variable == nullptr) return System::InvalidArguments;
        if (const ResultCode result = staged.Stage(hold, *variable); result != System::OkNoError) return result;
    }
    for (const ValueRecord& record : records) {
        DataItem* item = nullptr;
        if (const ResultCode resolved = ResolveRecordItem(hold, server, record, item); resolved != System::OkNoError) {
            return resolved;
        }
        const Mms::Container* inModel = item->GetValueContainer();
        // Only a component of the structure written: anything else would never be sent.
        Mms::Container* copy = inModel != nullptr ? staged.CopyOf(hold, *inModel) : nullptr;
        if (copy == nullptr) return System::InvalidArguments;
        if (const ResultCode result = copy->FromText(record.value); result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

void ControlWrite::execute() {
    Service::execute();
    // An object the device did not describe is never written (FindReferenced completes
    // the service when nothing is found).
    Server* server = FindReferenced(fc, reference, found);
    if (server == nullptr) return;
    if (IsLocal()) return CompleteWith(System::OkNoError);
    ResultCode outcome = System::OkNoError;
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        outcome = StageControl(hold, *server);
    }
    if (outcome != System::OkNoError) return CompleteWith(outcome);
    if (const StagedHook hook = stagedHook.load()) hook(*this);
    BeforeSend();
    // One write of the whole structure: the copy, which no other thread reaches.
    Handed(GetAssociation().WriteVariables(this, &staged.Variables()));
}

void ControlWrite::complete() {
    ResultFromServiceError();
    controlError = ControlErrorFromAnswer(GetErrorClass(), GetErrorCode());
    if (Server* server = GetServer()) {
        const Mms::ModelHold hold(server);
        if (hold.Taken()) staged.Commit(hold, WriteAnswerApplied(*this));
    }
    Confirm([](ClientApplication& client, Service& service) { static_cast<ControlWrite&>(service).Callback(client); });
}

SelectWithValue::SelectWithValue(TPAppAssociation& association, std::string objectReference,
                                 std::vector<ValueRecord> records)
    : ControlWrite(association, std::move(objectReference), "SBOw", std::move(records)) {}

void SelectWithValue::Callback(ClientApplication& client) { client.OnSelectWithValue(this); }

Operate::Operate(TPAppAssociation& association, std::string objectReference, std::vector<ValueRecord> records)
    : ControlWrite(association, std::move(objectReference), "Oper", std::move(records)) {}

void Operate::Callback(ClientApplication& client) { client.OnOperate(this); }

Operate::~Operate() {
    // Every Operate that began is confirmed; this only keeps a termination from waiting for
    // one that went without (nothing is delivered from here).
    if (awaitingTermination_) GetAssociation().GetTerminationHold().Told(this);
}

void Operate::BeforeSend() {
    awaitingTermination_ = true;
    GetAssociation().GetTerminationHold().Begin(this, ControlObjectMmsReference(objectReference) + "$Oper");
}

void Operate::Told() {
    if (!awaitingTermination_) return;
    awaitingTermination_ = false;
    GetAssociation().DeliverTerminationsAfter(this);
}

Cancel::Cancel(TPAppAssociation& association, std::string objectReference, std::vector<ValueRecord> records)
    : ControlWrite(association, std::move(objectReference), "Cancel", std::move(records)) {}

void Cancel::Callback(ClientApplication& client) { client.OnCancel(this); }

// ---- ControlReport ----

ControlReport::ControlReport(TPAppAssociation& association, Mms::InformationReport& report)
    : Service(association, Indication{}), report(report) {}

ControlReport::~ControlReport() = default;

void ControlReport::SplitVariableName(const std::string& name, std::string& fc, std::string& reference) {
    const std::size_t first = name.find('$');
    const std::string head = name.substr(0, first);
    const std::string tail = first == std::string::npos ? std::string() : name.substr(first + 1);
    const std::size_t second = tail.find('$');
    fc = tail.substr(0, second);
    const std::string rest = second == std::string::npos ? std::string() : tail.substr(second + 1);
    reference = head + "$" + rest;
    std::replace(reference.begin(), reference.end(), '$', '.');
}

void ControlReport::execute() {
    SetResult(System::OkNoError);
    Service::execute();
    if (report.Names.empty()) {
        SetResult(System::InvalidArguments);
        return completeReport();
    }
    std::size_t index = 0;
    if (report.Names[0] == "LastApplError") {
        // The report's own value: the record refers to it only while the report lives,
        // which is the whole life of this service.
        Mms::Container* value = report.ValueAt(0);
        lastApplError = std::make_unique<LastApplError>();
        if (value == nullptr || ParseLastApplError(*lastApplError, *value) != System::OkNoError) {
            lastApplError.reset();
            SetResult(System::InvalidArguments);
            return completeReport();
        }
        index = 1;
    }
    if (index < report.Names.size()) {
        std::string fc;
        std::string reference;
        SplitVariableName(report.Names[index], fc, reference);
        Server* server = GetServer();
        if (server == nullptr) {
            SetResult(System::InvalidArguments);
            return completeReport();
        }
        // One hold from the lookup to the value taken in: the object's variable may be made
        // on the way, and the report completes only once the hold is given back.
        const Mms::ModelHold hold(server);
        SetResult(hold.Taken() ? TakeControlValue(hold, *server, fc, reference, report.ValueAt(index)) : System::Error);
    }
    completeReport();
}

ResultCode ControlReport::TakeControlValue(const Mms::ModelHold& hold, Server& server, std::string_view fc,
                                           std::string_view reference, Mms::Container* value) {
    std::list<NamedObject*> found;
    if (server.ResolveReference(hold, reference, fc, found) != System::OkNoError || found.empty()) {
        return System::InvalidArguments;
    }
    controlObject = found.front();
    Mms::Variable* variable = VariableOf(hold, controlObject);
    if (variable == nullptr || value == nullptr) return System::InvalidArguments;
    return variable->Assign(*value);
}

void ControlReport::completeReport() {
    ResultFromServiceError();
    if (GetResult() == System::OkNoError) {
        GetAssociation().WithClient([this](ClientApplication& client) { client.OnCommandTermination(this); });
    }
    Finish();
}

}  // namespace Iec61850::Acsi
