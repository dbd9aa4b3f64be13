#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "iec61850/acsi/client/RequestOptions.h"
#include "iec61850/acsi/model/ValueRecord.h"
#include "mms/machine/AnswerSpin.h"
#include "system/ResultCode.h"
#include "system/Semaphore.h"

namespace Mms {
class RequestGroup;
}

namespace Iec61850 {

namespace Acsi {
class AssociationProfile;
class Cancel;
class ControlReport;
class CreateDataSet;
class DeleteDataSet;
class GetAllDataValues;
class GetBRCBValues;
class GetDataDefinition;
class GetDataDirectory;
class GetDataSetDirectory;
class GetDataSetValues;
class GetDataValues;
class GetLogicalDeviceDirectory;
class GetLogicalNodeDirectory;
class GetServerDirectory;
class GetURCBValues;
class Operate;
class RCBReport;
class Release;
class Select;
class SelectWithValue;
class Service;
class SetBRCBValues;
class SetDataSetValues;
class SetDataValues;
class SetURCBValues;
class TPAppAssociation;
}  // namespace Acsi

// A (functional constraint, reference) pair as the requests that address data take it.
using FcReference = std::pair<std::string, std::string>;
// Attribute records of a control-block write: (attribute name, value text).
using AttributeRecords = std::vector<std::pair<std::string, std::string>>;

// The client library's face to an application, which derives from it: Associate with a
// server's profile, then ACSI requests. A request returns at once (0 and the invoke id, 1
// without an association); its answer comes through the callback that follows it, which
// gets the service object (valid only during the call: read its result, service error and
// answer there). After each callback the confirmation semaphore is signalled, so a caller
// may wait with WaitForConfirmation, never on a thread that delivers answers. Each data
// request says where it is answered from (AnswerFrom): the device, or the model the client
// already holds, with nothing sent.
//
// Threads (see TPAppAssociation): OnAssociated and OnAssociationFailed on the thread that
// called Associate; a service answered from the model or refused before it was sent calls
// back on the association's thread; answers, reports and aborts on the receive thread (an
// answer that came before its request's send from the caller's thread was over: on the
// association's). A request the association no longer takes (it has been ended, or a
// release was posted before it) is confirmed with 8 at once, on the thread that posted it,
// before the post returns: a caller holds no lock of its own across a post that its
// callback takes. A callback must never wait for another answer of the same association.
//
// The client does not own its association (the server's profile stack does). When the
// server goes, the association lets go of the client and the client of it: its next
// request gives 1, its next Associate makes a new association.
//
// A derived class whose callbacks use its own members calls ClearAssociation first thing
// in its destructor: it waits for a callback that is running and no other follows, while
// those members still exist (the base's destructor comes too late for them). So a client is
// never destroyed inside a callback, where that wait cannot be made.
class ClientApplication {
public:
    ClientApplication();
    // Lets go of the association (which then calls back nothing more).
    virtual ~ClientApplication();
    ClientApplication(const ClientApplication&) = delete;
    ClientApplication& operator=(const ClientApplication&) = delete;

