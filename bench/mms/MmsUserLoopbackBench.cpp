// Confirmed MMS requests per second over the whole stack on the loopback interface: a
// client against the library's own server, one request outstanding at a time.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "TcpPingPong.h"

#include "mms/LoopbackModel.h"
#include "mms/MmsLoopback.h"
#include "mms/MmsObjectTestSupport.h"

namespace {

constexpr int kListSize = 1000;
constexpr int kBlobSize = 10000;

// The server's model plus domain BIG: kListSize integers, the list BIG/All of them and
// BIG/Blob, an octet string of kBlobSize octets.
class BenchVmd : public LoopbackModel::TestVmd {
public:
    BenchVmd() {
        auto* big = new Mms::Domain(nullptr, "BIG", this);
        AddObject(big);
        Mms::NamedVariable* blob =
            MmsObjectTest::AddVariable(*big, "Blob", MmsObjectTest::SimpleType(Mms::MmsTypeOctetString, kBlobSize));
        blob->FromText(std::string(2 * kBlobSize, 'A'));
        auto* all = new Mms::NamedVariableList("All", big);
        for (int i = 0; i < kListSize; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "V%04d", i);
            Mms::NamedVariable* variable =
                MmsObjectTest::AddVariable(*big, name, MmsObjectTest::SimpleType(Mms::MmsTypeInteger, 32));
            variable->FromText(std::to_string(i * 7));
            all->Members.push_back(variable);
        }
    }
};

struct Session {
    Session() : server(vmd) { associated = client.Associate(server.Port()) == System::OkNoError; }
    ~Session() { client.Release(); }

    BenchVmd vmd;
    MmsLoopback::Server server;
    MmsLoopback::Client client;
    bool associated = false;
};

// Context switches and heap allocations of the whole process (client and server
// threads) per iteration.
class SwitchCounter {
public:
    SwitchCounter() { start_ = Now(); }
    void Report(benchmark::State& state) const {
        const double iterations = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
        const AllocationCounter::Snapshot end;
        state.counters["ctxsw/op"] = static_cast<double>(Now() - start_) / iterations;
        state.counters["allocs/op"] = static_cast<double>(end.calls - allocations_.calls) / iterations;
        state.counters["heapB/op"] = static_cast<double>(end.bytes - allocations_.bytes) / iterations;
    }

private:
    static long Now() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_nvcsw + usage.ru_nivcsw;
    }
    long start_ = 0;
    AllocationCounter::Snapshot allocations_;
};

// The floor the reads are measured against: 100 octets there and back over a
// loopback TCP connection between two threads of this program.
void TcpPingPongFloor(benchmark::State& state) {
    TcpPingPong::Pair pair(100);
    if (!pair.IsReady()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    SwitchCounter switches;
    for (auto _ : state) {
        if (!pair.RoundTrip()) {
            state.SkipWithError("round trip failed");
            break;
        }
    }
    switches.Report(state);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TcpPingPongFloor)->UseRealTime();

// A client variable domainName/name typed by its access attributes, read in a loop.
void ReadTypedVariable(benchmark::State& state, const char* domainName, const char* name, std::int64_t octets) {
    Session session;
    auto* domain = new Mms::Domain(&session.client.User(), domainName, &session.client.vmd);
    session.client.vmd.AddObject(domain);
    auto* variable = new Mms::NamedVariable(&session.client.User(), name, domain);
    domain->AddObject(variable);
    if (!session.associated || variable->GetAccessAttributes() != System::OkNoError ||
        session.client.User().WaitForCurrentRequest() != System::OkNoError) {
        state.SkipWithError("no association");
        return;
    }
    SwitchCounter switches;
    for (auto _ : state) {
        if (session.client.User().ReadVariableValueAndWait(variable) != System::OkNoError) {
            state.SkipWithError("read failed");
            break;
        }
    }
    switches.Report(state);
    state.SetItemsProcessed(state.iterations());
    if (octets > 0) state.SetBytesProcessed(state.iterations() * octets);
}

// LD0/LLN0: a structure of structures.
void ReadStructuredVariable(benchmark::State& state) { ReadTypedVariable(state, "LD0", "LLN0", 0); }
BENCHMARK(ReadStructuredVariable)->UseRealTime();

// BIG/V0000: one INTEGER.
void ReadLeafVariable(benchmark::State& state) { ReadTypedVariable(state, "BIG", "V0000", 0); }
BENCHMARK(ReadLeafVariable)->UseRealTime();

// BIG/Blob: a 10 KB answer, cut into several transport PDUs.
void ReadTenKilobytes(benchmark::State& state) { ReadTypedVariable(state, "BIG", "Blob", kBlobSize); }
BENCHMARK(ReadTenKilobytes)->UseRealTime();

// Fixed counts of reads, for counting system calls from outside (perf stat, strace):
// the difference between the two runs is what 2,000 reads cost.
BENCHMARK(ReadStructuredVariable)->Name("Counted/ReadStructuredVariable/1")->Iterations(1);
BENCHMARK(ReadStructuredVariable)->Name("Counted/ReadStructuredVariable/2001")->Iterations(2001);
BENCHMARK(ReadTenKilobytes)->Name("Counted/ReadTenKilobytes/1")->Iterations(1);
BENCHMARK(ReadTenKilobytes)->Name("Counted/ReadTenKilobytes/2001")->Iterations(2001);

// The kListSize-member list BIG/All in one read.
void ReadThousandMemberList(benchmark::State& state) {
    Session session;
    Mms::MmsUserConnection& user = session.client.User();
    auto* big = new Mms::Domain(&user, "BIG", &session.client.vmd);
    session.client.vmd.AddObject(big);
    auto* all = new Mms::NamedVariableList(&user, "All", big);
    big->AddObject(all);
    for (int i = 0; i < kListSize; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "V%04d", i);
        auto* variable = new Mms::NamedVariable(&user, name, big);
        big->AddObject(variable);
        all->Members.push_back(variable);
    }
    if (!session.associated) {
        state.SkipWithError("no association");
        return;
    }
    SwitchCounter switches;
    for (auto _ : state) {
        if (user.ReadNamedVariableListValues(all) != System::OkNoError ||
            user.WaitForCurrentRequest() != System::OkNoError) {
            state.SkipWithError("read failed");
            break;
        }
    }
    switches.Report(state);
    state.SetItemsProcessed(state.iterations());
    state.counters["elements/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kListSize, benchmark::Counter::kIsRate);
}
BENCHMARK(ReadThousandMemberList)->UseRealTime();

}  // namespace
