#include "osi/CospConnection.h"

#include <memory>

#include "osi/AbSpdu.h"
#include "osi/AcSpdu.h"
#include "osi/CnSpdu.h"
#include "osi/CospLayer.h"
#include "osi/CotpConnection.h"
#include "osi/DtSpdu.h"
#include "osi/GtDtSpdu.h"
#include "osi/GtSpdu.h"
#include "osi/PeerRefusals.h"
#include "osi/RfSpdu.h"
#include "osi/TcpConnection.h"
#include "protocol/RawFrame.h"
#include "system/FrameMessage.h"
#include "system/NumberText.h"

using System::ResultCode;

namespace {
// Session user requirements that a peer proposes by leaving the parameter out:
// half-duplex, minor synchronize, activity management, capability data, exceptions.
constexpr std::uint16_t DefaultUserRequirements = 0x0349;
constexpr std::uint32_t FirstSerialNumber = 65535;

std::span<const std::uint8_t> WindowOf(const Protocol::Frame& frame) {
    if (frame.GetWindowLength() == 0 || frame.WindowData() == nullptr) return {};
    return {frame.WindowData(), frame.GetWindowLength()};
}

bool IsEncoded(const Protocol::Frame* frame) {
    return frame != nullptr && frame->GetState() == Protocol::Frame::StateEncoded;
}

// SPDUs that this session does not handle, and that are dropped with NotImplemented:
// FN, DN, RF (outside a connect), AB, and those of the functional units not used
// here (tokens, expedited, synchronization, activities, typed and capability data).
bool IsUnhandledSpdu(std::uint8_t si) {
    switch (si) {
        case 0:
        case 2:
        case 5:
        case 7:
        case 8:
        case Spdu::SiFinish:
        case Spdu::SiDisconnect:
        case Spdu::SiRefuse:
        case 15:
        case 16:
        case 21:
        case 22:
        case Spdu::SiAbort:
        case 29:
        case 33:
        case 34:
        case 41:
        case 42:
        case 45:
        case 48:
        case 49:
        case 50:
        case 53:
        case 57:
        case 58:
        case 61:
        case 62: return true;
        default: return false;
    }
}
}  // namespace

CospConnection::CospConnection(CospLayer* layer)
    : Connection(layer), localSelector_(GetId()), remoteSelector_(GetId()), timer_(nullptr) {
    tokens_.fill(TokenInitial);
}

CospConnection::~CospConnection() {
    initiateDeadline_.Retire();
    // The receive thread at the bottom calls into this connection: it must be gone
    // before our members are.
    ReleaseLower();
    timer_.Cancel();
}

CotpConnection* CospConnection::Cotp() { return dynamic_cast<CotpConnection*>(GetLower()); }

std::uint16_t CospConnection::GetFunctionalUnits() const {
    std::lock_guard lock(mutex_);
    return functionalUnits_;
}

std::uint32_t CospConnection::GetTokenPosition(std::size_t token) const {
    std::lock_guard lock(mutex_);
    return token < tokens_.size() ? tokens_[token] : 0;
}

bool CospConnection::IsResponder() const {
    std::lock_guard lock(mutex_);
    return responder_;
}

// ---- parameters, frames, reset ----

ResultCode CospConnection::SetParameter(std::string_view name, std::string_view value) {
    if (name == "LocalSSelector" || name == "RemoteSSelector") {
        std::uint16_t selector = 0;
        if (System::ParseUInt16Text(selector, value) != System::OkNoError) return System::InvalidArguments;
        std::lock_guard lock(mutex_);
        (name == "LocalSSelector" ? localSelector_ : remoteSelector_) = selector;
        return System::OkNoError;
    }
    if (name == ResponderInitiateTimeoutParameter) return initiateDeadline_.SetBound(value);
    if (name == "LocalSTimeout") {
        std::uint32_t timeout = 0;
        if (System::ParseUnsignedText(timeout, value) == System::OkNoError && timeout >= 1) {
            SetTimeout(timeout);
            timer_.Configure(timeout, false);
        }
        return System::OkNoError;
    }
    return System::NotSupported;
}

ResultCode CospConnection::GetParameter(std::string_view name, std::string& value) {
    if (name == ResponderInitiateTimeoutParameter) {
        value = initiateDeadline_.GetBoundText();
        return System::OkNoError;
    }
    std::lock_guard lock(mutex_);
    if (name == "LocalSSelector") System::FormatUInt16(value, localSelector_);
    else if (name == "RemoteSSelector") System::FormatUInt16(value, remoteSelector_);
    else return System::NotSupported;
    return System::OkNoError;
}

