#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/model/NamedObject.h"
#include "iec61850/acsi/model/OwnedByName.h"

namespace Mms {
class Domain;
class InformationReport;
}  // namespace Mms

namespace Iec61850::Acsi {

class DataSet;
class LogicalNode;
class RCB;

// Reading state of a directory whose names have all arrived.
inline constexpr std::int32_t DirectoryComplete = 7;
// Reading states of a directory that will not change any more: a continued directory with
// no name to continue after, and a data-set directory the device refused.
inline constexpr std::int32_t DirectoryEndedWithoutName = 4;
inline constexpr std::int32_t DirectoryGivenUp = 11;
// Complete, or ended for good (which counts as complete with what arrived).
constexpr bool IsDirectoryComplete(std::int32_t state) {
    return state == DirectoryComplete || state == DirectoryEndedWithoutName || state == DirectoryGivenUp;
}
// Reading state of a node whose type could not be read.
inline constexpr std::int32_t NodeTypeUnread = 2;

// A logical device: a root of the model, bound to the MMS domain of its name. It owns its
// logical nodes and its device-level data sets, and keeps the names its directories gave.
class LogicalDevice : public NamedObject {
public:
    LogicalDevice(ModelLookup* server, Mms::Domain* domain);
    ~LogicalDevice() override;

    // Bind on every node; the last non-zero result.
    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    // Asks every node; the first non-zero answer.
    System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) override;
    // 7 only once both directories are complete (or ended for good) and every node is fully read.
    std::uint32_t SetState(std::uint32_t state) override;
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

    // Variables and nodes for the directory names (every name down to the leaves; a name
    // without "$" is a node). Once the directory is complete, nodes whose type could not be
    // read get a structure and groups for the "node$FC" names listed. Takes the model lock.
    System::ResultCode BuildFromDirectory();
    // Named variable lists and data sets for the data-set names. Takes the model lock.
    System::ResultCode BuildDataSetsFromDirectory();
    // Offers the report to every node; InvalidArguments without nodes.
    System::ResultCode MatchReport(const Mms::InformationReport& report, RCB*& matched);
    // Not offered by a device: NotImplemented.
    System::ResultCode ResolveReference(std::string_view reference);

    Mms::Domain* GetDomain() const;
    // Node names that did not split into prefix, class and instance: kept whole, reported here.
    const std::vector<std::string>& GetOddNodeNames() const { return oddNodeNames_; }

    std::int32_t directoryState = 0;
    std::list<std::string> directoryNames;
    std::int32_t dataSetDirectoryState = 0;
    std::list<std::string> dataSetNames;

private:
    System::ResultCode AddNode(const std::string& name, Mms::MmsObject* mmsObject, bool keepBindingFailure);
    bool AllNodesFullyRead() const;

    std::map<std::string, std::unique_ptr<LogicalNode>, std::less<>> nodes_;
    std::map<std::string, std::unique_ptr<DataSet>, std::less<>> dataSets_;
    std::vector<std::string> oddNodeNames_;
};

}  // namespace Iec61850::Acsi
