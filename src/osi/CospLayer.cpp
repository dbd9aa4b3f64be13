#include "osi/CospLayer.h"

#include "osi/CospConnection.h"

CospLayer::CospLayer() : Layer("Cosp", 5) {}

CospLayer::~CospLayer() { DeleteConnections(); }

Protocol::Connection* CospLayer::CreateConnection() { return new CospConnection(this); }
