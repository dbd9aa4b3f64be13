#include "iec61850/acsi/client/RcbServices.h"

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/ServiceModel.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Container.h"

namespace Iec61850::Acsi {

using System::ResultCode;

namespace {

bool IsReportFc(const std::string& fc) { return fc == "BR" || fc == "RP"; }

void RecordEnabling(SetRCBValues& service);

}  // namespace

// ---- reading ----

GetRCBValues::GetRCBValues(TPAppAssociation& association, std::int32_t kind, std::string fc, std::string reference,
                           AnswerFrom answerFrom)
    : Service(association, answerFrom),
      kind(kind),
      fc(fc.empty() ? std::string("XX") : std::move(fc)),
      reference(std::move(reference)) {}

void GetRCBValues::execute() {
    Service::execute();
    Server* server = GetServer();
    if (server == nullptr) return CompleteNotFound();
    ResultCode collected = System::OkNoError;
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        collected = server->CollectControlBlocks(hold, reference, fc,
                                                 kind == ObjectClassBrcb ? ObjectClassBrcb : ObjectClassUrcb, blocks);
        for (NamedObject* block : blocks) {
            if (Mms::Variable* variable = VariableOf(hold, block)) variables.push_back(variable);
        }
    }
    if (collected != System::OkNoError) return CompleteWith(collected);
    if (blocks.empty()) return CompleteNotFound();
    if (IsLocal()) return CompleteWith(System::OkNoError);
    Handed(GetAssociation().ReadVariables(this, &variables));
}

void GetRCBValues::Answered() {
    ResultFromServiceError();
    Server* server = GetServer();
    if (GetServiceError() != 0 || server == nullptr) return;
    const Mms::ModelHold hold(server);
    if (!hold.Taken()) return;
    for (NamedObject* block : blocks) {
        if (!IsReportFc(block->GetFcName())) continue;
        for (NamedObject* attribute : block->GetChildren()) {
            std::string text;
            if (attribute->ValueToText(text) == System::OkNoError) values.emplace_back(attribute->GetName(), text);
        }
    }
}

GetBRCBValues::GetBRCBValues(TPAppAssociation& association, std::string fc, std::string reference,
                             AnswerFrom answerFrom)
    : GetRCBValues(association, ObjectClassBrcb, std::move(fc), std::move(reference), answerFrom) {}

void GetBRCBValues::complete() {
    Answered();
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetBRCBValues(static_cast<GetBRCBValues*>(&service));
    });
}

GetURCBValues::GetURCBValues(TPAppAssociation& association, std::string fc, std::string reference,
                             AnswerFrom answerFrom)
    : GetRCBValues(association, ObjectClassUrcb, std::move(fc), std::move(reference), answerFrom) {}

void GetURCBValues::complete() {
    Answered();
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetURCBValues(static_cast<GetURCBValues*>(&service));
    });
}

// ---- writing ----

SetRCBValues::SetRCBValues(TPAppAssociation& association, std::int32_t kind, std::string reference,
                           AttributeValues records, AnswerFrom answerFrom)
    : Service(association, answerFrom), kind(kind), reference(std::move(reference)), records(std::move(records)) {}

