#include "iec61850/acsi/client/EndingNews.h"

namespace Iec61850::Acsi {

void EndingNews::Taken(std::uint64_t epoch) {
    std::lock_guard lock(mutex_);
    ++unconfirmed_[epoch];
}

std::vector<Mms::AssociationEnding> EndingNews::Confirmed(std::uint64_t epoch) {
    std::vector<Mms::AssociationEnding> due;
    std::lock_guard lock(mutex_);
    if (const auto found = unconfirmed_.find(epoch); found != unconfirmed_.end() && --found->second == 0)
        unconfirmed_.erase(found);
    while (!kept_.empty() && !AnyUnconfirmedBeforeLocked(kept_.front().below)) {
        due.push_back(kept_.front().kind);
        kept_.pop_front();
    }
    return due;
}

bool EndingNews::TellNowOrKeep(std::uint64_t below, Mms::AssociationEnding kind) {
    std::lock_guard lock(mutex_);
    // One kept before it is told first.
    if (kept_.empty() && !AnyUnconfirmedBeforeLocked(below)) return true;
    kept_.push_back({below, kind});
    return false;
}

std::size_t EndingNews::KeptCount() const {
    std::lock_guard lock(mutex_);
    return kept_.size();
}

bool EndingNews::AnyUnconfirmedBeforeLocked(std::uint64_t below) const {
    // The map is ordered and holds no zero counts: its first epoch decides.
    return !unconfirmed_.empty() && unconfirmed_.begin()->first < below;
}

}  // namespace Iec61850::Acsi
