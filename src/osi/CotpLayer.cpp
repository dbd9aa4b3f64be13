#include "osi/CotpLayer.h"

#include "osi/CotpConnection.h"

CotpLayer::CotpLayer() : Layer("Cotp", 4) {}

CotpLayer::~CotpLayer() { DeleteConnections(); }

Protocol::Connection* CotpLayer::CreateConnection() { return new CotpConnection(this); }
