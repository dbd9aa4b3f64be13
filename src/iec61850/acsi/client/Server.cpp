#include "iec61850/acsi/client/Server.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "iec61850/acsi/client/AcsiStack.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ReferenceText.h"
#include "mms/user/Domain.h"

namespace Iec61850::Acsi {

using System::ResultCode;

Server::Server() {
    profiles_[0] = std::make_unique<AssociationProfile>(this);
    icdExport_ = std::make_unique<IcdExportLink>(this);
}

Server::~Server() {
    // From here the ending below would wait for this very thread, or free what it still
    // runs in: a hang or worse, found late. Stopped at once instead, naming the way out.
    if (RunsOnThisThread()) {
        std::fputs(
            "Iec61850::Acsi::Server destroyed on a thread of its associations or inside a callback "
            "of theirs: remove it with ServerManager::RemoveServer instead\n",
            stderr);
        std::abort();
    }
    EndAssociations();
    // The stacks join every association's thread and chain before the model goes; each
    // confirms what it still held and only then lets go of its client.
    profiles_.clear();
    {
        std::lock_guard lock(associationsMutex_);
        associations_.clear();
    }
    icdExport_.reset();
    logicalDevices_.clear();
}

void Server::EndAssociations() {
    // Each is ended while its client still hears of it: every request confirmed, and every
    // later one refused and confirmed at once.
    for (TPAppAssociation* association : GetAssociations()) association->End();
}

bool Server::RunsOnThisThread() const {
    // Only this server's own threads and callbacks, where its destruction would wait for
    // itself. Inside another server's callback its destruction proceeds, but waits for its
    // threads, which may be waiting for that callback: ServerManager::RemoveServer defers
    // there too (it asks TPAppAssociation::InCallback and every server it lists).
    // Under the list's lock: an association leaves the list before it goes, so a registry
    // that asks about a server it still lists never reads one that has gone.
    std::lock_guard lock(associationsMutex_);
    for (TPAppAssociation* association : associations_) {
        if (association->InOwnCallback() || association->IsTaskThread()) return true;
        Protocol::Connection* bottom = association->GetBottom();
        if (bottom != nullptr && bottom != association && bottom->IsTaskThread()) return true;
    }
    return false;
}

// ---- lookups under the caller's lock ----

LogicalDevice* Server::FindDevice(const Mms::ModelHold&, std::string_view name) const {
    const auto found = logicalDevices_.find(name);
    return found == logicalDevices_.end() ? nullptr : found->second.get();
}

LogicalNode* Server::FindNode(const Mms::ModelHold& hold, std::string_view reference) const {
    const std::size_t slash = reference.find('/');
    if (slash == std::string_view::npos) return nullptr;
    LogicalDevice* device = FindDevice(hold, reference.substr(0, slash));
    return device != nullptr ? device->FindLogicalNode(reference.substr(slash + 1)) : nullptr;
}

namespace {

// Follows the "."-separated path below the object, one owned child at a time.
NamedObject* FollowPath(NamedObject* at, std::string_view path) {
    for (std::string_view part : SplitText(path, '.')) {
        if (at == nullptr) return nullptr;
        at = at->FindOwnedChild(part);
    }
    return at;
}

std::vector<FunctionalConstraint*> GroupsInNameOrder(const LogicalNode& node) {
    std::vector<FunctionalConstraint*> groups(node.GetFcsInOrder().begin(), node.GetFcsInOrder().end());
    std::sort(groups.begin(), groups.end(),
              [](const FunctionalConstraint* a, const FunctionalConstraint* b) { return a->GetFc() < b->GetFc(); });
    return groups;
}

bool IsAnyFc(std::string_view fc) { return fc.empty() || fc == "XX"; }

}  // namespace

ResultCode Server::ResolveReference(const Mms::ModelHold& hold, std::string_view reference, std::string_view fc,
                                    std::list<NamedObject*>& found) {
    found.clear();
    const std::size_t slash = reference.find('/');
    if (slash == std::string_view::npos) return System::InvalidArguments;
    LogicalDevice* device = FindDevice(hold, reference.substr(0, slash));
    if (device == nullptr) return System::InvalidArguments;
    const std::string_view rest = reference.substr(slash + 1);
    std::string nodeName;
    std::string path;
    std::string constraint(fc);
    if (const std::size_t dot = rest.find('.'); dot != std::string_view::npos) {
        nodeName = rest.substr(0, dot);
        path = rest.substr(dot + 1);
    } else {
        const std::vector<std::string_view> parts = SplitText(rest, '$');
        if (parts.size() < 3) return System::InvalidArguments;
        nodeName = parts[0];
        constraint = parts[1];
        path = JoinText(std::vector<std::string_view>(parts.begin() + 2, parts.end()), '.');
    }
    LogicalNode* node = device->FindLogicalNode(nodeName);
    if (node == nullptr) return System::InvalidArguments;
    if (!IsAnyFc(constraint)) {
        if (NamedObject* object = FollowPath(node->FindFc(constraint), path)) found.push_back(object);
        return System::OkNoError;
    }
    for (FunctionalConstraint* group : GroupsInNameOrder(*node)) {
        if (NamedObject* object = FollowPath(group, path)) found.push_back(object);
    }
    return System::OkNoError;
}

ResultCode Server::FindDataSet(const Mms::ModelHold& hold, std::string_view reference, DataSet*& found) {
    found = nullptr;
    const std::size_t slash = reference.find('/');
    if (slash == std::string_view::npos) return System::InvalidArguments;
    LogicalDevice* device = FindDevice(hold, reference.substr(0, slash));
    if (device == nullptr) return System::InvalidArguments;
    const std::string_view rest = reference.substr(slash + 1);
    std::size_t split = rest.find('.');
    if (split == std::string_view::npos) split = rest.find('$');
    if (split == std::string_view::npos) {
        found = device->FindDataSet(rest);
    } else if (LogicalNode* node = device->FindLogicalNode(rest.substr(0, split))) {
        found = node->FindDataSet(rest.substr(split + 1));
    }
    return found != nullptr ? System::OkNoError : System::InvalidArguments;
}

ResultCode Server::CollectControlBlocks(const Mms::ModelHold& hold, std::string_view reference, std::string_view fc,
                                        std::int32_t kind, std::list<NamedObject*>& found) {
    found.clear();
    const std::size_t slash = reference.find('/');
    LogicalDevice* device = FindDevice(hold, reference.substr(0, slash));
    if (device == nullptr) return System::OkNoError;
    if (slash == std::string_view::npos || slash + 1 >= reference.size()) {
        for (const auto& [name, node] : device->GetLogicalNodes()) {
            for (FunctionalConstraint* group : GroupsInNameOrder(*node)) {
                if (IsAnyFc(fc) || group->GetFc() == fc) group->CollectByClass(kind, found);
            }
        }
        return System::OkNoError;
    }
    const std::string_view rest = reference.substr(slash + 1);
    const std::size_t dot = rest.find('.');
    LogicalNode* node = device->FindLogicalNode(rest.substr(0, dot));
    if (node == nullptr) return System::OkNoError;
    const std::string_view path = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
    for (FunctionalConstraint* group : GroupsInNameOrder(*node)) {
        if (!IsAnyFc(fc) && group->GetFc() != fc) continue;
        if (NamedObject* object = path.empty() ? group : FollowPath(group, path)) object->CollectByClass(kind, found);
    }
    return System::OkNoError;
}

// ---- locked lookups ----

ResultCode Server::FindLogicalDevice(std::string_view name, LogicalDevice*& device) {
    return Locked([&](const Mms::ModelHold& hold) -> ResultCode {
        device = FindDevice(hold, name);
        return device != nullptr ? System::OkNoError : System::InvalidArguments;
    });
}

ResultCode Server::FindLogicalNode(std::string_view reference, LogicalNode*& node) {
    return Locked([&](const Mms::ModelHold& hold) -> ResultCode {
        node = FindNode(hold, reference);
        return node != nullptr ? System::OkNoError : System::InvalidArguments;
    });
}

ResultCode Server::FindDataSet(std::string_view reference, DataSet*& found) {
    return Locked([&](const Mms::ModelHold& hold) { return FindDataSet(hold, reference, found); });
}

ResultCode Server::FindObjects(std::string_view fc, std::string_view reference, std::list<NamedObject*>& found) {
    return Locked([&](const Mms::ModelHold& hold) { return ResolveReference(hold, reference, fc, found); });
}

ResultCode Server::CollectBRCBs(std::string_view reference, std::string_view fc, std::list<NamedObject*>& found) {
    return Locked(
        [&](const Mms::ModelHold& hold) { return CollectControlBlocks(hold, reference, fc, ObjectClassBrcb, found); });
}

ResultCode Server::CollectURCBs(std::string_view reference, std::string_view fc, std::list<NamedObject*>& found) {
    return Locked(
        [&](const Mms::ModelHold& hold) { return CollectControlBlocks(hold, reference, fc, ObjectClassUrcb, found); });
}

ResultCode Server::CollectBRCBsAnyFc(std::string_view reference, std::list<NamedObject*>& found) {
    return CollectBRCBs(reference, "XX", found);
}

ResultCode Server::CollectURCBsAnyFc(std::string_view reference, std::list<NamedObject*>& found) {
    return CollectURCBs(reference, "XX", found);
}

ResultCode Server::SelectRcbsByDataSetMember(const Mms::ModelHold&, const std::list<NamedObject*>& blocks,
                                             const ValueRecord& member, std::list<NamedObject*>& selected) {
    for (NamedObject* object : blocks) {
        auto* block = dynamic_cast<ControlBlock*>(object);
        DataSet* dataSet = block != nullptr ? block->GetDataSet() : nullptr;
        if (dataSet == nullptr) continue;
        for (NamedObject* entry : dataSet->GetMembers()) {
            NamedObject* hit = nullptr;
            if (entry != nullptr) entry->Find(member.fc, member.reference, hit);
            if (hit != nullptr) {
                selected.push_back(block);
                break;
            }
        }
    }
    return System::OkNoError;
}

// ---- the model ----

ResultCode Server::AddLogicalDevice(const std::string& name) {
    return Locked([&](const Mms::ModelHold&) -> ResultCode {
        if (logicalDevices_.contains(name)) return System::AlreadyExist;
        if (name.empty() || !IsValidReferenceText(name)) return System::InvalidArguments;
        Mms::Domain* domain = nullptr;
        if (FindDomain(name, domain) != System::OkNoError) {
            auto made = std::make_unique<Mms::Domain>(GetConnection(), name, this);
            if (AddObject(made.get()) != System::OkNoError) return System::AlreadyExist;
            domain = made.release();
        }
        logicalDevices_.emplace(name, std::make_unique<LogicalDevice>(this, domain));
        return System::OkNoError;
    });
}

ResultCode Server::Bind() {
    return Locked([&](const Mms::ModelHold& hold) { return Bind(hold); });
}

ResultCode Server::Bind(const Mms::ModelHold& hold) {
    ResultCode last = System::OkNoError;
    for (auto& [name, device] : logicalDevices_) {
        if (const ResultCode result = device->Bind(hold); result != System::OkNoError) last = result;
    }
    return last;
}

bool Server::IsRead() {
    bool read = false;
    Locked([&](const Mms::ModelHold&) -> ResultCode {
        read = state.load() == DirectoryState::Complete &&
               std::all_of(logicalDevices_.begin(), logicalDevices_.end(),
                           [](const auto& entry) { return entry.second->IsRead(); });
        return System::OkNoError;
    });
    return read;
}

ResultCode Server::CountKindOf(ModelClass modelClass, ObjectState objectState, std::uint32_t& count) {
    count = 0;
    return Locked([&](const Mms::ModelHold&) -> ResultCode {
        for (const auto& [name, device] : logicalDevices_) count += device->IsKindOf(modelClass, objectState);
        return System::OkNoError;
    });
}

ResultCode Server::CountKinds(ModelTally& tally) {
    return Locked([&](const Mms::ModelHold& hold) -> ResultCode {
        CountKinds(hold, tally);
        return System::OkNoError;
    });
}

void Server::CountKinds(const Mms::ModelHold&, ModelTally& tally) {
    for (const auto& [name, device] : logicalDevices_) device->CountKinds(tally);
}

// ---- profiles and associations ----

AssociationProfile* Server::GetProfile(std::int32_t number) const {
    const auto found = profiles_.find(number);
    return found == profiles_.end() ? nullptr : found->second.get();
}

ResultCode Server::CreateServerAssociations(std::uint32_t count, std::uint16_t port) {
    if (GetProfile(0) == nullptr) return System::Error;
    for (std::uint32_t made = 0; made < count; ++made) {
        TPAppAssociation* association = nullptr;
        if (const ResultCode result = GetServerAssociation(0, association, port); result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

ResultCode Server::GetServerAssociation(std::int32_t profileNumber, TPAppAssociation*& association,
                                        std::uint16_t port) {
    association = nullptr;
    AssociationProfile* profile = GetProfile(profileNumber);
    if (profile == nullptr) return System::Error;
    ResultCode result = System::OkNoError;
    int systemError = 0;
    association = profile->GetStack()->CreateListeningChain(port, result, systemError);
    if (association == nullptr) return result;
    association->TakeProfile(*profile);
    AddAssociation(association);
    return System::OkNoError;
}

void Server::AddAssociation(TPAppAssociation* association) {
    std::lock_guard lock(associationsMutex_);
    if (std::find(associations_.begin(), associations_.end(), association) == associations_.end())
        associations_.push_back(association);
}

ResultCode Server::RemoveAssociation(TPAppAssociation* association) {
    std::lock_guard lock(associationsMutex_);
    const auto found = std::find(associations_.begin(), associations_.end(), association);
    if (found == associations_.end()) return System::Error;
    associations_.erase(found);
    return System::OkNoError;
}

std::vector<TPAppAssociation*> Server::GetAssociations() const {
    std::lock_guard lock(associationsMutex_);
    return {associations_.begin(), associations_.end()};
}

}  // namespace Iec61850::Acsi
