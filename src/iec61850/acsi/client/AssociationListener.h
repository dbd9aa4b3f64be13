#pragma once

#include <cstdint>

namespace Iec61850::Acsi {

class TPAppAssociation;

// Told by a server of its server-side associations: a peer's initiate taken, and the end
// of an association by an abort (reason 11, failed-due-to-communications-constraint).
// Called on the association's receive thread; it must not wait for that association.
class AssociationListener {
public:
    virtual ~AssociationListener() = default;
    virtual void OnAssociationIndication(TPAppAssociation& association) = 0;
    virtual void OnAssociationEnded(TPAppAssociation& association, std::int32_t reason) = 0;
};

}  // namespace Iec61850::Acsi
