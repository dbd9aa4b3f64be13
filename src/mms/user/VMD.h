#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/user/Domain.h"
#include "mms/user/MmsObject.h"
#include "mms/user/ModelHold.h"
#include "system/Semaphore.h"

namespace Mms {

class InformationReport;
class NameListPage;
class NamedVariable;
class NamedVariableList;

// The MMS virtual manufacturing device: the root of one peer's object model.
//
// Server side, it answers the peer's name-list, attribute, read, write and named-
// variable-list requests from the objects it holds (the service user forwards them
// here). Each answering operation returns OkNoError when the response is filled; any
// other result means the request is refused, with the reject code left in the slot
// (MmsRejectRequestOther, MmsRejectRequestInvalidArgument) or, for definition failures,
// a packed error (MmsPackError): MmsDefinitionObjectUndefinedError,
// MmsDefinitionObjectExistsError, MmsDefinitionObjectAttributeInconsistentError. Per-
// variable problems of reads and writes are failure results, not refusals.
//
// Client side, it is the image of the remote device: it takes the identify and status
// answers, can fetch the peer's directory, and queues the information reports that
// arrive on its association.
//
// The VMD owns the objects of its maps (domain-specific objects live in their domain)
// and the queued reports. The report queue and the identity have a lock each of their
// own (the receive thread writes them while any thread reads them). The object maps of the
// VMD and of its domains, and the objects filed in them, are guarded by the model lock:
// they meet the receive threads (a peer's requests answered here, a deletion answer
// that takes a list out) and whoever builds or reads the model.
class VMD : public MmsObject {
public:
    // The range of the logical and physical status.
    static constexpr std::int32_t StatusLowest = 0;
    static constexpr std::int32_t StatusHighest = 3;

    VMD();
    explicit VMD(MmsUserConnection* connection);
    ~VMD() override;

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // "VendorName", "ModelName", "Revision" into the identity; "LogicalStatus" and
    // "PhysicalStatus" 0..3 (else OutOfRange, kept); other names as MmsObject.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;
    // A domain, a named variable or a named variable list under its name: OkNoError,
    // Error when the name is taken (nothing changed); any other class InvalidContext.
    System::ResultCode AddObject(MmsObject* object) override;
    // Takes the list's name out of the list map when it is this list: OkNoError, else
    // Error; InvalidContext for an object that is no named variable list. The list is not
    // deleted.
    System::ResultCode RemoveNamedVariableList(MmsObject* list) override;
    bool HoldsObject(const MmsObject* object) const override;

    // ---- the model lock ----

    // One lock of count 1, not re-entrant, for this VMD's and its domains' maps: the
    // service user holds it while the answering operations below run and while a
    // deletion answer takes a list out of its owner and deletes it; the loaders hold it
    // while they file objects. Lookups, AddObject and RemoveNamedVariableList do not
    // take it: a caller that may meet those threads holds it around them. Nothing
    // holds it while it waits for an answer, so that the receive thread never waits
    // for a thread that waits for the receive thread. It is taken with a ModelHold.
    using ModelHold = Mms::ModelHold;
    // The semaphore itself, for a test that stands for a holder the VMD does not know.
    System::Semaphore& GetModelLock() const { return modelLock_; }
    // Whether this build stops a thread that takes the lock twice.
    static bool ChecksModelLock();
    // Whether some thread holds it.
    bool IsModelLocked() const { return modelLockHeld_.load(); }
    // Whether the calling thread holds it.
    bool IsModelLockedByThisThread() const;
    // The VMD at the top of an object's owner chain, null when the chain ends elsewhere.
    static VMD* Of(const MmsObject* object);

    // ---- server ----

