#include "app/program/QXDialog.h"

#include <QWidget>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "app/goose/GooseCapture.h"
#include "app/ids/ControlIds.h"
#include "app/program/ProgramResources.h"
#include "app/program/UiNotifier.h"
#include "ui/DataExchange.h"
#include "ui/IniFile.h"
#include "ui/MessageBox.h"
#include "ui/Resources.h"
#include "ui/Static.h"
#include "ui/WinApp.h"
#include "ui/messages/MessageParams.h"

namespace App {

using namespace Ui;

namespace {

namespace Id = ControlId::MainDialog;

enum Panel { ReadPanel, ControlPanel, ReportPanel };

// Whether the model kept for the address was used, and why not, by the wParam of the
// read's start: what is known, no more.
std::string ModelOriginText(WPARAM origin) {
    switch (origin) {
        case ModelReadKept: return kModelKeptText;
        case ModelReadRenewed: return "Another device at this address: data model read afresh";
        case ModelReadRenewedUnidentified: return "The device did not give its identity: data model read afresh";
        case ModelReadRenewedOriginUnknown:
            return "The device the kept data model came from is not known: data model read afresh";
        case ModelReadRenewedIncomplete: return "The data model read before was incomplete: data model read afresh";
        default: return {};
    }
}

}  // namespace

QXDialog::QXDialog(Iec61850::Acsi::ServerManager& servers, Iec61850::Acsi::ClientManager& clients, CWnd* parent)
    : CDialog(IDD_QX_DIALOG, parent),
      modelProgress_(this),
      icdProgress_(this),
      about_(this),
      session_(servers, clients, &UiNotifier::Instance(), this) {
    RegisterProgramResources();
    programDirectory_ = GetProgramDirectory();
    const std::string banner = GetPrivateProfileString("main", "bannerlong", "", programDirectory_ + "resources.ini");
    if (!banner.empty()) bannerPath_ = programDirectory_ + banner;
    icon_ = LoadIcon(IDR_MAINFRAME);
    capture_ = CreateGooseCapture();

    MapCommand(IDOK, [] {});  // Enter on no button: nothing (command 1 would end the program)
    MapCommand(Id::Connect, [this] { OnConnect(); });
    MapCommand(Id::Exit, [this] { OnExit(); });
    MapCommand(Id::About, [this] { OnAbout(); });
    MapCommand(Id::Disconnect, [this] { OnDisconnect(); });
    MapCommand(
        Id::Address, [this] { OnAddressChanged(); }, EN_CHANGE);
    MapCommand(
        Id::ReadLd, [this] { OnReadLdChanged(); }, CBN_SELCHANGE);
    MapCommand(
        Id::ControlLd, [this] { OnControlLdChanged(); }, CBN_SELCHANGE);
    MapCommand(
        Id::ReportLd, [this] { OnReportLdChanged(); }, CBN_SELCHANGE);
    MapMessage(WM_QX_ASSOCIATE_RESULT, [this](WPARAM w, LPARAM l) { return OnAssociateResult(w, l); });
    MapMessage(WM_QX_RELEASE_RESULT, [this](WPARAM w, LPARAM l) { return OnReleaseResult(w, l); });
    MapMessage(WM_QX_ABORTED, [this](WPARAM w, LPARAM l) { return OnAborted(w, l); });
    MapMessage(WM_QX_MODEL_READ_START, [this](WPARAM w, LPARAM l) { return OnModelReadStart(w, l); });
    MapMessage(WM_QX_MODEL_READ_PROGRESS, [this](WPARAM w, LPARAM l) { return OnModelReadProgress(w, l); });
    MapMessage(WM_QX_MODEL_READ_DONE, [this](WPARAM w, LPARAM l) { return OnModelReadDone(w, l); });
    MapMessage(WM_QX_SELECTION_CHANGED, [this](WPARAM w, LPARAM l) { return OnSelectionChanged(w, l); });
    MapMessage(WM_QX_WORKER_DONE, [this](WPARAM w, LPARAM l) { return OnWorkerDone(w, l); });
    MapIcdMessages();
    MapGooseCommands();
    MapPanelMessages();
}

QXDialog::~QXDialog() {
    DestroyWindow();
    Shutdown();
    delete capture_;
    capture_ = nullptr;
    modelProgress_.DestroyWindow();
    icdProgress_.DestroyWindow();
}

void QXDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, Id::Connect, connect_);
    DDX_Control(dx, Id::Disconnect, disconnect_);
    DDX_Control(dx, Id::ReportValue, reportValue_);
    DDX_Control(dx, Id::ReadValue, readValue_);
    DDX_Control(dx, Id::ControlValue, controlValue_);
    DDX_Control(dx, Id::Address, address_);
    DDX_Control(dx, Id::Read, read_);
    DDX_Control(dx, Id::Execute, execute_);
    DDX_Control(dx, Id::EnableRcb, enableRcb_);
    DDX_Control(dx, Id::DisableRcb, disableRcb_);
    DDX_Control(dx, Id::ReadSelection, readSelection_);
    DDX_Control(dx, Id::ControlSelection, controlSelection_);
    DDX_Control(dx, Id::ReportSelection, reportSelection_);
    DDX_Control(dx, Id::Reload, reload_);
    DDX_Control(dx, Id::ValueSpin, valueSpin_);
    DDX_Control(dx, Id::CreateIcd, createIcd_);
    DDX_Control(dx, Id::Mac, macEdit_);
    DDX_Control(dx, Id::AppId, appIdEdit_);
    DDX_Text(dx, Id::Values, gooseValues_);
    DDX_Text(dx, Id::Mac, macText_);
    DDX_Text(dx, Id::AppId, appIdText_);
    DDX_Text(dx, Id::StNum, stNum_);
    DDX_Check(dx, Id::AnyAppId, anyAppId_);
    DDX_Check(dx, Id::AnyMac, anyMac_);
    DDX_Check(dx, Id::Latch, latch_);
    DDX_CBIndex(dx, Id::Adapter, adapterIndex_);
    DDX_CBIndex(dx, Id::ReadLd, readLd_);
    DDX_CBIndex(dx, Id::ControlLd, controlLd_);
    DDX_CBIndex(dx, Id::ReportLd, reportLd_);
}

