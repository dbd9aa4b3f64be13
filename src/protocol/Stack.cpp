#include "protocol/Stack.h"

#include "protocol/Connection.h"
#include "protocol/Layer.h"

namespace Protocol {

bool Stack::Contains(const Layer* layer) const {
    for (const Layer* at = top_; at != nullptr; at = at->GetLowerLayer()) {
        if (at == layer) return true;
    }
    return false;
}

void Stack::InsertLayer(Layer* layer, int mode, Layer* reference) {
    if (layer == nullptr || Contains(layer)) return;
    layer->SetLowerLayer(nullptr);
    layer->SetUpperLayer(nullptr);
    if (top_ == nullptr) {
        top_ = bottom_ = layer;
        return;
    }
    Layer* above = nullptr;  // the new layer's neighbours
    Layer* below = nullptr;
    switch (mode) {
        case OnTop: below = top_; break;
        case Above:
            if (reference == nullptr || !Contains(reference)) return;
            below = reference;
            above = reference->GetUpperLayer();
            break;
        case Below:
            if (reference == nullptr || !Contains(reference)) return;
            above = reference;
            below = reference->GetLowerLayer();
            break;
        default: return;
    }
    layer->SetUpperLayer(above);
    layer->SetLowerLayer(below);
    if (above != nullptr) above->SetLowerLayer(layer);
    else top_ = layer;
    if (below != nullptr) below->SetUpperLayer(layer);
    else bottom_ = layer;
}

void Stack::RemoveLayer(Layer* layer) {
    if (layer == nullptr || !Contains(layer)) return;
    Layer* above = layer->GetUpperLayer();
    Layer* below = layer->GetLowerLayer();
    if (above != nullptr) above->SetLowerLayer(below);
    else top_ = below;
    if (below != nullptr) below->SetUpperLayer(above);
    else bottom_ = above;
    layer->SetUpperLayer(nullptr);
    layer->SetLowerLayer(nullptr);
}

Connection* Stack::CreateConnection(const char* chainText) {
    if (top_ == nullptr) return nullptr;
    Connection* top = top_->BuildConnectionChain(chainText);
    if (top != nullptr) ResetConnectionChain(top);
    return top;
}

System::ResultCode Stack::ResetConnectionChain(Connection* top) {
    if (top == nullptr) return System::InvalidArguments;
    for (Connection* at = top->GetLower(); at != nullptr; at = at->GetLower()) {
        at->RestoreParameterDefaults();
        at->Reset();
    }
    const System::ResultCode restored = top->RestoreParameterDefaults();
    const System::ResultCode reset = top->Reset();
    return restored != System::OkNoError ? restored : reset;
}

void Stack::DeleteConnection(Connection* top) {
    if (top == nullptr) return;
    if (Layer* layer = top->GetLayer()) layer->RemoveConnection(top);
}

}  // namespace Protocol