void SetRCBValues::execute() {
    Service::execute();
    Server* server = GetServer();
    if (server == nullptr) return CompleteNotFound();
    std::list<NamedObject*> blocks;
    const ResultCode collected = kind == ObjectClassBrcb ? server->CollectBRCBsAnyFc(reference, blocks)
                                                         : server->CollectURCBsAnyFc(reference, blocks);
    if (collected != System::OkNoError) return CompleteWith(collected);
    if (blocks.empty()) return CompleteNotFound();
    if (IsLocal()) return CompleteWith(System::OkNoError);
    auto refuse = [this](ResultCode result) {
        SetServiceError(12);
        CompleteWith(result);
    };
    ResultCode outcome = System::OkNoError;
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        for (NamedObject* block : blocks) {
            if (IsReportFc(block->GetFcName())) chosen = dynamic_cast<ControlBlock*>(block);
        }
        outcome = chosen != nullptr ? System::OkNoError : System::InvalidArguments;
        for (const auto& [name, value] : records) {
            if (outcome != System::OkNoError) break;
            NamedObject* attribute = chosen->FindOwnedChild(name);
            Mms::NamedVariable* variable =
                attribute != nullptr ? dynamic_cast<Mms::NamedVariable*>(attribute->GetMmsObject(hold)) : nullptr;
            if (variable == nullptr) {
                outcome = System::InvalidArguments;
                break;
            }
            // The text goes into a copy, refused there when it does not fit the device's
            // type: the block keeps its values until the device has taken the new ones.
            outcome = staged.Stage(hold, *variable);
            if (outcome == System::OkNoError) outcome = staged.CopyOf(hold, *variable)->FromText(value);
            if (outcome != System::OkNoError) break;
            if (name == "DatSet") {
                // The association's lookup, which knows its own data sets ("@name") too.
                DataSet* dataSet = nullptr;
                if (!value.empty()) outcome = GetAssociation().FindDataSet(hold, value, dataSet);
                datSetVariable = variable;
            }
        }
    }
    if (outcome != System::OkNoError) return refuse(outcome);
    Handed(GetAssociation().WriteVariables(this, &staged.Variables()));
}

void SetRCBValues::Answered() {
    if (ResultFromServiceError() == 0) WalkAccessErrors(*this, staged.Variables());
    Server* server = GetServer();
    if (server == nullptr || chosen == nullptr || IsLocal()) return;
    const Mms::ModelHold hold(server);
    if (!hold.Taken()) return;
    staged.Commit(hold, WriteAnswerApplied(*this));
    if (datSetVariable == nullptr || !staged.IsConfirmed(*datSetVariable)) return;
    // The block follows the data set the device now names, found as the write found it.
    std::string name;
    DataSet* dataSet = nullptr;
    if (datSetVariable->ToText(name) == System::OkNoError && !name.empty()) {
        GetAssociation().FindDataSet(hold, name, dataSet);
    }
    chosen->SetDataSet(dataSet);
}

SetBRCBValues::SetBRCBValues(TPAppAssociation& association, std::string reference, AttributeValues records,
                             AnswerFrom answerFrom)
    : SetRCBValues(association, ObjectClassBrcb, std::move(reference), std::move(records), answerFrom) {}

void SetBRCBValues::complete() {
    Answered();
    RecordEnabling(*this);
    Confirm([](ClientApplication& client, Service& service) {
        client.OnSetBRCBValues(static_cast<SetBRCBValues*>(&service));
    });
}

SetURCBValues::SetURCBValues(TPAppAssociation& association, std::string reference, AttributeValues records,
                             AnswerFrom answerFrom)
    : SetRCBValues(association, ObjectClassUrcb, std::move(reference), std::move(records), answerFrom) {}

void SetURCBValues::complete() {
    Answered();
    RecordEnabling(*this);
    Confirm([](ClientApplication& client, Service& service) {
        client.OnSetURCBValues(static_cast<SetURCBValues*>(&service));
    });
}

// ---- which blocks this association enabled ----

namespace {

// Reports are matched to the blocks this association enabled first: a write of RptEna
// that the device confirmed is noted (TRUE) or forgotten (FALSE) with the association.
void RecordEnabling(SetRCBValues& service) {
    // A write answered from the model reached no device.
    if (service.IsLocal() || service.GetResult() != System::OkNoError || service.GetServiceError() != 0) return;
    bool written = false;
    for (const auto& [name, value] : service.records) written = written || name == "RptEna";
    Server* server = service.GetServer();
    if (!written || server == nullptr) return;
    std::string reference;
    bool enabled = false;
    {
        const Mms::ModelHold hold(server);
        auto* block = dynamic_cast<RCB*>(service.chosen);
        if (!hold.Taken() || block == nullptr) return;
        reference = block->GetReference();
        enabled = block->IsEnabled();
    }
    TPAppAssociation& association = service.GetAssociation();
    if (enabled) {
        association.GetEnabledReportBlocks().Enabled(std::move(reference), service.GetEpoch());
    } else {
        association.GetEnabledReportBlocks().Disabled(reference);
    }
}

}  // namespace

}  // namespace Iec61850::Acsi
