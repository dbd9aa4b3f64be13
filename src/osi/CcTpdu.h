#pragma once

#include "osi/ConnectTpdu.h"

// Connection confirm: DST-REF is the initiator's SRC-REF; the TPDU size, when
// present, is the size the responder accepts (128 octets when absent).
class CcTpdu : public ConnectTpdu {
public:
    explicit CcTpdu(Protocol::Connection* owner) : ConnectTpdu(owner, TypeCc) {}
};
