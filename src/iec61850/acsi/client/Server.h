#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/model/IcdExport.h"
#include "iec61850/acsi/model/ModelClass.h"
#include "iec61850/acsi/model/ModelLookup.h"
#include "iec61850/acsi/model/ValueRecord.h"
#include "mms/user/VMD.h"

namespace Mms {
class InformationReport;
}

namespace Iec61850::Acsi {

class AssociationListener;
class AssociationProfile;
class ControlBlock;
class DataSet;
class GetAllDataValues;
class GetDataDefinition;
class GetDataDirectory;
class GetLogicalDeviceDirectory;
class GetLogicalNodeDirectory;
class GetServerDirectory;
class LogicalDevice;
class LogicalNode;
class NamedObject;
class Select;
class TPAppAssociation;

// One record of a data definition: a component of the object asked for, in dictionary
// order, with what a program shows of it.
struct DataDefinitionRecord {
    std::int32_t basicType = -1;  // the basic type code of an attribute, -1 for a data object
    std::string name;
    std::string reference;
    std::string fc;
    std::string typeName;    // the common data class, or the basic type's name
    std::string valueClass;  // the value container's class
};

// The client's image of one device: the root of its device model (the logical devices and
// everything below), its MMS object model (it is the VMD whose domains and variables back
// the model), the association profiles (profile 0 the default, each with its stack) and
// the associations made from them, and the device's ICD exporter.
//
// The model lock is the VMD's lock, taken with a Mms::ModelHold: not re-entrant, so the
// operations below come in two kinds. Those whose comment says "locked" take and give
// back the lock themselves and must not be called by a thread that holds it (they answer
// 12 or 1 when it cannot be taken); the lookups that run under the lock their caller
// holds take the caller's hold as their first parameter (the ModelLookup operations among
// them, which the model calls from inside its own locked work). No callback into the
// program ever runs while the library holds it, so the program may hold it around its
// own reading of the model.
class Server : public Mms::VMD, public ModelLookup {
public:
    // The default profile (number 0) with its stack, then the exporter.
    Server();
    // Ends every association first (everything they hold confirmed to their clients,
    // their threads joined, their clients' links cleared), then the exporter, the model
    // and the MMS objects. Not on a thread of its associations nor inside a callback of
    // one of them, whose stack still runs there: ServerManager::RemoveServer may be
    // called there (RunsOnThisThread). A destruction there stops the program with a
    // message on stderr that names RemoveServer. Inside a callback of another server's
    // association it is destroyed at once, waiting for its threads: sound only where none
    // of them can be waiting for that callback (RemoveServer defers there, whatever the
    // callback).
    ~Server() override;

    // ---- the model lock ----

    // The lock without a scope: Lock waits without a time limit (0, 12 or 1), Unlock
    // gives it back (0). A Mms::ModelHold is the library's way to take it.
    System::ResultCode Lock() { return LockModel(); }
    System::ResultCode Unlock() {
        UnlockModel();
        return System::OkNoError;
    }

    // ---- lookups under the caller's lock ----

    // ModelLookup: "LD/LN.path" or "LD/LN$FC$path" (the constraint from the name); with an
    // empty constraint or "XX" every group of the node in name order. InvalidArguments
    // without "/", for an unknown device or node or a short MMS name; an unresolved path
    // gives 0 and nothing.
    System::ResultCode ResolveReference(const Mms::ModelHold& hold, std::string_view reference, std::string_view fc,
                                        std::list<NamedObject*>& found) override;
    // "LD/LN.name", "LD/LN$name" or "LD/name" (a device's own): InvalidArguments when none.
    System::ResultCode FindDataSet(const Mms::ModelHold& hold, std::string_view reference, DataSet*& found) override;
    LogicalDevice* FindDevice(const Mms::ModelHold& hold, std::string_view name) const;
    // "LD/LN"; null when there is none.
    LogicalNode* FindNode(const Mms::ModelHold& hold, std::string_view reference) const;
    // The report control blocks (kind 10 or 11, ControlBlock.h) that "LD", "LD/LN" or
    // "LD/LN.path" holds under the constraint ("XX" or empty: any); 0.
    System::ResultCode CollectControlBlocks(const Mms::ModelHold& hold, std::string_view reference, std::string_view fc,
                                            std::int32_t kind, std::list<NamedObject*>& found);
    // Appends every block whose data set has a member under which the pair (constraint,
    // reference) is found; 0.
    System::ResultCode SelectRcbsByDataSetMember(const Mms::ModelHold& hold, const std::list<NamedObject*>& blocks,
                                                 const ValueRecord& member, std::list<NamedObject*>& selected);

