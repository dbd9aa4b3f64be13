#pragma once

#include "protocol/Layer.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class TcpConnection;

// The "Tcp" layer (OSI level 3). Besides making connections it can listen: each
// accepted socket goes to the first waiting connection that is idle.
class TcpLayer : public Protocol::Layer {
public:
    TcpLayer();
    ~TcpLayer() override;

    bool IsListening() const;
    // Listens on the port (0: any free port, see GetListenPort): OkNoError, or the
    // failure of Listen. InvalidState while already listening.
    System::ResultCode StartListening(std::int32_t argument, std::uint16_t port);
    // Stops accepting and closes the listening socket: OkNoError.
    virtual System::ResultCode StopListening();
    // The port being listened on (the one the system chose for port 0).
    std::uint16_t GetListenPort() const;
    // For the tests: the argument StartListening kept; nothing in the library reads it.
    std::int32_t GetListenArgument() const { return listenArgument_; }

    // Offers the connection to the accept side. The connection stays owned by its
    // layer; deleting it takes it off the list.
    void AddWaitingConnection(TcpConnection* connection);
    // Takes the connection off the list: OkNoError, or Error when it is not there.
    System::ResultCode RemoveWaitingConnection(TcpConnection* connection);

protected:
    // Opens the listening socket on the stored port and starts accepting: OkNoError or
    // Error.
    virtual System::ResultCode Listen() = 0;
    void SetListenPort(std::uint16_t port);
    void SetListening(bool listening);

    // Offers something to the waiting connections in the order they were added, until
    // take() accepts it: true when one did. take() decides from the connection's state
    // under the connection's own lock, in one step with taking it. Runs under the list's
    // lock, so a connection cannot be destroyed while it is being offered to.
    bool OfferToWaiting(const std::function<bool(TcpConnection*)>& take);

private:
    mutable std::mutex mutex_;
    std::vector<TcpConnection*> waitingConnections_;
    std::int32_t listenArgument_ = 0;
    bool listening_ = false;
    std::uint16_t listenPort_ = 0;
};
