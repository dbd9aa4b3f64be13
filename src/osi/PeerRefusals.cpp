#include "osi/PeerRefusals.h"

#include <string>

#include "osi/AcsePdus.h"

namespace PeerRefusals {
namespace {

const char* DisconnectReasonText(std::uint8_t reason) {
    switch (reason) {
        case 0: return "reason not specified";
        case 1: return "congestion at TSAP";
        case 2: return "session entity not attached to TSAP";
        case 3: return "address unknown";
        case 128: return "normal disconnect initiated by the session entity";
        case 129: return "remote transport entity congestion at connect request time";
        case 130: return "connection negotiation failed";
        case 131: return "duplicate source reference";
        case 132: return "mismatched references";
        case 133: return "protocol error";
        case 135: return "reference overflow";
        case 136: return "connection request refused on this network connection";
        case 138: return "header or parameter length invalid";
        default: return "unknown reason";
    }
}

const char* RejectCauseText(std::uint8_t cause) {
    switch (cause) {
        case 0: return "reason not specified";
        case 1: return "invalid parameter code";
        case 2: return "invalid TPDU type";
        case 3: return "invalid parameter value";
        default: return "unknown cause";
    }
}

const char* SessionReasonText(std::uint8_t reason) {
    switch (reason) {
        case 0: return "rejection by the called session user, reason not specified";
        case 1: return "rejection by the called session user, temporary congestion";
        case 2: return "rejection by the called session user";
        case 129: return "session selector unknown";
        case 130: return "session user not attached to SSAP";
        case 131: return "session protocol machine congestion at connect time";
        case 132: return "proposed protocol versions not supported";
        case 133: return "rejection by the session protocol machine, reason not specified";
        case 134: return "rejection by the session protocol machine, implementation restriction";
        default: return "unknown reason";
    }
}

const char* ResultText(std::int32_t result) {
    switch (result) {
        case Acse::ResultRejectedPermanent: return "rejected-permanent";
        case Acse::ResultRejectedTransient: return "rejected-transient";
        default: return "not accepted";
    }
}

const char* UserDiagnosticText(std::int32_t diagnostic) {
    switch (diagnostic) {
        case 0: return "null";
        case 1: return "no-reason-given";
        case 2: return "application-context-name-not-supported";
        case 3: return "calling-AP-title-not-recognized";
        case 4: return "calling-AP-invocation-identifier-not-recognized";
        case 5: return "calling-AE-qualifier-not-recognized";
        case 6: return "calling-AE-invocation-identifier-not-recognized";
        case 7: return "called-AP-title-not-recognized";
        case 8: return "called-AP-invocation-identifier-not-recognized";
        case 9: return "called-AE-qualifier-not-recognized";
        case 10: return "called-AE-invocation-identifier-not-recognized";
        case 11: return "authentication-mechanism-name-not-recognized";
        case 12: return "authentication-mechanism-name-required";
        case 13: return "authentication-failure";
        case 14: return "authentication-required";
        default: return "unknown diagnostic";
    }
}

const char* ProviderDiagnosticText(std::int32_t diagnostic) {
    switch (diagnostic) {
        case 0: return "null";
        case 1: return "no-reason-given";
        case 2: return "no-common-acse-version";
        default: return "unknown diagnostic";
    }
}

Protocol::PeerRefusal Make(Protocol::PeerRefusal::Source source, std::int32_t reason, std::int32_t diagnostic,
                           std::string text) {
    Protocol::PeerRefusal refusal;
    refusal.source = source;
    refusal.reason = reason;
    refusal.diagnostic = diagnostic;
    refusal.text = std::move(text);
    return refusal;
}

}  // namespace

Protocol::PeerRefusal TransportDisconnect(std::uint8_t reason) {
    return Make(
        Protocol::PeerRefusal::Source::Transport, reason, 0,
        "transport disconnect request, reason " + std::to_string(reason) + " (" + DisconnectReasonText(reason) + ")");
}

Protocol::PeerRefusal TransportError(std::uint8_t rejectCause) {
    return Make(Protocol::PeerRefusal::Source::Transport, rejectCause, 0,
                "transport TPDU error, reject cause " + std::to_string(rejectCause) + " (" +
                    RejectCauseText(rejectCause) + ")");
}

Protocol::PeerRefusal SessionRefuse(bool hasReason, std::uint8_t reason) {
    if (!hasReason) return Make(Protocol::PeerRefusal::Source::Session, 0, 0, "session refuse without a reason code");
    return Make(Protocol::PeerRefusal::Source::Session, reason, 0,
                "session refuse, reason " + std::to_string(reason) + " (" + SessionReasonText(reason) + ")");
}

Protocol::PeerRefusal AssociationRejected(std::int32_t result, bool byProvider, std::int32_t diagnostic) {
    const std::string source = byProvider ? "ACSE service provider" : "ACSE service user";
    const char* diagnosticText = byProvider ? ProviderDiagnosticText(diagnostic) : UserDiagnosticText(diagnostic);
    return Make(Protocol::PeerRefusal::Source::Acse, result, diagnostic,
                "association " + std::string(ResultText(result)) + " (result " + std::to_string(result) + ") by the " +
                    source + ", diagnostic " + std::to_string(diagnostic) + " (" + diagnosticText + ")");
}

}  // namespace PeerRefusals
