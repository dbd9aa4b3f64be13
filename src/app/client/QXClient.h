#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/client/KeptModelNameCheck.h"
#include "app/client/MainWindowNotifier.h"
#include "app/client/QXMessages.h"
#include "app/client/SelectionTree.h"
#include "iec61850/acsi/reader/RClient.h"
#include "system/Semaphore.h"

namespace Mms {
class RequestGroup;
}

namespace Iec61850::Acsi {
struct LastApplError;
class BRCB;
class GetAllDataValues;
class GetBRCBValues;
class GetDataSetDirectory;
class GetLogicalDeviceDirectory;
class GetLogicalNodeDirectory;
class GetServerDirectory;
class GetURCBValues;
class ModelReader;
class NamedObject;
class Server;
class Service;
class SetBRCBValues;
class SetURCBValues;
class URCB;
}  // namespace Iec61850::Acsi

namespace App {

using QXClientBase = Iec61850::Acsi::RClient;

// The line the abort's message gains when a control was under way as the association
// ended: whether the device carried it out is not known.
inline constexpr const char* ControlOutcomeUnknownText = "The control's outcome is not known: read its status.";
// The line the abort's message gains when the program aborted because the link stalled:
// nothing came from the device for the time-out, so the user knows what was lost.
inline constexpr const char* LinkStalledText = "The device stopped answering.";

// The program's client: every callback lets the library apply the answer to the model
// first, then tells the main window by a synchronous message (QXMessages.h). It also
// reads the device's model after the association stands (LoadModel, on the thread that
// called Associate) and keeps the three selection trees built from it.
//
// A model kept from an earlier connection (the server's, when it is not discarded first) is
// used only when the device is the one it was read from: same Identify answer, same
// logical devices (QXClientKeptModel.cpp). Until that is known the window hears nothing of
// the association.
//
// Threads: callbacks run on the library's threads, the trees are rebuilt and read on the
// UI thread. The last-read pair and the trees are under mutexes that are never held
// across a send; the trees leave the client as copies.
class QXClient : public QXClientBase {
public:
    explicit QXClient(MainWindowNotifier* notifier = nullptr);
    ~QXClient() override;

    void SetNotifier(MainWindowNotifier* notifier) { notifier_.store(notifier); }