Protocol::Frame* CospConnection::CreateFrame(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t kind) {
    if (kind != FrameKindCn || (bytes == nullptr && length > 0)) return nullptr;
    auto* cn = new CnSpdu(this);
    cn->SetUserData(std::span<const std::uint8_t>(bytes, length));
    return cn;
}

ResultCode CospConnection::Reset() {
    // One step for the receive side, which tests the state under the same lock.
    std::lock_guard lock(mutex_);
    initiateDeadline_.Settle();
    tokens_.fill(TokenInitial);
    functionalUnits_ = DuplexUnit;
    responder_ = false;
    userAborting_ = false;
    connectLink_ = TransportLink::Handshake();
    serialNumber_ = 0;
    activity_ = false;
    const ResultCode result = Connection::Reset();
    SetState(StateIdle);
    return result;
}

ResultCode CospConnection::Close() {
    if (CotpConnection* cotp = Cotp()) cotp->Close();
    return Connection::Close();
}

// ---- helpers ----

void CospConnection::Post(std::uint32_t id) {
    auto* message = new System::FrameMessage(id, this, 0);
    if (GetQueue().Put(message) != System::OkNoError) delete message;
}

bool CospConnection::OnReceiveThread() {
    Protocol::Connection* bottom = GetBottom();
    return bottom != this && bottom->IsTaskThread();
}

bool CospConnection::CarriesLink(TransportLink link) { return ChainCarriesLink(*this, link); }

ResultCode CospConnection::EndTransport(TransportLink link) {
    if (!CarriesLink(link)) return System::OkNoError;
    Reset();
    CotpConnection* cotp = Cotp();
    return cotp != nullptr ? cotp->Disconnect(link) : System::OkNoError;
}

ResultCode CospConnection::ConnectFailed(ResultCode result) {
    EndTransport(TransportLink::Handshake());
    if (Connection* upper = GetUpper()) upper->OnLowerEvent(AbortIndication);
    return result;
}

ResultCode CospConnection::SendUnit(Protocol::Frame& unit, TransportLink link) {
    ResultCode result = unit.Encode();
    if (result != System::OkNoError) return result;
    CotpConnection* cotp = Cotp();
    if (cotp == nullptr) return System::NotConnected;
    return cotp->SendData(&unit, link);
}

// ---- calls from the presentation connection ----

ResultCode CospConnection::Connect(Protocol::Frame* userData) {
    // A reason kept from an earlier attempt does not explain this one.
    ClearRefusals();
    CotpConnection* cotp = Cotp();
    ResultCode refusal = System::OkNoError;
    {
        std::lock_guard lock(mutex_);
        if (GetState() != StateIdle) {
            refusal = System::InvalidState;
        } else if (!IsEncoded(userData)) {
            refusal = System::InvalidArguments;
        } else if (cotp == nullptr) {
            refusal = System::NotConnected;
        } else {
            // A late message of an earlier attempt must not end this one.
            GetQueue().Clear();
            responder_ = false;
            SetState(StateAwaitingTransport);
        }
    }
    if (refusal != System::OkNoError) {
        Reset();
        if (Connection* upper = GetUpper()) upper->OnLowerEvent(AbortIndication);
        return refusal;
    }
    ResultCode result = cotp->Connect();
    if (result != System::OkNoError) return ConnectFailed(result);
    std::unique_ptr<System::Message> message(GetQueue().Get(GetTimeout()));
    if (!message) return ConnectFailed(System::Timeout);
    if (message->GetId() != MessageTransportOpen) {
        return ConnectFailed(message->GetId() == MessageTransportClosed ? System::Error : System::ProtocolError);
    }

    CnSpdu cn(this);
    {
        std::lock_guard lock(mutex_);
        cn.SetConnectAcceptItem(0, ConnectSpdu::ProtocolVersion2);
        cn.SetUserRequirements(functionalUnits_);
        cn.SetCallingSelector(localSelector_);
        cn.SetCalledSelector(remoteSelector_);
    }
    cn.SetUserData(WindowOf(*userData));
    result = cn.Encode();
    if (result != System::OkNoError) return ConnectFailed(result);
    bool stillConnecting = false;
    {
        // Before sending: the AC may come back at once.
        std::lock_guard lock(mutex_);
        stillConnecting = GetState() == StateAwaitingTransport;
        if (stillConnecting) {
            SetState(cn.GetTotalLength() > LargestConnectSpdu ? StateConnectOverflow : StateAwaitingAccept);
        }
    }
    if (!stillConnecting) return ConnectFailed(System::Error);
    result = cotp->SendData(&cn, TransportLink::Handshake());
    if (result != System::OkNoError) return ConnectFailed(result);
    return System::OkNoError;
}

