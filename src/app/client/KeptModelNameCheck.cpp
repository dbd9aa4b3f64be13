#include "app/client/KeptModelNameCheck.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <string_view>
#include <utility>

#include "app/client/QXMessages.h"
#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/DataSetServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "mms/machine/RequestGroup.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/Variable.h"

namespace App {

namespace {

// Node names named at most, then how many more: the line must stay one line.
constexpr std::size_t LongestNodeList = 4;

// "LLN0$ST$Mod" belongs to LLN0.
std::string_view NodeOf(std::string_view name) { return name.substr(0, name.find('$')); }

std::set<std::string_view> NodesOf(const std::vector<std::string_view>& names) {
    std::set<std::string_view> nodes;
    for (const std::string_view name : names) nodes.insert(NodeOf(name));
    return nodes;
}

std::string NodeList(const std::vector<std::string_view>& nodes) {
    std::string text;
    for (std::size_t i = 0; i < nodes.size() && i < LongestNodeList; ++i)
        text += (i > 0 ? ", " : "") + std::string(nodes[i]);
    if (nodes.size() > LongestNodeList) text += " and " + std::to_string(nodes.size() - LongestNodeList) + " more";
    return text;
}

// Both sorted and without repeats. Empty when the lists are the same; else the logical
// nodes one of them has and the other lacks or, with the same nodes, those whose names differ.
std::string DescribeChange(const std::vector<std::string_view>& model, const std::vector<std::string_view>& listed) {
    if (model == listed) return {};
    const std::set<std::string_view> modelNodes = NodesOf(model);
    const std::set<std::string_view> listedNodes = NodesOf(listed);
    std::vector<std::string_view> added;
    std::vector<std::string_view> gone;
    std::set_difference(listedNodes.begin(), listedNodes.end(), modelNodes.begin(), modelNodes.end(),
                        std::back_inserter(added));
    std::set_difference(modelNodes.begin(), modelNodes.end(), listedNodes.begin(), listedNodes.end(),
                        std::back_inserter(gone));
    std::string text;
    if (!added.empty()) text += NodeList(added) + " added";
    if (!gone.empty()) text += (added.empty() ? "" : ", ") + NodeList(gone) + " gone";
    if (!added.empty() || !gone.empty()) return text;
    std::vector<std::string_view> differing;
    std::set_symmetric_difference(model.begin(), model.end(), listed.begin(), listed.end(),
                                  std::back_inserter(differing));
    std::set<std::string_view> nodes;
    for (const std::string_view name : differing) nodes.insert(NodeOf(name));
    return text + NodeList({nodes.begin(), nodes.end()}) + " changed";
}

// "LLN0$dsx" is the data set LLN0.dsx.
std::string DataSetReference(std::string_view name) {
    std::string reference(name);
    if (const std::size_t dollar = reference.find('$'); dollar != std::string::npos) reference[dollar] = '.';
    return reference;
}

std::string DataSetList(const std::vector<std::string_view>& names) {
    std::vector<std::string> references;
    for (const std::string_view name : names) references.push_back(DataSetReference(name));
    return NodeList({references.begin(), references.end()});
}

// Both sorted and without repeats: the data sets one of them names and the other lacks.
std::string DescribeDataSetChange(const std::vector<std::string_view>& model,
                                  const std::vector<std::string_view>& listed) {
    if (model == listed) return {};
    std::vector<std::string_view> added;
    std::vector<std::string_view> gone;
    std::set_difference(listed.begin(), listed.end(), model.begin(), model.end(), std::back_inserter(added));
    std::set_difference(model.begin(), model.end(), listed.begin(), listed.end(), std::back_inserter(gone));
    std::string text;
    if (!added.empty()) text += (added.size() > 1 ? "data sets " : "data set ") + DataSetList(added) + " added";
    if (!gone.empty()) {
        text += std::string(added.empty() ? "" : ", ") + (gone.size() > 1 ? "data sets " : "data set ") +
                DataSetList(gone) + " gone";
    }
    return text;
}

// Why a list asked (`what`, DirectoryRequestText) gave nothing: the device's own refusal of
// it, or the link's failure.
std::string FailureText(const Iec61850::Acsi::Service& service, const std::string& what) {
    if (std::string refusal = service.DeviceRefusalText(what); !refusal.empty()) return refusal;
    if (service.GetResult() == System::Timeout) return "no answer came in time";
    return Iec61850::Acsi::ServiceErrorText(service.GetServiceError());
}

std::vector<std::string_view> SortedUnique(std::vector<std::string_view> names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace

KeptModelNameCheck::KeptModelNameCheck(Iec61850::ClientApplication& client, Tell tell)
    : client_(client), tell_(std::move(tell)) {}

bool KeptModelNameCheck::Start(Iec61850::Acsi::Server& server, std::shared_ptr<const Mms::RequestGroup> group,
                               std::size_t window) {
    std::vector<std::string> devices;
    {
        const Mms::ModelHold hold(&server);
        if (!hold.Taken()) return false;
        for (const auto& [name, device] : server.GetLogicalDevices()) devices.push_back(name);
    }
    if (devices.empty() || group == nullptr) return false;
    Next next;
    {
        std::lock_guard lock(mutex_);
        group_ = std::move(group);
        server_ = &server;
        devices_ = std::move(devices);
        current_ = 0;
        listed_.clear();
        listedDataSets_.clear();
        changes_.clear();
        confirmed_ = false;
        window_ = std::max<std::size_t>(window, 1);
        // The last check's answers still to come alter lists this one would note: it asks
        // once they are in and have put them back.
        waiting_ = out_ > 0;
        if (waiting_) return true;
        next = FirstAskLocked();
    }
    // Once asked, its end is told, or the association's end (which confirms what was asked).
    return Ask(next);
}

KeptModelNameCheck::Next KeptModelNameCheck::FirstAskLocked() {
    membersReads_.clear();
    membersNext_ = 0;
    askedGroup_ = group_;
    ++out_;
    return {group_, devices_.front(), {}, false};
}

void KeptModelNameCheck::BeginWaitingLocked(std::vector<Next>& asks) {
    if (!waiting_ || out_ > 0 || group_ == nullptr) return;
    waiting_ = false;
    asks.push_back(FirstAskLocked());
}

bool KeptModelNameCheck::Ask(const Next& next) {
    const Iec61850::ClientApplication::RequestGroupScope scope(next.group);
    std::uint32_t id = 0;
    const System::ResultCode asked =
        next.members ? client_.GetDataSetDirectory(id, next.device, Iec61850::AnswerFrom::Device)
        : next.dataSets
            ? client_.GetLogicalNodeDirectoryAfter(id, next.device, Iec61850::Acsi::ObjectClassDataSet,
                                                   Iec61850::AnswerFrom::Device, next.continueAfter)
            : client_.GetLogicalDeviceDirectoryAfter(id, next.device, Iec61850::AnswerFrom::Device, next.continueAfter);
    if (asked == System::OkNoError) return true;
    std::lock_guard lock(mutex_);
    // Never made, so never answered: not out.
    if (askedGroup_ == next.group && out_ > 0) --out_;
    if (group_ == next.group) group_.reset();
    return false;
}

void KeptModelNameCheck::AskInTurn(const std::vector<Next>& asks) {
    for (std::size_t i = 0; i < asks.size(); ++i) {
        if (Ask(asks[i])) continue;
        std::lock_guard lock(mutex_);
        for (std::size_t rest = i + 1; rest < asks.size(); ++rest) {
            if (askedGroup_ == asks[rest].group && out_ > 0) --out_;
        }
        return;
    }
}

bool KeptModelNameCheck::Take(Iec61850::Acsi::GetLogicalDeviceDirectory& service) {
    return TakePage(service, false, service.names);
}

bool KeptModelNameCheck::Take(Iec61850::Acsi::GetLogicalNodeDirectory& service) {
    return TakePage(service, true, service.names);
}

bool KeptModelNameCheck::TakePage(Iec61850::Acsi::Service& service, bool dataSets, const System::NameList& names) {
    std::vector<Next> asks;
    bool told = false;
    std::uintptr_t outcome = IcdModelUnchanged;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (askedGroup_ == nullptr || service.GetGroup() != askedGroup_.get()) return false;
        if (out_ > 0) --out_;
        if (group_ == nullptr || service.GetGroup() != group_.get()) {
            // An earlier check's: the one waiting for it may ask now.
            BeginWaitingLocked(asks);
        } else if (service.EndedWithTheAssociation() || service.Withdrawn()) {
            // Nobody refused it: the end of the association, or of the export, is told on its own.
            group_.reset();
        } else if (service.GetResult() != System::OkNoError || service.GetServiceError() != 0) {
            outcome = IcdModelUnchecked;
            using Iec61850::Acsi::DirectoryRequest;
            text = devices_[current_] + ": " +
                   FailureText(service, DirectoryRequestText(dataSets ? DirectoryRequest::DataSets
                                                                      : DirectoryRequest::Variables));
            told = true;
            group_.reset();
        } else {
            const std::string& device = devices_[current_];
            Next next;
            std::vector<std::string>& listed = dataSets ? listedDataSets_ : listed_;
            for (const std::string_view name : names) listed.emplace_back(name);
            if (service.GetMoreFollows() && !names.empty()) {
                next = {group_, device, listed.back(), dataSets};
            } else if (!dataSets) {
                // The variable names are in: the device's data sets next, a list of their own.
                next = {group_, device, {}, true};
            } else {
                CompareDeviceLocked();
                if (++current_ < devices_.size()) {
                    next = {group_, devices_[current_], {}, false};
                } else if (!changes_.empty() || !BeginMembersLocked(asks)) {
                    // A device whose lists differ has changed already: its members tell no more.
                    EndLocked(outcome, text);
                    told = true;
                }
            }
            if (!next.device.empty()) {
                ++out_;
                asks.push_back(std::move(next));
            }
        }
    }
    AskInTurn(asks);
    if (told) tell_(outcome, text);
    return true;
}

bool KeptModelNameCheck::BeginMembersLocked(std::vector<Next>& asks) {
    {
        const Mms::ModelHold hold(server_);
        if (!hold.Taken()) return false;
        for (const std::string& name : devices_) {
            Iec61850::Acsi::LogicalDevice* device = server_->FindDevice(hold, name);
            if (device == nullptr) continue;
            for (const std::string& set : device->dataSetNames) {
                Iec61850::Acsi::DataSet* dataSet = nullptr;
                MembersRead read;
                read.reference = name + "/" + DataSetReference(set);
                if (server_->FindDataSet(hold, read.reference, dataSet) != System::OkNoError || dataSet == nullptr ||
                    dataSet->GetList() == nullptr)
                    continue;
                read.list = dataSet->GetList();
                read.members = read.list->Members;
                for (const Mms::Variable* member : read.members) {
                    std::string memberName;
                    member->GetName(memberName);
                    read.names.push_back(std::move(memberName));
                }
                membersReads_.push_back(std::move(read));
            }
        }
    }
    if (membersReads_.empty()) return false;
    while (membersNext_ < membersReads_.size() && out_ < window_) {
        asks.push_back({group_, membersReads_[membersNext_++].reference, {}, false, true});
        ++out_;
    }
    return true;
}

void KeptModelNameCheck::EndLocked(std::uintptr_t& outcome, std::string& text) {
    outcome = changes_.empty() ? IcdModelUnchanged : IcdModelChanged;
    text.clear();
    for (const std::string& change : changes_) text += (text.empty() ? "" : "; ") + change;
    confirmed_ = changes_.empty();
    group_.reset();
}

std::optional<bool> KeptModelNameCheck::PutBackLocked(MembersRead& read,
                                                      const Iec61850::Acsi::GetDataSetDirectory& service) {
    const Mms::ModelHold hold(server_);
    if (!hold.Taken()) return std::nullopt;
    // The answer went into the model's list: what the device names now is read there, and
    // the list gets back what the model held.
    std::vector<std::string> names;
    for (const Mms::Variable* member : read.list->Members) {
        std::string memberName;
        member->GetName(memberName);
        names.push_back(std::move(memberName));
    }
    read.list->Members = read.members;
    // Members the model cannot resolve leave the answer unapplied: changed too.
    return service.HasConfirmedAnswer() && (service.GetResult() != System::OkNoError || names != read.names);
}

bool KeptModelNameCheck::Take(Iec61850::Acsi::GetDataSetDirectory& service) {
    std::vector<Next> asks;
    bool told = false;
    std::uintptr_t outcome = IcdModelUnchanged;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (askedGroup_ == nullptr || service.GetGroup() != askedGroup_.get()) return false;
        if (out_ > 0) --out_;
        const auto read = std::find_if(membersReads_.begin(), membersReads_.end(),
                                       [&](const MembersRead& r) { return r.reference == service.reference; });
        // Only a list compared vouches for the device.
        const std::optional<bool> changed = read != membersReads_.end() ? PutBackLocked(*read, service) : std::nullopt;
        const std::string device = service.reference.substr(0, service.reference.find('/'));
        if (group_ == nullptr || service.GetGroup() != group_.get()) {
            // An earlier check's, its list put back: the one waiting for it may ask now.
            BeginWaitingLocked(asks);
        } else if (service.EndedWithTheAssociation() || service.Withdrawn()) {
            group_.reset();
        } else {
            if (!changed) {
                changes_.push_back(device + ": the kept data model could not be read");
            } else if (*changed) {
                changes_.push_back(device + ": data set " + service.reference.substr(device.size() + 1) +
                                   " members changed");
            } else if (service.GetResult() != System::OkNoError || service.GetServiceError() != 0) {
                outcome = IcdModelUnchecked;
                text = device + ": " +
                       FailureText(service, Iec61850::Acsi::DirectoryRequestText(
                                                Iec61850::Acsi::DirectoryRequest::DataSetMembers,
                                                service.reference.substr(device.size() + 1)));
                told = true;
                group_.reset();
            }
            if (!told) {
                while (membersNext_ < membersReads_.size() && out_ < window_) {
                    asks.push_back({group_, membersReads_[membersNext_++].reference, {}, false, true});
                    ++out_;
                }
                if (out_ == 0) {
                    EndLocked(outcome, text);
                    told = true;
                }
            }
        }
    }
    AskInTurn(asks);
    if (told) tell_(outcome, text);
    return true;
}

void KeptModelNameCheck::CompareDeviceLocked() {
    const std::string& name = devices_[current_];
    std::string change;
    {
        const Mms::ModelHold hold(server_);
        Iec61850::Acsi::LogicalDevice* device = hold.Taken() ? server_->FindDevice(hold, name) : nullptr;
        if (!hold.Taken()) {
            change = name + ": the kept data model could not be read";
        } else if (device == nullptr) {
            change = name + ": not in the kept data model";
        } else {
            // The views point into the model: compared before the hold ends.
            std::vector<std::string_view> model(device->directoryNames.begin(), device->directoryNames.end());
            std::vector<std::string_view> listed(listed_.begin(), listed_.end());
            std::vector<std::string_view> modelSets(device->dataSetNames.begin(), device->dataSetNames.end());
            std::vector<std::string_view> listedSets(listedDataSets_.begin(), listedDataSets_.end());
            const std::string names = DescribeChange(SortedUnique(std::move(model)), SortedUnique(std::move(listed)));
            const std::string sets =
                DescribeDataSetChange(SortedUnique(std::move(modelSets)), SortedUnique(std::move(listedSets)));
            if (!names.empty() || !sets.empty())
                change = name + ": " + names + (names.empty() || sets.empty() ? "" : ", ") + sets;
        }
    }
    if (!change.empty()) changes_.push_back(std::move(change));
    listed_.clear();
    listedDataSets_.clear();
}

bool KeptModelNameCheck::Confirmed() const {
    std::lock_guard lock(mutex_);
    return confirmed_;
}

void KeptModelNameCheck::Reset() {
    std::lock_guard lock(mutex_);
    group_.reset();
    server_ = nullptr;
    devices_.clear();
    listed_.clear();
    listedDataSets_.clear();
    changes_.clear();
    confirmed_ = false;
    membersReads_.clear();
    membersNext_ = 0;
    askedGroup_.reset();
    out_ = 0;
    waiting_ = false;
}

}  // namespace App