BOOL QXDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    readLdCombo_.SubclassDlgItem(Id::ReadLd, this);
    controlLdCombo_.SubclassDlgItem(Id::ControlLd, this);
    reportLdCombo_.SubclassDlgItem(Id::ReportLd, this);
    // The window icon stands for the title bar, the task bar and the minimised window.
    if (QWidget* widget = GetWidget()) widget->setWindowIcon(icon_);
    // The progress windows were made before this window existed: owned by it from now
    // on, they show above it and not behind it.
    modelProgress_.SetParent(this);
    icdProgress_.SetParent(this);

    statusBar_.Create(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, RECT{}, this, Id::StatusBar);
    statusBar_.SetMinHeight(20);
    const int width = statusBar_.GetClientRect().Width();
    const int edges[] = {width / 8, (5 * width) / 10, -1};
    statusBar_.SetParts(3, edges);

    valueSpin_.SetBuddy(&controlValue_);
    controlValue_.SetWindowText("False");
    readSelection_.CreateCombos(90, 5);
    controlSelection_.CreateCombos(90, 5);
    reportSelection_.CreateCombos(90, 5);
    macEdit_.SetMask("XX:XX:XX:XX:XX:XX");
    macEdit_.SetPromptChar('0');
    appIdEdit_.SetMask("XXXX");
    appIdEdit_.SetPromptChar('0');
    // A new mask shows its prompts: the defaults go in again.
    macEdit_.SetWindowText(macText_);
    appIdEdit_.SetWindowText(appIdText_);
    address_.SetAddress(127, 0, 0, 1);

    state_ = StateDisconnected;
    client_ = session_.GetClient();
    UpdateControls();
    adapterCombo_.SubclassDlgItem(Id::Adapter, this);
    OnRefreshAdapters();
    SetTimer(GooseTimerId, 100);

    if (!bannerPath_.empty() && FileExists(bannerPath_)) {
        QPixmap picture = LoadBitmapFile(bannerPath_);
        CStatic banner;
        if (!picture.isNull() && banner.SubclassDlgItem(Id::Banner, this)) banner.SetBitmap(picture);
    }
    // The client's messages go to the main window: this one.
    CWinApp::SetMainWnd(this);
    return TRUE;
}

void QXDialog::OnSysCommand(UINT id, LPARAM lParam) {
    // The close box ends the program the way Exit does.
    if ((id & 0xFFF0) == SC_CLOSE) {
        OnExit();
        return;
    }
    CDialog::OnSysCommand(id, lParam);
}

