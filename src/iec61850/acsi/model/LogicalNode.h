#pragma once

#include <array>
#include <list>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/model/NamedObject.h"
#include "iec61850/acsi/model/OwnedByName.h"

namespace Mms {
class InformationReport;
class NamedVariable;
}  // namespace Mms

namespace Iec61850::Acsi {

class BRCB;
class ControlBlock;
class Data;
class DataSet;
class FunctionalConstraint;
class LCB;
class LogicalDevice;
class RCB;
class URCB;

namespace Scl {
class Element;
}

// Whether the text may stand in a reference: empty, or letters, digits, "_" and ".".
bool IsValidReferenceText(std::string_view text);

// A logical node: one functional-constraint group per constraint its MMS type carries
// (owned here, in creation order), its data sets (owned here) and indexes of its report
// and log control blocks (owned by their groups).
class LogicalNode : public NamedObject {
public:
    // Splits the name into prefix, class and instance and finds the class in the built-in
    // dictionary. A name that does not split keeps the node under its whole name, without
    // a class (HasValidName() is false).
    LogicalNode(LogicalDevice* device, std::string name, Mms::MmsObject* mmsObject);
    ~LogicalNode() override;

    // "LLN0"; else trailing digits the instance, the four characters before them the class
    // and what comes first (letters, digits, "_") the prefix. False when it does not split.
    static bool ParseName(std::string_view name, std::string& prefix, std::string& lnClass, std::string& instance);

    // A group for every component of the node's structure. Takes the model lock, waiting
    // without a limit or at most lockWaitMs (0: without a limit); the lock's failure (12 or
    // 1) builds nothing.
    System::ResultCode Build() override;
    System::ResultCode Build(std::uint32_t lockWaitMs);
    // The groups, then the data sets; the last non-zero result.
    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    // Asks the groups in the search order.
    System::ResultCode CollectByName(std::string_view name, std::list<NamedObject*>& found) override;
    // Data sets (9) or what the groups hold (7, 8, 10-13, 15-18, and the groups of control
    // blocks 20 and 21); NotSupported otherwise.
    System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) override;
    // Own state, the groups', then the device's.
    ObjectState SetState(ObjectState state) override;
    void CountKinds(ModelTally& tally) const override;
    ModelClass GetModelClass() const override;
    // Every group read, every data set complete, the reading state Read or GivenUp.
    virtual bool IsFullyRead() const;
    // Files a control block its group made in the index of its kind.
    virtual void IndexControlBlock(NamedObject& block);

    // The group of the constraint, made and bound (a structure) when missing; null when
    // binding fails.
    FunctionalConstraint* GetOrCreateFc(std::string_view fc);
    FunctionalConstraint* FindFc(std::string_view fc) const;
    const std::list<FunctionalConstraint*>& GetFcsInOrder() const { return fcOrder_; }
    // Drops the group: its component leaves the node's type, its blocks leave the indexes,
    // and it is deleted. False when there is none. Under the caller's lock.
    bool RemoveFc(std::string_view fc);
    // A group made from the node's component of that name (bound to `variable`).
    FunctionalConstraint* AddFc(const std::string& fc, Mms::MmsObject* variable);

    // A data object under the constraint: AlreadyExist (with it) when the group has one of
    // that name, InvalidArguments for a text that is no constraint.
    System::ResultCode CreateData(std::string_view fc, std::string_view name, Data*& data);

    System::ResultCode AddDataSet(const std::string& name, Mms::MmsObject* list, DataSet** added = nullptr);
    // Enters a data set made for this node; AlreadyExist (the set deleted) for a name taken.
    System::ResultCode AdoptDataSet(std::unique_ptr<DataSet> dataSet);
    DataSet* FindDataSet(std::string_view name) const;
    // Takes the data set out (and out of the children) and hands it back.
    std::unique_ptr<DataSet> ReleaseDataSet(std::string_view name);
    const std::map<std::string, std::unique_ptr<DataSet>, std::less<>>& GetDataSets() const { return dataSets_; }

    // Report and log control blocks made under "BR", "RP" and "LG" and indexed here.
    System::ResultCode AddBRCB(const std::string& name, BRCB** added = nullptr);
    System::ResultCode AddURCB(const std::string& name, URCB** added = nullptr);
    System::ResultCode AddLCB(const std::string& name, LCB** added = nullptr);

