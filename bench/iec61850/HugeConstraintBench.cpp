// A logical node whose one functional constraint (CF) holds thousands of components: its
// type built into the model and its values listed, each on the receive thread under the
// model lock, where every other answer and the reader wait. Both must stay far below the
// MMS time-out (counter mms_timeout_ms) and grow linearly with the components.
//
// Over the wire, the model reader reads the test device with such a node as large as one
// answer of the negotiated PDU size can type (10,000 components). In the process, the
// client's model takes the same node type with 60,000 components, filed as the device's
// directory and type answers file it, and is built and listed from there.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "device/DataTree.h"
#include "device/Device.h"
#include "device/HugeFcNode.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/reader/ModelReader.h"
#include "iec61850/acsi/reader/RClient.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/user/Domain.h"

namespace {

using namespace Iec61850::Acsi;
using Iec61850::AnswerFrom;

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The longest the receive thread spent in one GetAllDataValues callback (the listing).
class TimingClient : public RClient {
public:
    ~TimingClient() override { ClearAssociation(); }
    std::int32_t OnGetAllDataValues(Iec61850::Acsi::GetAllDataValues* service) override {
        const auto start = std::chrono::steady_clock::now();
        const std::int32_t result = RClient::OnGetAllDataValues(service);
        const double took = MillisecondsSince(start);
        if (took > longestMs.load()) longestMs.store(took);
        if (service->node == "LD0/GGIO99") listed.store(service->values.size());
        return result;
    }
    std::atomic<double> longestMs{0};
    std::atomic<std::size_t> listed{0};
};

struct Connected {
    std::unique_ptr<Server> server = std::make_unique<Server>();
    std::unique_ptr<TimingClient> client = std::make_unique<TimingClient>();

    explicit Connected(TestDevice::Device& device) {
        AssociationProfile& profile = *server->GetProfile(0);
        profile.SetParameter("RemoteNPort", std::to_string(device.Port()));
        profile.SetParameter("LocalSTimeout", "300");
    }
    ~Connected() {
        client->ClearAssociation();
        server.reset();
        client.reset();
    }
};

void BM_ReadNodeWithHugeConstraint(benchmark::State& state) {
    TestDevice::Device::Options options;
    options.model.hugeFcComponents = static_cast<int>(state.range(0));
    TestDevice::Device device(options);
    if (device.Start() != System::OkNoError) {
        state.SkipWithError("the device does not listen");
        return;
    }
    double longest = 0;
    std::size_t listed = 0;
    std::uint32_t timeout = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto connected = std::make_unique<Connected>(device);
        if (connected->client->Associate(*connected->server->GetProfile(0), 0) != System::OkNoError) {
            state.SkipWithError("no association");
            return;
        }
        timeout = connected->client->GetAssociation()->GetTimeout();
        state.ResumeTiming();

        ModelReader reader(*connected->client);
        if (reader.Run() != ModelReader::ResultRead) {
            state.SkipWithError("the model was not read");
            return;
        }

        state.PauseTiming();
        longest = connected->client->longestMs.load();
        listed = connected->client->listed.load();
        connected.reset();
        state.ResumeTiming();
    }
    if (listed < static_cast<std::size_t>(state.range(0) / 2)) state.SkipWithError("the node's values were not listed");
    state.counters["components"] = static_cast<double>(state.range(0));
    state.counters["values_listed"] = static_cast<double>(listed);
    state.counters["longest_listing_ms"] = longest;
    state.counters["mms_timeout_ms"] = timeout;
}
BENCHMARK(BM_ReadNodeWithHugeConstraint)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BuildAndListHugeConstraint(benchmark::State& state) {
    TestDevice::Device device;
    if (device.Start() != System::OkNoError) {
        state.SkipWithError("the device does not listen");
        return;
    }
    const TestDevice::DataNode type = TestDevice::HugeFcNodeType(static_cast<int>(state.range(0)));
    double buildMs = 0;
    double listMs = 0;
    std::size_t listed = 0;
    std::uint32_t timeout = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto connected = std::make_unique<Connected>(device);
        Server& server = *connected->server;
        if (connected->client->Associate(*server.GetProfile(0), 0) != System::OkNoError ||
            server.AddLogicalDevice("LD9") != System::OkNoError) {
            state.SkipWithError("no association");
            return;
        }
        timeout = connected->client->GetAssociation()->GetTimeout();
        LogicalDevice* logicalDevice = nullptr;
        server.FindLogicalDevice("LD9", logicalDevice);
        // What the device's flat directory and the node's type answer leave in the domain.
        TestDevice::AddToDomain(*logicalDevice->GetDomain(), type, System::UtcTime{});
        for (const auto& [name, object] : *logicalDevice->GetDomain()->GetObjectMap(Mms::MmsClassNamedVariable)) {
            logicalDevice->directoryNames.emplace_back(name);
        }
        logicalDevice->BuildFromDirectory();
        LogicalNode* node = nullptr;
        server.FindLogicalNode("LD9/GGIO99", node);
        state.ResumeTiming();

        auto start = std::chrono::steady_clock::now();
        node->Build();
        buildMs = MillisecondsSince(start);
        Iec61850::Acsi::GetAllDataValues values(*connected->client->GetAssociation(), "LD9/GGIO99", "CF",
                                                AnswerFrom::Model);
        start = std::chrono::steady_clock::now();
        server.ListAllDataValues(values);
        listMs = MillisecondsSince(start);

        state.PauseTiming();
        listed = values.values.size();
        connected.reset();
        state.ResumeTiming();
    }
    if (listed != static_cast<std::size_t>(state.range(0) / 2)) state.SkipWithError("not every value was listed");
    state.counters["components"] = static_cast<double>(state.range(0));
    state.counters["build_ms"] = buildMs;
    state.counters["listing_ms"] = listMs;
    state.counters["mms_timeout_ms"] = timeout;
}
BENCHMARK(BM_BuildAndListHugeConstraint)->Arg(6000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
