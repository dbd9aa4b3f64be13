#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/model/NamedObject.h"
#include "iec61850/acsi/model/OwnedByName.h"
#include "mms/user/Domain.h"
#include "system/NameList.h"

namespace Mms {
class InformationReport;
}  // namespace Mms

namespace Iec61850::Acsi {

class DataSet;
class LogicalNode;
class RCB;

// A logical device: a root of the model, bound to the MMS domain of its name. It owns its
// logical nodes and its device-level data sets, and keeps the names its directories gave.
// It makes its domain's "$" variables when first asked for (Mms::Domain::VariableMaker).
class LogicalDevice : public NamedObject, public Mms::Domain::VariableMaker {
public:
    LogicalDevice(ModelLookup* server, Mms::Domain* domain);
    ~LogicalDevice() override;

    // Bind on every node; the last non-zero result.
    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    // Asks every node; the first non-zero answer.
    System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) override;
    // Read only once both directories are complete (or ended for good) and every node is fully read.
    ObjectState SetState(ObjectState state) override;
    bool IsRead() const override;
    void CountKinds(ModelTally& tally) const override;
    ModelClass GetModelClass() const override;

    // An LLN0 or a logical node bound to the MMS object and made a structure: AlreadyExist
    // for a name taken, NoResources when it cannot be bound.
    System::ResultCode AddLogicalNode(const std::string& name, Mms::MmsObject* mmsObject);
    // The same without an MMS object: the binding's own failure.
    System::ResultCode CreateLogicalNode(const std::string& name);
    LogicalNode* FindLogicalNode(std::string_view name) const;
    const std::map<std::string, std::unique_ptr<LogicalNode>, std::less<>>& GetLogicalNodes() const { return nodes_; }

    System::ResultCode AddDataSet(const std::string& name, Mms::MmsObject* list, DataSet** added = nullptr);
    DataSet* FindDataSet(std::string_view name) const;
    std::unique_ptr<DataSet> ReleaseDataSet(std::string_view name);

    // Variables and nodes for the node names of the directory (a name without "$"); the
    // other names get their variables when asked for (MakeNamedVariable). Once the
    // directory is complete, nodes whose type could not be read get a structure and groups
    // for the "node$FC" names listed. Takes the model lock.
    System::ResultCode BuildFromDirectory();
    // The same for one page of the directory, the names just appended to directoryNames:
    // its node variables filed in one walk of the domain (names already filed keep their
    // variables), the earlier pages not walked again.
    System::ResultCode BuildFromDirectory(const System::NameList& page);
    // Named variable lists and data sets for the data-set names. Takes the model lock.
    System::ResultCode BuildDataSetsFromDirectory();
    // Adds the report control blocks of every node, by node name, that the report's RptID
    // names: 0 when one was added, InvalidArguments otherwise.
    System::ResultCode MatchReport(const Mms::InformationReport& report, std::vector<RCB*>& matched);
    // The variable of a "$" name: that of the model object the name leads to (made now when
    // it has none), else, for a name the directory listed, a typeless one filed now (the
    // node's type binds it when it comes); null otherwise. Under the model lock.
    Mms::NamedVariable* MakeNamedVariable(std::string_view item) override;
    // Not offered by a device: NotImplemented.
    System::ResultCode ResolveReference(std::string_view reference);

    Mms::Domain* GetDomain() const;
    // Node names that did not split into prefix, class and instance: kept whole, reported here.
    const std::vector<std::string>& GetOddNodeNames() const { return oddNodeNames_; }

    DirectoryState directoryState = DirectoryState::NotAsked;
    // Every name down to the leaves: the names are held once, in one text (NameList).
    System::NameList directoryNames;
    DirectoryState dataSetDirectoryState = DirectoryState::NotAsked;
    std::list<std::string> dataSetNames;

private:
    // Once the directory is complete: a structure and groups for nodes whose type was refused.
    System::ResultCode BuildRefusedNodes(Mms::Domain* domain);
    System::ResultCode AddNode(const std::string& name, Mms::MmsObject* mmsObject, bool keepBindingFailure);
    // Asked at every node's change of state: it first asks the node that held the device
    // back last time and, once that one is read, walks on from it (round the map) to the
    // next one not read, so a reading in any steady order costs it about one node per call.
    bool AllNodesFullyRead() const;
    // The model object a "$" name leads to; null when there is none.
    NamedObject* FindByMmsName(std::string_view item) const;

    std::map<std::string, std::unique_ptr<LogicalNode>, std::less<>> nodes_;
    // The node last found not fully read (a name: it survives nodes added meanwhile).
    mutable std::string holdingBack_;
    std::map<std::string, std::unique_ptr<DataSet>, std::less<>> dataSets_;
    std::vector<std::string> oddNodeNames_;
};

}  // namespace Iec61850::Acsi
