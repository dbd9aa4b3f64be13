#include "iec61850/acsi/client/TerminationHold.h"

#include <algorithm>

#include "mms/user/InformationReport.h"

namespace Iec61850::Acsi {

TerminationHold::TerminationHold() = default;

TerminationHold::~TerminationHold() = default;

std::string TerminationHold::TerminatedOper(const Mms::InformationReport& report) {
    if (report.GetKind() != Mms::InformationReport::VariablesReport) return {};
    // A LastApplError may come first; the control object's structure follows it.
    const std::size_t index = !report.Names.empty() && report.Names[0] == "LastApplError" ? 1 : 0;
    if (index >= report.Names.size()) return {};
    const std::string& name = report.Names[index];
    constexpr std::string_view oper = "$Oper";
    if (name.size() < oper.size() || name.compare(name.size() - oper.size(), oper.size(), oper) != 0) return {};
    return name;
}

void TerminationHold::Begin(const void* operate, std::string operName) {
    std::lock_guard lock(mutex_);
    underWay_.emplace_back(operate, std::move(operName));
}

TerminationHold::Report TerminationHold::KeepIfAwaited(Report report) {
    if (report == nullptr) return report;
    const std::string oper = TerminatedOper(*report);
    if (oper.empty()) return report;
    std::lock_guard lock(mutex_);
    Kept kept;
    for (const auto& [operate, name] : underWay_) {
        if (name == oper) kept.awaiting.push_back(operate);
    }
    // One kept before it still waits: this one follows it, whatever it waits for itself.
    const bool behindKept = std::any_of(kept_.begin(), kept_.end(),
                                        [&](const Kept& earlier) { return TerminatedOper(*earlier.report) == oper; });
    if (kept.awaiting.empty() && !behindKept) return report;
    kept.report = std::move(report);
    kept_.push_back(std::move(kept));
    return nullptr;
}

std::vector<TerminationHold::Report> TerminationHold::Told(const void* operate) {
    std::vector<Report> released;
    std::lock_guard lock(mutex_);
    std::erase_if(underWay_, [operate](const auto& entry) { return entry.first == operate; });
    for (Kept& kept : kept_) std::erase(kept.awaiting, operate);
    // In the order they came, and none ahead of an earlier one of its structure still kept.
    std::vector<std::string> stillKept;
    for (auto it = kept_.begin(); it != kept_.end();) {
        const std::string oper = TerminatedOper(*it->report);
        if (it->awaiting.empty() && std::find(stillKept.begin(), stillKept.end(), oper) == stillKept.end()) {
            released.push_back(std::move(it->report));
            it = kept_.erase(it);
        } else {
            stillKept.push_back(oper);
            ++it;
        }
    }
    return released;
}

std::size_t TerminationHold::KeptCount() const {
    std::lock_guard lock(mutex_);
    return kept_.size();
}

}  // namespace Iec61850::Acsi
