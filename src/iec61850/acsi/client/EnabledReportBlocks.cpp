#include "iec61850/acsi/client/EnabledReportBlocks.h"

#include <utility>

namespace Iec61850::Acsi {

void EnabledReportBlocks::Enabled(std::string reference, std::uint64_t epoch) {
    std::lock_guard lock(mutex_);
    // Records of earlier epochs count for nothing: they go here rather than piling up.
    std::erase_if(enabled_, [epoch](const auto& record) { return record.second != epoch; });
    enabled_[std::move(reference)] = epoch;
}

void EnabledReportBlocks::Disabled(std::string_view reference) {
    std::lock_guard lock(mutex_);
    if (const auto found = enabled_.find(reference); found != enabled_.end()) enabled_.erase(found);
}

bool EnabledReportBlocks::IsEnabled(std::string_view reference, std::uint64_t epoch) const {
    std::lock_guard lock(mutex_);
    const auto found = enabled_.find(reference);
    return found != enabled_.end() && found->second == epoch;
}

}  // namespace Iec61850::Acsi
