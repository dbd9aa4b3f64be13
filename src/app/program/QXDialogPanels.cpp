#include <string>

#include "app/client/ControlCommand.h"
#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/QXDialog.h"
#include "ui/MessageBox.h"
#include "ui/messages/MessageParams.h"

// The read, control and report panels. The client's answers come by a synchronous send
// from a library thread that waits meanwhile: each handler changes the panel first and
// posts its message box, so that no library thread waits for a person.
namespace App {

using namespace Ui;

namespace {

namespace Id = ControlId::MainDialog;

std::intptr_t CodeOf(WPARAM wParam) { return static_cast<std::intptr_t>(wParam); }

const char* const CommandFailed = "Failed while executing command\n\r Error: ";
const char* const ServiceFailed = "Failed while executing service\n\r Service error: ";

}  // namespace

void QXDialog::MapPanelMessages() {
    MapCommand(Id::Read, [this] { OnRead(); });
    MapCommand(Id::Execute, [this] { OnExecute(); });
    MapCommand(Id::EnableRcb, [this] { OnEnableRcb(); });
    MapCommand(Id::DisableRcb, [this] { OnDisableRcb(); });
    MapNotify(Id::ValueSpin, UDN_DELTAPOS, [this](NMHDR* header, LRESULT* result) { *result = OnValueSpin(header); });
    MapMessage(WM_QX_READ_RESULT, [this](WPARAM w, LPARAM l) { return OnReadResult(w, l); });
    MapMessage(WM_QX_WRITE_RESULT, [this](WPARAM w, LPARAM l) { return OnWriteResult(w, l); });
    MapMessage(WM_QX_RCB_ENABLE_STATUS, [this](WPARAM w, LPARAM l) { return OnRcbEnableStatus(w, l); });
    MapMessage(WM_QX_RCB_DISABLE_STATUS, [this](WPARAM w, LPARAM l) { return OnRcbDisableStatus(w, l); });
    MapMessage(WM_QX_REPORT, [this](WPARAM w, LPARAM l) { return OnReport(w, l); });
}

// ---- read ----

void QXDialog::OnRead() {
    // The item is the one the lists show now, looked up again: never a choice they no
    // longer show.
    const SelectionAttribute* attribute = readSelection_.GetSelectedAttr();
    if (client_ == nullptr || attribute == nullptr) return ApplyPanelButtons();
    const Iec61850::FcReference item{attribute->fc, attribute->reference};
    std::uint32_t id = 0;
    client_->GetDataValues(id, item, Iec61850::AnswerFrom::Device);
}

LRESULT QXDialog::OnReadResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0) {
        readValue_.SetWindowText(TextOf(lParam));
    } else {
        PostMessageBox("Value has not been read\n\r Service error:" + TextOf(lParam));
    }
    return 1;
}

// ---- control ----

LRESULT QXDialog::OnValueSpin(NMHDR*) {
    controlValue_.SetWindowText(controlValue_.GetWindowText() == "False" ? "True" : "False");
    return 0;
}

void QXDialog::OnExecute() {
    const SelectionEntry* object = controlSelection_.GetSelectedObj();
    const SelectionAttribute* attribute = controlSelection_.GetSelectedAttr();
    if (client_ == nullptr || object == nullptr || attribute == nullptr) return ApplyPanelButtons();
    ControlCommand command;
    command.value = controlValue_.GetWindowText();
    command.attributeReference = attribute->reference;
    command.objectReference = object->reference;
    command.time = FormatControlTime(clock_());
    ExecuteControl(*client_, command);
}

LRESULT QXDialog::OnWriteResult(WPARAM wParam, LPARAM lParam) {
    // The client words the outcome for the service that had it: a success in pane 2, a
    // refusal (with its LastApplError) or a negative termination in one box.
    if (wParam == 0) {
        const std::string text = lParam != 0 ? TextOf(lParam) : std::string("Value has been set");
        ShowStatusText(text);
        // Answered before the conclude: the end that follows keeps it on show.
        if (disconnecting_) controlResultWhileEnding_ = text;
    } else {
        PostMessageBox(TextOf(lParam));
    }
    return 1;
}

// ---- reports ----

void QXDialog::OnEnableRcb() {
    const SelectionAttribute* attribute = reportSelection_.GetSelectedAttr();
    if (client_ == nullptr || attribute == nullptr || reportBlock_ != ReportBlock::None) return ApplyPanelButtons();
    // One block at a time: another Enable would take another block and lose this one.
    SetReportBlock(ReportBlock::Enabling);
    client_->EnableReports({attribute->fc, attribute->reference});
}

void QXDialog::OnDisableRcb() {
    if (client_ == nullptr || reportBlock_ != ReportBlock::Enabled) return ApplyPanelButtons();
    client_->DisableReports();
}

void QXDialog::ReturnReportPanelToIdle() {
    // A late answer after the connection went leaves the state table as it is.
    if (state_ != StateReady) return;
    reportValue_.SetWindowText({});
    SetReportBlock(ReportBlock::None);
    enableRcb_.SetFocus();
}

LRESULT QXDialog::OnRcbEnableStatus(WPARAM wParam, LPARAM lParam) {
    const std::string text = TextOf(lParam);
    switch (CodeOf(wParam)) {
        case 0:
            ShowStatusText(text);
            SetReportBlock(ReportBlock::Enabling);
            break;
        case 1:
            ShowStatusText(text);
            SetReportBlock(ReportBlock::Enabled);
            if (state_ == StateReady) disableRcb_.SetFocus();
            break;
        case -1: PostMessageBox(ServiceFailed + text); break;
        case -2:
            ShowStatusText(text);
            // The sequence has ended: the panel would otherwise stay locked.
            ReturnReportPanelToIdle();
            PostMessageBox(CommandFailed + text);
            break;
        case -3:
            ShowStatusText(text);
            ReturnReportPanelToIdle();
            PostMessageBox(CommandFailed + text);
            break;
        default:
            ShowStatusText(text);
            PostMessageBox("Error: " + text);
            break;
    }
    return 1;
}

LRESULT QXDialog::OnRcbDisableStatus(WPARAM wParam, LPARAM lParam) {
    const std::string text = TextOf(lParam);
    switch (CodeOf(wParam)) {
        case 0:
            ShowStatusText(text);
            SetReportBlock(ReportBlock::Disabling);
            break;
        case 1:
            ShowStatusText(text);
            ReturnReportPanelToIdle();
            break;
        case -1:
            // The block stays enabled: Disable may be tried again.
            SetReportBlock(ReportBlock::Enabled);
            PostMessageBox(ServiceFailed + text);
            break;
        default: PostMessageBox(CommandFailed + text); break;
    }
    return 1;
}

LRESULT QXDialog::OnReport(WPARAM wParam, LPARAM lParam) {
    if (wParam == 1) {
        reportValue_.SetWindowText(TextOf(lParam));
    } else if (wParam == 2) {
        ShowStatusText(TextOf(lParam));
    }
    return 1;
}

}  // namespace App
