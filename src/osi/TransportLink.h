#pragma once

#include <cstdint>

// Which transport connection a unit of data is meant for. Every socket a TCP connection
// opens or accepts gets the next number (from 1); a unit goes down the chain with the
// number of the link it was made for, and the TCP connection refuses it, under the lock
// under which it takes in a new socket, unless that socket is still its own. The socket of
// an ended link is shut down and never written to the next one's, so nothing made for one
// link can reach the peer on another, however long its sender was held on the way down.
//
// The MMS machine binds each association to the link its initiate was carried on, and
// tags every request of that association with it (MmsConnection). Units of no
// association (the handshakes, a responder's answers) go as AnyTransportLink, which is not
// checked.
using TransportLink = std::uint64_t;
inline constexpr TransportLink AnyTransportLink = 0;
