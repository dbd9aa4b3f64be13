#pragma once

#include "system/Message.h"

#include <cstdint>

namespace System {

// Carries an object (a frame, a connection, whatever the sending layer decides) and
// the sender's event code from a connection's receive side to its task. It never
// deletes its payload: whoever takes the message owns the payload as well and knows
// its type from the id and event code.
class FrameMessage : public Message {
public:
    FrameMessage(std::uint32_t id, void* payload, std::uint32_t eventCode)
        : Message(id), payload_(payload), eventCode_(eventCode) {}

    void* GetPayload() const { return payload_; }
    template <typename T>
    T* GetPayloadAs() const {
        return static_cast<T*>(payload_);
    }
    std::uint32_t GetEventCode() const { return eventCode_; }

private:
    void* payload_;
    std::uint32_t eventCode_;
};

}  // namespace System