void QXDialog::OnDestroy() {
    KillTimer(GooseTimerId);
    // The capture's worker ends with the window, which its errors are posted to.
    if (capture_ != nullptr) capture_->Stop();
    if (CWinApp::GetMainWnd() == this) CWinApp::SetMainWnd(nullptr);
    // They live as long as this object, not only as long as its window, and go out of
    // sight with it.
    for (CDialog* progress : {static_cast<CDialog*>(&modelProgress_), static_cast<CDialog*>(&icdProgress_)}) {
        progress->ShowWindow(false);
        progress->SetParent(nullptr);
    }
    CDialog::OnDestroy();
}

void QXDialog::OnExit() { CDialog::OnOK(); }

void QXDialog::OnAbout() { about_.DoModal(); }

// ---- the state machine ----

void QXDialog::UpdateControls() {
    ApplyEnabling();
    // A connect under way is no disconnected state: the line names the device asked for,
    // and, once connected, the one connected to.
    if (state_ == StateDisconnected && connecting_) {
        statusBar_.SetText("Connecting", 0);
        statusBar_.SetText("Connecting to " + peer_, 1);
    } else if (state_ != StateDisconnected && disconnecting_) {
        statusBar_.SetText("Disconnecting...", 0);
        statusBar_.SetText("Disconnecting from " + peer_, 1);
    } else {
        statusBar_.SetText(LoadString(state_ == StateDisconnected ? IDS_DISCONNECTED : IDS_CONNECTED), 0);
        statusBar_.SetText(state_ == StateDisconnected ? LoadString(IDS_NO_DEVICE)
                           : state_ == StateReading    ? LoadString(IDS_READING_MODEL) + " (" + peer_ + ")"
                                                       : "Connected to " + peer_,
                           1);
    }
    statusBar_.SetText({}, 2);
}

void QXDialog::ApplyEnabling() {
    const bool ready = state_ == StateReady && !disconnecting_;
    const bool idle = state_ == StateDisconnected && !connecting_;
    connect_.EnableWindow(idle);
    reload_.EnableWindow(idle);
    disconnect_.EnableWindow(state_ != StateDisconnected && !disconnecting_);
    address_.SetReadOnly(!idle);
    for (CWnd* control :
         {static_cast<CWnd*>(&readSelection_), static_cast<CWnd*>(&controlSelection_),
          static_cast<CWnd*>(&reportSelection_), static_cast<CWnd*>(&readValue_), static_cast<CWnd*>(&controlValue_),
          static_cast<CWnd*>(&reportValue_), static_cast<CWnd*>(&valueSpin_), static_cast<CWnd*>(&createIcd_),
          static_cast<CWnd*>(&readLdCombo_), static_cast<CWnd*>(&controlLdCombo_)}) {
        control->EnableWindow(ready);
    }
    createIcd_.EnableWindow(ready && !icdExporting_);
    ApplyPanelButtons();
}

void QXDialog::ApplyPanelButtons() {
    const bool ready = state_ == StateReady && !disconnecting_;
    // A block enabled on a connection that has gone is no one's to disable.
    if (!ready) reportBlock_ = ReportBlock::None;
    read_.EnableWindow(ready && readSelection_.GetSelectedAttr() != nullptr);
    execute_.EnableWindow(ready && controlSelection_.GetSelectedAttr() != nullptr);
    const bool free = ready && reportBlock_ == ReportBlock::None;
    enableRcb_.EnableWindow(free && reportSelection_.GetSelectedAttr() != nullptr);
    disableRcb_.EnableWindow(ready && reportBlock_ == ReportBlock::Enabled);
    // While a block is in use its item stays on show: the lists are locked, the control
    // itself keeps its state.
    reportLdCombo_.EnableWindow(free);
    if (ready) reportSelection_.SendMessage(WM_ENABLE, free ? TRUE : FALSE);
}

void QXDialog::SetReportBlock(ReportBlock block) {
    reportBlock_ = block;
    ApplyPanelButtons();
}

void QXDialog::ClearSelections() {
    readSelection_.Clear();
    controlSelection_.Clear();
    reportSelection_.Clear();
    reportValue_.EnableWindow(false);
    reportValue_.SetWindowText({});
    readValue_.EnableWindow(false);
    readValue_.SetWindowText({});
    readLdCombo_.ResetContent();
    controlLdCombo_.ResetContent();
    reportLdCombo_.ResetContent();
    ApplyPanelButtons();
}

