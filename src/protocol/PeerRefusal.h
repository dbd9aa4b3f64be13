#pragma once

#include <cstdint>
#include <string>

namespace Protocol {

// Why a peer refused a connection or an association, as the layer that received the
// refusal read it. A tester shows this to its user ("the device refused: ..."), so it
// travels apart from result codes and from MMS error classes and codes.
struct PeerRefusal {
    enum class Source : std::uint8_t {
        None = 0,
        Transport = 1,  // COTP DR (reason) or ER (reject cause)
        Session = 2,    // session RF (reason code)
        Acse = 3,       // AARE result and result-source-diagnostic
        Mms = 4,        // MMS initiate-Error (error class and code)
    };

    Source source = Source::None;
    // DR reason, ER cause, RF reason code, AARE result, MMS error class.
    std::int32_t reason = 0;
    // AARE diagnostic, MMS error code; 0 where the layer gives none.
    std::int32_t diagnostic = 0;
    // A readable account, e.g. "transport disconnect request, reason 0x81 (congestion at TSAP)".
    std::string text;

    bool IsSet() const { return source != Source::None; }
};

}  // namespace Protocol
