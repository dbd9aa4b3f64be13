#pragma once

// Holds an ending (or an abandon) descheduled in its midst. Arm puts it at a point of an
// association's one ending step (just after the claim, once the abort unit is out, or before
// the confirmations); Reach serves any other hook (TPAppAssociation::SetAbandonHook).

#include "iec61850/association/ThreadHold.h"
#include "mms/machine/MmsConnection.h"

namespace AcsiClientTest {

class EndingHold : public ThreadHold {
public:
    void Arm(Mms::MmsConnection& mms, Mms::MmsConnection::EndingPoint at) {
        mms.SetEndingHook([this, at](Mms::MmsConnection::EndingPoint point) {
            if (point == at) Reach();
        });
    }
};

}  // namespace AcsiClientTest
