#include "osi/ItotConnection.h"

#include "osi/ItotFrame.h"
#include "osi/ItotLayer.h"
#include "osi/TcpConnection.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <vector>

ItotConnection::ItotConnection(ItotLayer* layer) : Protocol::Connection(layer) {}

ItotConnection::~ItotConnection() {
    // The TCP receive thread below calls into this connection: it must be gone
    // before the receive buffer is.
    ReleaseLower();
}

TcpConnection* ItotConnection::Tcp() { return dynamic_cast<TcpConnection*>(GetLower()); }

System::ResultCode ItotConnection::Connect() {
    TcpConnection* tcp = Tcp();
    return tcp != nullptr ? tcp->Connect() : System::NotConnected;
}

System::ResultCode ItotConnection::Disconnect(TransportLink link) {
    if (GetState() != StateConnected) return System::Error;
    if (TcpConnection* tcp = Tcp()) {
        if (!tcp->IsCurrentLink(link)) return System::OkNoError;
        const System::ResultCode result = tcp->CloseLink(link);
        if (result != System::OkNoError) return result;
    }
    Reset();
    return System::OkNoError;
}

bool ItotConnection::OwnsLink(TransportLink link) {
    TcpConnection* tcp = Tcp();
    return tcp == nullptr || tcp->IsCurrentLink(link);
}

System::ResultCode ItotConnection::SendFrame(Protocol::Frame* frame, TransportLink link) {
    if (frame == nullptr) return System::InvalidArguments;
    const std::uint32_t length = frame->GetTotalLength();
    // The length field has 16 bits: a longer TPDU would corrupt the stream.
    if (length > MaximumTpduSize) return System::OutOfRange;
    TcpConnection* tcp = Tcp();
    if (tcp == nullptr) return System::NotConnected;
    ItotFrame packet(this);
    const System::ResultCode result = packet.Wrap(frame->Data(), length);
    if (result != System::OkNoError) return result;
    return tcp->Send(&packet, link);
}

System::ResultCode ItotConnection::SendTpdus(std::span<const TpduParts> tpdus, TransportLink link) {
    TcpConnection* tcp = Tcp();
    if (tcp == nullptr) return System::NotConnected;
    std::vector<std::array<std::uint8_t, ItotFrame::HeaderLength>> headers;
    std::vector<TcpConnection::Packet> packets;
    try {
        headers.reserve(tpdus.size());
        packets.reserve(tpdus.size());
    } catch (const std::bad_alloc&) {
        return System::NoResources;
    }
    for (const TpduParts& tpdu : tpdus) {
        const std::size_t length = tpdu.header.size() + tpdu.body.size();
        if (length > MaximumTpduSize) return System::OutOfRange;
        const auto total = static_cast<std::uint32_t>(length + ItotFrame::HeaderLength);
        headers.push_back(
            {ItotFrame::Version, 0, static_cast<std::uint8_t>(total >> 8), static_cast<std::uint8_t>(total)});
        packets.push_back({{std::span<const std::uint8_t>(headers.back()), tpdu.header, tpdu.body}});
    }
    return tcp->SendPackets(packets, link);
}

System::ResultCode ItotConnection::SetParameter(std::string_view name, std::string_view value) {
    std::lock_guard lock(parameterMutex_);
    return addresses_.Set(name, value);
}

System::ResultCode ItotConnection::GetParameter(std::string_view name, std::string& value) {
    std::lock_guard lock(parameterMutex_);
    const System::ResultCode result = addresses_.GetAddress(name, value);
    return result != System::NotSupported ? result : addresses_.GetPort(name, value);
}

System::ResultCode ItotConnection::SetMaxPduSize(std::uint32_t size) {
    const std::uint64_t packet = std::uint64_t{size} + ItotFrame::HeaderLength;
    if (packet < MinimumPduSize || packet > ItotFrame::MaximumPacketLength) return System::Error;
    const auto capacity = static_cast<std::uint32_t>(2 * packet);
    {
        std::lock_guard lock(receiveMutex_);
        if (receiveBuffer_.GetCapacity() != capacity) {
            // Only an empty buffer can change size; part of a packet stays where it is.
            receiveBuffer_.Compact();
            if (receiveBuffer_.Available() != 0) return System::Error;
            receiveBuffer_.Clear();
            if (receiveBuffer_.SetCapacity(capacity) != System::OkNoError) return System::Error;
        }
    }
    SetMaxPduSizeField(size);
    const std::uint64_t chunk = std::min<std::uint64_t>(ReceiveChunkPackets * packet, MaximumPduSize);
    if (TcpConnection* tcp = Tcp()) tcp->SetMaxPduSize(static_cast<std::uint32_t>(chunk));
    return System::OkNoError;
}

std::uint32_t ItotConnection::GetReceiveCapacity() const {
    std::lock_guard lock(receiveMutex_);
    return receiveBuffer_.GetCapacity();
}

