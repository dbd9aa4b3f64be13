#pragma once

#include <QIcon>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/client/ConnectionSession.h"
#include "app/program/ICDProgressDialog.h"
#include "app/program/QXProgressDialog.h"
#include "app/program/QXSelectionCtrl.h"
#include "app/widgets/AboutDialog.h"
#include "app/widgets/MaskEdit.h"
#include "iec61850/acsi/model/IcdExport.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Dialog.h"
#include "ui/Edit.h"
#include "ui/IPAddressCtrl.h"
#include "ui/SpinButtonCtrl.h"
#include "ui/StatusBarCtrl.h"

class CGooseCapture;

namespace App {

// The status line's answer to Connect while a number of the address is blank.
inline constexpr const char* kAddressIncompleteText = "The address is incomplete: fill in all four numbers";
// The status line's word for a disconnect that ended without the device's answer.
inline constexpr const char* kDisconnectedUnansweredText = "Disconnected without the device's answer";
// The same for a device that was still answering what it had been asked before (an
// export's reads to a slow device): the release was given up, not unanswered.
inline constexpr const char* kDisconnectedWhileAnsweringText =
    "Disconnected: the release was given up while the device was still answering earlier requests";
// The status line's start for a disconnect whose release the device refused (its words
// follow): the association was aborted at once.
inline constexpr const char* kReleaseRefusedText = "Disconnected by an abort: the device refused the release";
// The line the abort's message gains when it ended an ICD export.
inline constexpr const char* kIcdExportStoppedText = "The ICD export was stopped: no file was written.";
// The status line while the export compares a kept data model with the device.
inline constexpr const char* kIcdCheckingKeptModelText = "Checking the kept data model against the device";
// The status line from the read's start when the connect used the model kept for the address.
inline constexpr const char* kModelKeptText =
    "The same device at this address: data model kept from an earlier connection";
// The status line once a model is shown that lacks what the device refused, what it did not
// answer, or members its data sets name.
inline constexpr const char* kModelRefusedText = "Data model incomplete: the device refused part of it";
inline constexpr const char* kModelPartialText = "Data model incomplete: the device stopped answering";
inline constexpr const char* kModelDataSetsIncompleteText =
    "Data model incomplete: some data sets name members it does not hold";

}  // namespace App

namespace Iec61850::Acsi {
class ClientManager;
class Server;
class ServerManager;
}  // namespace Iec61850::Acsi

namespace Ui {
class CFileDialog;
}

namespace App {

class CICDDialog;
class QXClient;

// The main window: the connection to one device at a time, its three-state machine
// (0 disconnected, 1 reading the model, 2 ready), and the panels that act on the model.
//
// Threads: the UI thread never waits on the network. The connection's lifecycle is the
// session's (ConnectionSession): Associate, the model load and the registry removals run on
// its worker; while it runs, Connect and the reload box are disabled and Escape is dropped.
// The worker's end is posted to this window.
class QXDialog : public Ui::CDialog, private ConnectionSessionListener {
public:
    static constexpr int StateDisconnected = 0;
    static constexpr int StateReading = 1;
    static constexpr int StateReady = 2;
    static constexpr Ui::UINT_PTR GooseTimerId = 0xAAAA;

    QXDialog(Iec61850::Acsi::ServerManager& servers, Iec61850::Acsi::ClientManager& clients,
             Ui::CWnd* parent = nullptr);
    ~QXDialog() override;

    // Profile values for the servers this dialog creates ("RemoteNPort" for --port).
    void SetProfileOverride(const std::string& name, const std::string& value) {
        if (name == "RemoteNPort") remotePort_ = value;
        session_.SetProfileOverride(name, value);
    }

    void DoDataExchange(Ui::CDataExchange* dx) override;
    Ui::BOOL OnInitDialog() override;
    void OnSysCommand(Ui::UINT id, Ui::LPARAM lParam) override;
    void OnTimer(Ui::UINT_PTR id) override;
    void OnDestroy() override;

    void UpdateControls();
    void ClearSelections();
    void ShowStatusText(const std::string& text);
    // Pane 2 at the end of an association: the end's own words (none: empty), after the
    // result of a control that was answered while the association ended.
    void ShowEndStatus(const std::string& text);
    // Pane 2 for a disconnect the user asked for that ended with an abort: the device
    // refused the release, was still answering as it was given up, or did not answer.
    std::string DisconnectEndText() const;