ResultCode CospConnection::AcceptConnect(Protocol::Frame* userData) {
    if (!IsEncoded(userData)) return System::InvalidArguments;
    AcSpdu ac(this);
    ac.SetUserData(WindowOf(*userData));
    TransportLink link = TransportLink::Handshake();
    {
        std::lock_guard lock(mutex_);
        if (GetState() != StateAwaitingResponse) return System::InvalidState;
        ac.SetConnectAcceptItem(0, ConnectSpdu::ProtocolVersion2);
        ac.SetUserRequirements(functionalUnits_);
        ac.SetCalledSelector(remoteSelector_);
        tokens_.fill(TokenNotNeeded);
        link = connectLink_;
        // Before sending: the peer's first data may follow the AC at once.
        SetState(StateDataTransfer);
    }
    initiateDeadline_.Settle();
    const ResultCode result = SendUnit(ac, link);
    if (result != System::OkNoError) HangUpUnanswered(link);
    return result;
}

ResultCode CospConnection::RefuseConnect(std::uint8_t reason, Protocol::Frame* userData) {
    RfSpdu rf(this);
    rf.SetTransportDisconnect(AbSpdu::ReleaseTransport);
    rf.SetReason(reason, userData != nullptr ? WindowOf(*userData) : std::span<const std::uint8_t>{});
    TransportLink link = TransportLink::Handshake();
    {
        std::lock_guard lock(mutex_);
        if (GetState() != StateAwaitingResponse) return System::InvalidState;
        link = connectLink_;
        SetState(StateAborting);
    }
    timer_.Start();
    const ResultCode result = SendUnit(rf, link);
    if (result != System::OkNoError) HangUpUnanswered(link);
    return result;
}

void CospConnection::HangUpUnanswered(TransportLink link) {
    // Nothing of this side is reset here: the receive side carries the transport's end up
    // the chain as for a peer that went away, and every layer above, which took the
    // connect as made (or refused) before its answer left, hears of it there.
    if (auto* tcp = dynamic_cast<TcpConnection*>(GetBottom())) tcp->HangupLink(link);
}

ResultCode CospConnection::SendData(Protocol::Frame* userData, TransportLink link) {
    if (GetState() != StateDataTransfer) return System::InvalidState;
    if (userData == nullptr) return System::InvalidArguments;
    GtSpdu gt(this);
    DtSpdu dt(this);
    dt.SetUserData(WindowOf(*userData));
    ResultCode result = gt.Encode();
    if (result == System::OkNoError) result = dt.Encode();
    if (result != System::OkNoError) return result;
    GtDtSpdu unit(this);
    unit.AddPart(gt);
    unit.AddPart(dt);
    return SendUnit(unit, link);
}

ResultCode CospConnection::Abort(Protocol::Frame* userData, TransportLink link, AbortWait wait) {
    // The connection serves the link that followed: nothing of this abort may touch it.
    if (!CarriesLink(link)) return System::NotConnected;
    AbSpdu ab(this);
    if (userData != nullptr) {
        ab.SetTransportDisconnect(AbSpdu::ReleaseTransport | AbSpdu::UserAbort);
        ab.SetUserData(WindowOf(*userData));
    }
    Protocol::ConnectionState state = StateIdle;
    bool aborting = false;
    {
        std::lock_guard lock(mutex_);
        state = GetState();
        aborting = state == StateAwaitingAccept || state == StateConnectOverflow || state == StateAwaitingResponse ||
                   state == StateDataTransfer;
        if (aborting) {
            GetQueue().Clear();
            SetState(StateAborting);
            userAborting_ = true;
        }
    }
    if (state == StateAwaitingTransport) {
        EndTransport(link);
        return System::OkNoError;
    }
    if (!aborting) return System::InvalidState;
    const ResultCode result = SendUnit(ab, link);
    if (result != System::OkNoError) {
        EndTransport(link);
        return result;
    }
    // The receive thread cannot wait for what only it would deliver.
    if (OnReceiveThread() || wait == AbortWait::None) {
        EndTransport(link);
        return System::OkNoError;
    }
    // A peer that follows the standard releases the transport connection as the AB
    // asks and sends no AA; one that keeps it answers AA. Either ends the wait.
    std::unique_ptr<System::Message> message(GetQueue().Get(GetTimeout()));
    if (!message) {
        EndTransport(link);
        return System::OkNoError;
    }
    const std::uint32_t id = message->GetId();
    if (id == MessageAbortAccepted || id == MessageTransportClosed) return System::OkNoError;
    EndTransport(link);
    return System::Error;
}

