#pragma once

#include <cstdint>

#include "protocol/Frame.h"

namespace Protocol {

// A frame of plain bytes with no value attached (kind 1); layers also pass an empty
// one upwards where an indication carries no data.
class RawFrame : public Frame {
public:
    static constexpr std::int32_t KindRaw = 1;

    explicit RawFrame(Connection* owner) : Frame(owner, 0) {}

    std::int32_t GetKind() const { return kind_; }

private:
    std::int32_t kind_ = KindRaw;
};

}  // namespace Protocol
