// Confirmed GetDataValues against the test device on loopback: one attribute, one whole
// logical node, and beside them the MMS read of the same attribute's variable through the
// same association, without the ACSI service around it, and the TCP round trip that
// bounds them both.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <list>
#include <memory>
#include <string>

#include "TcpPingPong.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/user/NamedVariable.h"

namespace {

using namespace Iec61850::Acsi;
using Iec61850::AnswerFrom;

// Waits for one confirmation at a time, with the library's own wait.
class BenchClient : public Iec61850::ClientApplication {
public:
    std::int32_t Wait() {
        // Every callback signals the confirmation: the one asked for has come when done_ says so.
        for (int timeouts = 0; !done_.load(std::memory_order_acquire);) {
            if (WaitForConfirmation(1000) == System::Semaphore::TimedOut && ++timeouts == 10) return -1;
        }
        done_.store(false, std::memory_order_relaxed);
        return serviceError_;
    }
    std::int32_t OnGetDataValues(Iec61850::Acsi::GetDataValues* s) override { return Done(s->GetServiceError()); }
    std::int32_t OnGetLogicalDeviceDirectory(Iec61850::Acsi::GetLogicalDeviceDirectory* s) override {
        names.assign(s->names.begin(), s->names.end());
        more = s->GetMoreFollows();
        return Done(s->GetServiceError());
    }
    std::int32_t OnGetLogicalNodeDirectory(Iec61850::Acsi::GetLogicalNodeDirectory* s) override {
        return Done(s->GetServiceError());
    }
    std::list<std::string> names;
    bool more = false;

private:
    std::int32_t Done(std::int32_t error) {
        serviceError_ = error;
        done_.store(true, std::memory_order_release);
        return 0;
    }
    std::atomic<bool> done_{false};
    std::int32_t serviceError_ = -1;
};

// Voluntary and involuntary context switches of the whole process (client, device and
// their threads) per iteration.
class SwitchCounter {
public:
    SwitchCounter() : start_(Now()) {}
    void Report(benchmark::State& state) const {
        const auto iterations = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
        state.counters["ctxsw/op"] = static_cast<double>(Now() - start_) / iterations;
    }

private:
    static long Now() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_nvcsw + usage.ru_nivcsw;
    }
    long start_;
};

struct Session {
    Session() { associated = device.Start() == System::OkNoError && Load(); }
    ~Session() {
        client.ClearAssociation();
        server.reset();
    }

    bool Load() {
        AssociationProfile& profile = *server->GetProfile(0);
        profile.SetParameter("RemoteNPort", std::to_string(device.Port()));
        profile.SetParameter("LocalSTimeout", "300");
        if (client.Associate(profile, 0) != System::OkNoError) return false;
        if (server->AddLogicalDevice("LD0") != System::OkNoError) return false;
        LogicalDevice* ld0 = nullptr;
        server->FindLogicalDevice("LD0", ld0);
        std::string after;
        do {
            std::uint32_t id = 0;
            if (client.GetLogicalDeviceDirectoryAfter(id, "LD0", AnswerFrom::Device, after) != System::OkNoError ||
                client.Wait() != 0)
                return false;
            ld0->directoryNames.insert(ld0->directoryNames.end(), client.names.begin(), client.names.end());
            if (!client.names.empty()) after = client.names.back();
        } while (client.more);
        ld0->directoryState = DirectoryState::Complete;
        if (ld0->BuildFromDirectory() != System::OkNoError) return false;
        for (const char* node : {"MMXU1", "XCBR1"}) {
            std::uint32_t id = 0;
            if (client.GetLogicalNodeDirectory(id, std::string("LD0/") + node, 22, AnswerFrom::Device) !=
                    System::OkNoError ||
                client.Wait() != 0 || ld0->FindLogicalNode(node)->Build() != System::OkNoError) {
                return false;
            }
        }
        return true;
    }

    TestDevice::Device device;
    std::unique_ptr<Server> server = std::make_unique<Server>();
    BenchClient client;
    bool associated = false;
};

void GetDataValues(benchmark::State& state, const char* fc, const char* reference) {
    Session session;
    if (!session.associated) {
        state.SkipWithError("no association or model");
        return;
    }
    const SwitchCounter switches;
    for (auto _ : state) {
        std::uint32_t id = 0;
        if (session.client.GetDataValues(id, {fc, reference}, AnswerFrom::Device) != System::OkNoError ||
            session.client.Wait() != 0) {
            state.SkipWithError("read failed");
            return;
        }
    }
    switches.Report(state);
    state.counters["reads/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// One attribute: LD0/MMXU1$MX$TotW$mag$f.
void GetDataValuesOfOneAttribute(benchmark::State& state) { GetDataValues(state, "MX", "LD0/MMXU1.TotW.mag.f"); }
BENCHMARK(GetDataValuesOfOneAttribute)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A path under several constraints: the whole node XCBR1 is read.
void GetDataValuesOfOneLogicalNode(benchmark::State& state) { GetDataValues(state, "XX", "LD0/XCBR1.Pos"); }
BENCHMARK(GetDataValuesOfOneLogicalNode)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same attribute's variable read by the MMS service user of the same association.
void MmsReadOfTheSameVariable(benchmark::State& state) {
    Session session;
    Mms::Domain* domain = nullptr;
    Mms::NamedVariable* variable = nullptr;
    if (session.associated && session.server->FindDomain("LD0", domain) == System::OkNoError)
        variable = domain->FindNamedVariable("MMXU1$MX$TotW$mag$f");
    if (variable == nullptr) {
        state.SkipWithError("no association or model");
        return;
    }
    TPAppAssociation* association = session.client.GetAssociation();
    const SwitchCounter switches;
    for (auto _ : state) {
        if (const System::ResultCode result = association->ReadVariableValueAndWait(variable);
            result != System::OkNoError) {
            state.SkipWithError(("read failed: " + std::to_string(result)).c_str());
            return;
        }
    }
    switches.Report(state);
    state.counters["reads/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(MmsReadOfTheSameVariable)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The floor both reads stand on: 100 octets there and back over loopback TCP between two
// threads of this program, with nothing of the stack around them.
void TcpPingPongFloor(benchmark::State& state) {
    TcpPingPong::Pair pair(100);
    if (!pair.IsReady()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    const SwitchCounter switches;
    for (auto _ : state) {
        if (!pair.RoundTrip()) {
            state.SkipWithError("round trip failed");
            return;
        }
    }
    switches.Report(state);
}
BENCHMARK(TcpPingPongFloor)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
