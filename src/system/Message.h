#pragma once

#include <cstdint>

namespace System {

// The unit of work handed from one thread to a task through a MessageQueue. Its id
// lets a queue hand out one particular message (for MMS requests the id is the
// invoke id). Messages are owned by whoever holds them: the sender until Put, the
// queue while queued, the taker after Get or TakeById.
class Message {
public:
    explicit Message(std::uint32_t id = 0) : id_(id) {}
    virtual ~Message() = default;

    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

    std::uint32_t GetId() const { return id_; }
    void SetId(std::uint32_t id) { id_ = id; }

private:
    std::uint32_t id_;
};

}  // namespace System