    virtual System::ResultCode GetNameList(std::int32_t objectClass, const MmsObjectScope& scope,
                                           const std::string* continueAfter, NameListPage& page,
                                           MmsGetNameListResponse& response, std::uint32_t byteBudget,
                                           std::int32_t& rejectCode);
    virtual System::ResultCode GetDomainAttributes(std::string_view domainName,
                                                   MmsGetDomainAttributesResponse& response, std::int32_t& rejectCode);
    virtual System::ResultCode GetVariableAccessAttributes(const MmsGetVariableAccessAttributesRequest& request,
                                                           MmsGetVariableAccessAttributesResponse& response,
                                                           std::int32_t& rejectCode);
    virtual System::ResultCode Read(const MmsReadRequest& request, MmsReadResponse& response, std::int32_t& rejectCode);
    // Appends one access result: the value, or failure invalid-address for an unknown
    // variable and object-value-invalid for a value that cannot be sent.
    virtual System::ResultCode ReadVariable(const MmsObjectName& name, MmsAccessResultList& results,
                                            std::int32_t& rejectCode);
    // An entry with an alternate access: one access result for the part it selects
    // (SelectedPart.h), or failure invalid-address for an unknown variable,
    // object-access-unsupported for a selection of several components side by side, and
    // object-non-existent for a part the variable does not hold.
    System::ResultCode ReadSelectedPart(const MmsObjectName& name, const MmsAlternateAccess& access,
                                        MmsAccessResultList& results, std::int32_t& rejectCode);
    virtual System::ResultCode Write(const MmsWriteRequest& request, MmsWriteResponse& response,
                                     std::int32_t& rejectCode);
    // The data written into the part an alternate access selects; accessError as for
    // ReadSelectedPart, or object-access-denied when the part refused the data.
    System::ResultCode WriteSelectedPart(const MmsObjectName& name, const MmsAlternateAccess& access,
                                         const MmsData& data, std::int32_t& accessError);
    // OkNoError when the variable took the value; Error with accessError invalid-address
    // for an unknown variable or object-access-denied when its value refused the data.
    virtual System::ResultCode WriteVariable(const MmsObjectName& name, const MmsData& data, std::int32_t& accessError);
    virtual System::ResultCode DefineNamedVariableList(const MmsDefineNamedVariableListRequest& request,
                                                       std::int32_t& rejectCode);
    virtual System::ResultCode DeleteNamedVariableList(const MmsDeleteNamedVariableListRequest& request,
                                                       MmsDeleteNamedVariableListResponse& response,
                                                       std::int32_t& rejectCode);
    virtual System::ResultCode GetNamedVariableListAttributes(const MmsObjectName& name,
                                                              MmsGetNamedVariableListAttributesResponse& response,
                                                              std::int32_t& rejectCode);

    // ---- lookups: OkNoError and the object, or InvalidArguments when there is none ----

    System::ResultCode FindNamedVariable(const MmsObjectName& name, NamedVariable*& variable) const;
    System::ResultCode FindNamedVariableList(const MmsObjectName& name, NamedVariableList*& list) const;
    System::ResultCode FindDomain(std::string_view name, Domain*& domain) const;
    // The name must be vmd-specific.
    System::ResultCode FindDomain(const MmsObjectName& name, Domain*& domain) const;
    // The map of a basic object class (0..13), null outside.
    ObjectMap* GetObjectMap(std::int32_t objectClass);
    const ObjectMap* GetObjectMap(std::int32_t objectClass) const;

    // ---- client ----

    // ---- identity (under its own lock; never the model lock) ----

