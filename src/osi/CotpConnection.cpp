#include "osi/CotpConnection.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "osi/CcTpdu.h"
#include "osi/CotpLayer.h"
#include "osi/CrTpdu.h"
#include "osi/DrTpdu.h"
#include "osi/DtTpdu.h"
#include "osi/ErTpdu.h"
#include "osi/ItotConnection.h"
#include "osi/PeerRefusals.h"
#include "system/FrameMessage.h"
#include "system/HexText.h"

using System::ResultCode;

namespace {
constexpr std::uint32_t SmallestSizeCode = Tpdu::DefaultSizeCode;  // 128 octets
}  // namespace

CotpConnection::CotpConnection(CotpLayer* layer) : Connection(layer) {}

CotpConnection::~CotpConnection() {
    crDeadline_.Retire();
    // The receive thread at the bottom calls into this connection: it must be gone
    // before our members are.
    ReleaseLower();
}

ItotConnection* CotpConnection::Itot() { return dynamic_cast<ItotConnection*>(GetLower()); }

std::uint32_t CotpConnection::GetSendSizeCode() const {
    std::lock_guard lock(mutex_);
    return sendSizeCode_;
}

std::uint16_t CotpConnection::GetPeerReference() const {
    std::lock_guard lock(mutex_);
    return peerReference_;
}

// ---- parameters, frames, reset ----

ResultCode CotpConnection::SetParameter(std::string_view name, std::string_view value) {
    if (name == ResponderCrTimeoutParameter) return crDeadline_.SetBound(value);
    const bool local = name == "LocalTSelector";
    if (!local && name != "RemoteTSelector") return System::NotSupported;
    std::uint16_t parsed = 0;
    std::size_t count = 0;
    const ResultCode result = System::ParseHexArray(std::span<std::uint16_t>(&parsed, 1), count, value, 0);
    if (result != System::OkNoError) return result;
    if (count != 1) return System::InvalidArguments;
    std::lock_guard lock(mutex_);
    (local ? givenLocalSelector_ : givenRemoteSelector_) = parsed;
    (local ? localSelector_ : remoteSelector_) = parsed;
    return System::OkNoError;
}

ResultCode CotpConnection::GetParameter(std::string_view name, std::string& value) {
    if (name == ResponderCrTimeoutParameter) {
        value = crDeadline_.GetBoundText();
        return System::OkNoError;
    }
    std::lock_guard lock(mutex_);
    if (name == "LocalTSelector") System::FormatHex16(value, localSelector_);
    else if (name == "RemoteTSelector") System::FormatHex16(value, remoteSelector_);
    else return System::NotSupported;
    return System::OkNoError;
}

Protocol::Frame* CotpConnection::CreateFrame(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t kind) {
    if (kind == FrameKindDt) {
        if (bytes == nullptr && length > 0) return nullptr;
        auto* dt = new DtTpdu(this, std::span<const std::uint8_t>(bytes, length), true);
        if (dt->GetCapacity() == 0) {
            delete dt;
            return nullptr;
        }
        return dt;
    }
    if (kind == FrameKindCr && length == 0) {
        auto* cr = new CrTpdu(this);
        std::lock_guard lock(mutex_);
        cr->SetSourceReference(localReference_);
        cr->SetProtocolClass(protocolClass_);
        cr->SetTpduSizeCode(sizeCode_);
        cr->SetCalledTsap(remoteSelector_);
        cr->SetCallingTsap(localSelector_);
        return cr;
    }
    return nullptr;
}

void CotpConnection::DropPendingLocked() {
    PendingA().clear();
    pendingLength_ = 0;
}

void CotpConnection::DiscardPending() {
    if (Connection* lower = GetLower()) lower->DiscardPending();
    std::lock_guard lock(mutex_);
    DropPendingLocked();
    PendingB().clear();
}

