#pragma once

#include "osi/NetworkAddresses.h"
#include "osi/TransportLink.h"
#include "protocol/ByteBuffer.h"
#include "protocol/Connection.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

class ItotLayer;
class TcpConnection;

// RFC 1006 over the TCP connection below: every transport PDU travels in one TPKT.
// Received bytes are reassembled into whole packets, each handed up as a frame
// whose window is the TPDU.
//
// To the connection above (OnLowerIndication): Connected (null frame), one TPDU
// frame with TpduReceived, Closed (null frame). The frame is the caller's: the
// receiver copies what it keeps.
//
// A malformed packet (version other than 3, reserved octet other than 0, a length
// below 4 or beyond what the receive buffer can hold) closes the connection: the
// connection above sees Closed, as for a close by the peer. A byte stream offers no
// safe place to pick up again after such a packet.
//
// Parameters: "RemoteNAddress", "LocalNAddress" (text), "RemoteNPort",
// "LocalNPort" (unsigned 16-bit decimal, 102 by default).
class ItotConnection : public Protocol::Connection {
public:
    // Events to the connection above (NoEvent is taken and ignored by it).
    enum Event : std::uint32_t { NoEvent = 0, Connected = 1, TpduReceived = 2, Closed = 3 };
    static constexpr Protocol::ConnectionState StateIdle = 0;
    static constexpr Protocol::ConnectionState StateConnected = 2;
    static constexpr std::uint16_t DefaultPort = 102;
    // The largest TPDU a TPKT can carry.
    static constexpr std::uint32_t MaximumTpduSize = 65531;
    static constexpr std::uint32_t ReceiveChunkPackets = 16;

    explicit ItotConnection(ItotLayer* layer);
    ~ItotConnection() override;

    // The TCP connection's Connect and its result (NotConnected without one).
    System::ResultCode Connect();
    // Error unless connected; else closes the TCP connection's link (its failure is
    // returned; nothing is closed once another link is current), resets, OkNoError.
    System::ResultCode Disconnect(TransportLink link);
    // Whether the TCP connection's current link is the one named (true without one).
    bool OwnsLink(TransportLink link);
    // Sends the frame's bytes from its origin in one TPKT: InvalidArguments for null,
    // OutOfRange when longer than 65531 octets, NotConnected without a connected TCP
    // connection, else the
    // TCP connection's Send on the link named. The caller keeps its frame.
    System::ResultCode SendFrame(Protocol::Frame* frame, TransportLink link);
    // One TPDU given as its header and its body, which are not copied.
    struct TpduParts {
        std::span<const std::uint8_t> header;
        std::span<const std::uint8_t> body;
    };
    // Sends the TPDUs, each in its TPKT, in one gathered send of the TCP connection:
    // as SendFrame for each, but nothing else goes out between them; only on the link
    // named (TcpConnection::SendPackets).
    System::ResultCode SendTpdus(std::span<const TpduParts> tpdus, TransportLink link);

    System::ResultCode SetParameter(std::string_view name, std::string_view value) override;
    System::ResultCode GetParameter(std::string_view name, std::string& value) override;
    // For TPDUs of up to size octets: n = size + 4 must lie in 256..65535 (else Error);
    // the receive buffer becomes 2 n (Error while it holds part of a packet) and the TCP
    // connection receives in chunks of ReceiveChunkPackets n, at most 64 KB: a unit cut
    // into TPDUs of that size mostly arrives in one system call.
    System::ResultCode SetMaxPduSize(std::uint32_t size) override;
    System::ResultCode OnLowerBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t event) override;
    // Closes the TCP connection, forgets received bytes, resets.
    System::ResultCode Close() override;
    // Received bytes forgotten, buffers for the largest TPDU, then the base Reset;
    // StateIdle. The addresses and ports stay.
    System::ResultCode Reset() override;
    // Ports 102, then the base's defaults.
    System::ResultCode RestoreParameterDefaults() override;

    // For the tests: the size of the reassembly buffer, twice the largest packet
    // expected.
    std::uint32_t GetReceiveCapacity() const;

private:
    enum class Packet { Incomplete, Complete, Malformed };

    System::ResultCode Receive(const std::uint8_t* bytes, std::uint32_t count);
    Packet CheckPacketLocked(std::uint16_t& length) const;
    // Ends the connection after a malformed packet.
    void CloseOnFramingError(std::uint64_t generation);
    void ForgetReceivedLocked();
    System::ResultCode ReportUp(Protocol::Frame* frame, std::uint32_t event);
    // The TCP connection below, looked up on each use: a cached pointer would
    // outlive a chain torn down from the bottom.
    TcpConnection* Tcp();

    // The buffer is filled on the receive thread and emptied by a close or reset on
    // whichever thread runs it; never held across a call out of this connection.
    mutable std::mutex receiveMutex_;
    Protocol::ByteBuffer receiveBuffer_;
    // Raised whenever received bytes are forgotten, so that a receive loop stops
    // delivering what belonged to the stream that ended under it.
    std::uint64_t streamGeneration_ = 0;

    mutable std::mutex parameterMutex_;
    NetworkAddresses addresses_{
        .remoteAddress = {}, .remotePort = DefaultPort, .localAddress = {}, .localPort = DefaultPort};
};
