#pragma once

#include <cstdint>

#include "protocol/PeerRefusal.h"

// The accounts that the OSI layers give of a peer's refusal, with the reason in the
// standard's words, so that a tester can show what the device said and not only
// that it said no.
namespace PeerRefusals {

// A transport disconnect request (DR) and its reason (ISO 8073).
Protocol::PeerRefusal TransportDisconnect(std::uint8_t reason);
// A TPDU error (ER) and its reject cause (ISO 8073).
Protocol::PeerRefusal TransportError(std::uint8_t rejectCause);
// A session refuse (RF) and its reason code (ISO 8327); hasReason false when the RF
// names none.
Protocol::PeerRefusal SessionRefuse(bool hasReason, std::uint8_t reason);
// An AARE that does not accept: its result and result-source-diagnostic (ISO 8650).
// byProvider tells the acse-service-provider diagnostic from the acse-service-user one.
Protocol::PeerRefusal AssociationRejected(std::int32_t result, bool byProvider, std::int32_t diagnostic);

}  // namespace PeerRefusals
