#pragma once

#include <cstdint>

// Which transport connection a unit of data, or a close, is meant for.
//
// Every socket a TCP connection opens or accepts is a link of its own, numbered from 1.
// Every send down the chain names a link, and so does every close that an association's
// end makes; the TCP connection acts only on the socket of that link, checked under the
// lock under which it takes in a new socket. The socket of an ended link is shut down and
// never written to the next one's, so nothing made for one association can reach the
// peer on another, however long its sender was held on the way down.
//
// There are three kinds of link, and no default: a caller says which one it means.
// - A numbered link (Numbered): everything an association sends or does to its link after
//   its initiate: requests, answers, reports, the conclude, the abort and the close that
//   follows them. The MMS machine binds each association to the link its initiate was
//   carried on (MmsConnection).
// - The handshake (Handshake): the units that open a connection, sent by the thread that
//   opened it (CR, CN, CP with the initiate request, and the responder's answers to them).
//   They go on whatever socket is current. Only the opening of a new association takes it.
// - The served stream (Served): a unit the receive thread sends while it handles what it
//   received (a refusal of a malformed unit, a provider abort). It goes on the stream that
//   thread serves, and is refused on any other thread.
class TransportLink {
public:
    static constexpr TransportLink Numbered(std::uint64_t number) { return TransportLink(number); }
    static constexpr TransportLink Handshake() { return TransportLink(HandshakeValue); }
    static constexpr TransportLink Served() { return TransportLink(ServedValue); }

    constexpr bool IsNumbered() const { return value_ != HandshakeValue && value_ != ServedValue; }
    constexpr bool IsHandshake() const { return value_ == HandshakeValue; }
    constexpr bool IsServed() const { return value_ == ServedValue; }
    // The socket's number of a numbered link.
    constexpr std::uint64_t GetNumber() const { return value_; }

    friend constexpr bool operator==(TransportLink, TransportLink) = default;

private:
    static constexpr std::uint64_t HandshakeValue = 0;
    static constexpr std::uint64_t ServedValue = ~std::uint64_t{0};

    explicit constexpr TransportLink(std::uint64_t value) : value_(value) {}

    std::uint64_t value_;
};

// What a local abort waits for once its abort unit is out: the peer's release of the
// transport (up to the session's time-out), or nothing (the link is closed at once). A
// thread that the receive thread may be waiting for must not wait for the peer.
enum class AbortWait { ForPeer, None };
