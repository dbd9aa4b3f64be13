// The Create ICD command of the main dialog: the value reads before the export, their
// progress, the device-parameters dialog, the save dialog and the file.
//
// Threads: the client sends the progress and the end of the reads from the association's
// thread and waits for the handler. The end's handler only hides the progress and posts
// the export step, which opens modal windows on the UI thread once the send has returned,
// so that no library thread waits for a person.

#include <string>
#include <vector>

#include "app/client/IcdValueReads.h"
#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/CICDDialog.h"
#include "app/program/QXDialog.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/icd/ICDClasses.h"
#include "ui/CommonDialogs.h"

namespace App {

using namespace Ui;

namespace {

constexpr const char* kIcdFilter = "ICD Files (*.icd)|*.icd|All Files (*.*)|*.*||";

}  // namespace

void QXDialog::MapIcdMessages() {
    MapCommand(ControlId::MainDialog::CreateIcd, [this] { OnCreateIcd(); });
    MapMessage(WM_QX_ICD_START, [this](WPARAM w, LPARAM l) { return OnIcdStart(w, l); });
    MapMessage(WM_QX_ICD_PROGRESS, [this](WPARAM w, LPARAM l) { return OnIcdProgress(w, l); });
    MapMessage(WM_QX_ICD_DATA_READ, [this](WPARAM w, LPARAM l) { return OnIcdDataReady(w, l); });
    MapMessage(WM_QX_ICD_EXPORT, [this](WPARAM w, LPARAM l) { return OnIcdExport(w, l); });
}

void QXDialog::OnCreateIcd() {
    Iec61850::Acsi::Server* server = GetServer();
    if (state_ != StateReady || icdExporting_ || client_ == nullptr || server == nullptr) return;
    std::vector<std::string> nodes;
    if (!ListFirstDeviceNodes(*server, nodes)) return;
    const std::int32_t total = IcdValueReadsPerNode * static_cast<std::int32_t>(nodes.size());
    // A second click cannot add to the count of an export under way.
    icdExporting_ = true;
    ApplyEnabling();
    RaisePendingValueReads(*client_, total);
    icdProgress_.SetTotal(total);
    SendMessage(WM_QX_ICD_START, 0, 0);
    // A device without nodes has nothing to wait for; neither have reads all refused.
    if (nodes.empty() || RequestIcdValues(*client_, nodes)) SendMessage(WM_QX_ICD_DATA_READ, 0, 0);
}

LRESULT QXDialog::OnIcdStart(WPARAM, LPARAM) {
    icdProgress_.CenterWindow(this);
    icdProgress_.ShowWindow(true);
    icdProgress_.GetProgressCtrl().SetPos(0);
    icdProgress_.GetCountEdit().SetWindowText("0");
    icdProgress_.ApplyRange();
    return 1;
}

LRESULT QXDialog::OnIcdProgress(WPARAM, LPARAM lParam) {
    icdProgress_.SendMessage(WM_QX_ICD_PROGRESS, 0, lParam);
    return 1;
}

LRESULT QXDialog::OnIcdDataReady(WPARAM, LPARAM) {
    icdProgress_.ShowWindow(false);
    if (icdExporting_) PostMessage(WM_QX_ICD_EXPORT, 0, 0);
    return 1;
}

LRESULT QXDialog::OnIcdExport(WPARAM, LPARAM) {
    // Reset meanwhile: the export was cut short.
    if (!icdExporting_) return 1;
    // Reads that ended because the association did (an abort confirms them all) give
    // nothing to export; the abort itself is shown by its own message.
    Iec61850::Acsi::Server* server = GetServer();
    std::string written;
    if (server != nullptr && client_ != nullptr && client_->IsAssociated()) {
        std::string sectionList;
        if (server->BuildIcdSettingsXml(sectionList) != 0) {
            MessageBox("The ICD export could not start.\n\r" + server->GetIcdExport().GetLastFailure(), "Error",
                       MB_OK | MB_ICONSTOP);
        } else {
            CICDDialog parameters(nullptr, sectionList);
            if (parameters.DoModal() == IDOK) {
                std::string answers;
                parameters.GetAnswers(answers);
                if (server->ReadIcdAnswers(answers) != 0) {
                    MessageBox("The device parameters were refused.\n\r" + server->GetIcdExport().GetLastFailure(),
                               "Error", MB_OK | MB_ICONSTOP);
                } else {
                    // The name offered is the IED's, as the file will name it.
                    std::vector<std::string> devices;
                    client_->GetLogicalDeviceNames(devices);
                    const std::string offered =
                        devices.empty() ? std::string() : Iec61850::Acsi::Scl::IcdExporter::IedNameOf(devices) + ".icd";
                    CFileDialog save(false, ".icd", offered.empty() ? nullptr : offered.c_str(),
                                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kIcdFilter);
                    if (save.DoModal() == IDOK) {
                        if (server->WriteIcdFile(save.GetPathName()) != 0) {
                            MessageBox(
                                "The ICD file could not be written.\n\r" + server->GetIcdExport().GetLastFailure(),
                                "Error", MB_OK | MB_ICONSTOP);
                        } else {
                            written = save.GetPathName();
                        }
                    }
                }
            }
        }
    }
    icdExporting_ = false;
    UpdateControls();
    // After the panes are set again, which clears the result line.
    if (!written.empty()) ShowStatusText("ICD file written: " + written);
    return 1;
}

void QXDialog::ResetIcdExport() {
    if (client_ != nullptr) ResetPendingValueReads(*client_);
    icdProgress_.ShowWindow(false);
    icdExporting_ = false;
}

}  // namespace App
