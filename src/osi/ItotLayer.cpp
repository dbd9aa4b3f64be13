#include "osi/ItotLayer.h"

#include "osi/ItotConnection.h"

ItotLayer::ItotLayer() : Protocol::Layer("Itot", 3) {}

ItotLayer::~ItotLayer() { DeleteConnections(); }

Protocol::Connection* ItotLayer::CreateConnection() { return new ItotConnection(this); }
