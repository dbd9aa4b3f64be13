#pragma once

#include "osi/TcpConnection.h"
#include "osi/TcpLayer.h"
#include "protocol/Frame.h"

#include <cstdint>
#include <vector>

namespace OsiTest {

// A TCP connection without a socket: Connect succeeds at once, sent frames are
// recorded, Close reports Closed upwards as the real one does. It lets the RFC 1006
// layer be driven byte by byte from the test thread.
class FakeTcpConnection : public TcpConnection {
public:
    using TcpConnection::GetSettings;
    using TcpConnection::TcpConnection;

    System::ResultCode Connect() override {
        SetState(StateConnected);
        if (Connection* upper = GetUpper()) return upper->OnLowerBytes(nullptr, 0, Connected);
        return System::OkNoError;
    }

    System::ResultCode Transmit(Protocol::Frame* frame, TransportLink) override {
        sent.emplace_back(frame->Data(), frame->Data() + frame->GetTotalLength());
        return System::OkNoError;
    }

    System::ResultCode Close() override {
        ++closes;
        if (GetState() == StateIdle) return System::OkNoError;
        const System::ResultCode result = Reset();
        if (Connection* upper = GetUpper()) upper->OnLowerBytes(nullptr, 0, Closed);
        return result;
    }

    std::vector<std::vector<std::uint8_t>> sent;
    int closes = 0;
};

class FakeTcpLayer : public TcpLayer {
public:
    ~FakeTcpLayer() override { DeleteConnections(); }
    Protocol::Connection* CreateConnection() override { return new FakeTcpConnection(this); }

protected:
    System::ResultCode Listen() override { return System::Error; }
};

}  // namespace OsiTest
