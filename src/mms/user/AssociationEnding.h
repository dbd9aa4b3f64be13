#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "system/ResultCode.h"

namespace Mms {

// Every way an association ends. Each goes through one routine,
// MmsUserConnection::EndAssociation, which runs one fixed list of steps; the table below
// says which of them each way leaves out, and why.
enum class AssociationEnding : std::uint8_t {
    LocalAbort,   // the user's Abort
    PeerAbort,    // the peer's abort, or the transport lost under the association
    Stall,        // the link stalled: a request or the conclude unanswered, nothing received
    Release,      // the conclude was answered
    End,          // the association is ended for good (its server goes)
    Abandon,      // an attempt given up before it stood
    Destruction,  // the association object goes
};
inline constexpr std::size_t AssociationEndingCount = 7;

// Whom an ending tells that the association ended (the client's OnAbort, or the
// server's listener for an association without a client).
enum class EndingTold : std::uint8_t {
    Always,   // whenever the ending claimed a standing association or an attempt under way
    IfStood,  // only an association that stood: the end of an attempt is that attempt's failure
    Never,
};

// What one way of ending does of the fixed list (see MmsUserConnection::EndAssociation).
struct EndingSteps {
    AssociationEnding kind;
    // The abort unit goes out on the association's link before it is closed.
    bool sendAbort;
    // The link's close lets what is already queued for it leave first; every other close
    // discards it (a command the program reported as ended must never act later).
    bool gracefulClose;
    // The generation may be claimed while nothing stands on it: the transport's end is
    // news for whatever the chain carries now, and resets the machine in any state.
    bool evenIdle;
    // What every queued and pending request is confirmed with.
    System::ResultCode confirmWith;
    EndingTold told;
    // The record OnAbort gets says the program itself ended it (not the peer).
    bool local;
};

inline constexpr std::array<EndingSteps, AssociationEndingCount> EndingTable{{
    // Told: the user asked, and hears the end it caused once, on the aborting thread (or, for
    // a user that keeps it behind requests still in a sender's hands, on the thread that
    // confirms the last of them).
    {AssociationEnding::LocalAbort, true, false, false, System::Aborted, EndingTold::Always, true},
    // No abort unit: the peer ended it, or no link is left to carry one. Told only when it
    // stood: an attempt's end is that attempt's failure (OnAssociationFailed).
    {AssociationEnding::PeerAbort, false, false, true, System::Aborted, EndingTold::IfStood, false},
    // Confirmed with 12: no answer is coming for any of them.
    {AssociationEnding::Stall, true, false, false, System::Timeout, EndingTold::Always, true},
    // No abort unit and a graceful close: both sides agreed to the end, and the conclude's
    // answer was the last word. Not told here: the release's own confirmation tells it.
    {AssociationEnding::Release, false, true, false, System::Aborted, EndingTold::Never, true},
    {AssociationEnding::End, true, false, false, System::Aborted, EndingTold::Always, true},
    // Told as a local abort: the attempt was the program's, and so was its end.
    {AssociationEnding::Abandon, true, false, false, System::Aborted, EndingTold::Always, true},
    // Not told: the client let go of the association before it went.
    {AssociationEnding::Destruction, true, false, false, System::Aborted, EndingTold::Never, true},
}};

constexpr const EndingSteps& StepsOf(AssociationEnding kind) { return EndingTable[static_cast<std::size_t>(kind)]; }

// Each row sits at its own kind's place, so that StepsOf finds it.
constexpr bool EndingTableInOrder() {
    for (std::size_t i = 0; i < EndingTable.size(); ++i) {
        if (static_cast<std::size_t>(EndingTable[i].kind) != i) return false;
    }
    return true;
}
static_assert(EndingTableInOrder());

}  // namespace Mms