ResultCode CotpConnection::Reset() {
    // One step for the receive side: it never sees the base reset's passing StateReset.
    std::lock_guard lock(mutex_);
    peerReference_ = 0;
    localReference_ = 0;
    protocolClass_ = 0;
    sizeCode_ = DefaultSizeCode;
    sendSizeCode_ = SmallestSizeCode;
    localSelector_ = givenLocalSelector_;
    remoteSelector_ = givenRemoteSelector_;
    disconnectReason_ = 0;
    DropPendingLocked();
    const ResultCode result = Connection::Reset();
    SetState(StateClosed);
    return result;
}

ResultCode CotpConnection::RestoreParameterDefaults() {
    {
        std::lock_guard lock(mutex_);
        givenLocalSelector_ = givenRemoteSelector_ = DefaultSelector;
        localSelector_ = remoteSelector_ = DefaultSelector;
    }
    return Connection::RestoreParameterDefaults();
}

ResultCode CotpConnection::Close() {
    if (ItotConnection* itot = Itot()) itot->Close();
    return Connection::Close();
}

// ---- helpers ----

void CotpConnection::Post(std::uint32_t id) {
    auto* message = new System::FrameMessage(id, this, 0);
    if (GetQueue().Put(message) != System::OkNoError) delete message;
}

ResultCode CotpConnection::WaitForMessage(std::uint32_t& id) {
    std::unique_ptr<System::Message> message(GetQueue().Get(GetTimeout()));
    if (!message) return System::Timeout;
    id = message->GetId();
    return System::OkNoError;
}

ResultCode CotpConnection::ReportUp(Protocol::Frame* frame, std::uint32_t event) {
    Connection* upper = GetUpper();
    return upper != nullptr ? upper->OnLowerIndication(frame, event) : System::OkNoError;
}

ResultCode CotpConnection::SendTpdu(Tpdu& tpdu, TransportLink link) {
    ResultCode result = tpdu.Encode();
    if (result != System::OkNoError) return result;
    ItotConnection* itot = Itot();
    if (itot == nullptr) return System::NotConnected;
    return itot->SendFrame(&tpdu, link);
}

ResultCode CotpConnection::SendDisconnectRequest() {
    DrTpdu dr(this);
    {
        std::lock_guard lock(mutex_);
        dr.SetDestinationReference(peerReference_);
        dr.SetSourceReference(localReference_);
        dr.SetReason(disconnectReason_);
    }
    Reset();
    // Only ever the receive side's answer to a CC it cannot take.
    return SendTpdu(dr, TransportLink::Served());
}

ResultCode CotpConnection::ConnectFailed(ResultCode result) {
    CloseAndReport(TransportLink::Handshake());
    return result;
}

ResultCode CotpConnection::Fail() { return CloseAndReport(TransportLink::Served()); }

ResultCode CotpConnection::CloseAndReport(TransportLink link) {
    bool wasOpen = false;
    {
        std::lock_guard lock(mutex_);
        wasOpen = GetState() != StateClosed;
        Reset();
    }
    // Closed first, so that the RFC 1006 connection's Closed finds nothing to report.
    if (wasOpen) {
        if (ItotConnection* itot = Itot()) itot->Disconnect(link);
        Reset();
    }
    Connection* upper = GetUpper();
    return upper != nullptr ? upper->OnLowerEvent(Lost) : System::OkNoError;
}

// ---- calls from the session ----

