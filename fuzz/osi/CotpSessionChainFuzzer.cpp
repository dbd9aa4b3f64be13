// A session over transport class 0 over RFC 1006 over a scripted TCP connection, as
// an association builds it, is connected (as initiator or as responder) and then
// driven by the input: units from a hostile peer (TPDUs, session units in one DT or
// in segments, raw stream bytes, a close) mixed with the local side's own calls
// (data, accept, refuse, abort, a new connect). After every step the layers must
// agree with one another; each run ends with the chain torn down and nothing waited
// for. No thread of the chain's own runs: the scripted peer answers on the calling
// thread (a refusal only arms the session's timer on the process's one timer thread).
//
// Input: one mode octet, then steps. A step is an operation octet and, for the
// operations that carry bytes, a two-octet big-endian length and that many bytes
// (fewer at the input's end).
//
// Mode: bit 0 responder; bit 1 the session connect completes by itself (the peer
// accepts, or this side accepts the peer's connect); bits 2-4 the TPDU size that the
// peer's CC grants (none, or 2^7 .. 2^13); bit 5 the peer answers an abort with AA
// rather than by closing.
//
// Operation (low three bits): 0 a TPDU in a TPKT; 1 a session unit in one DT;
// 2 a DT segment without end mark; 3 raw bytes into the stream; 4 the peer closes
// (bit 3 set: the local side closes the chain);
// 5 S-DATA with the bytes; 6 the local answer: accept (bit 3 clear) or refuse (bit 3
// set, reason in bits 4-7) a connect that waits for one, else abort (bit 3: with the
// bytes as user data); 7 connect anew with the bytes as user data.
#include "osi/CospConnection.h"
#include "osi/CospLayer.h"
#include "osi/CotpConnection.h"
#include "osi/CotpLayer.h"
#include "osi/ItotConnection.h"
#include "osi/ItotLayer.h"
#include "osi/Spdu.h"
#include "osi/Tpdu.h"
#include "protocol/RawFrame.h"
#include "protocol/Stack.h"

#include "CotpScriptedTcp.h"
#include "RecordingUpper.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using CotpTest::ScriptedTcp;

// A broken expectation names its line before the run ends.
void Require(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "expectation broken at line %d\n", line);
    std::abort();
}