// ---- receive side ----

ResultCode CospConnection::OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) {
    switch (event) {
        case CotpConnection::ConnectIndication: return OnTransportConnectIndication();
        case CotpConnection::Open: Post(MessageTransportOpen); return System::OkNoError;
        case CotpConnection::Unit:
            if (frame == nullptr) return System::Error;
            return OnUnit(*frame);
        case CotpConnection::Lost: return OnTransportLost();
        default: return event <= AbortIndication ? System::OkNoError : System::Error;
    }
}

ResultCode CospConnection::OnTransportConnectIndication() {
    CotpConnection* cotp = Cotp();
    {
        std::lock_guard lock(mutex_);
        responder_ = true;
        SetState(StateAwaitingConnect);
    }
    if (cotp == nullptr) return System::Error;
    // Armed before the CC leaves, on the thread that will carry the peer's CN.
    initiateDeadline_.Arm();
    const ResultCode result = cotp->Accept();
    // A CC that could not go ended the transport below without a word to this side.
    if (result != System::OkNoError) initiateDeadline_.Settle();
    return result;
}

ResultCode CospConnection::OnTransportLost() {
    bool abortWaits = false;
    {
        std::lock_guard lock(mutex_);
        switch (GetState()) {
            case StateIdle: return System::OkNoError;
            case StateAwaitingTransport:
                // Connect is waiting: it cleans up and reports.
                Post(MessageTransportClosed);
                return System::OkNoError;
            case StateAborting: {
                timer_.Cancel();
                const bool userAbort = userAborting_;
                Reset();
                if (!userAbort) {
                    Post(MessageTransportClosed);
                    return System::OkNoError;
                }
                abortWaits = true;
                break;
            }
            case StateAwaitingConnect: Reset(); return System::OkNoError;
            default: Reset(); break;
        }
    }
    ResultCode result = System::OkNoError;
    if (Connection* upper = GetUpper()) {
        // Also under an abort of this side: the layers above hear of the transport's end
        // while the abort still waits, before its caller can move on to another link.
        Protocol::RawFrame empty(this);
        result = upper->OnLowerIndication(&empty, AbortIndication);
    }
    if (abortWaits) Post(MessageTransportClosed);
    return result;
}

ResultCode CospConnection::OnUnit(const Protocol::Frame& frame) {
    const std::span<const std::uint8_t> unit = WindowOf(frame);
    if (unit.size() < 2) return System::Error;
    switch (unit[0]) {
        case Spdu::SiConnect: return OnConnect(unit);
        case Spdu::SiAccept: return OnAccept(unit);
        case Spdu::SiAbortAccept: return OnAbortAccept(unit);
        case Spdu::SiGiveTokens: return OnData(unit);
        case Spdu::SiRefuse:
            if (GetState() == StateAwaitingAccept || GetState() == StateConnectOverflow) return OnRefuse(unit);
            return System::NotImplemented;
        default: return IsUnhandledSpdu(unit[0]) ? System::NotImplemented : System::ProtocolError;
    }
}

ResultCode CospConnection::OnConnect(std::span<const std::uint8_t> unit) {
    CnSpdu cn(this);
    if (cn.Decode(unit) != System::OkNoError) return System::ProtocolError;
    {
        std::lock_guard lock(mutex_);
        if (GetState() != StateAwaitingConnect) return System::NotSupported;
    }
    if (!IsResponder()) {
        EndTransport(TransportLink::Served());
        return System::Error;
    }
    if (unit.size() > LargestConnectSpdu) return System::NotImplemented;
    // The answer goes on the stream that carried the connect, and on no later one.
    auto* tcp = dynamic_cast<TcpConnection*>(GetBottom());
    const TransportLink link = tcp != nullptr ? tcp->GetLink() : TransportLink::Handshake();
    {
        std::lock_guard lock(mutex_);
        if (GetState() != StateAwaitingConnect) return System::NotSupported;
        connectLink_ = link;
        SetState(StateAwaitingResponse);
    }
    Connection* upper = GetUpper();
    if (upper == nullptr) return System::OkNoError;
    const auto data = cn.GetUserData();
    return upper->OnLowerBytes(data.data(), static_cast<std::uint32_t>(data.size()), ConnectData);
}

