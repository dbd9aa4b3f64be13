// What the server does with reports and control answers that reach it.

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/ControlServices.h"
#include "iec61850/acsi/client/RCBReport.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/user/InformationReport.h"

namespace Iec61850::Acsi {

using System::ResultCode;

namespace {

// Which of the blocks that the report's RptID names sent it. Indexed blocks usually share
// one RptID, so the id alone does not tell: a block this association enabled comes
// first, then one the model holds enabled, then any (the model may not have seen the
// block enabled). Among several, the one whose data set the report names, when it names
// one; the rest go by the model's order (devices, nodes, buffered before unbuffered,
// each by name). Runs under the model lock.
RCB* ChooseBlock(const std::vector<RCB*>& named, const Mms::InformationReport& report, TPAppAssociation& association) {
    const std::uint64_t epoch = association.GetEpoch();
    std::vector<RCB*> candidates;
    for (RCB* block : named) {
        if (association.GetEnabledReportBlocks().IsEnabled(block->GetReference(), epoch)) candidates.push_back(block);
    }
    if (candidates.empty()) {
        for (RCB* block : named) {
            if (block->IsEnabled()) candidates.push_back(block);
        }
    }
    if (candidates.empty()) candidates = named;
    if (candidates.empty()) return nullptr;
    std::string dataSet;
    bool carried = false;
    if (FindReportDataSetName(report, dataSet, carried) == System::OkNoError && carried) {
        for (RCB* block : candidates) {
            if (block->IsOwnDataSetName(dataSet)) return block;
        }
    }
    return candidates.front();
}

}  // namespace

ResultCode Server::DispatchReport(TPAppAssociation& association, Mms::InformationReport& report) {
    if (report.GetKind() == Mms::InformationReport::VariablesReport) {
        // Executed at once; it deletes itself.
        auto* termination = new (std::nothrow) ControlReport(association, report);
        if (termination != nullptr) termination->execute();
        return System::InvalidArguments;
    }
    if (report.GetKind() != Mms::InformationReport::ListReport) return System::InvalidArguments;

    std::unique_ptr<RCBReport> delivered;
    {
        const Mms::ModelHold hold(this);
        if (!hold.Taken()) return hold.GetResult();
        std::vector<RCB*> named;
        for (auto& [name, device] : logicalDevices_) device->MatchReport(report, named);
        if (RCB* chosen = ChooseBlock(named, report, association)) {
            delivered = MakeReport(hold, association, *chosen, report);
        }
    }
    if (delivered == nullptr) return System::InvalidArguments;
    // The program may read the model from its callback: the lock is free again.
    association.WithClient([&delivered](ClientApplication& client) { client.OnReport(delivered.get()); });
    return System::OkNoError;
}

ResultCode Server::ApplySelectResult(Select& service) {
    std::string answer;
    const ResultCode read = Locked([&](const Mms::ModelHold&) -> ResultCode {
        auto* item = dynamic_cast<DataItem*>(service.selected);
        return item != nullptr ? item->GetValueText(answer) : System::InvalidArguments;
    });
    service.answer = answer;
    const bool selected =
        read == System::OkNoError && !answer.empty() &&
        (answer == service.objectReference || answer == ControlObjectMmsReference(service.objectReference));
    if (!selected) {
        service.SetResult(System::Error);
        service.SetServiceError(4);
    }
    return read;
}

}  // namespace Iec61850::Acsi