    // Associates on the caller's thread and then, when the association stands, reads the
    // model there (see OnAssociated). Over a kept model the device is asked first whether
    // the model is its own: when it is not, nothing is loaded and KeptModelDiffers tells
    // so; when the association was lost meanwhile, NotConnected.
    System::ResultCode Associate(Iec61850::Acsi::AssociationProfile& profile, std::uint32_t userValue) override;
    // The last Associate found the association standing over a model kept from another
    // device (or one of unknown origin): the window has not been told of the association
    // and no model was loaded. The caller reads the device afresh.
    bool KeptModelDiffers() const { return keptModelRenewal_ != 0; }
    // Why, as the wParam of WM_QX_MODEL_READ_START tells it (ModelReadRenewed...); 0 when
    // the kept model was not found another's.
    std::uintptr_t KeptModelRenewal() const { return keptModelRenewal_; }
    std::int32_t OnAssociationFailed(std::int32_t reason) override;
    std::int32_t OnAssociated(std::int32_t zero) override;
    std::int32_t OnAbort(const std::uint8_t* record) override;
    std::int32_t OnRelease(Iec61850::Acsi::Release* service) override;
    // The logical-device names asked while a kept model is checked are the check's, not
    // the model's; any other answer goes to the model.
    std::int32_t OnGetServerDirectory(Iec61850::Acsi::GetServerDirectory* service) override;
    // The names asked by the check of a kept model before an export are the check's too.
    std::int32_t OnGetLogicalDeviceDirectory(Iec61850::Acsi::GetLogicalDeviceDirectory* service) override;
    // And so are its lists of data sets, and the members of those the model holds.
    std::int32_t OnGetLogicalNodeDirectory(Iec61850::Acsi::GetLogicalNodeDirectory* service) override;
    std::int32_t OnGetDataSetDirectory(Iec61850::Acsi::GetDataSetDirectory* service) override;
    std::int32_t OnGetAllDataValues(Iec61850::Acsi::GetAllDataValues* service) override;
    System::ResultCode GetDataValues(std::uint32_t& id, const Iec61850::FcReference& request,
                                     Iec61850::AnswerFrom answerFrom) override;
    std::int32_t OnGetDataValues(Iec61850::Acsi::GetDataValues* service) override;
    std::int32_t OnSetDataValues(Iec61850::Acsi::SetDataValues* service) override;
    std::int32_t OnReport(Iec61850::Acsi::RCBReport* report) override;
    // Every control service's answer is shown, a refused select or cancel as much as an
    // operate; a negative command termination too. A control the association's end
    // confirms is told by the abort instead, which says its outcome is not known.
    System::ResultCode Select(std::uint32_t& id, const std::string& reference, Iec61850::SelectBy selectBy) override;
    System::ResultCode SelectWithValue(std::uint32_t& id, const std::string& reference,
                                       const Iec61850::AttributeRecords& values, const std::string& test,
                                       const std::string& t, const std::string& check,
                                       Iec61850::Activation activation) override;
    System::ResultCode Operate(std::uint32_t& id, const std::string& reference,
                               const Iec61850::AttributeRecords& values, const std::string& test, const std::string& t,
                               const std::string& check, Iec61850::Activation activation) override;
    System::ResultCode Cancel(std::uint32_t& id, const std::string& reference, const Iec61850::AttributeRecords& values,
                              const std::string& test, const std::string& t, Iec61850::Activation activation) override;
    std::int32_t OnSelect(Iec61850::Acsi::Select* service) override;
    std::int32_t OnSelectWithValue(Iec61850::Acsi::SelectWithValue* service) override;
    std::int32_t OnOperate(Iec61850::Acsi::Operate* service) override;
    std::int32_t OnCancel(Iec61850::Acsi::Cancel* service) override;
    std::int32_t OnCommandTermination(Iec61850::Acsi::ControlReport* report) override;

    // The model shown was kept from an earlier connection to this device: the last
    // Associate found it the device's and read nothing of it again.
    bool IsModelKept() const { return modelKept_.load(); }
    // Before an export from a kept model not yet found the device's on this association: asks
    // the device's name lists as requests of the export (StopIcdReads withdraws them), and
    // tells the end by WM_QX_ICD_MODEL_CHECKED: true. False when there is nothing to check.
    bool CheckKeptModelBeforeExport();

    // ---- the model load and the selection trees ----

    // Reads the association's model with the library's reader, telling the main window
    // how far it came, then builds the trees for the first device. True.
    bool LoadModel();
    // Ends a model load from another thread; the reader stops at its next wait, and what
    // it asked that has not been sent never is (confirmed as withdrawn).
    void StopModelLoad();
    // The value reads of an ICD export about to be asked, in the order to ask them (see
    // IcdValueReads.h): they join a group of their own, which StopIcdReads withdraws, and
    // so does their end (the count at 0: after a time-out, the rest of the window is never
    // sent). Only their confirmations count the export down, until that end. The window is
    // IcdReadWindow, or fewer when the device allows fewer requests outstanding. The group
    // returned is the export's: what else the export asks (the check of a kept model, begun
    // with no reads) joins it too.
    std::shared_ptr<const Mms::RequestGroup> BeginIcdReads(std::vector<Iec61850::FcReference> reads);
    // Ends the export's value reads: those not sent never are, and the count of outstanding
    // reads is 0, so that no confirmation leads on to the export.
    void StopIcdReads();
    // Asks the next reads of the export in order while fewer than its window are out and
    // the count is above 0 (nothing once StopIcdReads has come). A read refused at once is
    // taken off the count and tallied unanswered, and the one after asked; true when such a
    // refusal took the count to 0, since then no answer will end the reads.
    bool AskIcdReads();
    // Tells the window what the export's count-down left untold, unless another thread is
    // telling it already (which then tells this too).
    void TellExportCounts();
    bool IsModelLoading() const { return modelLoading_.load(); }
    // The reader's result of the last load (0 read, 8 association lost, 9 stopped, 12 the
    // device fell silent); -1 before any.
    std::int32_t GetModelReadResult() const { return modelReadResult_.load(); }
    // What the device refused while the model on show was read, each in its words
    // ("LD0: the device refused its list of variables: ..."); empty for a model read whole.
    // Any thread.
    std::vector<std::string> GetModelRefusals() const;