Bytes Join(Bytes a, std::span<const std::uint8_t> b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Tpkt(std::span<const std::uint8_t> tpdu) {
    const std::size_t length = tpdu.size() + 4;
    Bytes packet{0x03, 0x00, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    return Join(std::move(packet), tpdu);
}

std::unique_ptr<Protocol::RawFrame> EncodedFrame(std::span<const std::uint8_t> bytes) {
    auto frame = std::make_unique<Protocol::RawFrame>(nullptr);
    const auto length = static_cast<std::uint32_t>(bytes.size());
    if (length > 0) {
        Require(frame->Allocate(length) == System::OkNoError);
        std::memcpy(frame->Data(), bytes.data(), length);
    }
    frame->SetWindow(0, length, 0);
    frame->SetState(Protocol::Frame::StateEncoded);
    return frame;
}

// A presentation connect and its accept, as carried in CN and AC.
const Bytes kCp{0x31, 0x0A, 0xA0, 0x08, 0x80, 0x02, 0x07, 0x80, 0xA2, 0x02, 0x30, 0x00};
const Bytes kCpa{0x31, 0x06, 0xA0, 0x04, 0x80, 0x02, 0x07, 0x80};
// A peer's CR: DST-REF 0, SRC-REF 9, class 0.
const Bytes kCr{0x06, 0xE0, 0x00, 0x00, 0x00, 0x09, 0x00};
// A peer's CN: version 2, duplex, selectors 1 and 1, kCp.
const Bytes kCn = Join({0x0D, 0x22, 0x05, 0x06, 0x13, 0x01, 0x00, 0x16, 0x01, 0x02, 0x14, 0x02,
                        0x00, 0x02, 0x33, 0x02, 0x00, 0x01, 0x34, 0x02, 0x00, 0x01, 0xC1, 0x0C},
                       kCp);
// A peer's AC: version 2, duplex, selector 1, kCpa.
const Bytes kAc = Join({0x0E, 0x1A, 0x05, 0x06, 0x13, 0x01, 0x00, 0x16, 0x01, 0x02,
                        0x14, 0x02, 0x00, 0x02, 0x34, 0x02, 0x00, 0x01, 0xC1, 0x08},
                       kCpa);

constexpr std::uint32_t ConnectData = CospConnection::ConnectData;
constexpr std::uint32_t AcceptData = CospConnection::AcceptData;
constexpr std::uint32_t DataEvent = CospConnection::Data;
constexpr std::uint32_t TokensGiven = CospConnection::TokensGiven;
constexpr std::uint32_t AbortEvent = CospConnection::AbortIndication;
constexpr std::uint32_t RefuseEvent = CospConnection::RefuseData;

// A call that waited for a time-out would take about the session's timeout; nothing
// here should wait at all.
constexpr const char* kSessionParameters = "LocalSTimeout=4000;LocalSSelector=1;RemoteSSelector=1";
constexpr auto kLongestCall = std::chrono::milliseconds(2000);

struct Mode {
    bool responder = false;
    bool completes = false;
    int grantedSize = 0;  // 0: the CC names no size; else the size code
    bool answersAbortWithAa = false;
};

class ChainRun {
public:
    explicit ChainRun(Mode mode) : mode_(mode) {
        stack_.InsertLayer(&tcpLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&itotLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&cotpLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&cospLayer_, Protocol::Stack::OnTop, nullptr);
        cosp_ = static_cast<CospConnection*>(stack_.CreateConnection());
        Require(cosp_ != nullptr);
        cosp_->SetUpper(&upper_);
        cosp_->SetParameterText(kSessionParameters);
        Require(cosp_->ApplyParameterText() == System::OkNoError);
        cotp_ = static_cast<CotpConnection*>(cosp_->GetLower());
        itot_ = static_cast<ItotConnection*>(cotp_->GetLower());
        tcp_ = static_cast<ScriptedTcp*>(cotp_->GetBottom());
        tcp_->peer = [this](const Bytes& packet) { OnSent(packet); };
    }

    ~ChainRun() {
        tcp_->peer = nullptr;
        stack_.DeleteConnection(cosp_);
        Require(cospLayer_.GetConnectionCount() == 0 && cotpLayer_.GetConnectionCount() == 0);
        Require(itotLayer_.GetConnectionCount() == 0 && tcpLayer_.GetConnectionCount() == 0);
    }

    // The connect the mode asks for; it must succeed, whatever the peer does later.
    void Establish() {
        if (mode_.responder) {
            AcceptTcp();
            Require(Receive(Tpkt(kCr)) == System::OkNoError);
            Require(cosp_->GetState() == CospConnection::StateAwaitingConnect);
            if (mode_.completes) {
                Require(Receive(Tpkt(Join({0x02, 0xF0, 0x80}, kCn))) == System::OkNoError);
                Require(cosp_->GetState() == CospConnection::StateAwaitingResponse);
                Require(Timed([&] { return cosp_->AcceptConnect(EncodedFrame(kCpa).get()); }) == System::OkNoError);
                Require(cosp_->GetState() == CospConnection::StateDataTransfer);
            }
        } else {
            Require(Connect(kCp) == System::OkNoError);
            Require(cosp_->GetState() ==
                    (mode_.completes ? CospConnection::StateDataTransfer : CospConnection::StateAwaitingAccept));
        }
        Check();
    }

    void Step(std::uint8_t operation, std::span<const std::uint8_t> bytes) {
        switch (operation & 0x07) {
            case 0: Deliver(Tpkt(bytes)); break;
            case 1: Deliver(Tpkt(Join({0x02, 0xF0, 0x80}, bytes))); break;
            case 2: Deliver(Tpkt(Join({0x02, 0xF0, 0x00}, bytes))); break;
            case 3: Deliver(Bytes(bytes.begin(), bytes.end())); break;
            case 4:
                if ((operation & 0x08) != 0) {
                    Timed([&] { return cosp_->Close(); });
                    Require(cosp_->GetState() == CospConnection::StateIdle);
                } else if (tcp_->GetState() == TcpConnection::StateConnected) {
                    tcp_->DeliverClosed();
                }
                break;
            case 5: SendData(bytes); break;
            case 6: Answer(operation, bytes); break;
            default: Reconnect(bytes); break;
        }
        Check();
    }

    // Ends what stands as the local side would before the chain goes.
    void Finish() {
        const Protocol::ConnectionState state = cosp_->GetState();
        const bool abortable =
            state == CospConnection::StateAwaitingAccept || state == CospConnection::StateConnectOverflow ||
            state == CospConnection::StateAwaitingResponse || state == CospConnection::StateDataTransfer;
        const System::ResultCode result =
            Timed([&] { return cosp_->Abort(nullptr, TransportLink::Handshake(), AbortWait::ForPeer); });
        Require(abortable ? result == System::OkNoError : result == System::InvalidState);
        if (abortable) {
            Require(cosp_->GetState() == CospConnection::StateIdle);
            Require(cotp_->GetState() == CotpConnection::StateClosed);
            Require(tcp_->GetState() != TcpConnection::StateConnected);
        }
        Check();
    }

private:
    template <typename Call>
    System::ResultCode Timed(Call call) {
        const auto start = std::chrono::steady_clock::now();
        const System::ResultCode result = call();
        Require(std::chrono::steady_clock::now() - start < kLongestCall);
        return result;
    }

    System::ResultCode Receive(const Bytes& bytes) {
        return Timed([&] { return tcp_->Deliver(bytes); });
    }

    // A listener hands the idle chain a new TCP connection.
    void AcceptTcp() {
        tcp_->SetState(TcpConnection::StateConnected);
        itot_->OnLowerBytes(nullptr, 0, ItotConnection::Connected);
    }

    // Bytes reach the chain only over a TCP connection; a responder is connected to
    // anew first, an initiator's stream that is gone carries nothing.
    void Deliver(const Bytes& bytes) {
        if (tcp_->GetState() != TcpConnection::StateConnected) {
            if (!mode_.responder) return;
            AcceptTcp();
        }
        Receive(bytes);
    }

    System::ResultCode Connect(std::span<const std::uint8_t> userData) {
        const std::size_t abortsBefore = upper_.Count(AbortEvent);
        const System::ResultCode result = Timed([&] { return cosp_->Connect(EncodedFrame(userData).get()); });
        // A connect that fails says so exactly once.
        Require(upper_.Count(AbortEvent) == abortsBefore + (result == System::OkNoError ? 0 : 1));
        return result;
    }

    void SendData(std::span<const std::uint8_t> bytes) {
        const bool open = cosp_->GetState() == CospConnection::StateDataTransfer;
        const System::ResultCode result =
            Timed([&] { return cosp_->SendData(EncodedFrame(bytes).get(), TransportLink::Handshake()); });
        if (!open) Require(result == System::InvalidState);
    }

    void Answer(std::uint8_t operation, std::span<const std::uint8_t> bytes) {
        const bool refuse = (operation & 0x08) != 0;
        if (cosp_->GetState() == CospConnection::StateAwaitingResponse) {
            const System::ResultCode result = Timed([&] {
                return refuse
                           ? cosp_->RefuseConnect(static_cast<std::uint8_t>(operation >> 4), EncodedFrame(bytes).get())
                           : cosp_->AcceptConnect(EncodedFrame(bytes).get());
            });
            if (result == System::OkNoError) {
                Require(cosp_->GetState() ==
                        (refuse ? CospConnection::StateAborting : CospConnection::StateDataTransfer));
            }
            return;
        }
        Timed([&] {
            return cosp_->Abort(refuse ? EncodedFrame(bytes).get() : nullptr, TransportLink::Handshake(),
                                AbortWait::ForPeer);
        });
        const Protocol::ConnectionState state = cosp_->GetState();
        Require(state != CospConnection::StateDataTransfer && state != CospConnection::StateAwaitingAccept);
    }

    void Reconnect(std::span<const std::uint8_t> userData) {
        if (cosp_->GetState() != CospConnection::StateIdle) return;
        if (mode_.responder) {
            if (tcp_->GetState() != TcpConnection::StateConnected) AcceptTcp();
            Receive(Tpkt(kCr));
            return;
        }
        if (tcp_->GetState() == TcpConnection::StateConnected) return;
        Connect(userData);
    }

    // The peer: confirms each CR, answers a complete CN when the mode says so, and
    // ends an AB with AA or a close.
    void OnSent(const Bytes& packet) {
        Require(packet.size() >= 7 && packet[0] == 0x03 && packet[1] == 0x00);
        Require(((packet[2] << 8) | packet[3]) == static_cast<int>(packet.size()));
        const std::span<const std::uint8_t> tpdu = std::span<const std::uint8_t>(packet).subspan(4);
        if ((tpdu[1] >> 4) == Tpdu::TypeCr) {
            Bytes cc{0x06, 0xD0, 0x00, 0x01, 0x00, 0x07, 0x00};
            if (mode_.grantedSize != 0) {
                cc.insert(cc.end(), {0xC0, 0x01, static_cast<std::uint8_t>(mode_.grantedSize)});
                cc[0] = static_cast<std::uint8_t>(cc.size() - 1);
            }
            tcp_->Deliver(Tpkt(cc));
            return;
        }
        if (tpdu[1] != 0xF0) return;  // CC, DR: nothing to answer
        Require(tpdu[0] == 2);
        // Our DTs never exceed the size in force.
        Require(tpdu.size() <= (1u << cotp_->GetSendSizeCode()));
        peerUnit_.insert(peerUnit_.end(), tpdu.begin() + 3, tpdu.end());
        if ((tpdu[2] & 0x80) == 0) return;
        const Bytes unit = std::move(peerUnit_);
        peerUnit_.clear();
        Require(!unit.empty());
        if (unit[0] == Spdu::SiConnect && mode_.completes) {
            tcp_->Deliver(Tpkt(Join({0x02, 0xF0, 0x80}, kAc)));
        } else if (unit[0] == Spdu::SiAbort) {
            // An AA joined to a segment that the input left unfinished is no AA: the
            // peer then releases the transport connection, as the AB asks.
            if (mode_.answersAbortWithAa) tcp_->Deliver(Tpkt(Bytes{0x02, 0xF0, 0x80, 0x1A, 0x00}));
            if (cosp_->GetState() == CospConnection::StateAborting) tcp_->DeliverClosed();
        }
    }

    // The layers agree: a session stands only on an open transport, an open
    // transport only on a connected stream, and the events above are well formed.
    void Check() {
        const Protocol::ConnectionState session = cosp_->GetState();
        const Protocol::ConnectionState transport = cotp_->GetState();
        switch (session) {
            case CospConnection::StateIdle:
            case CospConnection::StateAwaitingConnect:
            case CospConnection::StateAwaitingAccept:
            case CospConnection::StateConnectOverflow:
            case CospConnection::StateAwaitingResponse:
            case CospConnection::StateAborting:
            case CospConnection::StateDataTransfer: break;
            default:  // the transient states end inside the calls that enter them
                Require(false);
        }
        Require(transport == CotpConnection::StateOpen || transport == CotpConnection::StateClosed);
        if (session != CospConnection::StateIdle) Require(transport == CotpConnection::StateOpen);
        if (transport == CotpConnection::StateOpen) {
            Require(itot_->GetState() == ItotConnection::StateConnected);
            Require(tcp_->GetState() == TcpConnection::StateConnected);
        }
        Require(cosp_->IsResponder() == (mode_.responder && session != CospConnection::StateIdle));

        const auto records = upper_.Records();
        for (std::size_t i = checkedRecords_; i < records.size(); ++i) {
            const auto& record = records[i];
            switch (record.event) {
                case ConnectData: Require(mode_.responder); break;
                case AcceptData: Require(!mode_.responder); break;
                case RefuseEvent: Require(!mode_.responder); break;
                case DataEvent:
                    // Each PDU follows the tokens given with it.
                    Require(i > 0 && records[i - 1].event == TokensGiven);
                    break;
                case TokensGiven:
                case AbortEvent: break;
                default: Require(false);
            }
        }
        checkedRecords_ = records.size();
    }

    const Mode mode_;
    OsiTest::RecordingUpper upper_;  // outlives the chain
    CotpTest::ScriptedTcpLayer tcpLayer_;
    ItotLayer itotLayer_;
    CotpLayer cotpLayer_;
    CospLayer cospLayer_;
    Protocol::Stack stack_;
    CospConnection* cosp_ = nullptr;
    CotpConnection* cotp_ = nullptr;
    ItotConnection* itot_ = nullptr;
    ScriptedTcp* tcp_ = nullptr;
    Bytes peerUnit_;
    std::size_t checkedRecords_ = 0;
};

bool TakesBytes(std::uint8_t operation) {
    const int kind = operation & 0x07;
    return kind != 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    Mode mode;
    mode.responder = (data[0] & 0x01) != 0;
    mode.completes = (data[0] & 0x02) != 0;
    const int sizeChoice = (data[0] >> 2) & 0x07;
    mode.grantedSize = sizeChoice == 0 ? 0 : 6 + sizeChoice;
    mode.answersAbortWithAa = (data[0] & 0x20) != 0;

    ChainRun run(mode);
    run.Establish();
    std::size_t at = 1;
    while (at < size) {
        const std::uint8_t operation = data[at++];
        std::span<const std::uint8_t> bytes;
        if (TakesBytes(operation)) {
            std::size_t length = 0;
            if (at < size) length = std::size_t{data[at++]} << 8;
            if (at < size) length |= data[at++];
            if (length > size - at) length = size - at;
            bytes = std::span<const std::uint8_t>(data + at, length);
            at += length;
        }
        run.Step(operation, bytes);
    }
    run.Finish();
    return 0;
}