    // Makes the association on first use (NoResources when the stack cannot), then
    // associates on the caller's thread: 0, or the initiate's failure. From inside any
    // callback of the association (OnRelease and OnAbort among them): InvalidContext and
    // OnAssociationFailed(12) at once, always (see TPAppAssociation::Associate). Inside a
    // callback of another association it waits for no other association's thread: an idle
    // association is let go of and destroyed on a thread of its own, and a new one of the
    // profile's stack associates (see Retire).
    virtual System::ResultCode Associate(Acsi::AssociationProfile& profile, std::uint32_t userValue);
    virtual std::int32_t OnAssociationFailed(std::int32_t reason);
    virtual std::int32_t OnAssociated(std::int32_t zero);
    // record[0]: 1 for a local abort; record[1]: 1 for an abort from below or the peer.
    virtual std::int32_t OnAbort(const std::uint8_t* record);
    virtual System::ResultCode Release();
    virtual std::int32_t OnRelease(Acsi::Release* service);
    virtual System::ResultCode GetServerDirectoryAfter(std::uint32_t& id, std::int32_t objectClass,
                                                       AnswerFrom answerFrom, const std::string& continueAfter);
    virtual System::ResultCode GetServerDirectory(std::uint32_t& id, std::int32_t objectClass, AnswerFrom answerFrom);
    virtual std::int32_t OnGetServerDirectory(Acsi::GetServerDirectory* service);
    virtual System::ResultCode GetLogicalDeviceDirectoryAfter(std::uint32_t& id, const std::string& reference,
                                                              AnswerFrom answerFrom, const std::string& continueAfter);
    virtual System::ResultCode GetLogicalDeviceDirectory(std::uint32_t& id, const std::string& reference,
                                                         AnswerFrom answerFrom);
    virtual std::int32_t OnGetLogicalDeviceDirectory(Acsi::GetLogicalDeviceDirectory* service);
    virtual System::ResultCode GetLogicalNodeDirectoryAfter(std::uint32_t& id, const std::string& reference,
                                                            std::int32_t objectClass, AnswerFrom answerFrom,
                                                            const std::string& continueAfter);
    virtual System::ResultCode GetLogicalNodeDirectory(std::uint32_t& id, const std::string& reference,
                                                       std::int32_t objectClass, AnswerFrom answerFrom);
    virtual std::int32_t OnGetLogicalNodeDirectory(Acsi::GetLogicalNodeDirectory* service);
    virtual System::ResultCode GetAllDataValues(std::uint32_t& id, const std::string& reference, const std::string& fc,
                                                AnswerFrom answerFrom);
    virtual std::int32_t OnGetAllDataValues(Acsi::GetAllDataValues* service);
    // GetAllDataValues for the model only: the confirmation carries no text record per value.
    System::ResultCode GetAllDataValuesIntoModel(std::uint32_t& id, const std::string& reference,
                                                 const std::string& fc);
    virtual System::ResultCode GetDataValues(std::uint32_t& id, const FcReference& request, AnswerFrom answerFrom);
    virtual std::int32_t OnGetDataValues(Acsi::GetDataValues* service);
    virtual System::ResultCode SetDataValues(std::uint32_t& id, const FcReference& request,
                                             const std::vector<Acsi::ValueRecord>& values, AnswerFrom answerFrom);
    virtual std::int32_t OnSetDataValues(Acsi::SetDataValues* service);
    virtual System::ResultCode GetDataDirectory(std::uint32_t& id, const std::string& reference, const std::string& fc,
                                                AnswerFrom answerFrom);
    virtual std::int32_t OnGetDataDirectory(Acsi::GetDataDirectory* service);
    virtual System::ResultCode GetDataDefinition(std::uint32_t& id, const std::string& reference,
                                                 AnswerFrom answerFrom);
    virtual std::int32_t OnGetDataDefinition(Acsi::GetDataDefinition* service);
    virtual System::ResultCode GetDataSetDirectory(std::uint32_t& id, const std::string& reference,
                                                   AnswerFrom answerFrom);
    virtual std::int32_t OnGetDataSetDirectory(Acsi::GetDataSetDirectory* service);
    virtual System::ResultCode GetDataSetValues(std::uint32_t& id, const std::string& reference, AnswerFrom answerFrom);
    virtual std::int32_t OnGetDataSetValues(Acsi::GetDataSetValues* service);
    virtual System::ResultCode SetDataSetValues(std::uint32_t& id, const std::string& reference,
                                                const std::vector<Acsi::ValueRecord>& values, AnswerFrom answerFrom);
    virtual std::int32_t OnSetDataSetValues(Acsi::SetDataSetValues* service);
    virtual System::ResultCode CreateDataSet(std::uint32_t& id, const std::string& reference,
                                             const std::vector<Acsi::ValueRecord>& members, AnswerFrom answerFrom);
    virtual std::int32_t OnCreateDataSet(Acsi::CreateDataSet* service);
    virtual System::ResultCode DeleteDataSet(std::uint32_t& id, const std::string& reference, AnswerFrom answerFrom);
    virtual std::int32_t OnDeleteDataSet(Acsi::DeleteDataSet* service);
    virtual System::ResultCode GetBRCBValues(std::uint32_t& id, const FcReference& request, AnswerFrom answerFrom);
    virtual std::int32_t OnGetBRCBValues(Acsi::GetBRCBValues* service);
    virtual System::ResultCode SetBRCBValues(std::uint32_t& id, const std::string& reference,
                                             const AttributeRecords& values, AnswerFrom answerFrom);
    virtual std::int32_t OnSetBRCBValues(Acsi::SetBRCBValues* service);
    virtual System::ResultCode GetURCBValues(std::uint32_t& id, const FcReference& request, AnswerFrom answerFrom);
    virtual std::int32_t OnGetURCBValues(Acsi::GetURCBValues* service);
    virtual System::ResultCode SetURCBValues(std::uint32_t& id, const std::string& reference,
                                             const AttributeRecords& values, AnswerFrom answerFrom);
    virtual std::int32_t OnSetURCBValues(Acsi::SetURCBValues* service);
    virtual std::int32_t OnReport(Acsi::RCBReport* report);
    // Controls. Select reads the object's SBO (SelectBy::Unsupported: NotSupported). The
    // others write the SBOw, Oper or Cancel structure of the object from the caller's
    // components ("ctlVal", "origin.orCat" ...), then Test, T and (not for Cancel) Check;
    // Activation::Timed is not supported (NotSupported). No components, an Operate
    // component "operTm", or a "ctlNum" outside 0..255: InvalidArguments, and nothing is
    // made.
    virtual System::ResultCode Select(std::uint32_t& id, const std::string& reference, SelectBy selectBy);
    virtual std::int32_t OnSelect(Acsi::Select* service);
    virtual System::ResultCode SelectWithValue(std::uint32_t& id, const std::string& reference,
                                               const AttributeRecords& values, const std::string& test,
                                               const std::string& t, const std::string& check, Activation activation);
    virtual std::int32_t OnSelectWithValue(Acsi::SelectWithValue* service);
    virtual System::ResultCode Operate(std::uint32_t& id, const std::string& reference, const AttributeRecords& values,
                                       const std::string& test, const std::string& t, const std::string& check,
                                       Activation activation);
    virtual std::int32_t OnOperate(Acsi::Operate* service);
    virtual System::ResultCode Cancel(std::uint32_t& id, const std::string& reference, const AttributeRecords& values,
                                      const std::string& test, const std::string& t, Activation activation);
    virtual std::int32_t OnCancel(Acsi::Cancel* service);
    virtual std::int32_t OnCommandTermination(Acsi::ControlReport* report);

