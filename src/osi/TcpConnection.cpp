#include "osi/TcpConnection.h"

#include "osi/TcpLayer.h"
#include "protocol/RawFrame.h"

#include <cctype>
#include <cstdint>
#include <cstring>

namespace {

// The C library's atoi, without its undefined overflow: leading blanks, a sign,
// digits up to the first other character; no digits read as 0.
long long AtoiText(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        if (value < 1'000'000'000'000LL) value = value * 10 + (text[at] - '0');
    }
    return negative ? -value : value;
}

// Keep-alive seconds as the socket takes them: the low 8 bits of the number, with 0
// raised to 1 and anything above 20 lowered to 20.
std::uint8_t KeepAliveSeconds(std::string_view text) {
    auto seconds = static_cast<std::uint8_t>(AtoiText(text) & 0xFF);
    if (seconds == 0) return 1;
    return seconds > TcpConnection::MaximumKeepAliveSeconds ? TcpConnection::MaximumKeepAliveSeconds : seconds;
}

}  // namespace

TcpConnection::TcpConnection(TcpLayer* layer) : Protocol::Connection(layer), tcpLayer_(layer) {}

TcpConnection::~TcpConnection() { LeaveWaitingList(); }

void TcpConnection::LeaveWaitingList() {
    if (tcpLayer_ != nullptr) tcpLayer_->RemoveWaitingConnection(this);
}

System::ResultCode TcpConnection::SetParameter(std::string_view name, std::string_view value) {
    std::lock_guard lock(parameterMutex_);
    if (name == "KeepAliveTout") {
        keepAliveTime_ = KeepAliveSeconds(value);
    } else if (name == "KeepAliveInt") {
        keepAliveInterval_ = KeepAliveSeconds(value);
    } else {
        return addresses_.Set(name, value);
    }
    return System::OkNoError;
}

System::ResultCode TcpConnection::GetParameter(std::string_view name, std::string& value) {
    std::lock_guard lock(parameterMutex_);
    if (name == "LocalNAddress" && !recordedLocalAddress_.empty()) {
        value = recordedLocalAddress_;
        return System::OkNoError;
    }
    return addresses_.GetAddress(name, value);
}

System::ResultCode TcpConnection::Close() { return Reset(); }

System::ResultCode TcpConnection::CloseLink(TransportLink link) {
    return IsCurrentLink(link) ? Close() : System::OkNoError;
}

System::ResultCode TcpConnection::HangupLink(TransportLink link) { return CloseLink(link); }

void TcpConnection::SetGracefulClose(TransportLink) {}

Protocol::Frame* TcpConnection::CreateFrame(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t) {
    if (bytes == nullptr && length != 0) return nullptr;
    auto* frame = new Protocol::RawFrame(this);
    if (length != 0) {
        if (frame->Allocate(length) != System::OkNoError) {
            delete frame;
            return nullptr;
        }
        std::memcpy(frame->Data(), bytes, length);
    }
    frame->SetWindow(0, length, 0);
    return frame;
}

System::ResultCode TcpConnection::Reset() {
    {
        std::lock_guard lock(parameterMutex_);
        recordedLocalAddress_.clear();
        peerAddress_.clear();
        peerPort_ = 0;
    }
    const System::ResultCode result = Protocol::Connection::Reset();
    SetState(StateIdle);
    return result;
}

System::ResultCode TcpConnection::RestoreParameterDefaults() {
    {
        std::lock_guard lock(parameterMutex_);
        addresses_ = {};
        keepAliveTime_ = DefaultKeepAliveSeconds;
        keepAliveInterval_ = DefaultKeepAliveSeconds;
    }
    return Protocol::Connection::RestoreParameterDefaults();
}

System::ResultCode TcpConnection::Send(Protocol::Frame* frame, TransportLink link) {
    if (GetState() != StateConnected) return System::NotConnected;
    if (frame == nullptr) return System::InvalidArguments;
    return Transmit(frame, link);
}

TransportLink TcpConnection::GetLink() { return TransportLink::Handshake(); }

bool TcpConnection::IsCurrentLink(TransportLink) { return true; }

System::ResultCode TcpConnection::SendPackets(std::span<const Packet> packets, TransportLink link) {
    if (GetState() != StateConnected) return System::NotConnected;
    std::lock_guard lock(sendMutex_);
    for (const Packet& packet : packets) {
        std::uint32_t length = 0;
        for (const auto& part : packet.parts) length += static_cast<std::uint32_t>(part.size());
        Protocol::RawFrame frame(this);
        if (frame.AllocateUnfilled(length) != System::OkNoError) return System::NoResources;
        std::uint32_t offset = 0;
        for (const auto& part : packet.parts) {
            if (!part.empty()) std::memcpy(frame.Data() + offset, part.data(), part.size());
            offset += static_cast<std::uint32_t>(part.size());
        }
        frame.SetWindow(0, length, 0);
        if (const System::ResultCode result = Transmit(&frame, link); result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

TcpConnection::Settings TcpConnection::GetSettings() const {
    std::lock_guard lock(parameterMutex_);
    Settings settings;
    settings.remoteAddress = addresses_.remoteAddress;
    settings.remotePort = addresses_.remotePort;
    settings.keepAliveTime = keepAliveTime_;
    settings.keepAliveInterval = keepAliveInterval_;
    return settings;
}

void TcpConnection::SetLocalAddress(const std::string& address) {
    std::lock_guard lock(parameterMutex_);
    recordedLocalAddress_ = address;
}

void TcpConnection::SetPeer(const std::string& address, std::uint16_t port) {
    std::lock_guard lock(parameterMutex_);
    peerAddress_ = address;
    peerPort_ = port;
}

bool ChainCarriesLink(Protocol::Connection& member, TransportLink link) {
    auto* tcp = dynamic_cast<TcpConnection*>(member.GetBottom());
    return tcp == nullptr || tcp->IsCurrentLink(link);
}

void GiveUpChainConnects(Protocol::Connection& member, bool givenUp) {
    if (auto* tcp = dynamic_cast<TcpConnection*>(member.GetBottom())) tcp->GiveUpConnects(givenUp);
}

void SetChainGracefulClose(Protocol::Connection& member, TransportLink link) {
    if (auto* tcp = dynamic_cast<TcpConnection*>(member.GetBottom())) tcp->SetGracefulClose(link);
}
