// What the server does with reports and control answers that reach it.

#include <memory>
#include <new>

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

ResultCode Server::DispatchReport(TPAppAssociation& association, Mms::InformationReport& report) {
    if (report.GetKind() == Mms::InformationReport::VariablesReport) {
        // Executed at once; it deletes itself.
        auto* termination = new (std::nothrow) ControlReport(association, report);
        if (termination != nullptr) termination->execute();
        return System::InvalidArguments;
    }
    if (report.GetKind() != Mms::InformationReport::ListReport) return System::InvalidArguments;

    std::unique_ptr<RCBReport> delivered;
    ResultCode result = System::InvalidArguments;
    {
        const Mms::ModelHold hold(this);
        if (!hold.Taken()) return hold.GetResult();
        for (auto& [name, device] : logicalDevices_) {
            RCB* matched = nullptr;
            result = device->MatchReport(report, matched);
            if (result == System::OkNoError && matched != nullptr) {
                delivered = MakeReport(hold, association, *matched, report);
                break;
            }
        }
    }
    if (delivered == nullptr) return result == System::OkNoError ? System::InvalidArguments : result;
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
