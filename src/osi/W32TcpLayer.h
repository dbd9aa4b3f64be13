#pragma once

#include "osi/TcpLayer.h"

#include <atomic>
#include <string>

// The TCP layer on POSIX sockets. Its own thread accepts connections while it listens.
class W32TcpLayer : public TcpLayer {
public:
    static constexpr int ListenBacklog = 5;

    W32TcpLayer();
    ~W32TcpLayer() override;

    // A new W32TcpConnection of this layer.
    Protocol::Connection* CreateConnection() override;
    // The IPv4 address text that the next Listen binds to ("127.0.0.1"); empty (the
    // default) listens on every address. 2 for text that is no IPv4 address.
    System::ResultCode SetListenAddress(const std::string& address);
    System::ResultCode StopListening() override;
    // The system's error number of the last listen that could not bind or listen (the
    // port taken, no right to it), 0 when it did not fail there.
    int GetListenError() const { return listenError_.load(); }

    // The accept loop: hands every accepted socket to an idle waiting connection and
    // closes the sockets that none takes.
    System::ResultCode Run() override;

    // Nothing to start on POSIX: OkNoError. Kept for the code that starts the socket library.
    static System::ResultCode StartWinsock();
    // The text of a socket error number.
    static std::string SocketErrorText(int error);

protected:
    System::ResultCode Listen() override;
    void OnStopRequested() override;

private:
    void CloseListenSocket();

    int listenSocket_ = -1;
    std::atomic<int> listenError_{0};
    std::string listenAddress_;
    // Written by a stop to wake the accept loop out of poll.
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
};
