#pragma once

#include <cstdint>
#include <string>

#include "protocol/PeerRefusal.h"

namespace Mms {

// What a peer's ServiceError said, as the initiate and conclude exchanges hand it to
// their callers: the errorClass choice number (1 vmd-state .. 13 others, 0 none) and
// the code within that class, with the optional additions.
struct ServiceErrorRecord {
    std::int32_t errorClass = 0;
    std::int32_t errorCode = 0;
    bool hasAdditionalCode = false;
    std::int32_t additionalCode = 0;
    std::string additionalDescription;
    // Why the peer refused the association, from whichever layer refused it (the
    // transport, the session, ACSE or MMS); unset when nothing was refused.
    Protocol::PeerRefusal refusal;

    void Clear() { *this = ServiceErrorRecord{}; }
};

}  // namespace Mms
