#pragma once

#include <vector>

#include "protocol/Frame.h"
#include "system/ResultCode.h"

// One session unit made of several encoded SPDUs (a Give Tokens and a Data
// Transfer SPDU): their bytes joined in order into one buffer, handed to the
// transport as one unit.
class GtDtSpdu : public Protocol::Frame {
public:
    explicit GtDtSpdu(Protocol::Connection* owner) : Frame(owner, 0) {}

    // The part must stay alive until Encode; its bytes are those from its origin.
    void AddPart(const Protocol::Frame& part) { parts_.push_back(&part); }

    // Joins the parts: OkNoError and StateEncoded; InvalidState when a part is not
    // encoded, NoResources when memory runs out.
    System::ResultCode Encode() override;

private:
    std::vector<const Protocol::Frame*> parts_;
};
