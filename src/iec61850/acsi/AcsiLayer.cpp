#include "iec61850/acsi/AcsiLayer.h"

#include <new>

#include "iec61850/acsi/TPAppAssociation.h"

namespace Iec61850::Acsi {

AcsiLayer::AcsiLayer() : Mms::MmsUserLayer("MmsUser", 8) {}

AcsiLayer::~AcsiLayer() { DeleteConnections(); }

Protocol::Connection* AcsiLayer::CreateConnection() { return new (std::nothrow) TPAppAssociation(this); }

}  // namespace Iec61850::Acsi