void QXDialog::ShowStatusText(const std::string& text) { statusBar_.SetText(text, 2); }

void QXDialog::ShowEndStatus(const std::string& text) {
    const std::string result = std::exchange(controlResultWhileEnding_, {});
    if (result.empty() && text.empty()) return;
    ShowStatusText(result.empty() ? text : text.empty() ? result : result + "; " + text);
}

// ---- the client's messages ----

LRESULT QXDialog::OnAssociateResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0) {
        ResetIcdExport();
        icdEndUntold_ = false;
        modelOrigin_.clear();
        disconnecting_ = false;
        controlResultWhileEnding_.clear();
        state_ = StateReading;
        UpdateControls();
        return 1;
    }
    // The session discards the server once its worker has left Associate, not inside its
    // call chain.
    PostMessageBox(LoadString(IDS_CONNECT_FAILED) + "\n\r" + TextOf(lParam), "Error", MB_OK | MB_ICONSTOP);
    return 1;
}

LRESULT QXDialog::OnReleaseResult(WPARAM wParam, LPARAM lParam) {
    disconnecting_ = false;
    if (wParam == 0) {
        state_ = StateDisconnected;
        modelProgress_.ShowWindow(false);
        ResetIcdExport();
        icdEndUntold_ = false;
        ClearSelections();
        UpdateControls();
        ShowEndStatus({});
        return 1;
    }
    ClearSelections();
    UpdateControls();
    ShowEndStatus({});
    PostMessageBox(LoadString(IDS_RELEASE_FAILED) + "\n\r" + TextOf(lParam));
    return 1;
}

LRESULT QXDialog::OnAborted(WPARAM, LPARAM lParam) {
    const bool exportStopped = icdExporting_ || std::exchange(icdEndUntold_, false);
    ResetIcdExport();
    const bool asked = std::exchange(disconnecting_, false);
    if (state_ == StateDisconnected) return 1;
    std::string text = TextOf(lParam);
    // The disconnect the user asked for, ended without the device's answer (the release
    // was given up, or the device aborted instead): no error of theirs to tell, unless a
    // control's outcome is left unknown by it.
    if (asked && text.find(ControlOutcomeUnknownText) == std::string::npos) {
        state_ = StateDisconnected;
        modelProgress_.ShowWindow(false);
        ClearSelections();
        UpdateControls();
        ShowEndStatus(DisconnectEndText());
        return 1;
    }
    // One message for the one end: what it cut short is told with it.
    if (exportStopped) text += "\n\r" + std::string(kIcdExportStoppedText);
    state_ = StateDisconnected;
    modelProgress_.ShowWindow(false);
    ClearSelections();
    UpdateControls();
    ShowEndStatus({});
    PostMessageBox(LoadString(IDS_ABORTED) + "\n\r" + text);
    return 1;
}

std::string QXDialog::DisconnectEndText() const {
    std::string refusal = session_.ReleaseRefusal();
    if (refusal.empty()) {
        return session_.ReleaseGivenUpWhileAnswering() ? kDisconnectedWhileAnsweringText : kDisconnectedUnansweredText;
    }
    // "the device refused, conclude (10), code 1 (...)": the class and code follow the words
    // that the line has already said.
    constexpr std::string_view said = "the device refused, ";
    if (refusal.starts_with(said)) refusal.erase(0, said.size());
    return std::string(kReleaseRefusedText) + " (" + refusal + ")";
}

LRESULT QXDialog::OnModelReadStart(WPARAM wParam, LPARAM) {
    // A load that starts as the disconnect comes is stopped at once: nothing to show.
    if (disconnecting_) return 1;
    modelOrigin_ = ModelOriginText(wParam);
    modelShortfall_.clear();
    if (!modelOrigin_.empty()) ShowStatusText(modelOrigin_);
    modelProgress_.CenterWindow(this);
    modelProgress_.ShowWindow(true);
    return 1;
}

LRESULT QXDialog::OnModelReadProgress(WPARAM, LPARAM lParam) {
    modelProgress_.SendMessage(WM_QX_MODEL_READ_PROGRESS, 0, lParam);
    return 1;
}

