// The whole model of the test device read by the model reader over the loopback interface,
// as a program does it after association: the large model (about 500 logical nodes and
// 15,000 attributes) and one of 5,000 logical nodes. Per read: the time, the process's CPU
// time (client and device share the process: the device's part is the same before and after
// a change of the client), the requests the device answered, the CPU time per request, the
// reader's steps, the heap calls per attribute and the heap the model keeps per attribute.

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <string>

#include "../mms/AllocationCounter.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/reader/ModelReader.h"
#include "iec61850/acsi/reader/RClient.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/user/Domain.h"

namespace {

using namespace Iec61850::Acsi;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The argument: logical nodes of the large model.
void BM_ReadLargeModel(benchmark::State& state) {
    TestDevice::Device::Options options;
    options.model.large = true;
    options.model.logicalNodes = static_cast<int>(state.range(0));
    TestDevice::Device device(options);
    if (device.Start() != System::OkNoError) {
        state.SkipWithError("the device does not listen");
        return;
    }
    std::size_t requests = 0;
    std::uint32_t attributes = 0;
    std::int64_t heap = 0;
    std::uint64_t heapCalls = 0;
    std::uint32_t objects = 0;
    std::uint32_t steps = 0;
    std::size_t variables = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto server = std::make_unique<Server>();
        auto client = std::make_unique<RClient>();
        AssociationProfile& profile = *server->GetProfile(0);
        profile.SetParameter("RemoteNPort", std::to_string(device.Port()));
        profile.SetParameter("LocalSTimeout", "300");
        device.ClearRequests();
        const AllocationCounter::Snapshot before;
        const double cpuBefore = ProcessCpuSeconds();
        if (client->Associate(profile, 0) != System::OkNoError) {
            state.SkipWithError("no association");
            return;
        }
        state.ResumeTiming();

        ModelReader reader(*client);
        if (reader.Run() != ModelReader::ResultRead) {
            state.SkipWithError("the model was not read");
            return;
        }

        state.PauseTiming();
        cpu = ProcessCpuSeconds() - cpuBefore;
        const AllocationCounter::Snapshot after;
        heap = after.held - before.held;
        heapCalls = after.calls - before.calls;
        requests = device.RequestCount();
        steps = reader.Steps();
        server->CountKindOf(ModelClass::DataAttribute, AnyObjectState, attributes);
        server->CountKindOf(ModelClass::Any, AnyObjectState, objects);
        variables = 0;
        for (const auto& [name, device] : server->GetLogicalDevices()) {
            if (const Mms::ObjectMap* map = device->GetDomain()->GetObjectMap(Mms::MmsClassNamedVariable)) {
                variables += map->size();
            }
        }
        client->ClearAssociation();
        server.reset();
        client.reset();
        state.ResumeTiming();
    }
    state.counters["requests"] = static_cast<double>(requests);
    state.counters["steps"] = steps;
    state.counters["attributes"] = attributes;
    state.counters["model_objects"] = objects;
    state.counters["mms_variables"] = static_cast<double>(variables);
    state.counters["cpu_s"] = cpu;
    state.counters["cpu_us_per_request"] = requests > 0 ? cpu * 1e6 / static_cast<double>(requests) : 0.0;
    state.counters["heap_calls_per_attribute"] = attributes > 0 ? static_cast<double>(heapCalls) / attributes : 0.0;
    state.counters["heap_bytes_per_attribute"] = attributes > 0 ? static_cast<double>(heap) / attributes : 0.0;
}
BENCHMARK(BM_ReadLargeModel)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