ResultCode CotpConnection::Connect() {
    // A reason kept from an earlier attempt does not explain this one.
    ClearRefusals();
    ItotConnection* itot = Itot();
    bool started = false;
    {
        std::lock_guard lock(mutex_);
        if (GetState() == StateClosed && itot != nullptr && itot->GetState() != ItotConnection::StateConnected) {
            // A late answer to an earlier attempt must not end this one.
            GetQueue().Clear();
            SetState(StateConnecting);
            localReference_ = GetId();
            started = true;
        }
    }
    if (!started) return ConnectFailed(System::Error);

    ResultCode result = itot->Connect();
    if (result != System::OkNoError) return ConnectFailed(result);
    std::uint32_t id = 0;
    result = WaitForMessage(id);
    if (result != System::OkNoError) return ConnectFailed(result);
    if (id != MessageConfirmed) return ConnectFailed(id == MessageLost ? System::Error : System::ProtocolError);
    if (itot->GetState() != ItotConnection::StateConnected) return ConnectFailed(System::Error);

    std::unique_ptr<Protocol::Frame> cr(CreateFrame(nullptr, 0, FrameKindCr));
    if (!cr) return ConnectFailed(System::NoResources);
    {
        std::lock_guard lock(mutex_);
        if (GetState() != StateConnecting) return System::Error;
        SetState(StateCrSent);
    }
    result = SendTpdu(static_cast<Tpdu&>(*cr), TransportLink::Handshake());
    if (result != System::OkNoError) return ConnectFailed(result);

    result = WaitForMessage(id);
    if (result == System::Timeout) {
        // A CC may have been taken just as the wait ran out.
        std::lock_guard lock(mutex_);
        if (GetState() == StateOpen) return System::OkNoError;
    }
    if (result != System::OkNoError) return ConnectFailed(result);
    if (id == MessageConfirmed) return System::OkNoError;
    return ConnectFailed(id == MessageLost ? System::Error : System::ProtocolError);
}

ResultCode CotpConnection::Accept() {
    CcTpdu cc(this);
    {
        std::lock_guard lock(mutex_);
        if (GetState() != StateCrReceived) return System::Error;
        cc.SetDestinationReference(peerReference_);
        cc.SetSourceReference(localReference_);
        cc.SetProtocolClass(protocolClass_);
        // Peers drop a connection whose answers come in TPDUs smaller than they were
        // told: the CC names the size this side will cut to.
        cc.SetTpduSizeCode(sendSizeCode_);
        // Open before the CC leaves: the peer's first DT may follow it at once.
        SetState(StateOpen);
    }
    const ResultCode result = SendTpdu(cc, TransportLink::Handshake());
    if (result != System::OkNoError) Fail();
    return result;
}

ResultCode CotpConnection::SendData(Protocol::Frame* frame, TransportLink link) {
    if (GetState() != StateOpen) return System::Error;
    if (frame == nullptr || frame->GetState() != Protocol::Frame::StateEncoded) return System::InvalidArguments;
    const std::uint32_t length = frame->GetHead() + frame->GetWindowLength();
    if (length == 0) return System::Error;
    const std::uint8_t* unit = frame->Data();
    if (unit == nullptr || std::uint64_t{frame->GetOrigin()} + length > frame->GetCapacity()) {
        return System::InvalidArguments;
    }
    const std::uint32_t piece = (1u << GetSendSizeCode()) - DtTpdu::HeaderRoom;
    ItotConnection* itot = Itot();
    if (itot == nullptr) return System::NotConnected;

    // The DTs leave in one gathered send, their user data straight from the unit.
    static constexpr auto middle = DtTpdu::SendingHeader(false);
    static constexpr auto last = DtTpdu::SendingHeader(true);
    std::vector<ItotConnection::TpduParts> tpdus;
    try {
        tpdus.reserve((length + piece - 1) / piece);
    } catch (const std::bad_alloc&) {
        return System::NoResources;
    }
    for (std::uint32_t offset = 0; offset < length; offset += piece) {
        const std::uint32_t size = std::min(piece, length - offset);
        const bool end = offset + size == length;
        tpdus.push_back({end ? std::span<const std::uint8_t>(last) : std::span<const std::uint8_t>(middle),
                         std::span<const std::uint8_t>(unit + offset, size)});
    }
    std::lock_guard sending(sendMutex_);
    return itot->SendTpdus(tpdus, link);
}

ResultCode CotpConnection::SendExpedited(Protocol::Frame*) { return System::NotSupported; }

