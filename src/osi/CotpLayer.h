#pragma once

#include "protocol/Layer.h"

// The transport class 0 layer ("Cotp", OSI level 4).
class CotpLayer : public Protocol::Layer {
public:
    CotpLayer();
    ~CotpLayer() override;

    // A new CotpConnection of this layer.
    Protocol::Connection* CreateConnection() override;
};
