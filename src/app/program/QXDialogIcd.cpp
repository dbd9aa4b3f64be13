// The Create ICD command of the main dialog: the value reads before the export, their
// progress, the device-parameters dialog, the save dialog and the file.
//
// Threads: the client sends the progress and the end of the reads from the association's
// thread and waits for the handler. The end's handler only hides the progress and posts
// the export step, which opens modal windows on the UI thread once the send has returned,
// so that no library thread waits for a person.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/client/IcdDeviceFacts.h"
#include "app/client/IcdValueReads.h"
#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/CICDDialog.h"
#include "app/program/IcdFactsSource.h"
#include "app/program/QXDialog.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/icd/ICDClasses.h"
#include "ui/CommonDialogs.h"
#include "ui/messages/MessageParams.h"

namespace App {

using namespace Ui;

namespace {

constexpr const char* kIcdFilter = "ICD Files (*.icd)|*.icd|All Files (*.*)|*.*||";

// "10 s", "0.6 s".
std::string SecondsText(std::uint32_t milliseconds) {
    char text[32];
    if (milliseconds % 1000 == 0) {
        std::snprintf(text, sizeof text, "%u s", milliseconds / 1000);
    } else {
        std::snprintf(text, sizeof text, "%.1f s", milliseconds / 1000.0);
    }
    return text;
}

// Why reads that ended on an association that stands leave no file, in the user's words.
std::string ReadsFailureText(const QXClient::ValueReadTally& tally, std::int32_t total) {
    std::string text = "The ICD file was not written: ";
    if (!tally.timedOut.empty()) {
        return text + "the read of " + tally.timedOut + " was not answered within " + SecondsText(tally.timeoutMs) +
               ", so the file would not give the device's values.";
    }
    if (tally.unanswered > 0) {
        return text + std::to_string(tally.unanswered) + " of " + std::to_string(total) +
               " value reads could not be asked of the device, so the file would not give its values.";
    }
    text += "the device refused the read" + std::string(tally.refused.size() > 1 ? "s" : "") + " of ";
    for (std::size_t i = 0; i < tally.refused.size(); ++i) text += (i > 0 ? ", " : "") + tally.refused[i];
    return text + ", so the file would give the model's values for them, not the device's.";
}

// Why a kept model leaves no file: the device lists other names than the model holds (what
// changed, and the way out), or a list the check asked was refused or not answered (which
// one, and why).
std::string KeptModelRefusalText(WPARAM outcome, const std::string& detail) {
    if (outcome == IcdModelChanged) {
        return "The ICD file was not written: the device has changed since its data model was kept (" + detail +
               "); connect again with \"Reload data model\" checked.";
    }
    return "The ICD file was not written: the data model kept from an earlier connection could not be checked "
           "against the device (" +
           detail + ").";
}

// Why a model read incomplete leaves no file: the lists the device refused, in its words.
std::string RefusedModelText(const std::vector<std::string>& refusals) {
    std::string text;
    for (const std::string& refusal : refusals) text += (text.empty() ? "" : "; ") + refusal;
    return "The ICD file was not written: the data model is incomplete, since the device refused part of it "
           "while it was read (" +
           text + ").";
}

constexpr const char* kIcdNoLogicalDeviceText =
    "The ICD file was not written: the device's data model holds no logical device.";

}  // namespace

void QXDialog::MapIcdMessages() {
    MapCommand(ControlId::MainDialog::CreateIcd, [this] { OnCreateIcd(); });
    MapMessage(WM_QX_ICD_START, [this](WPARAM w, LPARAM l) { return OnIcdStart(w, l); });
    MapMessage(WM_QX_ICD_PROGRESS, [this](WPARAM w, LPARAM l) { return OnIcdProgress(w, l); });
    MapMessage(WM_QX_ICD_DATA_READ, [this](WPARAM w, LPARAM l) { return OnIcdDataReady(w, l); });
    MapMessage(WM_QX_ICD_EXPORT, [this](WPARAM w, LPARAM l) { return OnIcdExport(w, l); });
    MapMessage(WM_QX_ICD_MODEL_CHECKED, [this](WPARAM w, LPARAM l) { return OnIcdModelChecked(w, l); });
    MapMessage(WM_QX_ICD_ASK_VALUES, [this](WPARAM, LPARAM) { return OnIcdAskValues(); });
}

void QXDialog::OnCreateIcd() {
    Iec61850::Acsi::Server* server = GetServer();
    if (state_ != StateReady || icdExporting_ || client_ == nullptr || server == nullptr) return;
    // A file says what the device holds: a model that lacks what the device refused would
    // leave it out without a word, and an empty one has nothing to say.
    if (const std::vector<std::string> refusals = client_->GetModelRefusals(); !refusals.empty()) {
        MessageBox(RefusedModelText(refusals), "Error", MB_OK | MB_ICONSTOP);
        return;
    }
    std::vector<std::string> nodes;
    if (!ListFirstDeviceNodes(*server, nodes)) {
        MessageBox(kIcdNoLogicalDeviceText, "Error", MB_OK | MB_ICONSTOP);
        return;
    }
    const std::int32_t total = IcdValueReadsPerNode * static_cast<std::int32_t>(nodes.size());
    // A second click cannot add to the count of an export under way.
    icdExporting_ = true;
    icdEndUntold_ = false;
    icdReadsTotal_ = total;
    icdExporter_.reset();
    icdReadsFailure_.clear();
    ApplyEnabling();
    ResetPendingValueReads(*client_);
    RaisePendingValueReads(*client_, total);
    icdProgress_.SetTotal(total);
    SendMessage(WM_QX_ICD_START, 0, 0);
    // A model kept from an earlier connection is first compared with what the device lists
    // now: the reads follow the check (OnIcdModelChecked).
    if (client_->CheckKeptModelBeforeExport()) {
        ShowStatusText(kIcdCheckingKeptModelText);
        return;
    }
    AskIcdValues(nodes);
}

void QXDialog::AskIcdValues(const std::vector<std::string>& nodes) {
    // A device without nodes has nothing to wait for; neither have reads all refused.
    if (nodes.empty() || RequestIcdValues(*client_, nodes)) SendMessage(WM_QX_ICD_DATA_READ, 0, 0);
}

LRESULT QXDialog::OnIcdModelChecked(WPARAM wParam, LPARAM lParam) {
    // Sent from the callback that confirms the check's last request: on the receive thread,
    // or on the association's thread when that request timed out or its answer came while
    // it was still being sent. What comes next is posted, so that no request is made and no
    // window opened inside the send.
    if (!icdExporting_) return 1;
    ShowStatusText(modelOrigin_);
    if (wParam == IcdModelUnchanged) {
        PostMessage(WM_QX_ICD_ASK_VALUES, 0, 0);
        return 1;
    }
    icdProgress_.ShowWindow(false);
    icdReadsFailure_ = KeptModelRefusalText(wParam, TextOf(lParam));
    PostMessage(WM_QX_ICD_EXPORT, 0, 0);
    return 1;
}

LRESULT QXDialog::OnIcdAskValues() {
    Iec61850::Acsi::Server* server = GetServer();
    std::vector<std::string> nodes;
    if (!icdExporting_ || client_ == nullptr || server == nullptr) return 1;
    // The model the check found the device's: the nodes are as Create ICD counted them.
    ListFirstDeviceNodes(*server, nodes);
    AskIcdValues(nodes);
    return 1;
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
    if (!icdExporting_) return 1;
    // Sent from the association's thread with the last read's answer: the association
    // that gave the values still stands here, if it stands at all, so what the file will
    // say of the device is taken now. No lock of the model is taken, no window opened.
    const QXClient::ValueReadTally tally =
        client_ != nullptr ? TakeValueReadTally(*client_) : QXClient::ValueReadTally{};
    Iec61850::Acsi::Server* server = GetServer();
    IcdDeviceFacts facts;
    if (!tally.endedWithTheAssociation && (tally.unanswered > 0 || !tally.refused.empty())) {
        icdReadsFailure_ = ReadsFailureText(tally, icdReadsTotal_);
    } else if (!tally.endedWithTheAssociation && server != nullptr && client_ != nullptr &&
               TakeIcdDeviceFacts(*client_, *server, facts)) {
        icdExporter_ =
            Iec61850::Acsi::Scl::MakeIcdExporter(std::make_unique<IcdFactsSource>(*server, std::move(facts)));
    }
    PostMessage(WM_QX_ICD_EXPORT, 0, 0);
    return 1;
}

bool QXDialog::IcdExportStands() const {
    return icdExporting_ && icdExporter_ != nullptr && state_ == StateReady && client_ != nullptr &&
           client_->IsAssociated();
}

LRESULT QXDialog::OnIcdExport(WPARAM, LPARAM) {
    // Reset meanwhile: the export was cut short.
    if (!icdExporting_) return 1;
    if (!icdReadsFailure_.empty()) {
        const std::string failure = std::move(icdReadsFailure_);
        EndIcdExport(false);
        MessageBox(failure, "Error", MB_OK | MB_ICONSTOP);
        return 1;
    }
    // Every step that waited for the user or the device is followed by this: an association
    // that has ended (its abort is told on its own, saying the export stopped) leaves no
    // file and asks nothing more of the user.
    if (!IcdExportStands()) return EndIcdExport(true);
    std::string sectionList;
    if (icdExporter_->BuildSettingsXml(sectionList) != 0) {
        const std::string failure = icdExporter_->GetLastFailure();
        EndIcdExport(false);
        MessageBox("The ICD export could not start.\n\r" + failure, "Error", MB_OK | MB_ICONSTOP);
        return 1;
    }
    CICDDialog parameters(nullptr, sectionList);
    // Closed by the export's end (ResetIcdExport) while it is open.
    icdParameters_ = &parameters;
    const bool answered = parameters.DoModal() == IDOK;
    icdParameters_ = nullptr;
    if (!answered) return EndIcdExport(false);
    if (!IcdExportStands()) return EndIcdExport(true);
    std::string answers;
    parameters.GetAnswers(answers);
    if (icdExporter_->ReadAnswers(answers) != 0) {
        const std::string failure = icdExporter_->GetLastFailure();
        EndIcdExport(false);
        MessageBox("The device parameters were refused.\n\r" + failure, "Error", MB_OK | MB_ICONSTOP);
        return 1;
    }
    // The name offered is the IED's, as the file will name it.
    std::vector<std::string> devices;
    client_->GetLogicalDeviceNames(devices);
    const std::string offered =
        devices.empty() ? std::string() : Iec61850::Acsi::Scl::IcdExporter::IedNameOf(devices) + ".icd";
    CFileDialog save(false, ".icd", offered.empty() ? nullptr : offered.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     kIcdFilter);
    icdSave_ = &save;
    const bool chosen = save.DoModal() == IDOK;
    icdSave_ = nullptr;
    if (!chosen) return EndIcdExport(false);
    if (!IcdExportStands()) return EndIcdExport(true);
    const std::string path = save.GetPathName();
    std::string failure;
    if (!WriteIcdFileWhileAssociated(path, failure)) {
        EndIcdExport(failure.empty());
        if (!failure.empty())
            MessageBox("The ICD file could not be written.\n\r" + failure, "Error", MB_OK | MB_ICONSTOP);
        return 1;
    }
    EndIcdExport(false);
    // After the panes are set again, which clears the result line.
    ShowStatusText("ICD file written: " + path);
    return 1;
}

bool QXDialog::WriteIcdFileWhileAssociated(const std::string& path, std::string& failure) {
    // Written beside the path first, under a name no other file has: an association that
    // ends while the file is made leaves the path as it was (an older file there stays).
    std::string staged;
    if (!Iec61850::Acsi::Scl::IcdExporter::CreateFileBeside(path, staged, failure)) return false;
    std::error_code error;
    if (icdExporter_->WriteFile(staged) != 0) {
        failure = icdExporter_->GetLastFailure();
        std::filesystem::remove(staged, error);
        return false;
    }
    // The last look at the association: an end that comes after it, during the rename, is
    // one the file's values and services were all taken before, and the file stands.
    if (!IcdExportStands()) {
        std::filesystem::remove(staged, error);
        return false;
    }
    std::filesystem::rename(staged, path, error);
    if (error) {
        failure = "Cannot rename " + staged + " to " + path + ": " + error.message();
        std::error_code ignored;
        std::filesystem::remove(staged, ignored);
        return false;
    }
    return true;
}

LRESULT QXDialog::EndIcdExport(bool associationEnded) {
    // Ended for the association's end before the window has heard of it: its abort says so.
    if (associationEnded && icdExporting_ && state_ != StateDisconnected) icdEndUntold_ = true;
    icdExporting_ = false;
    icdExporter_.reset();
    icdReadsFailure_.clear();
    UpdateControls();
    return 1;
}

void QXDialog::ResetIcdExport() {
    if (client_ != nullptr) ResetPendingValueReads(*client_);
    // An export that stops asks nothing more of the user: its open window goes (with the
    // overwrite question of Save As), and the step after it finds the export ended.
    if (icdParameters_ != nullptr && icdParameters_->IsWindow()) icdParameters_->EndDialog(IDCANCEL);
    if (icdSave_ != nullptr) icdSave_->EndDialog();
    icdProgress_.ShowWindow(false);
    icdExporting_ = false;
    icdExporter_.reset();
    icdReadsFailure_.clear();
}

}  // namespace App
