#include "iec61850/acsi/client/AcsiLayer.h"

#include <new>

#include "iec61850/acsi/client/TPAppAssociation.h"

namespace Iec61850::Acsi {

AcsiLayer::AcsiLayer() : Mms::MmsUserLayer("MmsUser", 8) {}

AcsiLayer::~AcsiLayer() { DeleteConnections(); }

Protocol::Connection* AcsiLayer::CreateConnection() { return new (std::nothrow) TPAppAssociation(this); }

}  // namespace Iec61850::Acsi
