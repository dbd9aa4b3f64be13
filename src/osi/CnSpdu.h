#pragma once

#include "osi/ConnectSpdu.h"

// Connect SPDU (SI 13): the initiator's session proposal, carrying the
// presentation connect PDU as user data.
class CnSpdu : public ConnectSpdu {
public:
    explicit CnSpdu(Protocol::Connection* owner) : ConnectSpdu(owner, SiConnect) {}
};