    // ---- locked lookups ----

    System::ResultCode FindLogicalDevice(std::string_view name, LogicalDevice*& device);
    System::ResultCode FindLogicalNode(std::string_view reference, LogicalNode*& node);
    System::ResultCode FindDataSet(std::string_view reference, DataSet*& found);
    System::ResultCode FindObjects(std::string_view fc, std::string_view reference, std::list<NamedObject*>& found);
    System::ResultCode CollectBRCBs(std::string_view reference, std::string_view fc, std::list<NamedObject*>& found);
    System::ResultCode CollectURCBs(std::string_view reference, std::string_view fc, std::list<NamedObject*>& found);
    System::ResultCode CollectBRCBsAnyFc(std::string_view reference, std::list<NamedObject*>& found);
    System::ResultCode CollectURCBsAnyFc(std::string_view reference, std::list<NamedObject*>& found);

    // ---- the model ----

    // Locked. AlreadyExist for a name present, InvalidArguments for a name a reference
    // cannot hold; else a new domain of that name in this VMD and a device bound to it.
    System::ResultCode AddLogicalDevice(const std::string& name);
    // Locked: Bind on every device in name order; the last non-zero result. Answers that
    // arrive after a reading ended (a device that fell silent, then spoke) change the
    // model on the association's thread meanwhile.
    System::ResultCode Bind();
    // The same under the caller's hold.
    System::ResultCode Bind(const Mms::ModelHold& hold);
    // Locked: every device read and the server directory read.
    bool IsRead();
    // Locked: the number of model objects of the class in the state (AnyObjectState: any).
    System::ResultCode CountKindOf(ModelClass modelClass, ObjectState state, std::uint32_t& count);
    // Locked: the same for several classes at once, in one walk of the model (counts are
    // added to).
    System::ResultCode CountKinds(ModelTally& tally);
    // The same under the caller's hold.
    void CountKinds(const Mms::ModelHold& hold, ModelTally& tally);
    bool IsModelLocked() const { return Mms::VMD::IsModelLocked(); }
    const std::map<std::string, std::unique_ptr<LogicalDevice>, std::less<>>& GetLogicalDevices() const {
        return logicalDevices_;
    }

    // ---- reports ----

    // Offers a received report to the model (not locked: it takes the lock itself). A
    // report of a list of variables is a command termination: taken in and handed to
    // OnCommandTermination, then InvalidArguments (the association also delivers it as a
    // report nobody took). A report of a named list goes to the report control block
    // that sent it among those its RptID names (one this association enabled, else one
    // enabled, else any; then the one of the data set it names; then the first in the
    // model's order), is decoded under the model lock and delivered to OnReport once the
    // lock is let go: 0; InvalidArguments when no block's RptID matches.
    System::ResultCode DispatchReport(TPAppAssociation& association, Mms::InformationReport& report);
    // Judges the device's answer to a Select (the SBO value it read): anything but the
    // control object's reference (in either form) refuses the select, with result Error
    // and service error 4. Locked.
    System::ResultCode ApplySelectResult(Select& service);

    // ---- answers applied to and made from the model ----

