// A session abort over a transport whose close takes a while: the abort returns only
// once the transport below is closed.
#include "osi/CospConnection.h"
#include "osi/CospLayer.h"
#include "osi/CotpConnection.h"
#include "osi/CotpLayer.h"
#include "osi/ItotConnection.h"
#include "osi/ItotLayer.h"
#include "protocol/Stack.h"

#include "CotpChain.h"
#include "CotpScriptedTcp.h"
#include "CotpTestBytes.h"
#include "RecordingUpper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace {

// A scripted TCP connection whose close takes a while, as a real one does while the
// receive thread finishes.
class SlowClosingTcp : public CotpTest::ScriptedTcp {
public:
    using ScriptedTcp::ScriptedTcp;
    System::ResultCode Close() override {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return ScriptedTcp::Close();
    }
};

class SlowClosingTcpLayer : public CotpTest::ScriptedTcpLayer {
public:
    Protocol::Connection* CreateConnection() override { return new SlowClosingTcp(this); }
};

// A session chain over the slow TCP whose peer confirms the transport and accepts
// the session.
class SlowSessionChain {
public:
    SlowSessionChain() {
        stack_.InsertLayer(&tcpLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&itotLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&cotpLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&cospLayer_, Protocol::Stack::OnTop, nullptr);
        cosp = static_cast<CospConnection*>(stack_.CreateConnection());
        cosp->SetUpper(&upper);
        cotp = static_cast<CotpConnection*>(cosp->GetLower());
        itot = static_cast<ItotConnection*>(cotp->GetLower());
        tcp = static_cast<SlowClosingTcp*>(cosp->GetBottom());
        cosp->SetParameter("LocalSTimeout", "60000");  // a wait that ran out shows as a hang
        tcp->peer = [this](const CotpTest::Bytes& packet) {
            const CotpTest::Bytes tpdu = CotpTest::TpduOf(packet);
            if (tpdu.size() >= 2 && (tpdu[1] >> 4) == 0xE) {
                tcp->Deliver(CotpTest::Tpkt(CotpTest::Hex("06 D0 00 01 00 07 00")));
            } else if (tpdu.size() >= 4 && tpdu[1] == 0xF0) {
                const CotpTest::Bytes unit(tpdu.begin() + 3, tpdu.end());
                if (onUnit) onUnit(unit);
            }
        };
    }

    ~SlowSessionChain() {
        if (receiver.joinable()) receiver.join();
    }

    System::ResultCode ReceiveUnit(const CotpTest::Bytes& unit) {
        CotpTest::Bytes tpdu{0x02, 0xF0, 0x80};
        tpdu.insert(tpdu.end(), unit.begin(), unit.end());
        return tcp->Deliver(CotpTest::Tpkt(tpdu));
    }

    System::ResultCode Establish() {
        onUnit = [this](const CotpTest::Bytes& unit) {
            // AC with duplex, the called selector 1 and a small user data.
            if (unit[0] == 0x0D)
                ReceiveUnit(CotpTest::Hex("0E 16 05 06 13 01 00 16 01 02 14 02 00 02 34 02 00 01 C1 04 31 02 A0 00"));
        };
        const auto cp = CotpTest::EncodedFrame(CotpTest::Hex("31 02 A0 00"));
        const System::ResultCode result = cosp->Connect(cp.get());
        onUnit = nullptr;
        return result;
    }

    OsiTest::RecordingUpper upper;  // outlives the layers below
    std::function<void(const CotpTest::Bytes&)> onUnit;
    std::thread receiver;  // stands in for the receive thread

private:
    SlowClosingTcpLayer tcpLayer_;
    ItotLayer itotLayer_;
    CotpLayer cotpLayer_;
    CospLayer cospLayer_;
    Protocol::Stack stack_;

public:
    CospConnection* cosp = nullptr;
    CotpConnection* cotp = nullptr;
    ItotConnection* itot = nullptr;
    SlowClosingTcp* tcp = nullptr;
};

// A peer that answers the AB with AA: Abort must not return before the transport
// below is closed, or an association that connects again at once finds it half open
// and fails.
TEST(CospAbort, AbortAnsweredWithAaReturnsOnlyOnceTheTransportIsClosed) {
    SlowSessionChain chain;
    ASSERT_EQ(chain.Establish(), System::OkNoError);
    ASSERT_EQ(chain.cosp->GetState(), CospConnection::StateDataTransfer);
    chain.onUnit = [&chain](const CotpTest::Bytes& unit) {
        if (unit[0] == 0x19) chain.receiver = std::thread([&chain] { chain.ReceiveUnit(CotpTest::Hex("1A 00")); });
    };
    EXPECT_EQ(chain.cosp->Abort(nullptr, TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
    EXPECT_EQ(chain.itot->GetState(), 0);
    EXPECT_EQ(chain.tcp->GetState(), 0);
    chain.receiver.join();
    chain.onUnit = nullptr;

    // And the association can be opened again at once.
    EXPECT_EQ(chain.Establish(), System::OkNoError);
    EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateDataTransfer);
}

}  // namespace