    void BuildReadTree(const std::string& device);
    void BuildControlTree(const std::string& device);
    void BuildReportTree(const std::string& device);
    void ClearSelectionMaps();
    void GetLogicalDeviceNames(std::vector<std::string>& names) const;
    SelectionTree GetReadTree() const;
    SelectionTree GetControlTree() const;
    SelectionTree GetReportTree() const;

    // ---- report control blocks (QXClientReports.cpp) ----

    // Finds a free report control block whose data set holds the (constraint, reference)
    // item and enables it, telling the window every step (WM_QX_RCB_ENABLE_STATUS). 15
    // without an association or server model, else 0. Runs on the UI thread.
    std::int32_t EnableReports(const Iec61850::FcReference& request);
    // Disables the block the last enable settled on (WM_QX_RCB_DISABLE_STATUS). 0.
    std::int32_t DisableReports();
    std::int32_t OnGetBRCBValues(Iec61850::Acsi::GetBRCBValues* service) override;
    std::int32_t OnSetBRCBValues(Iec61850::Acsi::SetBRCBValues* service) override;
    std::int32_t OnGetURCBValues(Iec61850::Acsi::GetURCBValues* service) override;
    std::int32_t OnSetURCBValues(Iec61850::Acsi::SetURCBValues* service) override;
    // 0 never started, 7 ended without a block, 8 checking, 9 enabling or enabled.
    std::int32_t GetEnableState() const;
    // The current block's reference, empty without one.
    std::string GetCurrentRcbReference() const;

    // ---- value reads of the ICD creation ----