System::ResultCode ItotConnection::ReportUp(Protocol::Frame* frame, std::uint32_t event) {
    if (Connection* upper = GetUpper()) return upper->OnLowerIndication(frame, event);
    return System::OkNoError;
}

System::ResultCode ItotConnection::OnLowerBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t event) {
    switch (event) {
        case TcpConnection::NoEvent: return System::OkNoError;
        case TcpConnection::Connected: SetState(StateConnected); return ReportUp(nullptr, Connected);
        case TcpConnection::BytesReceived: return Receive(bytes, length);
        case TcpConnection::Closed: Reset(); return ReportUp(nullptr, Closed);
        default: return System::Error;
    }
}

void ItotConnection::ForgetReceivedLocked() {
    receiveBuffer_.Clear();
    ++streamGeneration_;
}

ItotConnection::Packet ItotConnection::CheckPacketLocked(std::uint16_t& length) const {
    const std::uint32_t available = receiveBuffer_.Available();
    std::uint8_t octet = 0;
    if (available >= 1 && (receiveBuffer_.PeekByte(0, octet), octet != ItotFrame::Version)) return Packet::Malformed;
    if (available >= 2 && (receiveBuffer_.PeekByte(1, octet), octet != 0)) return Packet::Malformed;
    if (available < ItotFrame::HeaderLength) {
        // With no room left even a header cannot complete (an unusable buffer).
        return receiveBuffer_.GetCapacity() < ItotFrame::HeaderLength ? Packet::Malformed : Packet::Incomplete;
    }
    receiveBuffer_.PeekUInt16(2, length);
    if (length < ItotFrame::HeaderLength || length > receiveBuffer_.GetCapacity()) return Packet::Malformed;
    return available >= length ? Packet::Complete : Packet::Incomplete;
}

System::ResultCode ItotConnection::Receive(const std::uint8_t* bytes, std::uint32_t count) {
    if (bytes == nullptr) count = 0;
    System::ResultCode result = System::OkNoError;
    std::uint32_t taken = 0;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(receiveMutex_);
        generation = streamGeneration_;
    }
    for (;;) {
        std::unique_ptr<ItotFrame> frame;
        {
            std::lock_guard lock(receiveMutex_);
            // A close or reset during the last delivery ended this stream: the rest
            // of the chunk belongs to it.
            if (streamGeneration_ != generation) return result;
            if (taken < count) {
                // A chunk may be larger than the room: take what fits, deliver, go on.
                receiveBuffer_.Compact();
                const std::uint32_t n = std::min(receiveBuffer_.Room(), count - taken);
                receiveBuffer_.Write(bytes + taken, n);
                taken += n;
            }
            std::uint16_t length = 0;
            const Packet packet = CheckPacketLocked(length);
            if (packet == Packet::Incomplete) {
                if (taken == count) return result;
                continue;
            }
            if (packet == Packet::Malformed) {
                ForgetReceivedLocked();
                generation = streamGeneration_;
            } else {
                frame = std::make_unique<ItotFrame>(this);
                const System::ResultCode reserved = frame->Reserve(length);
                if (reserved == System::OkNoError) receiveBuffer_.PeekBytes(0, frame->Data(), length);
                else frame.reset();  // out of memory: this packet is lost, the stream goes on
                receiveBuffer_.Skip(length);
                receiveBuffer_.Compact();
                if (!frame) {
                    result = reserved;
                    continue;
                }
            }
        }
        if (!frame) {
            CloseOnFramingError(generation);
            return System::ProtocolError;
        }
        result = ReportUp(frame.get(), TpduReceived);
    }
}

void ItotConnection::CloseOnFramingError(std::uint64_t generation) {
    if (TcpConnection* tcp = Tcp()) tcp->Close();
    bool reported = false;
    {
        std::lock_guard lock(receiveMutex_);
        reported = streamGeneration_ != generation;
    }
    // Without a TCP connection that reports the close, report it here.
    if (!reported) {
        Reset();
        ReportUp(nullptr, Closed);
    }
}

System::ResultCode ItotConnection::Close() {
    if (TcpConnection* tcp = Tcp()) tcp->Close();
    {
        std::lock_guard lock(receiveMutex_);
        ForgetReceivedLocked();
    }
    return Protocol::Connection::Close();
}

System::ResultCode ItotConnection::RestoreParameterDefaults() {
    {
        std::lock_guard lock(parameterMutex_);
        addresses_.remotePort = DefaultPort;
        addresses_.localPort = DefaultPort;
    }
    return Protocol::Connection::RestoreParameterDefaults();
}

System::ResultCode ItotConnection::Reset() {
    {
        // Bytes of a stream that ended must not prefix the next one.
        std::lock_guard lock(receiveMutex_);
        ForgetReceivedLocked();
    }
    SetMaxPduSize(MaximumTpduSize);
    const System::ResultCode result = Protocol::Connection::Reset();
    SetState(StateIdle);
    return result;
}