ResultCode CotpConnection::Disconnect(TransportLink link) {
    const Protocol::ConnectionState state = GetState();
    if (state == StateConnecting) return System::NotImplemented;
    if (state != StateCrSent && state != StateOpen) return System::Error;
    // Closed first, so that the RFC 1006 connection's Closed finds nothing to report.
    if (ItotConnection* itot = Itot(); itot != nullptr && !itot->OwnsLink(link)) return System::OkNoError;
    Reset();
    if (ItotConnection* itot = Itot()) itot->Disconnect(link);
    Reset();
    // A Connect waiting for the CC ends now rather than at its time-out.
    if (state == StateCrSent) Post(MessageLost);
    return System::OkNoError;
}

// ---- receive side ----

ResultCode CotpConnection::OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) {
    switch (event) {
        case ItotConnection::NoEvent: return System::OkNoError;
        case ItotConnection::Connected:
            if (GetState() == StateClosed) {
                // An accepted connection: its CR is due within the bound.
                crDeadline_.Arm();
                return System::OkNoError;
            }
            if (GetState() != StateConnecting) return System::Error;
            Post(MessageConfirmed);
            return System::OkNoError;
        case ItotConnection::TpduReceived:
            if (frame == nullptr) return System::Error;
            switch (Tpdu::TypeOf(*frame)) {
                case Tpdu::TypeCc: return OnConnectConfirm(*frame);
                case Tpdu::TypeCr: return OnConnectRequest(*frame);
                case Tpdu::TypeDr:
                case Tpdu::TypeEr: return OnRefusal(*frame);
                case Tpdu::TypeDt: return OnData(*frame);
                default:  // too short, or a type that class 0 does not know
                    return System::Error;
            }
        case ItotConnection::Closed:
            // Before anything of this connection is reset, and before the transport can
            // take the next one: no late expiry hangs up a later connection.
            crDeadline_.Settle();
            return OnLowerClosed();
        default: return System::Error;
    }
}

ResultCode CotpConnection::OnLowerClosed() {
    {
        std::lock_guard lock(mutex_);
        const Protocol::ConnectionState state = GetState();
        if (state == StateConnecting || state == StateCrSent) {
            // Connect is waiting: it cleans up and reports.
            Post(MessageLost);
            return System::OkNoError;
        }
        if (state != StateOpen && state != StateCrReceived) return System::Error;
        Reset();
    }
    return ReportUp(nullptr, Lost);
}

ResultCode CotpConnection::OnConnectConfirm(const Protocol::Frame& frame) {
    CcTpdu cc(this);
    const bool decoded = cc.Decode(frame) == System::OkNoError;
    const Protocol::ConnectionState state = GetState();
    if (state == StateClosed) {
        SendDisconnectRequest();
        return System::OkNoError;
    }
    if (state != StateCrSent) {
        Fail();
        return System::OkNoError;
    }
    const std::uint32_t granted = cc.GetTpduSizeCode();
    const bool acceptable = decoded && cc.GetCredit() == 0 && cc.GetProtocolClass() == 0 &&
                            granted >= SmallestSizeCode && granted <= Tpdu::LargestSizeCode;
    bool taken = false;
    {
        std::lock_guard lock(mutex_);
        if (acceptable && GetState() == StateCrSent) {
            sendSizeCode_ = std::min(granted, sizeCode_);
            SetState(StateOpen);
            taken = true;
        }
    }
    if (!taken) {
        // Connect is waiting: a refusal ends it at once.
        Post(MessageRefused);
        return System::OkNoError;
    }
    if (cc.HasTpduSize()) {
        // The peer may send TPDUs of the size it named: the receive side must hold them.
        const std::uint32_t size = 1u << granted;
        SetMaxPduSize(size);
        if (ItotConnection* itot = Itot()) itot->SetMaxPduSize(size);
    }
    // The session hears of it before Connect returns to it.
    if (Connection* upper = GetUpper()) upper->OnLowerEvent(Open);
    Post(MessageConfirmed);
    return System::OkNoError;
}

void CotpConnection::KeepRefusal(const Protocol::Frame& frame) {
    if (Tpdu::TypeOf(frame) == Tpdu::TypeDr) {
        DrTpdu dr(this);
        if (dr.Decode(frame) == System::OkNoError) SetRefusal(PeerRefusals::TransportDisconnect(dr.GetReason()));
        return;
    }
    ErTpdu er(this);
    if (er.Decode(frame) == System::OkNoError) SetRefusal(PeerRefusals::TransportError(er.GetRejectCause()));
}

