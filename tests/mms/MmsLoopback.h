#pragma once

// Two complete stacks on 127.0.0.1, from TCP up to the MMS service user: a server end
// that listens and answers from its VMD, and a client end that associates with it (or
// with whatever port it is given, a recording relay for instance). Used by the tests
// and by the benchmarks.

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsLayer.h"
#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/ServiceErrorRecord.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/MmsUserLayer.h"
#include "mms/user/VMD.h"
#include "osi/AcseLayer.h"
#include "osi/CoppLayer.h"
#include "osi/CospLayer.h"
#include "osi/CotpLayer.h"
#include "osi/ItotLayer.h"
#include "osi/TcpConnection.h"
#include "osi/W32TcpLayer.h"
#include "protocol/Stack.h"
#include "support/StackProfile.h"
#include "system/Polling.h"

namespace MmsLoopback {

// One end: the layers from TCP up to the service user, and its one chain.
class StackEnd {
public:
    // userLayer: a test's own service user layer on top instead of the library's.
    explicit StackEnd(Mms::MmsUserLayer* userLayer = nullptr) {
        Mms::MmsUserLayer* top = userLayer != nullptr ? userLayer : &userLayer_;
        for (Protocol::Layer* layer : std::initializer_list<Protocol::Layer*>{
                 &tcpLayer, &itotLayer_, &cotpLayer_, &cospLayer_, &coppLayer_, &acseLayer_, &mmsLayer_, top}) {
            stack_.InsertLayer(layer, Protocol::Stack::OnTop, nullptr);
        }
        user = static_cast<Mms::MmsUserConnection*>(stack_.CreateConnection());
    }

    StackEnd(const StackEnd&) = delete;
    StackEnd& operator=(const StackEnd&) = delete;

    // What an association pushes into every connection of its chain after a reset: the
    // profile's defaults, aimed at the port. With keep, each connection also keeps what
    // it took as its parameter text, so that the resets a responder goes through on its
    // own after each lost transport restore it.
    void Reset(std::uint16_t port, bool keep = false) {
        stack_.ResetConnectionChain(user);
        TestSupport::StackProfile::Association(port).ApplyTo(
            user, keep ? TestSupport::StackProfile::Keep::AcrossResets : TestSupport::StackProfile::Keep::No);
    }

    Mms::MmsConnection* Mms() { return user->GetMmsConnection(); }

    W32TcpLayer tcpLayer;
    Mms::MmsUserConnection* user = nullptr;

private:
    ItotLayer itotLayer_;
    CotpLayer cotpLayer_;
    CospLayer cospLayer_;
    CoppLayer coppLayer_;
    AcseLayer acseLayer_;
    Mms::MmsLayer mmsLayer_;
    Mms::MmsUserLayer userLayer_;
    Protocol::Stack stack_;
};

// The library's own server: listens on a port the system picks and answers from the VMD.
class Server {
public:
    explicit Server(Mms::VMD& vmd, Mms::MmsUserLayer* userLayer = nullptr) : end(userLayer) {
        end.tcpLayer.StartListening(0, 0);
        end.Reset(0, true);
        end.user->SetVmd(&vmd);
        vmd.SetConnection(end.user);
        // Last: from here on the accept side may hand the chain a connection, and what
        // was set before is seen by the receive thread.
        end.tcpLayer.AddWaitingConnection(static_cast<TcpConnection*>(end.user->GetBottom()));
    }
    ~Server() { end.tcpLayer.StopListening(); }

    std::uint16_t Port() const { return end.tcpLayer.GetListenPort(); }

    // Waits until the chain has let go of its last association (the service user, the
    // machine and association control reset, the socket closed), so that the next one
    // is accepted: false after the limit.
    bool WaitUntilIdle(int limitMs = 10000) {
        return TestSupport::Eventually(
            [this] {
                Protocol::Connection* mms = end.user->GetLower();
                Protocol::Connection* acse = mms != nullptr ? mms->GetLower() : nullptr;
                return end.user->GetState() == 0 && mms != nullptr && mms->GetState() == 0 && acse != nullptr &&
                       acse->GetState() == 0 && end.user->GetBottom()->GetState() == 0;
            },
            std::chrono::milliseconds(limitMs));
    }

    StackEnd end;
};

// The client: its VMD is the image of the server's.
class Client {
public:
    Client() {
        end.user->SetVmd(&vmd);
        vmd.SetConnection(end.user);
    }

    // Resets the chain, aims it at the port and runs the initiate exchange.
    System::ResultCode Associate(std::uint16_t port,
                                 const Mms::InitiateParameters& proposal = Mms::InitiateParameters::Defaults()) {
        end.Reset(port);
        Mms::ServiceErrorRecord error;
        return end.user->Initiate(proposal, negotiated, error);
    }

    // Conclude and close.
    System::ResultCode Release() {
        Mms::ServiceErrorRecord error;
        return end.user->ConcludeAndWait(error);
    }

    Mms::MmsUserConnection& User() { return *end.user; }

    // Declared first so that it outlives the chain whose receive thread files into it.
    Mms::VMD vmd;
    StackEnd end;
    Mms::InitiateParameters negotiated;
};

}  // namespace MmsLoopback
