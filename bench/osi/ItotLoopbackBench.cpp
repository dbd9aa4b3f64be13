// Frames and round trips per second through TCP + RFC 1006 on the loopback
// interface: a client chain against the library's own listener.

#include "osi/ItotConnection.h"
#include "osi/ItotLayer.h"
#include "osi/TcpConnection.h"
#include "osi/W32TcpLayer.h"
#include "protocol/Frame.h"
#include "protocol/RawFrame.h"
#include "protocol/Stack.h"
#include "support/StackProfile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Counts the TPDUs that arrive and, when echoing, sends each one straight back from
// the receive thread.
class CountingUpper : public Protocol::Connection {
public:
    explicit CountingUpper(bool echo) : Connection(nullptr), echo_(echo) {}

    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override {
        if (event == 2 && echo_) {
            Protocol::RawFrame answer(nullptr);
            answer.Append(frame->WindowData(), frame->GetWindowLength());
            itot_->SendFrame(&answer, TransportLink::Handshake());
        }
        {
            std::lock_guard lock(mutex_);
            if (event == 1) connected_ = true;
            else if (event == 2) ++received_;
        }
        changed_.notify_all();
        return System::OkNoError;
    }

    void Attach(ItotConnection* itot) { itot_ = itot; }

    bool WaitForCount(std::uint64_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return received_ >= count; });
    }

    bool WaitForConnected() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return connected_; });
    }

private:
    const bool echo_;
    ItotConnection* itot_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;
    std::uint64_t received_ = 0;
};

// Both ends in one process, each with its own TCP and RFC 1006 layers.
class Loopback {
public:
    explicit Loopback(bool echo) : serverUpper_(echo), clientUpper_(false) {
        for (auto* end : {&server_, &client_}) {
            end->stack.InsertLayer(&end->tcp, Protocol::Stack::OnTop, nullptr);
            end->stack.InsertLayer(&end->itot, Protocol::Stack::OnTop, nullptr);
        }
        server_.tcp.StartListening(0, 0);
        served_ = Chain(server_, serverUpper_);
        server_.tcp.AddWaitingConnection(static_cast<TcpConnection*>(served_->GetBottom()));

        caller_ = Chain(client_, clientUpper_);
        TestSupport::StackProfile::Address(server_.tcp.GetListenPort()).ApplyTo(caller_);
        ok_ = caller_->Connect() == System::OkNoError && serverUpper_.WaitForConnected();
        // What the transport layer does once the TPDU size is agreed.
        caller_->SetMaxPduSize(ItotConnection::MaximumTpduSize);
        served_->SetMaxPduSize(ItotConnection::MaximumTpduSize);
    }

    bool Ok() const { return ok_; }
    ItotConnection* Caller() { return caller_; }
    CountingUpper& ServerUpper() { return serverUpper_; }
    CountingUpper& ClientUpper() { return clientUpper_; }

private:
    struct End {
        W32TcpLayer tcp;
        ItotLayer itot;
        Protocol::Stack stack;
    };

    static ItotConnection* Chain(End& end, CountingUpper& upper) {
        auto* itot = static_cast<ItotConnection*>(end.stack.CreateConnection());
        itot->SetUpper(&upper);
        upper.Attach(itot);
        return itot;
    }

    CountingUpper serverUpper_;  // outlive both ends' receive threads
    CountingUpper clientUpper_;
    End server_;
    End client_;
    ItotConnection* served_ = nullptr;
    ItotConnection* caller_ = nullptr;
    bool ok_ = false;
};

void Fill(Protocol::RawFrame& frame, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    frame.Append(bytes.data(), static_cast<std::uint32_t>(size));
}

void BM_FramesOneWay(benchmark::State& state) {
    Loopback loopback(false);
    if (!loopback.Ok()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    Protocol::RawFrame frame(nullptr);
    Fill(frame, static_cast<std::size_t>(state.range(0)));
    std::uint64_t sent = 0;
    for (auto _ : state) {
        loopback.Caller()->SendFrame(&frame, TransportLink::Handshake());
        ++sent;
    }
    // The frames count once they have arrived.
    if (!loopback.ServerUpper().WaitForCount(sent)) state.SkipWithError("frames lost");
    state.SetItemsProcessed(static_cast<std::int64_t>(sent));
    state.SetBytesProcessed(static_cast<std::int64_t>(sent) * state.range(0));
}
BENCHMARK(BM_FramesOneWay)->Arg(16)->Arg(256)->Arg(4096)->Arg(65531)->UseRealTime();

void BM_RoundTrip(benchmark::State& state) {
    Loopback loopback(true);
    if (!loopback.Ok()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    Protocol::RawFrame frame(nullptr);
    Fill(frame, static_cast<std::size_t>(state.range(0)));
    std::uint64_t trips = 0;
    for (auto _ : state) {
        loopback.Caller()->SendFrame(&frame, TransportLink::Handshake());
        if (!loopback.ClientUpper().WaitForCount(++trips)) {
            state.SkipWithError("no answer");
            break;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(trips));
}
BENCHMARK(BM_RoundTrip)->Arg(16)->Arg(1024)->Arg(16384)->UseRealTime();

}  // namespace
