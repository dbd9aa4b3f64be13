#include "iec61850/acsi/model/LogicalDevice.h"

#include <algorithm>
#include <new>
#include <set>

#include "iec61850/acsi/model/ComponentVariable.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"

namespace Iec61850::Acsi {

namespace {

// The domain's variable of that name, filed now when it has none; null when filing fails.
Mms::NamedVariable* HeldVariable(Mms::Domain& domain, std::string_view name) {
    if (Mms::NamedVariable* held = domain.FindFiledVariable(name)) return held;
    std::unique_ptr<Mms::NamedVariable> made(
        new (std::nothrow) Mms::NamedVariable(domain.GetConnection(), std::string(name), &domain));
    if (made == nullptr || domain.AddObject(made.get()) != System::OkNoError) return nullptr;
    return made.release();
}

Mms::NamedVariableList* HeldList(Mms::Domain& domain, const std::string& name) {
    if (Mms::NamedVariableList* held = domain.FindNamedVariableList(name)) return held;
    std::unique_ptr<Mms::NamedVariableList> made(new (std::nothrow)
                                                     Mms::NamedVariableList(domain.GetConnection(), name, &domain));
    if (made == nullptr || domain.AddObject(made.get()) != System::OkNoError) return nullptr;
    return made.release();
}

}  // namespace

LogicalDevice::LogicalDevice(ModelLookup* server, Mms::Domain* domain)
    : NamedObject(server, domain != nullptr ? domain->Name : std::string(), domain) {
    if (domain != nullptr) domain->SetVariableMaker(this);
}

LogicalDevice::~LogicalDevice() {
    if (Mms::Domain* domain = GetDomain(); domain != nullptr && domain->GetVariableMaker() == this) {
        domain->SetVariableMaker(nullptr);
    }
    ForgetChildren();
    dataSets_.clear();
    nodes_.clear();
}

ModelClass LogicalDevice::GetModelClass() const { return ModelClass::LogicalDevice; }

Mms::Domain* LogicalDevice::GetDomain() const {
    Mms::MmsObject* bound = GetBoundMmsObject();
    if (bound == nullptr || bound->GetClassId() != Mms::DomainClassId) return nullptr;
    return static_cast<Mms::Domain*>(bound);
}

System::ResultCode LogicalDevice::Bind(const Mms::ModelHold& hold) {
    System::ResultCode last = System::OkNoError;
    for (auto& [name, node] : nodes_) {
        if (const System::ResultCode result = node->Bind(hold); result != System::OkNoError) last = result;
    }
    return last;
}

System::ResultCode LogicalDevice::CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) {
    for (auto& [name, node] : nodes_) {
        if (const System::ResultCode result = node->CollectByClass(objectClass, found); result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

bool LogicalDevice::AllNodesFullyRead() const {
    if (nodes_.empty()) return true;
    auto start = nodes_.find(holdingBack_);
    if (start == nodes_.end()) start = nodes_.begin();
    // Every node is asked once, from the one that held the device back: a node read earlier
    // may have been taken back (a data set added, a reading asked again), so none is skipped.
    auto at = start;
    do {
        if (!at->second->IsFullyRead()) {
            if (at->first != holdingBack_) holdingBack_ = at->first;
            return false;
        }
        if (++at == nodes_.end()) at = nodes_.begin();
    } while (at != start);
    return true;
}

ObjectState LogicalDevice::SetState(ObjectState state) {
    if (state != ObjectState::Read) return NamedObject::SetState(state);
    if (IsDirectoryComplete(directoryState) && IsDirectoryComplete(dataSetDirectoryState) &&
        GetState() != ObjectState::Read && AllNodesFullyRead()) {
        NamedObject::SetState(state);
    }
    return GetState();
}

bool LogicalDevice::IsRead() const {
    if (!AllNodesFullyRead()) return false;
    if (GetState() == ObjectState::Read) return true;
    if (!IsDirectoryComplete(directoryState) || !IsDirectoryComplete(dataSetDirectoryState)) return false;
    // Reading it is what completes it.
    const_cast<LogicalDevice*>(this)->NamedObject::SetState(ObjectState::Read);
    return true;
}

void LogicalDevice::CountKinds(ModelTally& tally) const {
    CountSelf(tally);
    for (const auto& [name, node] : nodes_) node->CountKinds(tally);
}

System::ResultCode LogicalDevice::AddNode(const std::string& name, Mms::MmsObject* mmsObject, bool keepBindingFailure) {
    if (nodes_.contains(name)) return System::AlreadyExist;
    std::unique_ptr<LogicalNode> node(name == "LLN0" ? new (std::nothrow) LLN0(this, mmsObject)
                                                     : new (std::nothrow) LogicalNode(this, name, mmsObject));
    if (node == nullptr) return System::NoResources;
    if (const System::ResultCode bound = node->BindVariable(Scl::BasicTypeCode::Struct); bound != System::OkNoError) {
        return keepBindingFailure ? bound : System::NoResources;
    }
    if (!node->HasValidName()) oddNodeNames_.push_back(name);
    LinkChild(node.get());
    nodes_.emplace(name, std::move(node));
    return System::OkNoError;
}

System::ResultCode LogicalDevice::AddLogicalNode(const std::string& name, Mms::MmsObject* mmsObject) {
    return AddNode(name, mmsObject, false);
}

System::ResultCode LogicalDevice::CreateLogicalNode(const std::string& name) { return AddNode(name, nullptr, true); }

LogicalNode* LogicalDevice::FindLogicalNode(std::string_view name) const {
    const auto found = nodes_.find(name);
    return found != nodes_.end() ? found->second.get() : nullptr;
}

System::ResultCode LogicalDevice::AddDataSet(const std::string& name, Mms::MmsObject* list, DataSet** added) {
    DataSet* raw = nullptr;
    const System::ResultCode result = AddOwned(
        dataSets_, name, [&] { return std::unique_ptr<DataSet>(new (std::nothrow) DataSet(this, name, list)); }, raw);
    if (result != System::OkNoError) return result;
    LinkChild(raw);
    if (added != nullptr) *added = raw;
    return System::OkNoError;
}

DataSet* LogicalDevice::FindDataSet(std::string_view name) const { return FindOwned(dataSets_, name); }

std::unique_ptr<DataSet> LogicalDevice::ReleaseDataSet(std::string_view name) {
    std::unique_ptr<DataSet> dataSet = TakeOwned(dataSets_, name);
    if (dataSet != nullptr) UnlinkChild(dataSet.get());
    return dataSet;
}

System::ResultCode LogicalDevice::BuildFromDirectory() {
    Mms::Domain* domain = GetDomain();
    if (domain == nullptr) return System::InvalidState;
    Mms::VMD::ModelHold hold(Mms::VMD::Of(domain));
    for (std::size_t i = 0; i < directoryNames.size(); ++i) {
        const std::string_view name = directoryNames[i];
        // An empty name names nothing; a component's variable comes when asked for.
        if (name.empty() || name.find('$') != std::string_view::npos) continue;
        Mms::NamedVariable* variable = HeldVariable(*domain, name);
        if (variable == nullptr) return System::NoResources;
        if (FindLogicalNode(name) == nullptr) AddLogicalNode(std::string(name), variable);
    }
    return BuildRefusedNodes(domain);
}

System::ResultCode LogicalDevice::BuildFromDirectory(const System::NameList& page) {
    Mms::Domain* domain = GetDomain();
    if (domain == nullptr) return System::InvalidState;
    // An empty name names nothing; a component's variable comes when asked for.
    System::NameList names;
    for (std::string_view name : page) {
        if (!name.empty() && name.find('$') == std::string_view::npos) names.push_back(name);
    }
    if (const System::ResultCode filed = domain->FileObjects(Mms::MmsClassNamedVariable, names);
        filed != System::OkNoError) {
        return filed;
    }
    Mms::VMD::ModelHold hold(Mms::VMD::Of(domain));
    for (std::string_view name : names) {
        if (FindLogicalNode(name) != nullptr) continue;
        const std::string nodeName(name);
        Mms::NamedVariable* variable = HeldVariable(*domain, nodeName);
        if (variable == nullptr) return System::NoResources;
        AddLogicalNode(nodeName, variable);
    }
    return BuildRefusedNodes(domain);
}

System::ResultCode LogicalDevice::BuildRefusedNodes(Mms::Domain* domain) {
    if (directoryState != DirectoryState::Complete) return System::OkNoError;

    // Nodes whose type could not be read: their listed variable becomes an empty structure
    // (the same variable, never a second one), and each listed "node$FC" a group in it.
    std::set<std::string_view, std::less<>> groupNames;
    bool groupsGathered = false;
    for (auto& [name, node] : nodes_) {
        if (node->readingState != NodeReadingState::TypeRefused) continue;
        if (!groupsGathered) {
            for (std::string_view listed : directoryNames) {
                const std::size_t dollar = listed.find('$');
                if (dollar != std::string_view::npos && listed.find('$', dollar + 1) == std::string_view::npos) {
                    groupNames.insert(listed);
                }
            }
            groupsGathered = true;
        }
        Mms::NamedVariable* variable = nullptr;
        const System::ResultCode made =
            CreateMmsVariable(Scl::BasicTypeCode::Struct, domain, node->GetMmsComponent(), variable);
        if (made != System::OkNoError) return made;
        for (std::string_view fc : FcSearchOrder) {
            if (node->FindFc(fc) != nullptr) continue;
            if (groupNames.contains(name + "$" + std::string(fc))) node->GetOrCreateFc(fc);
        }
        // Constraints of later editions (SR, OR, BL) are the node's groups all the same, as a
        // read of its type would give them: after those, in name order.
        const std::string prefix = name + "$";
        for (auto listed = groupNames.lower_bound(prefix); listed != groupNames.end() && listed->starts_with(prefix);
             ++listed) {
            const std::string_view fc = listed->substr(prefix.size());
            if (!fc.empty() && node->FindFc(fc) == nullptr) node->GetOrCreateFc(fc);
        }
        node->groupsFromDirectory = true;
    }
    return System::OkNoError;
}

System::ResultCode LogicalDevice::BuildDataSetsFromDirectory() {
    Mms::Domain* domain = GetDomain();
    if (domain == nullptr) return System::InvalidState;
    Mms::VMD::ModelHold hold(Mms::VMD::Of(domain));
    for (const std::string& name : dataSetNames) {
        // A name without a set or without a node names nothing.
        if (name.empty() || name.front() == '$' || name.back() == '$') continue;
        Mms::NamedVariableList* list = HeldList(*domain, name);
        if (list == nullptr) return System::NoResources;
        const std::size_t dollar = name.find('$');
        if (dollar == std::string::npos) {
            AddDataSet(name, list);
            continue;
        }
        const std::string nodeName = name.substr(0, dollar);
        if (FindLogicalNode(nodeName) == nullptr) {
            Mms::NamedVariable* variable = HeldVariable(*domain, nodeName);
            if (variable == nullptr) return System::NoResources;
            AddLogicalNode(nodeName, variable);
        }
        if (LogicalNode* node = FindLogicalNode(nodeName)) node->AddDataSet(name.substr(dollar + 1), list);
    }
    return System::OkNoError;
}

System::ResultCode LogicalDevice::MatchReport(const Mms::InformationReport& report, std::vector<RCB*>& matched) {
    System::ResultCode result = System::InvalidArguments;
    for (auto& [name, node] : nodes_) {
        if (node->MatchReport(report, matched) == System::OkNoError) result = System::OkNoError;
    }
    return result;
}

NamedObject* LogicalDevice::FindByMmsName(std::string_view item) const {
    const std::size_t dollar = item.find('$');
    if (dollar == std::string_view::npos) return nullptr;
    LogicalNode* node = FindLogicalNode(item.substr(0, dollar));
    if (node == nullptr) return nullptr;
    std::string_view rest = item.substr(dollar + 1);
    const std::size_t fcEnd = rest.find('$');
    NamedObject* at = node->FindFc(rest.substr(0, fcEnd));
    rest = fcEnd == std::string_view::npos ? std::string_view() : rest.substr(fcEnd + 1);
    while (at != nullptr && !rest.empty()) {
        const std::size_t end = rest.find('$');
        at = at->FindOwnedChild(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return at;
}

Mms::NamedVariable* LogicalDevice::MakeNamedVariable(std::string_view item) {
    Mms::Domain* domain = GetDomain();
    if (domain == nullptr) return nullptr;
    if (NamedObject* object = FindByMmsName(item)) {
        Mms::NamedVariable* variable = NamedVariableOf(object->MakeMmsObject());
        if (variable != nullptr && variable->GetOwner() == domain && variable->Name == item) return variable;
    }
    // Every listed name answers to a variable, also before the node's type is read.
    if (domain->FindFiledVariable(item) == nullptr &&
        std::find(directoryNames.begin(), directoryNames.end(), item) == directoryNames.end()) {
        return nullptr;
    }
    return HeldVariable(*domain, item);
}

System::ResultCode LogicalDevice::ResolveReference(std::string_view reference) { return System::NotImplemented; }

}  // namespace Iec61850::Acsi
