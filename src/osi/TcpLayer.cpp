#include "osi/TcpLayer.h"

#include "osi/TcpConnection.h"

#include <algorithm>

TcpLayer::TcpLayer() : Protocol::Layer("Tcp", 3) {}

TcpLayer::~TcpLayer() {
    // The connections take themselves off the waiting list while they are
    // destroyed, so they must go while the list still exists.
    DeleteConnections();
}

bool TcpLayer::IsListening() const {
    std::lock_guard lock(mutex_);
    return listening_;
}

System::ResultCode TcpLayer::StartListening(std::int32_t argument, std::uint16_t port) {
    {
        std::lock_guard lock(mutex_);
        if (listening_) return System::InvalidState;
        listenPort_ = port;
    }
    const System::ResultCode result = Listen();
    if (result != System::OkNoError) return result;
    std::lock_guard lock(mutex_);
    listenArgument_ = argument;
    listening_ = true;
    return System::OkNoError;
}

System::ResultCode TcpLayer::StopListening() {
    SetListening(false);
    return System::OkNoError;
}

std::uint16_t TcpLayer::GetListenPort() const {
    std::lock_guard lock(mutex_);
    return listenPort_;
}

void TcpLayer::SetListenPort(std::uint16_t port) {
    std::lock_guard lock(mutex_);
    listenPort_ = port;
}

void TcpLayer::SetListening(bool listening) {
    std::lock_guard lock(mutex_);
    listening_ = listening;
}

void TcpLayer::AddWaitingConnection(TcpConnection* connection) {
    if (connection == nullptr) return;
    std::lock_guard lock(mutex_);
    if (std::find(waitingConnections_.begin(), waitingConnections_.end(), connection) == waitingConnections_.end())
        waitingConnections_.push_back(connection);
}

System::ResultCode TcpLayer::RemoveWaitingConnection(TcpConnection* connection) {
    std::lock_guard lock(mutex_);
    const auto found = std::find(waitingConnections_.begin(), waitingConnections_.end(), connection);
    if (found == waitingConnections_.end()) return System::Error;
    waitingConnections_.erase(found);
    return System::OkNoError;
}

bool TcpLayer::OfferToWaiting(const std::function<bool(TcpConnection*)>& take) {
    std::lock_guard lock(mutex_);
    for (TcpConnection* connection : waitingConnections_) {
        if (take(connection)) return true;
    }
    return false;
}