ResultCode CotpConnection::OnRefusal(const Protocol::Frame& frame) {
    const Protocol::ConnectionState state = GetState();
    if (state == StateCrSent || state == StateConnecting) {
        // Kept before Connect wakes, so that its caller finds the peer's reason.
        KeepRefusal(frame);
        Post(MessageRefused);
        return System::OkNoError;
    }
    if (state == StateClosed) return System::OkNoError;
    Fail();
    return System::OkNoError;
}

ResultCode CotpConnection::OnConnectRequest(const Protocol::Frame& frame) {
    CrTpdu cr(this);
    const bool decoded = cr.Decode(frame) == System::OkNoError;
    bool indicate = false;
    bool refuse = false;
    {
        std::lock_guard lock(mutex_);
        if (decoded && GetState() == StateClosed) {
            peerReference_ = cr.GetSourceReference();
            localReference_ = GetId();
            if (cr.GetDestinationReference() != 0 || cr.GetProtocolClass() != protocolClass_) {
                refuse = true;
            } else {
                if (cr.HasCalledTsap()) remoteSelector_ = cr.GetCalledTsap();
                if (cr.HasCallingTsap()) localSelector_ = cr.GetCallingTsap();
                // The CC grants the proposal up to the largest size class 0 knows; a CR
                // that names none gets the standard's 128 octets.
                sendSizeCode_ = std::clamp(cr.GetTpduSizeCode(), SmallestSizeCode, Tpdu::LargestSizeCode);
                SetState(StateCrReceived);
                indicate = true;
            }
        }
    }
    if (refuse) {
        SendDisconnectRequest();
        return System::OkNoError;
    }
    if (!indicate) {
        Fail();
        return System::OkNoError;
    }
    crDeadline_.Settle();
    ReportUp(nullptr, ConnectIndication);
    return System::OkNoError;
}

ResultCode CotpConnection::OnData(const Protocol::Frame& frame) {
    if (GetState() != StateOpen) return System::Error;
    auto dt = std::make_unique<DtTpdu>(this);
    if (dt->Decode(frame) != System::OkNoError) {
        std::lock_guard lock(mutex_);
        DropPendingLocked();
        return System::Error;
    }
    bool overflow = false;
    {
        std::lock_guard lock(mutex_);
        const std::uint64_t total = std::uint64_t{pendingLength_} + dt->GetWindowLength();
        if (total > MaximumUnitSize) {
            DropPendingLocked();
            overflow = true;
        } else if (!dt->IsEndOfUnit()) {
            pendingLength_ = static_cast<std::uint32_t>(total);
            PendingA().push_back(std::move(dt));
            return System::OkNoError;
        } else if (dt->GetCode() != DtTpdu::ClassZeroCode) {
            DropPendingLocked();
            return System::Error;
        } else if (!PendingA().empty()) {
            std::unique_ptr<std::uint8_t[]> joined(new (std::nothrow) std::uint8_t[total]);
            if (!joined) {
                DropPendingLocked();
                return System::NoResources;
            }
            std::uint32_t offset = 0;
            for (const auto& segment : PendingA()) {
                std::memcpy(joined.get() + offset, segment->WindowData(), segment->GetWindowLength());
                offset += segment->GetWindowLength();
            }
            if (dt->GetWindowLength() > 0) std::memcpy(joined.get() + offset, dt->WindowData(), dt->GetWindowLength());
            dt->AdoptStorage(std::move(joined), static_cast<std::uint32_t>(total));
            dt->SetWindow(0, static_cast<std::uint32_t>(total), 0);
            DropPendingLocked();
        }
    }
    if (overflow) {
        Fail();
        return System::ProtocolError;
    }
    dt->SetState(Protocol::Frame::StateDecoded);
    return ReportUp(dt.get(), Unit);
}