    void OnConnect();
    // True when the association was started (on the worker).
    bool Connect(const std::string& address, bool reload);
    void OnDisconnect();
    void OnExit();
    void OnAbout();
    Ui::LRESULT OnAssociateResult(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnReleaseResult(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnAborted(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnModelReadStart(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnModelReadProgress(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnModelReadDone(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnSelectionChanged(Ui::WPARAM wParam, Ui::LPARAM lParam);
    void OnReadLdChanged();
    void OnControlLdChanged();
    void OnReportLdChanged();
    // The ICD export: the value reads, their progress, then the device parameters and the file.
    void OnCreateIcd();
    Ui::LRESULT OnIcdStart(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnIcdProgress(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnIcdDataReady(Ui::WPARAM wParam, Ui::LPARAM lParam);
    // The end of a kept model's check before the reads (WM_QX_ICD_MODEL_CHECKED).
    Ui::LRESULT OnIcdModelChecked(Ui::WPARAM wParam, Ui::LPARAM lParam);

    // The GOOSE panel (QXDialogGoose.cpp).
    void OnGooseStart();
    void OnGooseStop();
    void OnGooseContinue();
    void OnRefreshAdapters();
    void OnAnyMac();
    void OnAnyAppId();
    void OnLatchOnChange();
    Ui::LRESULT OnGooseError(Ui::WPARAM wParam, Ui::LPARAM lParam);
    // Groups of hex digits between ":" into the six octets; a missing group gives 0.
    static void ParseMac(const std::string& text, std::uint8_t mac[6]);
    // Hex digits, upper or lower case; any other character counts as a zero digit.
    static std::uint32_t ParseHex(const std::string& text);
    // Where every dialog gets its capture; tests hand in one on injected adapters.
    using CaptureFactory = std::function<CGooseCapture*()>;
    static void SetCaptureFactory(CaptureFactory factory);
    CGooseCapture* GetCapture() const { return capture_; }

    // ---- the read, control and report panels (QXDialogPanels.cpp) ----
    void OnRead();
    void OnExecute();
    void OnEnableRcb();
    void OnDisableRcb();
    Ui::LRESULT OnValueSpin(Ui::NMHDR* header);
    Ui::LRESULT OnReadResult(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnWriteResult(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnRcbEnableStatus(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnRcbDisableStatus(Ui::WPARAM wParam, Ui::LPARAM lParam);
    Ui::LRESULT OnReport(Ui::WPARAM wParam, Ui::LPARAM lParam);
    // The clock of the control time (the system's by default).
    void SetClock(std::function<std::chrono::system_clock::time_point()> clock) { clock_ = std::move(clock); }

    // The end of the program, however the dialog ended: the capture stopped, the model
    // load stopped and the worker joined, a live association released (aborted when the
    // profile's time-out passes), every server and the client removed. Runs once, after
    // the window has gone.
    void Shutdown();

    int GetState() const { return state_; }
    bool IsConnecting() const { return connecting_; }
    bool IsDisconnecting() const { return disconnecting_; }
    QXClient* GetClient() const { return client_; }
    Iec61850::Acsi::Server* GetServer() const { return session_.GetServer(); }
    std::int32_t GetServerId() const { return session_.GetServerId(); }
    QXProgressDialog& GetProgressDialog() { return modelProgress_; }
    ICDProgressDialog& GetIcdProgressDialog() { return icdProgress_; }
    bool IsIcdExportRunning() const { return icdExporting_; }
    const std::string& GetBannerPath() const { return bannerPath_; }

private:
    void MapPanelMessages();
    void ReturnReportPanelToIdle();
    // The report panel's block: none, being enabled, enabled, being disabled. The enabling
    // of Enable RCB, Disable RCB and the panel's lists follows it, whatever updates them.
    enum class ReportBlock { None, Enabling, Enabled, Disabling };
    void SetReportBlock(ReportBlock block);
    // Read, Execute and Enable RCB only with a whole selection on show; Disable RCB only
    // while a block is enabled.
    void ApplyPanelButtons();
    // The state table's enabling alone: the end of a worker must not wipe the result line.
    void ApplyEnabling();
    // The session's worker tells its end (and a failure no one has shown) by a post.
    void OnConnectFailed(System::ResultCode result, const std::string& reason, bool told) override;
    void OnWorkEnded() override;
    Ui::LRESULT OnWorkerDone(Ui::WPARAM wParam, Ui::LPARAM lParam);
    void ShowConnectFailure(const std::string& detail);
    void RebuildPanel(Ui::CComboBox& combo, QXSelectionCtrl& selection, int panel);
    // The member's name of the panel's tree, rebuilt for the device chosen.
    void SelectDevice(Ui::CComboBox& combo, int& index, const std::string& device);
    void MapIcdMessages();
    Ui::LRESULT OnIcdExport(Ui::WPARAM wParam, Ui::LPARAM lParam);
    // The export's value reads of the first device's nodes, asked on the UI thread.
    void AskIcdValues(const std::vector<std::string>& nodes);
    Ui::LRESULT OnIcdAskValues();
    // The export goes on only while the association its reads were answered on stands.
    bool IcdExportStands() const;
    // Writes the file beside the path, then puts it in place only while the export stands:
    // false with the exporter's or the system's text, or with none when the association
    // ended meanwhile.
    bool WriteIcdFileWhileAssociated(const std::string& path, std::string& failure);
    // The export's end on its own path: Create ICD free again. `associationEnded`: for the
    // association's end, which its abort tells.
    // The Host field changed: what is against the address typed is said at once, and
    // goes from the status line once mended.
    void OnAddressChanged();
    Ui::LRESULT EndIcdExport(bool associationEnded);
    // An export cut short (release, abort, a new association): the count back to 0, the
    // progress hidden, Create ICD free again once the controls are updated.
    void ResetIcdExport();
    static CGooseCapture* CreateGooseCapture();
    void MapGooseCommands();
    void ShowGooseStopped(bool focusStart);
    void ShowLastGooseFrame();

    Ui::CStatusBarCtrl statusBar_;
    Ui::CButton connect_;
    Ui::CButton reload_;
    Ui::CButton disconnect_;
    Ui::CEdit reportValue_;
    Ui::CEdit readValue_;
    Ui::CEdit controlValue_;
    Ui::CIPAddressCtrl address_;
    Ui::CButton read_;
    Ui::CButton execute_;
    Ui::CButton enableRcb_;
    Ui::CButton disableRcb_;
    Ui::CSpinButtonCtrl valueSpin_;
    QXProgressDialog modelProgress_;
    ICDProgressDialog icdProgress_;
    // From Create ICD to the end of the export; Create ICD stays disabled meanwhile.
    bool icdExporting_ = false;
    // Of the export under way: its reads, why they leave no file (empty when they do not),
    // and the exporter made with what the device said while its association stood.
    std::int32_t icdReadsTotal_ = 0;
    std::string icdReadsFailure_;
    std::unique_ptr<Iec61850::Acsi::IcdExport> icdExporter_;
    // An export ended for the association's end before the window heard of that end: the
    // abort's message says the export stopped.
    bool icdEndUntold_ = false;
    // The export's window open while the user answers it, which the export's end closes.
    CICDDialog* icdParameters_ = nullptr;
    Ui::CFileDialog* icdSave_ = nullptr;
    // The line last shown against the address typed.
    std::string addressProblemShown_;
    Widgets::QXAboutDialog about_;
    QXSelectionCtrl readSelection_;
    QXSelectionCtrl controlSelection_;
    QXSelectionCtrl reportSelection_;
    int state_ = StateDisconnected;
    // Where the model shown came from, when the connect had a model kept for the address:
    // kept, or read afresh and why. Pane 2 says so from the read's start until the next
    // result. Empty when there was none to keep.
    std::string modelOrigin_;
    // What the model shown lacks (kModelRefusedText...), from the read's end until the next
    // read; empty for a model read whole.
    std::string modelShortfall_;
    // The session's client, known here once a connect has made it.
    QXClient* client_ = nullptr;
    Ui::CButton createIcd_;
    Widgets::CMaskEdit macEdit_;
    std::string macText_ = "01:0C:CD:01:00:00";
    Widgets::CMaskEdit appIdEdit_;
    std::string appIdText_ = "0001";
    int anyMac_ = 0;
    int anyAppId_ = 0;
    int latch_ = 0;
    std::uint32_t stNum_ = 0;
    std::string gooseValues_;
    CGooseCapture* capture_ = nullptr;
    int adapterIndex_ = 0;
    Ui::CComboBox adapterCombo_;
    bool gooseCapturing_ = false;  // the group shows the capturing layout
    std::uintptr_t gooseRun_ = 0;  // counts Starts, so a late error of an earlier run stops nothing
    std::string programDirectory_;
    std::string bannerPath_;
    int readLd_ = -1;
    int controlLd_ = -1;
    int reportLd_ = -1;
    ReportBlock reportBlock_ = ReportBlock::None;

    QIcon icon_;
    Ui::CComboBox readLdCombo_;
    Ui::CComboBox controlLdCombo_;
    Ui::CComboBox reportLdCombo_;
    std::function<std::chrono::system_clock::time_point()> clock_ = [] { return std::chrono::system_clock::now(); };

    // From Connect to the post of the worker's end.
    bool connecting_ = false;
    // From Disconnect to the end of the association (released or aborted), or a refused
    // release: the panels and Disconnect are shut, the status line says so.
    bool disconnecting_ = false;
    // A control's result in pane 2 that came while disconnecting: the end's own update of
    // the status line keeps it.
    std::string controlResultWhileEnding_;
    // The device's port the status line names ("RemoteNPort"; the profile's own otherwise),
    // and "address:port" of the last connect.
    std::string remotePort_ = "102";
    std::string peer_;
    bool shutDown_ = false;
    // Where the worker posts its end, and the failure it has to show (worker threads only:
    // one worker at a time, each started after the last was joined).
    std::atomic<Ui::HWND> workerWindow_{0};
    std::string workerFailure_;
    // Last: its threads end before the members they tell about go.
    ConnectionSession session_;
};

}  // namespace App
