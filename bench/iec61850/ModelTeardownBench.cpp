// Destroying a large model, as Disconnect, Reload and leaving the program do with the model
// they let go of: it must cost about what building it costs, and grow linearly with its
// size. Three shapes, each of N children below one parent:
// - a logical node whose one functional constraint (CF) holds N components, typed as the
//   device's directory and type answers file it (HugeFcNodeType) and built from there;
// - a logical node holding N data sets;
// - a logical device holding N logical nodes.
// Only the model's destruction is timed, not the domain's variables.

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "device/DataTree.h"
#include "device/HugeFcNode.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/user/Domain.h"

namespace {

using namespace Iec61850::Acsi;

// Builds a device into a domain of its own with `fill` (false: skipped with that error),
// then times the device's destruction alone.
void TimeDestruction(benchmark::State& state, const std::function<bool(LogicalDevice&, Mms::Domain&)>& fill) {
    std::uint32_t objects = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto domain = std::make_unique<Mms::Domain>(nullptr, "LD9", nullptr);
        auto device = std::make_unique<LogicalDevice>(nullptr, domain.get());
        if (!fill(*device, *domain)) {
            state.SkipWithError("the model was not built");
            return;
        }
        objects = device->IsKindOf(ModelClass::Any, AnyObjectState);
        state.ResumeTiming();

        device.reset();

        state.PauseTiming();
        domain.reset();
        state.ResumeTiming();
    }
    state.counters["children"] = static_cast<double>(state.range(0));
    state.counters["model_objects"] = objects;
}

void BM_DestroyNodeOfManyComponents(benchmark::State& state) {
    const TestDevice::DataNode type = TestDevice::HugeFcNodeType(static_cast<int>(state.range(0)));
    TimeDestruction(state, [&](LogicalDevice& device, Mms::Domain& domain) {
        TestDevice::AddToDomain(domain, type, System::UtcTime{});
        for (const auto& [name, object] : *domain.GetObjectMap(Mms::MmsClassNamedVariable)) {
            device.directoryNames.emplace_back(name);
        }
        device.BuildFromDirectory();
        LogicalNode* node = device.FindLogicalNode("GGIO99");
        return node != nullptr && node->Build() == System::OkNoError &&
               node->IsKindOf(ModelClass::Any, AnyObjectState) > static_cast<std::uint32_t>(state.range(0));
    });
}
BENCHMARK(BM_DestroyNodeOfManyComponents)->Arg(5000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DestroyNodeOfManyDataSets(benchmark::State& state) {
    TimeDestruction(state, [&](LogicalDevice& device, Mms::Domain&) {
        if (device.CreateLogicalNode("GGIO1") != System::OkNoError) return false;
        LogicalNode* node = device.FindLogicalNode("GGIO1");
        for (int i = 0; i < state.range(0); ++i) {
            if (node->AddDataSet("ds" + std::to_string(i), nullptr) != System::OkNoError) return false;
        }
        return true;
    });
}
BENCHMARK(BM_DestroyNodeOfManyDataSets)->Arg(5000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DestroyDeviceOfManyNodes(benchmark::State& state) {
    TimeDestruction(state, [&](LogicalDevice& device, Mms::Domain&) {
        for (int i = 0; i < state.range(0); ++i) {
            if (device.CreateLogicalNode("GGIO" + std::to_string(i + 1)) != System::OkNoError) return false;
        }
        return true;
    });
}
BENCHMARK(BM_DestroyDeviceOfManyNodes)->Arg(5000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
