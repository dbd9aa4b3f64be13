#pragma once

#include "protocol/Layer.h"

namespace Mms {

// The MMS protocol machine's layer ("Mms", OSI level 8): one MmsConnection per
// association.
class MmsLayer : public Protocol::Layer {
public:
    MmsLayer();
    ~MmsLayer() override;

    // A new MmsConnection, or null when memory runs out.
    Protocol::Connection* CreateConnection() override;
};

}  // namespace Mms
