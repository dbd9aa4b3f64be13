#pragma once

#include <cstdint>
#include <string>

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

    void Clear() { *this = ServiceErrorRecord{}; }
};

}  // namespace Mms
