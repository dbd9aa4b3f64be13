// The test device's large model as a client meets it over the loopback interface: the
// paged name list of one logical device, and a data change carried to the client as a
// report.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "device/Device.h"
#include "mms/MmsLoopback.h"
#include "mms/user/InformationReport.h"
#include "mms/user/NamedVariable.h"

namespace {

struct Session {
    explicit Session(int logicalNodes = 500) {
        options.model.large = true;
        options.model.logicalNodes = logicalNodes;
        device = std::make_unique<TestDevice::Device>(options);
        associated = device->Start() == System::OkNoError && client.Associate(device->Port()) == System::OkNoError;
    }
    ~Session() { client.Release(); }

    TestDevice::Device::Options options;
    std::unique_ptr<TestDevice::Device> device;
    MmsLoopback::Client client;
    bool associated = false;
};

// Every name of LD01 (about 2,400), in pages of the default PDU size.
void NameListOfALogicalDevice(benchmark::State& state) {
    Session session;
    if (!session.associated) {
        state.SkipWithError("no association");
        return;
    }
    std::size_t names = 0;
    for (auto _ : state) {
        Mms::NameCollection collected;
        if (session.client.User().GetAllNamesInDomain(Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariable,
                                                      Mms::MmsObjectScopeDomain, "LD01",
                                                      collected) != System::OkNoError ||
            session.client.User().WaitForCurrentRequest() != System::OkNoError) {
            state.SkipWithError("name list failed");
            return;
        }
        names += collected.size();
    }
    state.counters["names/s"] = benchmark::Counter(static_cast<double>(names), benchmark::Counter::kIsRate);
}
BENCHMARK(NameListOfALogicalDevice)->Unit(benchmark::kMillisecond)->UseRealTime();

// The name lists of the whole device as a client lists them: the domains, then every
// name of each domain (10 domains, 27,290 names), each list paged at the default PDU size.
void NameListsOfTheDevice(benchmark::State& state) {
    Session session(static_cast<int>(state.range(0)));
    if (!session.associated) {
        state.SkipWithError("no association");
        return;
    }
    Mms::MmsUserConnection& user = session.client.User();
    std::size_t names = 0;
    for (auto _ : state) {
        Mms::NameCollection domains;
        if (user.GetAllNames(Mms::MmsObjectClassBasic, Mms::MmsClassDomain, Mms::MmsObjectScopeVmd, domains) !=
                System::OkNoError ||
            user.WaitForCurrentRequest() != System::OkNoError) {
            state.SkipWithError("domain list failed");
            return;
        }
        for (std::string_view domain : domains) {
            Mms::NameCollection collected;
            if (user.GetAllNamesInDomain(Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariable,
                                         Mms::MmsObjectScopeDomain, domain, collected) != System::OkNoError ||
                user.WaitForCurrentRequest() != System::OkNoError) {
                state.SkipWithError("name list failed");
                return;
            }
            names += collected.size();
        }
    }
    state.counters["names"] =
        static_cast<double>(names) / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["names/s"] = benchmark::Counter(static_cast<double>(names), benchmark::Counter::kIsRate);
}
BENCHMARK(NameListsOfTheDevice)->Arg(579)->Unit(benchmark::kMillisecond)->UseRealTime();

// A value of LD01's data set changed by the device, reported to the client through its
// enabled report control block; the client's next read answer follows the report.
void DataChangeReport(benchmark::State& state) {
    Session session;
    auto* domain = new Mms::Domain(&session.client.User(), "LD01", &session.client.vmd);
    session.client.vmd.AddObject(domain);
    auto* enable = new Mms::NamedVariable(&session.client.User(), "LLN0$RP$urcb01$RptEna", domain);
    domain->AddObject(enable);
    if (!session.associated || enable->GetAccessAttributes() != System::OkNoError ||
        session.client.User().WaitForCurrentRequest() != System::OkNoError || enable->FromText("True") != 0 ||
        session.client.User().WriteVariableValueAndWait(enable) != System::OkNoError) {
        state.SkipWithError("no report control block");
        return;
    }
    int value = 0;
    for (auto _ : state) {
        session.device->SetValue("LD01/MMXU1$MX$TotW$mag$f", std::to_string(++value));
        if (session.client.User().ReadVariableValueAndWait(enable) != System::OkNoError) {
            state.SkipWithError("read failed");
            return;
        }
        while (Mms::InformationReport* report = session.client.vmd.PopInformationReport()) delete report;
    }
}
BENCHMARK(DataChangeReport)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