ResultCode CospConnection::OnAccept(std::span<const std::uint8_t> unit) {
    AcSpdu ac(this);
    const bool decoded = ac.Decode(unit) == System::OkNoError;
    {
        std::lock_guard lock(mutex_);
        if (GetState() != StateAwaitingAccept) return System::InvalidState;
        if (decoded) {
            const std::uint16_t granted = ac.HasUserRequirements() ? ac.GetUserRequirements() : DefaultUserRequirements;
            functionalUnits_ &= granted;
            serialNumber_ = FirstSerialNumber;
            activity_ = false;
            tokens_.fill(TokenNotNeeded);
            SetState(StateDataTransfer);
        }
    }
    if (!decoded) {
        // The connect cannot complete: the presentation connection must not wait for it.
        ConnectFailed(System::ProtocolError);
        return System::ProtocolError;
    }
    DiscardPending();
    Connection* upper = GetUpper();
    if (upper == nullptr) return System::OkNoError;
    const auto data = ac.GetUserData();
    return upper->OnLowerBytes(data.data(), static_cast<std::uint32_t>(data.size()), AcceptData);
}

ResultCode CospConnection::OnRefuse(std::span<const std::uint8_t> unit) {
    // Malformed or not, the peer turned the connect down.
    RfSpdu rf(this);
    const bool decoded = rf.Decode(unit) == System::OkNoError;
    {
        std::lock_guard lock(mutex_);
        const Protocol::ConnectionState state = GetState();
        if (state != StateAwaitingAccept && state != StateConnectOverflow) return System::NotImplemented;
        Reset();
    }
    // Kept before the connect's failure is reported, so that its caller finds it.
    SetRefusal(PeerRefusals::SessionRefuse(decoded && rf.HasReason(), rf.GetReason()));
    // The transport goes first, so that the caller, woken by what follows, finds the
    // chain below closed and no late word of this connect reaches its next one.
    EndTransport(TransportLink::Served());
    Connection* upper = GetUpper();
    if (upper == nullptr) return System::OkNoError;
    // The refusing user's own answer (an AARE with the MMS initiate-Error) tells the
    // caller why far better than the session's reason code: when the users above take
    // it, it ends their connect; otherwise the connect's end is reported as an abort.
    const auto data = rf.GetUserData();
    if (decoded && rf.HasReason() && rf.GetReason() == RfSpdu::ReasonRejectedByUser && !data.empty() &&
        upper->OnLowerBytes(data.data(), static_cast<std::uint32_t>(data.size()), RefuseData) == System::OkNoError) {
        return System::OkNoError;
    }
    return upper->OnLowerEvent(AbortIndication);
}

ResultCode CospConnection::OnAbortAccept(std::span<const std::uint8_t> unit) {
    std::uint8_t si = 0;
    std::uint32_t length = 0;
    if (Spdu::Measure(unit, si, length) != System::OkNoError) return System::ProtocolError;
    const Protocol::ConnectionState state = GetState();
    if (state == StateIdle || state == StateAwaitingTransport) return System::OkNoError;
    if (state != StateAwaitingConnect && state != StateAborting) return System::Error;
    // The transport goes first: an Abort woken by the message returns to a caller that
    // may connect again at once, and must find everything below closed.
    const ResultCode result = EndTransport(TransportLink::Served());
    Post(MessageAbortAccepted);
    return result;
}

ResultCode CospConnection::OnData(std::span<const std::uint8_t> unit) {
    // Both SPDUs must be whole before anything is delivered.
    GtSpdu gt(this);
    DtSpdu dt(this);
    if (gt.Decode(unit) != System::OkNoError || dt.Decode(unit.subspan(gt.GetSpduLength())) != System::OkNoError) {
        return System::ProtocolError;
    }
    switch (GetState()) {
        case StateDataTransfer: break;
        case StateAborting: return System::OkNoError;
        case StateAwaitingConnect: EndTransport(TransportLink::Served()); return System::ProtocolError;
        default: return System::InvalidState;
    }
    Connection* upper = GetUpper();
    if (upper == nullptr) return System::OkNoError;
    const ResultCode result = upper->OnLowerEvent(TokensGiven);
    if (result != System::OkNoError) return result;
    const auto data = dt.GetUserData();
    return upper->OnLowerBytes(data.data(), static_cast<std::uint32_t>(data.size()), Data);
}