    // Adds every report control block that the report's RptID names, the buffered ones
    // first, each kind by name: 0 when one was added, InvalidArguments otherwise.
    System::ResultCode MatchReport(const Mms::InformationReport& report, std::vector<RCB*>& matched);
    // While the node's type lacks a group or a group's own members.
    bool IsTypeIncomplete() const;

    bool HasValidName() const { return validName_; }
    const std::string& GetPrefix() const { return prefix_; }
    const std::string& GetLnClass() const { return lnClass_; }
    const std::string& GetInstance() const { return instance_; }
    const Scl::Element* GetClassType() const { return classType_; }
    const std::map<std::string, BRCB*, std::less<>>& GetBRCBs() const { return brcbs_; }
    const std::map<std::string, URCB*, std::less<>>& GetURCBs() const { return urcbs_; }
    const std::map<std::string, LCB*, std::less<>>& GetLCBs() const { return lcbs_; }

    NodeReadingState readingState = NodeReadingState::NotAsked;
    // Set (under the model lock) once a node whose type could not be read has had its
    // groups made from the device's complete directory: until then it has none to ask
    // for, which must not pass for a node that has nothing.
    bool groupsFromDirectory = false;
    // Set (under the model lock) once the device refused to read the node whole as an
    // access it does not support: its values are then read group by group.
    bool valuesByGroup = false;

protected:
    using BlockMaker = std::unique_ptr<NamedObject> (*)(FunctionalConstraint* group, const std::string& name);
    // Makes a block under the group of the constraint (made when missing), files it there
    // and runs its `create` (a log: its variable); the block is gone again on failure.
    System::ResultCode AddBlock(std::string_view fc, const std::string& name, BlockMaker make, NamedObject*& added);
    // AddBlock for a block of the given class, filed in the index and handed out.
    template <typename Block>
    System::ResultCode AddIndexedBlock(std::string_view fc, const std::string& name, BlockMaker make,
                                       std::map<std::string, Block*, std::less<>>& index, Block** added) {
        NamedObject* block = nullptr;
        if (const System::ResultCode result = AddBlock(fc, name, make, block); result != System::OkNoError) {
            return result;
        }
        index[block->GetName()] = static_cast<Block*>(block);
        if (added != nullptr) *added = static_cast<Block*>(block);
        return System::OkNoError;
    }
    template <typename Block>
    static std::unique_ptr<NamedObject> MakeBlock(FunctionalConstraint* group, const std::string& name) {
        return std::unique_ptr<NamedObject>(new (std::nothrow) Block(group, name, nullptr, nullptr));
    }
    // Takes the object out of the index when the index names it.
    template <typename Index>
    static void Unindex(Index& index, const NamedObject& object) {
        const auto found = index.find(object.GetName());
        if (found != index.end() && found->second == &object) index.erase(found);
    }
    // Takes an object out of every index of this node.
    virtual void ForgetIndexed(const NamedObject& object);
    // The subtree's counts are made again at the next count that may reuse them.
    void SubtreeChanged() override;

private:
    System::ResultCode MakeFc(std::string_view fc, FunctionalConstraint*& group);

    std::map<std::string, std::unique_ptr<FunctionalConstraint>, std::less<>> fcs_;
    std::list<FunctionalConstraint*> fcOrder_;
    std::map<std::string, std::unique_ptr<DataSet>, std::less<>> dataSets_;
    std::map<std::string, BRCB*, std::less<>> brcbs_;
    std::map<std::string, URCB*, std::less<>> urcbs_;
    std::map<std::string, LCB*, std::less<>> lcbs_;
    std::string prefix_;
    std::string lnClass_;
    std::string instance_;
    const Scl::Element* classType_ = nullptr;
    bool validName_ = false;
    // Objects of each exact class in this node's subtree, any state, as last counted, and
    // whether nothing was added or removed since. Guarded by the model lock like the rest.
    mutable std::array<std::uint32_t, ModelClassCount> subtreeCounts_{};
    mutable bool subtreeCountsKept_ = false;
};

}  // namespace Iec61850::Acsi