void QXDialog::SelectDevice(CComboBox& combo, int& index, const std::string& device) {
    index = combo.FindStringExact(-1, device);
    combo.SetCurSel(index);
}

LRESULT QXDialog::OnModelReadDone(WPARAM wParam, LPARAM lParam) {
    // Only a load under way ends in the ready state: after an abort the panels would act
    // on a connection that has gone, and after a disconnect on one that is going.
    if (state_ != StateReading || disconnecting_) return 1;
    modelProgress_.ShowWindow(false);
    state_ = StateReady;
    UpdateControls();
    if (wParam == ModelReadRefused) {
        modelShortfall_ = kModelRefusedText;
        PostMessageBox("The device refused part of its data model while it was read:\n\r" + TextOf(lParam) +
                       "\n\rOnly the part read is shown.");
    } else if (wParam == ModelReadPartial) {
        modelShortfall_ = kModelPartialText;
        PostMessageBox(
            "The device stopped answering while its data model was read.\n\r"
            "Only the part read so far is shown.");
    } else if (wParam == ModelReadIncomplete) {
        modelShortfall_ = kModelDataSetsIncompleteText;
        PostMessageBox(
            "Some data sets of the device name members that its data model does not hold.\n\r"
            "Those data sets are shown incomplete.");
    }
    if (client_ == nullptr) return 1;
    std::vector<std::string> names;
    client_->GetLogicalDeviceNames(names);
    for (const std::string& name : names) {
        readLdCombo_.AddString(name);
        controlLdCombo_.AddString(name);
        reportLdCombo_.AddString(name);
    }
    // The trees are for the first device in byte order, which the lists, sorted without
    // regard to case, may show elsewhere than on top.
    const std::string first = names.empty() ? std::string() : names.front();
    SelectDevice(readLdCombo_, readLd_, first);
    SelectDevice(controlLdCombo_, controlLd_, first);
    SelectDevice(reportLdCombo_, reportLd_, first);
    const SelectionTree readTree = client_->GetReadTree();
    const SelectionTree controlTree = client_->GetControlTree();
    const SelectionTree reportTree = client_->GetReportTree();
    readSelection_.SetData(&readTree);
    controlSelection_.SetData(&controlTree);
    reportSelection_.SetData(&reportTree);
    ApplyPanelButtons();
    // The connect's outcome outlasts the choices the trees just reported; what the model
    // lacks matters more than where it came from.
    if (!modelShortfall_.empty()) {
        ShowStatusText(modelShortfall_);
    } else if (!modelOrigin_.empty()) {
        ShowStatusText(modelOrigin_);
    }
    return 1;
}

LRESULT QXDialog::OnSelectionChanged(WPARAM wParam, LPARAM lParam) {
    if (lParam == Id::ReadSelection || lParam == Id::ControlSelection || lParam == Id::ReportSelection) {
        ShowStatusText(TextOf(wParam));
        ApplyPanelButtons();
    }
    // A value shown belongs to the selection it was read or reported for.
    if (lParam == Id::ReadSelection) readValue_.SetWindowText({});
    if (lParam == Id::ReportSelection) reportValue_.SetWindowText({});
    return 1;
}

void QXDialog::RebuildPanel(CComboBox& combo, QXSelectionCtrl& selection, int panel) {
    UpdateData(TRUE);
    if (client_ == nullptr) return;
    const int index = combo.GetCurSel();
    const std::string device = index >= 0 ? combo.GetLBText(index) : std::string();
    SelectionTree tree;
    switch (panel) {
        case ReadPanel:
            client_->BuildReadTree(device);
            tree = client_->GetReadTree();
            break;
        case ControlPanel:
            client_->BuildControlTree(device);
            tree = client_->GetControlTree();
            break;
        default:
            client_->BuildReportTree(device);
            tree = client_->GetReportTree();
            break;
    }
    selection.Clear();
    selection.SetData(&tree);
    // A device without anything to offer leaves the lists empty: the button goes with them.
    ApplyPanelButtons();
}

void QXDialog::OnReadLdChanged() { RebuildPanel(readLdCombo_, readSelection_, ReadPanel); }
void QXDialog::OnControlLdChanged() { RebuildPanel(controlLdCombo_, controlSelection_, ControlPanel); }
void QXDialog::OnReportLdChanged() { RebuildPanel(reportLdCombo_, reportSelection_, ReportPanel); }

}  // namespace App
