#pragma once

#include <cstdint>
#include <vector>

#include "osi/CospConnection.h"
#include "osi/CospLayer.h"
#include "osi/CotpConnection.h"
#include "osi/CotpLayer.h"
#include "osi/ItotConnection.h"
#include "osi/ItotLayer.h"
#include "protocol/RawFrame.h"
#include "protocol/Stack.h"

#include "CotpScriptedTcp.h"
#include "CotpTestBytes.h"
#include "RecordingUpper.h"

namespace CotpTest {

using Bytes = std::vector<std::uint8_t>;

// A chain of scripted TCP, RFC 1006, transport and (optionally) session, as the
// association builds it, with a recorder above the top.
class CotpChain {
public:
    explicit CotpChain(bool withSession = false) {
        stack_.InsertLayer(&tcpLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&itotLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&cotpLayer_, Protocol::Stack::OnTop, nullptr);
        if (withSession) stack_.InsertLayer(&cospLayer_, Protocol::Stack::OnTop, nullptr);
        Protocol::Connection* top = stack_.CreateConnection();
        top->SetUpper(&upper);
        if (withSession) {
            cosp = static_cast<CospConnection*>(top);
            cotp = static_cast<CotpConnection*>(top->GetLower());
        } else {
            cotp = static_cast<CotpConnection*>(top);
        }
        itot = static_cast<ItotConnection*>(cotp->GetLower());
        tcp = static_cast<ScriptedTcp*>(cotp->GetBottom());
    }

    // What the layers sent, TPKT by TPKT, without the TPKT header.
    std::vector<Bytes> SentTpdus() const {
        std::vector<Bytes> tpdus;
        for (const Bytes& packet : tcp->Sent()) tpdus.push_back(TpduOf(packet));
        return tpdus;
    }

    // The peer answers a CR with this TPDU (and keeps answering later ones).
    void AnswerConnectRequest(const Bytes& answer) {
        tcp->peer = [this, answer](const Bytes& packet) {
            const Bytes tpdu = TpduOf(packet);
            if (tpdu.size() >= 2 && (tpdu[1] >> 4) == 0xE) tcp->Deliver(Tpkt(answer));
        };
    }

    System::ResultCode Receive(const Bytes& tpdu) { return tcp->Deliver(Tpkt(tpdu)); }

    // A unit in one DT with end mark, as the peer's transport sends it.
    System::ResultCode ReceiveUnit(const Bytes& unit) {
        Bytes tpdu{0x02, 0xF0, 0x80};
        tpdu.insert(tpdu.end(), unit.begin(), unit.end());
        return Receive(tpdu);
    }

    // Opens the transport with a CC that names the size code.
    System::ResultCode OpenTransport(std::uint8_t sizeCode = 0x0A) {
        AnswerConnectRequest(
            {0x09, 0xD0, 0x00, static_cast<std::uint8_t>(cotp->GetId()), 0x00, 0x07, 0x00, 0xC0, 0x01, sizeCode});
        return cotp->Connect();
    }

    OsiTest::RecordingUpper upper;  // outlives the layers below

private:
    ScriptedTcpLayer tcpLayer_;
    ItotLayer itotLayer_;
    CotpLayer cotpLayer_;
    CospLayer cospLayer_;
    Protocol::Stack stack_;

public:
    CospConnection* cosp = nullptr;
    CotpConnection* cotp = nullptr;
    ItotConnection* itot = nullptr;
    ScriptedTcp* tcp = nullptr;
};

// An encoded frame whose window is the bytes, as an upper layer hands one down.
inline std::unique_ptr<Protocol::RawFrame> EncodedFrame(const Bytes& bytes) {
    auto frame = ReceivedFrame(bytes);
    frame->SetState(Protocol::Frame::StateEncoded);
    return frame;
}

}  // namespace CotpTest
