#pragma once

#include "osi/ConnectSpdu.h"

// Accept SPDU (SI 14): the responder's acceptance; its called selector is the
// responding session selector.
class AcSpdu : public ConnectSpdu {
public:
    explicit AcSpdu(Protocol::Connection* owner) : ConnectSpdu(owner, SiAccept) {}
};