    // An association exists and stands.
    bool IsAssociated() const;
    // 0 acquired, 1 failure, 2 time-out; 0 ms waits without limit. Like the MMS
    // synchronous waits it watches for a fast confirmation a while before it sleeps, as
    // far as that proves faster on this machine (Mms::AnswerSpin), up to
    // LongestConfirmationWatch and never beyond the time limit.
    int WaitForConfirmation(std::uint32_t milliseconds);
    // A confirmation follows the answer once the library has applied it and the callback
    // has run, and the sleeping caller's wake-up on an idle machine adds about a round trip
    // more: slept for, a fast one takes longer than the MMS waits' longest watch.
    static constexpr std::chrono::microseconds LongestConfirmationWatch{200};
    System::ResultCode SignalConfirmation();

    // Requests posted on the thread that makes it, while it lives, join the group (see
    // Mms::RequestGroup), so that they can be withdrawn together (WithdrawRequests).
    // Scopes nest: the innermost group is joined.
    class RequestGroupScope {
    public:
        explicit RequestGroupScope(std::shared_ptr<const Mms::RequestGroup> group);
        ~RequestGroupScope();
        RequestGroupScope(const RequestGroupScope&) = delete;
        RequestGroupScope& operator=(const RequestGroupScope&) = delete;

    private:
        std::shared_ptr<const Mms::RequestGroup> outer_;
    };
    // Withdraws the group's requests: those not sent yet are never sent, and each is
    // confirmed through its callback with result 9 (Cancelled), as usual on the
    // association's thread (Acsi::Service::Withdrawn tells them apart); those sent are
    // answered as usual. Any thread, without waiting; so is every request of the group
    // posted later.
    void WithdrawRequests(Mms::RequestGroup& group);

    std::uint32_t GetClientId() const { return clientId_; }
    void SetClientId(std::uint32_t id) { clientId_ = id; }
    Acsi::TPAppAssociation* GetAssociation() const;
    // Drops the link to the association at once (the next request gives 1, the next
    // Associate makes a new one); the association calls this client no more once the calls
    // under way have returned. Outside a callback it waits for those, and for an
    // association being destroyed to have confirmed what it held. Inside a callback (of any
    // association, on any thread) it waits for nothing, since a callback on another thread
    // may be waiting for this one: the client must then outlive the calls still under way,
    // so it is not destroyed inside a callback (ClientManager defers such a removal).
    void ClearAssociation();
    // The association tells that it lets go of this client (only when it is the linked one).
    void ForgetAssociation(Acsi::TPAppAssociation* association);
    // The association is being destroyed: no request reaches it from now on, but it still
    // confirms what it held until it lets go (ForgetAssociation).
    void AssociationLeaving(Acsi::TPAppAssociation* association);

protected:
    // Posts a service made for the association: 1 without one, 11 when none can be made.
    template <typename Make>
    System::ResultCode Post(std::uint32_t& id, Make make);

private:
    // Lets go of an idle association that is not used any more and deletes it (inside a
    // callback on a thread of its layer's).
    void Retire(Acsi::TPAppAssociation& association);

    // The group of the innermost RequestGroupScope on this thread.
    static thread_local std::shared_ptr<const Mms::RequestGroup> postingGroup_;

    System::Semaphore confirmation_{1, 1};
    Mms::AnswerSpin confirmationSpin_{LongestConfirmationWatch};
    std::uint32_t clientId_ = 0;
    mutable std::mutex associationMutex_;
    Acsi::TPAppAssociation* association_ = nullptr;
    // Those let go of, or being destroyed, that may still call back: each until it tells
    // that it let go (ForgetAssociation).
    std::vector<Acsi::TPAppAssociation*> leaving_;
    std::condition_variable left_;
};

}  // namespace Iec61850
