#pragma once

#include "protocol/Layer.h"

// The association control layer ("Acse", OSI level 7): the factory of AcseConnection
// objects.
class AcseLayer : public Protocol::Layer {
public:
    static constexpr const char* Name = "Acse";
    static constexpr std::int32_t OsiLevel = 7;

    AcseLayer();
    ~AcseLayer() override;

    Protocol::Connection* CreateConnection() override;
};
