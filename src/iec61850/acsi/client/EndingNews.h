#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "mms/user/AssociationEnding.h"

namespace Iec61850::Acsi {

// Keeps the news of an association's end (OnAbort) behind every service of that
// association. An ending confirms what it finds queued and pending itself, but a service
// a sender still holds (answered, or ended, while its send was under way) is confirmed by
// that sender's thread once its send is over, and an Operate's kept command termination
// follows that confirmation: told at once, the end would overtake both. So the end is told
// by whichever thread confirms the last service of the epochs it ended, right after that
// confirmation, and at once when none is left.
//
// A service counts from the moment its association takes it (queued or sent directly, in
// the epoch it is taken in) until it is confirmed; every taken service is confirmed once.
// Endings are told in the order they came.
class EndingNews {
public:
    EndingNews() = default;
    EndingNews(const EndingNews&) = delete;
    EndingNews& operator=(const EndingNews&) = delete;

    // A service taken in the epoch, unconfirmed until Confirmed.
    void Taken(std::uint64_t epoch);
    // A service taken in the epoch has been confirmed: the endings whose news is due now,
    // in the order they came, for the caller to tell.
    std::vector<Mms::AssociationEnding> Confirmed(std::uint64_t epoch);
    // The end of every epoch before `below` is to be told: true when it may be told now;
    // otherwise it is kept, and handed out by the Confirmed that makes it due.
    bool TellNowOrKeep(std::uint64_t below, Mms::AssociationEnding kind);
    // Endings kept now.
    std::size_t KeptCount() const;

private:
    bool AnyUnconfirmedBeforeLocked(std::uint64_t below) const;

    struct Kept {
        std::uint64_t below;
        Mms::AssociationEnding kind;
    };
    mutable std::mutex mutex_;
    // Unconfirmed services by the epoch they were taken in.
    std::map<std::uint64_t, std::uint32_t> unconfirmed_;
    std::deque<Kept> kept_;
};

}  // namespace Iec61850::Acsi