    // A logical device for every name the server directory gave (AddLogicalDevice's
    // failures passed over); 0.
    System::ResultCode RegisterLogicalDevices(GetServerDirectory& service);
    // Locked. Class 4: the service's names become the references of the logical devices in
    // name order (0); any other class: Error.
    System::ResultCode ListLogicalDevices(GetServerDirectory& service);
    // Locked: the service's names become the device's logical nodes; an unknown device
    // leaves them empty, sets service error 1 and gives InvalidArguments.
    System::ResultCode ListLogicalNodes(GetLogicalDeviceDirectory& service);
    // Locked: the node's names of the class (7: its data in dictionary order, whose result
    // becomes the service error; others as the node collects them, a failure giving
    // service error 12) into the service's names.
    System::ResultCode AnswerLogicalNodeDirectory(GetLogicalNodeDirectory& service);
    // Locked: for every data object of the node in dictionary order, one record per leaf
    // attribute (of the service's constraint when it names one) into the service's values.
    System::ResultCode ListAllDataValues(GetAllDataValues& service);
    // Locked: the component names of the found object's structure (InvalidContext when
    // there is none or it is not bound to a named variable; nothing for a value that is no
    // structure).
    System::ResultCode ListDataComponents(GetDataDirectory& service);

    // The names of the node's data objects in the order of its class, else sorted;
    // service error 12 when they cannot be collected. Under the caller's lock.
    System::ResultCode ListDataNames(const Mms::ModelHold& hold, LogicalNode& node, std::list<std::string>& names);
    // Locked: one record per component of every object the reference names, walked depth
    // first in dictionary order.
    System::ResultCode BuildDataDefinition(std::string_view reference, std::vector<DataDefinitionRecord>& records);

    // ---- ICD export ----

    std::int32_t WriteIcdFile(const std::string& path) { return icdExport_->WriteFile(path); }
    std::int32_t ReadIcdAnswers(std::string_view answers) { return icdExport_->ReadAnswers(answers); }
    std::int32_t BuildIcdSettingsXml(std::string& text) { return icdExport_->BuildSettingsXml(text); }
    IcdExportLink& GetIcdExport() { return *icdExport_; }

    // ---- profiles and associations ----

    // Profile 0 is the default; null for a number without one.
    AssociationProfile* GetProfile(std::int32_t number = 0) const;
    // Server side: count listening associations on the port from profile 0, each with the
    // profile pushed down. Error without profile 0; the listener's failure (and nothing
    // made) when the port cannot be listened on.
    System::ResultCode CreateServerAssociations(std::uint32_t count, std::uint16_t port = 102);
    // Server side: one listening association from the profile (Error when there is none).
    System::ResultCode GetServerAssociation(std::int32_t profileNumber, TPAppAssociation*& association,
                                            std::uint16_t port = 102);
    // Files an association made from one of this server's profiles.
    void AddAssociation(TPAppAssociation* association);
    // Takes it off the list: 0; Error when it is not listed.
    System::ResultCode RemoveAssociation(TPAppAssociation* association);
    std::vector<TPAppAssociation*> GetAssociations() const;
    // Whether the calling thread is one of its associations' or runs a callback of one.
    bool RunsOnThisThread() const;
    // Ends every association for good (TPAppAssociation::End), while their clients still
    // hear them.
    void EndAssociations();

    void SetAssociationListener(AssociationListener* listener) { associationListener_.store(listener); }
    AssociationListener* GetAssociationListener() const { return associationListener_.load(); }

    // The model reading's server directory: its state and the names it returned.
    std::atomic<DirectoryState> state{DirectoryState::NotAsked};
    std::list<std::string> directoryNames;
    std::atomic<DirectoryState> secondDirectoryState{DirectoryState::NotAsked};

private:
    // Runs work(hold) under the model lock; the lock's failure instead.
    template <typename Work>
    System::ResultCode Locked(Work work);

    std::map<std::int32_t, std::unique_ptr<AssociationProfile>> profiles_;
    std::map<std::string, std::unique_ptr<LogicalDevice>, std::less<>> logicalDevices_;
    mutable std::mutex associationsMutex_;
    std::list<TPAppAssociation*> associations_;
    std::atomic<AssociationListener*> associationListener_{nullptr};
    std::unique_ptr<IcdExportLink> icdExport_;
};

template <typename Work>
System::ResultCode Server::Locked(Work work) {
    const Mms::ModelHold hold(this);
    if (!hold.Taken()) return hold.GetResult();
    return work(hold);
}

}  // namespace Iec61850::Acsi
