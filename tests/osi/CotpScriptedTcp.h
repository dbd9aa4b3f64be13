#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "osi/TcpConnection.h"
#include "osi/TcpLayer.h"
#include "protocol/Frame.h"

namespace CotpTest {

// A TCP connection without a socket whose far end is a script: every frame sent is
// recorded and handed to the script, which may answer at once (on the sending
// thread, as a fast peer would) through Deliver or DeliverClosed. It lets the
// transport and session layers be driven through a real RFC 1006 connection without
// threads.
class ScriptedTcp : public TcpConnection {
public:
    using TcpConnection::TcpConnection;
    // A test hands the chain an accepted connection by setting it connected.
    using TcpConnection::SetState;

    // Called with each TPKT the layers above send.
    std::function<void(const std::vector<std::uint8_t>& packet)> peer;
    // Connect fails as an unreachable host does.
    bool refuseConnect = false;
    // Sends fail (nothing recorded) as on a stream the peer has reset.
    bool failSends = false;

    System::ResultCode Connect() override {
        if (refuseConnect) {
            if (Connection* upper = GetUpper()) upper->OnLowerBytes(nullptr, 0, Closed);
            return System::Error;
        }
        SetState(StateConnected);
        Connection* upper = GetUpper();
        return upper != nullptr ? upper->OnLowerBytes(nullptr, 0, Connected) : System::OkNoError;
    }

    System::ResultCode Transmit(Protocol::Frame* frame, TransportLink) override {
        if (failSends) return System::Error;
        std::vector<std::uint8_t> packet(frame->Data(), frame->Data() + frame->GetTotalLength());
        std::function<void(const std::vector<std::uint8_t>&)> script;
        {
            std::lock_guard lock(mutex_);
            sent_.push_back(packet);
            script = peer;
        }
        if (script) script(packet);
        return System::OkNoError;
    }

    System::ResultCode Close() override {
        {
            std::lock_guard lock(mutex_);
            ++closes_;
        }
        if (GetState() == StateIdle) return System::OkNoError;
        const System::ResultCode result = Reset();
        if (Connection* upper = GetUpper()) upper->OnLowerBytes(nullptr, 0, Closed);
        return result;
    }

    // Bytes from the peer.
    System::ResultCode Deliver(const std::vector<std::uint8_t>& bytes) {
        Connection* upper = GetUpper();
        return upper->OnLowerBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()), BytesReceived);
    }

    // The peer ends the stream.
    void DeliverClosed() {
        Reset();
        if (Connection* upper = GetUpper()) upper->OnLowerBytes(nullptr, 0, Closed);
    }

    std::vector<std::vector<std::uint8_t>> Sent() const {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    void ClearSent() {
        std::lock_guard lock(mutex_);
        sent_.clear();
    }
    int Closes() const {
        std::lock_guard lock(mutex_);
        return closes_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> sent_;
    int closes_ = 0;
};

class ScriptedTcpLayer : public TcpLayer {
public:
    ~ScriptedTcpLayer() override { DeleteConnections(); }
    Protocol::Connection* CreateConnection() override { return new ScriptedTcp(this); }

protected:
    System::ResultCode Listen() override { return System::Error; }
};

// The TPDU inside a TPKT.
inline std::vector<std::uint8_t> TpduOf(const std::vector<std::uint8_t>& packet) {
    if (packet.size() < 4) return {};
    return {packet.begin() + 4, packet.end()};
}

}  // namespace CotpTest
