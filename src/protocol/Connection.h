#pragma once

#include "protocol/PeerRefusal.h"
#include "system/MessageQueue.h"
#include "system/ResultCode.h"
#include "system/Task.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace Protocol {

class Frame;
class Layer;

// The state of a connection. The base Reset sets StateReset (0); every other value
// belongs to the layer that defines it, and each layer names its own.
using ConnectionState = std::int32_t;
inline constexpr ConnectionState StateReset = 0;

// One association's object in one protocol layer. The connections of an association
// form a chain: requests go down by direct calls on the lower connection,
// indications come up through the upper connection's On... operations.
//
// Threads: requests arrive on the thread that drives the association, indications
// on the receive thread of the transport at the bottom. State, timeout and maximum
// PDU size may therefore be read from either; the links are set while the chain is
// built and cleared while it is torn down.
//
// Tear-down: a connection whose indications use its own members deletes the chain
// below it (ReleaseLower) first thing in its destructor, so that the receive thread
// at the bottom is joined while those members still exist.
class Connection : public System::Task {
public:
    static constexpr std::uint32_t DefaultTimeoutMs = 10000;
    static constexpr std::uint32_t QueueCapacity = 65535;
    static constexpr std::uint32_t MinimumPduSize = 256;
    static constexpr std::uint32_t MaximumPduSize = 65536;

    explicit Connection(Layer* layer);
    // Deletes the chain below, unlinks the upper connection, deletes what is queued
    // or pending.
    ~Connection() override;

    virtual void SetTimeout(std::uint32_t timeoutMs);
    virtual void SetLower(Connection* lower);
    virtual Connection* GetLower();
    // The last connection down the lower links (this one when there is none below).
    virtual Connection* GetBottom();
    // Removes the lower connection from its layer and deletes it, which deletes the
    // whole chain below; clears the link.
    virtual void ReleaseLower();
    virtual void SetUpper(Connection* upper);
    virtual Connection* GetUpper();
    // Deletes the upper connection (and so, through its destructor, nothing of this
    // one: the link back is cleared first); clears the link.
    virtual void DeleteUpper();

    // Named string parameters. The base takes no name: NotSupported.
    virtual System::ResultCode SetParameter(std::string_view name, std::string_view value);
    virtual System::ResultCode GetParameter(std::string_view name, std::string& value);

    // Stores a size of 256..65536 and gives OkNoError; any other size gives Error.
    virtual System::ResultCode SetMaxPduSize(std::uint32_t size);

    // The user data of a presentation data value, by its encoding. Base:
    // NotImplemented.
    virtual System::ResultCode OnArbitraryData(std::span<const std::uint8_t> data, std::uint32_t event);
    virtual System::ResultCode OnOctetAlignedData(std::span<const std::uint8_t> data, std::uint32_t event);
    virtual System::ResultCode OnSingleAsn1Data(std::span<const std::uint8_t> data, std::uint32_t event);
    // Raw bytes from a byte-stream connection below; valid only during the call.
    // Base: NotImplemented.
    virtual System::ResultCode OnLowerBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t event);
    // An event without data: OnLowerIndication (null, event).
    virtual System::ResultCode OnLowerEvent(std::uint32_t event);
    // A frame (or null) and an event from the connection below. The frame stays the
    // caller's; the receiver copies what it keeps. Base: NotImplemented.
    virtual System::ResultCode OnLowerIndication(Frame* frame, std::uint32_t event);

    // Base: Reset, OkNoError.
    virtual System::ResultCode Close();
    // A frame of the layer's own kind; the meaning of the arguments is the layer's.
    // Base: none.
    virtual Frame* CreateFrame(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t kind);
    // Deletes the pending frames of the chain from the bottom up to this connection.
    virtual void DiscardPending();
    // The state of the connection's last stream or association goes: maximum PDU size 0,
    // StateReset. Parameters stay as they were given: whatever ends a stream, and
    // whichever thread sees it end, never changes what a caller set.
    virtual System::ResultCode Reset();
    // Every parameter back to its default (timeout 10000), then the parameter text
    // applied (its result is the result). Only the chain's reset before a new association
    // calls it (Stack::ResetConnectionChain), right before the new values are given.
    virtual System::ResultCode RestoreParameterDefaults();

    ConnectionState GetState() const { return state_.load(); }
    std::uint16_t GetId() const { return id_; }
    std::uint32_t GetTimeout() const { return timeout_.load(); }
    std::uint32_t GetMaxPduSize() const { return maxPduSize_.load(); }
    Layer* GetLayer() const { return layer_; }

    // This connection's share of the chain text: "name=value" items joined by ";".
    const std::string& GetParameterText() const { return parameterText_; }
    void SetParameterText(std::string_view text) { parameterText_ = text; }
    // Applies every item of the parameter text through SetParameter, in order:
    // OkNoError; Error for an item that is not exactly one name and one value; the
    // first non-zero
    // result of SetParameter otherwise.
    System::ResultCode ApplyParameterText();

    System::MessageQueue& GetQueue() { return queue_; }

    // The refusal a peer sent to this layer. Kept across Reset and Close, so that the
    // caller of a failed connect can still read it; cleared by ClearRefusals, which the
    // initiating side calls on the chain when it starts a new attempt.
    void SetRefusal(const PeerRefusal& refusal);
    PeerRefusal GetRefusal() const;
    // Clears the refusal of this connection and of every connection below it.
    void ClearRefusals();
    // The refusal nearest to this connection, looking down the chain from it (the upper
    // layer's account is the more telling one); an unset refusal when none is kept.
    PeerRefusal FindRefusal();

protected:
    // A state is the layer's own: only the layer moves it.
    void SetState(ConnectionState state) { state_.store(state); }

    // Frames a layer holds on to between calls, oldest first; the connection owns them.
    using PendingList = std::deque<std::unique_ptr<Frame>>;
    PendingList& PendingA() { return pendingA_; }
    PendingList& PendingB() { return pendingB_; }

    void SetMaxPduSizeField(std::uint32_t size) { maxPduSize_.store(size); }

private:
    std::atomic<Connection*> lower_{nullptr};
    std::atomic<Connection*> upper_{nullptr};
    std::atomic<ConnectionState> state_{StateReset};
    std::uint16_t id_;
    std::atomic<std::uint32_t> timeout_{DefaultTimeoutMs};
    std::string parameterText_;
    Layer* const layer_;
    System::MessageQueue queue_{QueueCapacity};
    std::atomic<std::uint32_t> maxPduSize_{0};
    PendingList pendingA_;
    PendingList pendingB_;
    mutable std::mutex refusalMutex_;
    PeerRefusal refusal_;
};

}  // namespace Protocol
