#pragma once

#include "osi/ConnectTpdu.h"

// Connection request. As the initiator sends it: credit 0, DST-REF 0, SRC-REF the
// local reference, class 0, and the proposed TPDU size, called and calling TSAP.
class CrTpdu : public ConnectTpdu {
public:
    explicit CrTpdu(Protocol::Connection* owner) : ConnectTpdu(owner, TypeCr) {}
};
