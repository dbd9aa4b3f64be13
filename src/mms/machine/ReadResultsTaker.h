#pragma once

namespace Mms {

// The mark of an upper connection that applies read answers from their received octets
// (MmsFrame::KeepsReadResults): the protocol machine keeps a read answer's results as
// octets only for an upper that carries it, and any other upper sees every PDU decoded
// whole. The machine sits below the service user and cannot name it, so the service
// user wears this mark instead.
class ReadResultsTaker {
protected:
    ReadResultsTaker() = default;
    ~ReadResultsTaker() = default;
};

}  // namespace Mms
