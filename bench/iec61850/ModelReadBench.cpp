// The whole model of the test device read by the model reader over the loopback interface,
// as a program does it after association: the large model (about 500 logical nodes and
// 15,000 attributes) and one of 5,000 logical nodes. Per read: the time; CPU time of the
// process (the device shares it), of the reading thread (the benchmark's CPU column) and of
// the thread that delivers the answers and applies them to the model, those two per
// request; the requests the device answered, the reader's steps, the heap calls per
// attribute and the heap the model keeps per attribute and per leaf attribute (one without
// attributes below it; the device's heap too, which is the same whatever the client does).

#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <string>

#include "../mms/AllocationCounter.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/DataSetServices.h"
#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
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

std::uint32_t CountLeafAttributes(const NamedObject& object) {
    if (object.GetChildren().empty()) return object.GetModelClass() == ModelClass::DataAttribute ? 1 : 0;
    std::uint32_t leaves = 0;
    for (const NamedObject* child : object.GetChildren()) leaves += CountLeafAttributes(*child);
    return leaves;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The reading client, which notes the CPU time of the thread that delivers its answers at
// the first and at every later answer from the device.
class TimedClient : public RClient {
public:
    ~TimedClient() override { ClearAssociation(); }
    std::int32_t OnGetServerDirectory(Iec61850::Acsi::GetServerDirectory* service) override {
        Note(*service);
        return RClient::OnGetServerDirectory(service);
    }
    std::int32_t OnGetLogicalDeviceDirectory(Iec61850::Acsi::GetLogicalDeviceDirectory* service) override {
        Note(*service);
        return RClient::OnGetLogicalDeviceDirectory(service);
    }
    std::int32_t OnGetLogicalNodeDirectory(Iec61850::Acsi::GetLogicalNodeDirectory* service) override {
        const std::int32_t result = RClient::OnGetLogicalNodeDirectory(service);
        Note(*service);
        return result;
    }
    std::int32_t OnGetDataDirectory(Iec61850::Acsi::GetDataDirectory* service) override {
        const std::int32_t result = RClient::OnGetDataDirectory(service);
        Note(*service);
        return result;
    }
    std::int32_t OnGetAllDataValues(Iec61850::Acsi::GetAllDataValues* service) override {
        const std::int32_t result = RClient::OnGetAllDataValues(service);
        Note(*service);
        return result;
    }
    std::int32_t OnGetDataSetDirectory(Iec61850::Acsi::GetDataSetDirectory* service) override {
        const std::int32_t result = RClient::OnGetDataSetDirectory(service);
        Note(*service);
        return result;
    }
    // CPU seconds of the answering thread between the first answer and the last.
    double AnswerCpu() const { return last_.load() - first_.load(); }

private:
    // Local answers come on the thread that asked.
    void Note(const Iec61850::Acsi::Service& service) {
        if (service.IsLocal()) return;
        const double now = ThreadCpuSeconds();
        double unset = -1;
        first_.compare_exchange_strong(unset, now);
        last_.store(now);
    }
    std::atomic<double> first_{-1};
    std::atomic<double> last_{-1};
};

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
    std::uint32_t leafAttributes = 0;
    std::int64_t heap = 0;
    std::uint64_t heapCalls = 0;
    std::uint32_t objects = 0;
    std::uint32_t steps = 0;
    std::size_t variables = 0;
    double cpu = 0;
    double readerCpu = 0;
    double answerCpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto server = std::make_unique<Server>();
        auto client = std::make_unique<TimedClient>();
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

        const double readerBefore = ThreadCpuSeconds();
        ModelReader reader(*client);
        if (reader.Run() != ModelReader::ResultRead) {
            state.SkipWithError("the model was not read");
            return;
        }
        readerCpu = ThreadCpuSeconds() - readerBefore;

        state.PauseTiming();
        cpu = ProcessCpuSeconds() - cpuBefore;
        answerCpu = client->AnswerCpu();
        const AllocationCounter::Snapshot after;
        heap = after.held - before.held;
        heapCalls = after.calls - before.calls;
        requests = device.RequestCount();
        steps = reader.Steps();
        server->CountKindOf(ModelClass::DataAttribute, AnyObjectState, attributes);
        server->CountKindOf(ModelClass::Any, AnyObjectState, objects);
        variables = 0;
        leafAttributes = 0;
        for (const auto& [name, device] : server->GetLogicalDevices()) {
            leafAttributes += CountLeafAttributes(*device);
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
    const double perRequest = requests > 0 ? 1e6 / static_cast<double>(requests) : 0.0;
    state.counters["cpu_us_per_request"] = cpu * perRequest;
    state.counters["reader_cpu_us_per_request"] = readerCpu * perRequest;
    state.counters["answer_cpu_us_per_request"] = answerCpu * perRequest;
    state.counters["heap_calls_per_attribute"] = attributes > 0 ? static_cast<double>(heapCalls) / attributes : 0.0;
    state.counters["leaf_attributes"] = leafAttributes;
    state.counters["heap_bytes_per_attribute"] = attributes > 0 ? static_cast<double>(heap) / attributes : 0.0;
    state.counters["heap_bytes_per_leaf_attribute"] =
        leafAttributes > 0 ? static_cast<double>(heap) / leafAttributes : 0.0;
}
BENCHMARK(BM_ReadLargeModel)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
