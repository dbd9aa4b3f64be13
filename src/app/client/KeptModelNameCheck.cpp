#include "app/client/KeptModelNameCheck.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <string_view>
#include <utility>

#include "app/client/QXMessages.h"
#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "mms/machine/RequestGroup.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/user/ModelHold.h"

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

// Why a name list gave no names: the device's own refusal, or the link's failure.
std::string FailureText(const Iec61850::Acsi::Service& service) {
    switch (service.GetAnswerKind()) {
        case Mms::MmsPduConfirmedError:
            return "the device refused, " + Mms::MmsServiceErrorText(service.GetErrorClass(), service.GetErrorCode());
        case Mms::MmsPduReject:
            return "the device refused, " + Mms::MmsRejectText(service.GetErrorClass(), service.GetErrorCode());
        default: break;
    }
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

bool KeptModelNameCheck::Start(Iec61850::Acsi::Server& server, std::shared_ptr<const Mms::RequestGroup> group) {
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
        next = {group_, devices_.front(), {}, false};
    }
    // Once asked, its end is told, or the association's end (which confirms what was asked).
    return Ask(next);
}

bool KeptModelNameCheck::Ask(const Next& next) {
    const Iec61850::ClientApplication::RequestGroupScope scope(next.group);
    std::uint32_t id = 0;
    const System::ResultCode asked =
        next.dataSets
            ? client_.GetLogicalNodeDirectoryAfter(id, next.device, Iec61850::Acsi::ObjectClassDataSet,
                                                   Iec61850::AnswerFrom::Device, next.continueAfter)
            : client_.GetLogicalDeviceDirectoryAfter(id, next.device, Iec61850::AnswerFrom::Device, next.continueAfter);
    if (asked == System::OkNoError) return true;
    std::lock_guard lock(mutex_);
    if (group_ == next.group) group_.reset();
    return false;
}

bool KeptModelNameCheck::Take(Iec61850::Acsi::GetLogicalDeviceDirectory& service) {
    return TakePage(service, false, service.names);
}

bool KeptModelNameCheck::Take(Iec61850::Acsi::GetLogicalNodeDirectory& service) {
    return TakePage(service, true, service.names);
}

bool KeptModelNameCheck::TakePage(Iec61850::Acsi::Service& service, bool dataSets, const System::NameList& names) {
    Next next;
    std::uintptr_t outcome = IcdModelUnchanged;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (group_ == nullptr || service.GetGroup() != group_.get()) return false;
        // Nobody refused it: the end of the association, or of the export, is told on its own.
        if (service.EndedWithTheAssociation() || service.Withdrawn()) {
            group_.reset();
            return true;
        }
        const std::string& device = devices_[current_];
        if (service.GetResult() != System::OkNoError || service.GetServiceError() != 0) {
            outcome = IcdModelUnchecked;
            text = device + ": " + FailureText(service);
            group_.reset();
        } else {
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
                } else {
                    outcome = changes_.empty() ? IcdModelUnchanged : IcdModelChanged;
                    for (const std::string& change : changes_) text += (text.empty() ? "" : "; ") + change;
                    confirmed_ = changes_.empty();
                    group_.reset();
                }
            }
        }
    }
    if (!next.device.empty()) {
        Ask(next);
    } else {
        tell_(outcome, text);
    }
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
}

}  // namespace App
