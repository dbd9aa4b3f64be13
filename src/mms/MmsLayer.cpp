#include "mms/MmsLayer.h"

#include <new>

#include "mms/MmsConnection.h"

namespace Mms {

MmsLayer::MmsLayer() : Protocol::Layer("Mms", 8) {}

MmsLayer::~MmsLayer() { DeleteConnections(); }

Protocol::Connection* MmsLayer::CreateConnection() { return new (std::nothrow) MmsConnection(this); }

}  // namespace Mms