    // The lock of the count of outstanding value reads; the dialog takes it too.
    System::Semaphore& GetPendingLock() { return pendingLock_; }
    // Under the pending lock.
    std::int32_t GetPendingValueReads() const { return pendingValueReads_; }
    void SetPendingValueReads(std::int32_t count) { pendingValueReads_ = count; }
    // Under the pending lock: how the export's reads that have ended so far went, for the
    // export to refuse a file whose values the device did not all give.
    struct ValueReadTally {
        // Confirmed without the device's answer on an association that stands (timed out, a
        // request the client refused at once).
        std::int32_t unanswered = 0;
        // The first read that timed out ("LD0/XCBR1 CF"; empty for none) and the time-out it
        // was given, in milliseconds: no read is asked after it.
        std::string timedOut;
        std::uint32_t timeoutMs = 0;
        // The reads the device refused (but SE, see IcdValueReads.h): the file would give the
        // model's values for them, not the device's.
        std::vector<std::string> refused;
        // Confirmed by the association's end: its abort is told on its own.
        bool endedWithTheAssociation = false;
    };
    ValueReadTally GetValueReadTally() const { return valueReadTally_; }
    void SetValueReadTally(const ValueReadTally& tally) { valueReadTally_ = tally; }

protected:
    // Sends to the main window; 0 without one.
    std::intptr_t NotifyMainWindow(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    Iec61850::Acsi::Server* GetAssociatedServer() const;
    // The last read request, whole, as the UI asked for it.
    Iec61850::FcReference GetLastRead() const;

private:
    // The requests of the report sequence, so that a confirmation is known for what it answers.
    enum class RcbRequest { None, Check, Enable, Disable, Recheck, Refresh };
    struct RcbConfirmation {
        std::uint32_t id = 0;
        std::int32_t serviceError = 0;
    };
    struct RcbStep;

    // A request the association's end confirmed: nothing to tell of it, the abort tells
    // that end. A control (select, operate, cancel) stays counted as unconfirmed for the
    // abort's message, any other control confirmed ends its count.
    bool EndedWithTheAssociation(const Iec61850::Acsi::Service* service, bool control);
    // A control made (true: one more unconfirmed) or not made after all.
    System::ResultCode CountControl(System::ResultCode made);
    // What a write stood for, which names its outcome.
    enum class WriteKind { Value, Select, Cancel };
    // One message per write: its outcome in words, a refusal with the LastApplError the
    // device sent for the same object.
    void SendWriteResult(WriteKind kind, std::int32_t serviceError, const std::string& objectReference);
    // "LastApplError Error 1 (Unknown), AddCause 18 (Object-not-selected)".
    static std::string DescribeLastApplError(const Iec61850::Acsi::LastApplError& error);
    // The report sequence (QXClientReports.cpp). The "Locked" ones run under rcbMutex_ and
    // only note what to send and which request to issue; RunRcbStep does that unlocked.
    void ClearReportSequence();
    void TakeRcbConfirmation(const RcbConfirmation& confirmation);
    void RunRcbStep(RcbStep& step);
    void AnswerLocked(RcbRequest request, const RcbConfirmation& confirmation, RcbStep& step);
    void ContinueEnableLocked(RcbStep& step);
    void SetConfirmedLocked(bool enabling, const RcbConfirmation& confirmation, RcbStep& step);
    bool SearchCandidateLocked();
    void CheckRequestLocked(RcbStep& step);
    void InvalidStateLocked(RcbStep& step);
    void RequestSameBlockLocked(RcbRequest request, RcbStep& step);
    std::string LabelLocked() const;
    std::pair<std::string, std::string> WatchedItem() const;
    void BuildTree(SelectionTree& target, const std::string& device, int kind);
    // How many of the export's requests may be out at once: IcdReadWindow, or fewer when the
    // device allows fewer.
    std::size_t ExportWindow() const;
    // Under the pending lock: the export's read done, and the reads still outstanding
    // counted from the first that is not done (its progress).
    std::int32_t OutstandingInOrderLocked(const Iec61850::Acsi::GetAllDataValues& read);

    // ---- the kept model (QXClientKeptModel.cpp) ----

    // Who a device says it is: its Identify answer (empty when it offers none or refuses
    // it) and the names of its logical devices, sorted.
    struct DeviceIdentity {
        std::string vendor;
        std::string model;
        std::string revision;
        std::vector<std::string> devices;
        bool operator==(const DeviceIdentity&) const = default;
    };
    // Own, or why it is not used (the renewals of QXMessages.h), or the check did not end.
    enum class KeptModelCheck { Own, AnotherDevice, Unidentified, OriginUnknown, ReadIncomplete, Lost, Stopped };
    // The server holds a model, read in part or whole.
    static bool HoldsModel(Iec61850::Acsi::Server& server);
    bool OffersIdentify() const;
    // Asks the device its logical devices, then compares it with the one the kept model
    // was read from. On the thread that called Associate, after the association stands.
    KeptModelCheck CheckKeptModel(Iec61850::Acsi::Server& server);
    // Every page of the server directory, waited for: false when it was not answered
    // whole; `stopped` when StopModelLoad came meanwhile.
    bool AskLogicalDevices(std::vector<std::string>& names, bool& stopped);
    // The identity the server's model is read from, noted once its devices are known.
    void NoteModelOrigin(Iec61850::Acsi::Server& server);
    // Waits until the Identify asked of the device has its outcome, giving it up (filed as
    // timed out) when no answer came within a short wait: false when StopModelLoad came
    // first.
    bool AwaitIdentity(Iec61850::Acsi::Server& server);

    std::atomic<MainWindowNotifier*> notifier_;
    // Controls made on this association that no answer has confirmed: those under way
    // (which may be confirmed on the caller's thread after the abort is told, when the
    // abort came during their send) and those its end confirmed. The abort takes the
    // count; a new association starts at 0. Atomic: the caller's thread and both of the
    // association's change it.
    std::atomic<int> controlsUnconfirmed_{0};

    // The report-enable sequence's state (the watched item is what reports are matched to),
    // under rcbMutex_, which is never held across a send or a request. The blocks point
    // into the model: read under the model lock, dropped at release, abort and association.
    mutable std::mutex rcbMutex_;
    std::string watchedConstraint_;
    std::string watchedReference_;
    std::list<Iec61850::Acsi::NamedObject*> candidates_;
    std::list<Iec61850::Acsi::NamedObject*>::iterator currentCandidate_ = candidates_.end();
    Iec61850::Acsi::BRCB* currentBrcb_ = nullptr;
    Iec61850::Acsi::URCB* currentUrcb_ = nullptr;
    std::int32_t enableState_ = 0;
    std::string currentConstraint_;
    std::string currentReference_;
    // The one request of the sequence in flight, by invoke id. While a request is being
    // issued its id is not known yet: confirmations that come meanwhile wait in early_.
    RcbRequest pendingRequest_ = RcbRequest::None;
    std::uint32_t pendingId_ = 0;
    bool issuing_ = false;
    std::uint64_t rcbGeneration_ = 0;
    std::vector<RcbConfirmation> early_;

    // The LastApplError of a refused write, sent by the device ahead of the refusal: kept
    // until the refusal of the same control object takes it into its message.
    std::mutex applErrorMutex_;
    std::string applErrorObject_;
    std::string applErrorText_;

    mutable std::mutex lastReadMutex_;
    std::string lastReadConstraint_;
    std::string lastReadReference_;

    std::atomic<bool> modelLoading_{true};
    std::atomic<std::int32_t> modelReadResult_{-1};
    // The reader of the load under way, so that another thread can stop it.
    std::mutex readerMutex_;
    Iec61850::Acsi::ModelReader* reader_ = nullptr;
    bool stopRequested_ = false;
    // Set by OnAssociated for the Associate that called it (the same thread).
    bool loadAfterAssociate_ = false;
    bool checkKeptModel_ = false;
    std::uintptr_t keptModelRenewal_ = 0;
    std::atomic<bool> modelKept_{false};
    // Compares a kept model with the device's name lists before an export.
    KeptModelNameCheck nameCheck_;

    // The identity each server's model was read from, by server; a server found without a
    // model loses its entry, so that an entry never outlives the model it describes.
    std::mutex originMutex_;
    std::map<const Iec61850::Acsi::Server*, DeviceIdentity> origins_;
    // The servers whose model the device refused part of: never kept for another connect.
    std::set<const Iec61850::Acsi::Server*> refusedModels_;
    // The refusals of the model on show, told as GetModelRefusals gives them.
    mutable std::mutex refusalsMutex_;
    std::vector<std::string> modelRefusals_;
    // The server directory asked by the check; set by its answers on the receive thread.
    std::mutex directoryMutex_;
    bool askingDirectory_ = false;
    bool directoryAnswered_ = false;
    bool directoryRead_ = false;
    bool directoryMoreFollows_ = false;
    std::vector<std::string> directoryPage_;

    // The export's reads, under the pending lock: the count of those not yet confirmed, how
    // they went, the group of the export under way (null once stopped), its reads by
    // (constraint, node), the next to ask, those asked and not yet confirmed, and how many
    // may be. One thread at a time asks (icdReadPosting_), so that they leave in order.
    std::int32_t pendingValueReads_ = 0;
    ValueReadTally valueReadTally_;
    std::shared_ptr<Mms::RequestGroup> icdReads_;
    std::vector<Iec61850::FcReference> icdReadQueue_;
    // Where each read stands in the queue, which of them are done, and how many from the
    // first are done without a gap: the progress shown.
    std::map<Iec61850::FcReference, std::size_t> icdReadPlaces_;
    std::vector<bool> icdReadsDone_;
    std::size_t icdReadsDoneInOrder_ = 0;
    std::size_t icdReadNext_ = 0;
    std::size_t icdReadsOut_ = 0;
    std::size_t icdReadWindow_ = 1;
    bool icdReadPosting_ = false;
    System::Semaphore pendingLock_{1, 1};
    // What the export's count-down has to tell the window (message, count), in the order the
    // counts fell, under the pending lock. Confirmations come on several threads at once, and
    // the window's thread itself confirms a read refused at once: one thread at a time tells
    // (exportTelling_), the others leave theirs to it and wait for nothing, so no lock is held
    // while the window is told or a read asked.
    std::deque<std::pair<std::uint32_t, std::int32_t>> exportUntold_;
    bool exportTelling_ = false;

    mutable std::mutex treesMutex_;
    SelectionTree readMap_;
    SelectionTree controlMap_;
    SelectionTree reportMap_;
};

}  // namespace App
