// Confirmed MMS requests per second over the whole stack on the loopback interface: a
// client against the library's own server, one request outstanding at a time.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "mms/LoopbackModel.h"
#include "mms/MmsLoopback.h"
#include "mms/MmsObjectTestSupport.h"

namespace {

constexpr int kListSize = 1000;

// The server's model plus domain BIG: kListSize integers and the list BIG/All of them.
class BenchVmd : public LoopbackModel::TestVmd {
public:
    BenchVmd() {
        auto* big = new Mms::Domain(nullptr, "BIG", this);
        AddObject(big);
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

// LD0/LLN0: a structure of structures, typed first by its access attributes.
void ReadStructuredVariable(benchmark::State& state) {
    Session session;
    auto* domain = new Mms::Domain(&session.client.User(), "LD0", &session.client.vmd);
    session.client.vmd.AddObject(domain);
    auto* lln0 = new Mms::NamedVariable(&session.client.User(), "LLN0", domain);
    domain->AddObject(lln0);
    if (!session.associated || lln0->GetAccessAttributes() != System::OkNoError ||
        session.client.User().WaitForCurrentRequest() != System::OkNoError) {
        state.SkipWithError("no association");
        return;
    }
    for (auto _ : state) {
        if (session.client.User().ReadVariableValueAndWait(lln0) != System::OkNoError) {
            state.SkipWithError("read failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReadStructuredVariable)->UseRealTime();

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
    for (auto _ : state) {
        if (user.ReadNamedVariableListValues(all) != System::OkNoError ||
            user.WaitForCurrentRequest() != System::OkNoError) {
            state.SkipWithError("read failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["elements/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kListSize, benchmark::Counter::kIsRate);
}
BENCHMARK(ReadThousandMemberList)->UseRealTime();

}  // namespace