    // Who this VMD is, as its server side answers Identify, or, client side, who the
    // peer said it is: a copy taken under the lock.
    MmsIdentity GetIdentity() const;
    void SetIdentity(MmsIdentity identity);
    // Whether an Identify asked of the peer for this VMD is still without an outcome (no
    // answer, refusal, time-out or end of its association yet).
    bool AwaitsIdentity() const;
    // Waits up to waitMs (at least a moment) until none is: whether none is.
    bool WaitForIdentity(std::uint32_t waitMs) const;
    // The service user's account of the Identify requests it sends for this VMD: asked
    // before the request is sent, settled once with its outcome (after its answer was
    // applied) or when it was not sent after all.
    void NoteIdentifyAsked();
    // The outcome is the request's: Aborted or NotConnected when its association ended first.
    void NoteIdentifySettled(System::ResultCode outcome);
    // Whether the last Identify asked ended with its association, unanswered: then there is
    // no identity to go by, and no refusal of the device's either.
    bool IdentifyCutShort() const;
    // The outcome of the last Identify asked: OkNoError once its answer is applied, the
    // refusal, Timeout, Aborted...; NotCompleted while it is awaited or before any.
    System::ResultCode GetIdentifyOutcome() const;
    // The identity the peer gave in answer to the last Identify asked, taken with that
    // outcome under one hold of the lock; none when no answer gave one (never asked, refused,
    // unanswered, still awaited): what this VMD holds then is nobody's word for the peer.
    std::optional<MmsIdentity> GetAnsweredIdentity() const;

    // identify and status (extendedDerivation false) on the VMD's connection, answered
    // into this VMD.
    System::ResultCode Identify();
    System::ResultCode Status();
    // The answers (applied by the service user): OutOfRange for a status outside 0..3,
    // Error for a local detail of more than 128 bits (nothing taken in both cases).
    System::ResultCode ApplyIdentity(const MmsIdentifyResponse& response);
    System::ResultCode ApplyStatus(const MmsStatusResponse& response);
    // Creates one object of the class (connection, name, owner this VMD) per name and
    // files it; a name already filed keeps its object. NoResources when memory runs out.
    System::ResultCode FileObjects(std::int32_t objectClass, const System::NameList& names);
    // Identify, Status, the vmd-specific named variables, named variable lists and
    // domains, then each domain's contents; the first failure is returned.
    System::ResultCode LoadFromPeer();

    // ---- information reports (filed on the receive thread, taken by any thread) ----

    // The list name must be vmd-specific (else NotSupported, nothing queued); the report's
    // ErrStatus is returned. The report belongs to the association it arrived on (`from`,
    // null for none), named by that association itself: the VMD's own association pointer
    // is written under the model lock as associations come and go, and the receive thread
    // files reports without that lock.
    System::ResultCode QueueListReport(MmsUserConnection* from, const MmsObjectName& listName,
                                       const MmsAccessResultList& results);
    System::ResultCode QueueVariablesReport(MmsUserConnection* from, const MmsVariableList& variables,
                                            const MmsAccessResultList& results);
    // The oldest report (the caller owns it), or null.
    InformationReport* PopInformationReport();
    std::size_t PendingReportCount() const;

    std::int32_t LogicalStatus = 0;
    std::int32_t PhysicalStatus = 0;
    // One flag per bit of the status answer's local detail.
    std::vector<std::uint8_t> LocalDetail;
    std::list<std::string> Capabilities;

protected:
    // Takes the lock, waiting at most waitMs (0: without a limit): OkNoError, Timeout or
    // Error (an unusable lock). A ModelHold is the way to call these.
    System::ResultCode LockModel(std::uint32_t waitMs = 0) const;
    void UnlockModel() const;

private:
    friend Mms::ModelHold;

    System::ResultCode Queue(InformationReport* report);
    System::ResultCode WriteListMembers(NamedVariableList& list, const MmsDataList& data, MmsWriteResponse& response);

    std::array<ObjectMap, BasicObjectClassCount> maps_;
    mutable System::Semaphore modelLock_{1, 1};
    mutable std::atomic<bool> modelLockHeld_{false};
    mutable std::atomic<std::thread::id> modelLockOwner_{};
    mutable std::mutex reportMutex_;
    std::list<InformationReport*> reports_;
    mutable std::mutex identityMutex_;
    mutable std::condition_variable identitySettled_;
    MmsIdentity identity_{"Ostravin", "MMS Server", "1.00", {}};
    std::uint32_t identifyAwaited_ = 0;
    bool identifyCutShort_ = false;
    System::ResultCode identifyOutcome_ = System::NotCompleted;
};

}  // namespace Mms
