#pragma once

#include "system/ResultCode.h"

namespace Protocol {

class Connection;
class Layer;

// An ordered list of layers, top to bottom, linked through the layers' own lower
// and upper links. It does not own its layers; the stack that derives from it does.
// It builds, resets and deletes the chains of connections of its associations.
class Stack {
public:
    // Modes of InsertLayer.
    enum InsertMode : int { OnTop = 0, Above = 1, Below = 2 };

    Stack() = default;
    virtual ~Stack() = default;

    Stack(const Stack&) = delete;
    Stack& operator=(const Stack&) = delete;

    // Makes the chain ready for a new association: every connection below the top, from
    // the next one down to the bottom, then the top, gets its parameter defaults back
    // (RestoreParameterDefaults) and is reset; the top's first failure. InvalidArguments
    // for a null top.
    virtual System::ResultCode ResetConnectionChain(Connection* top);

    // Into an empty stack the layer goes as top and bottom, whatever the mode. Mode
    // OnTop: above the present top; Above / Below: directly above / below the
    // reference layer, which must be in the stack. Anything else inserts nothing.
    void InsertLayer(Layer* layer, int mode, Layer* reference);
    // Takes the layer out and joins its neighbours; a layer not in the stack is left
    // alone.
    void RemoveLayer(Layer* layer);

    // A new chain from the top layer down, reset at once: its top connection, or
    // null for a stack without layers. chainText: the "/"-separated parameter
    // shares, top layer first, or null.
    Connection* CreateConnection(const char* chainText = nullptr);
    // Deletes the chain under this top connection; null is ignored.
    void DeleteConnection(Connection* top);

    Layer* GetTopLayer() const { return top_; }
    Layer* GetBottomLayer() const { return bottom_; }

private:
    bool Contains(const Layer* layer) const;

    Layer* top_ = nullptr;
    Layer* bottom_ = nullptr;
};

}  // namespace Protocol
