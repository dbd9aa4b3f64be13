// The whole model of the test device's large model (about 500 logical nodes and 15,000
// attributes) read by the model reader over the loopback interface, as a program does it
// after association: time per read, requests the device answered, and the heap the model
// keeps per attribute and per leaf attribute (one without attributes below it: what a
// device's values end in, and what other clients' images are compared by).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>

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

std::size_t HeapInUse() { return mallinfo2().uordblks; }

std::uint32_t CountLeafAttributes(const NamedObject& object) {
    if (object.GetChildren().empty()) return object.GetModelClass() == ModelClass::DataAttribute ? 1 : 0;
    std::uint32_t leaves = 0;
    for (const NamedObject* child : object.GetChildren()) leaves += CountLeafAttributes(*child);
    return leaves;
}

void BM_ReadLargeModel(benchmark::State& state) {
    TestDevice::Device::Options options;
    options.model.large = true;
    TestDevice::Device device(options);
    if (device.Start() != System::OkNoError) {
        state.SkipWithError("the device does not listen");
        return;
    }
    std::size_t requests = 0;
    std::uint32_t attributes = 0;
    std::uint32_t leafAttributes = 0;
    std::size_t heap = 0;
    std::uint32_t objects = 0;
    std::size_t variables = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto server = std::make_unique<Server>();
        auto client = std::make_unique<RClient>();
        AssociationProfile& profile = *server->GetProfile(0);
        profile.SetParameter("RemoteNPort", std::to_string(device.Port()));
        profile.SetParameter("LocalSTimeout", "300");
        device.ClearRequests();
        const std::size_t before = HeapInUse();
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
        heap = HeapInUse() - before;
        requests = device.RequestCount();
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
    state.counters["attributes"] = attributes;
    state.counters["model_objects"] = objects;
    state.counters["mms_variables"] = static_cast<double>(variables);
    state.counters["leaf_attributes"] = leafAttributes;
    state.counters["heap_bytes_per_attribute"] = attributes > 0 ? static_cast<double>(heap) / attributes : 0.0;
    state.counters["heap_bytes_per_leaf_attribute"] =
        leafAttributes > 0 ? static_cast<double>(heap) / leafAttributes : 0.0;
}
BENCHMARK(BM_ReadLargeModel)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
