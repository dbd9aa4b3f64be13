#pragma once

#include "iec61850/acsi/client/Service.h"

namespace Iec61850::Acsi {

// The orderly end of an association: the MMS conclude, sent once every request out has
// been answered. Its answer (a conclude-Response) confirms it with service error 0 and ends
// the chain; a conclude-Error confirms it with the failure and leaves the association
// standing. A request out, or the conclude, that the device leaves unanswered for the MMS
// time-out ends the association with an abort (see TPAppAssociation). From its post until
// it is confirmed, the association takes no other request: each is confirmed with 8 and
// never sent (see TPAppAssociation::PostRequest).
class Release : public Service {
public:
    explicit Release(TPAppAssociation& association);
    void execute() override;
    void complete() override;
    bool EndsTheAssociation() const override { return true; }
};

}  // namespace Iec61850::Acsi
