#pragma once

#include "iec61850/acsi/client/Service.h"

namespace Iec61850::Acsi {

// The orderly end of an association: the MMS conclude, sent once every request out has
// been answered. Its answer (a conclude-Response) confirms it with service error 0 and ends
// the chain. A device that refuses it (a conclude-Error or a reject of the conclude) has it
// confirmed at once with Rejected and service error 11, the device's class and code kept
// (RefusedByDevice, DeviceRefusalText), and the association stands and takes requests. A
// request out, or the conclude, that the device leaves unanswered for the MMS time-out ends
// the association with an abort (see TPAppAssociation). From its post until it is
// confirmed, the association takes no other request: each is confirmed with 8 and never
// sent (see TPAppAssociation::PostRequest and Mms::ReleaseState).
class Release : public Service {
public:
    explicit Release(TPAppAssociation& association);
    // One deleted without being completed (its association going) leaves no mark either.
    ~Release() override;
    void execute() override;
    void complete() override;
    bool EndsTheAssociation() const override { return true; }
    // The device answered the conclude with a refusal: the association still stands.
    bool RefusedByDevice() const;
};

}  // namespace Iec61850::Acsi
