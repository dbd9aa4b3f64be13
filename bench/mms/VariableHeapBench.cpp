// The heap a client's image of one logical device keeps per leaf attribute, built as the
// client builds it once the directory and the types are read: one named variable per
// name of the device's name list, then each logical node's value from the device's
// getVariableAccessAttributes answer, its structure binding the named components to
// the "$" variables of the list. Built from the logical nodes' names alone, and from
// every name the device lists.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "device/DeviceModel.h"
#include "mms/ContainerTestSupport.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/Domain.h"
#include "mms/user/NameListPage.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/VMD.h"
#include "mms/values/Structure.h"

namespace {

using ContainerTestSupport::Owned;
using TypeAnswer = Owned<Mms::MmsGetVariableAccessAttributesResponse>;

constexpr const char* kDomainName = "LD01";
constexpr int kLogicalNodes = 100;
// Room for a few hundred names per getNameList answer, as a device's PDU size gives it.
constexpr std::uint32_t kNameListBudget = 8000;

// What the device answers: the domain's name list and the type of each logical node.
// Taken once, before anything is measured.
struct DeviceAnswers {
    System::NameList names;
    std::vector<std::string> nodes;
    std::vector<TypeAnswer> types;
    std::size_t leaves = 0;
    bool complete = false;
};

bool ReadNames(Mms::Domain& domain, System::NameList& names) {
    bool moreFollows = true;
    while (moreFollows) {
        Mms::NameListPage page;
        Owned<Mms::MmsGetNameListResponse> response(Mms::MmsGetNameListResponseType);
        std::int32_t rejectCode = 0;
        const std::string after(names.empty() ? std::string_view() : names.back());
        const std::string* continueAfter = names.empty() ? nullptr : &after;
        if (domain.GetNameList(Mms::MmsClassNamedVariable, continueAfter, page, *response, kNameListBudget,
                               rejectCode) != System::OkNoError ||
            Mms::MmsReadGetNameListResponse(*response, names, moreFollows) != System::OkNoError) {
            return false;
        }
    }
    return true;
}

bool ReadType(Mms::VMD& device, const std::string& item, TypeAnswer& answer) {
    Owned<Mms::MmsGetVariableAccessAttributesRequest> request(Mms::MmsGetVariableAccessAttributesRequestType);
    request->present = Mms::MmsAttributesByName;
    if (Mms::MmsSetObjectName(request->choice.name, kDomainName, item) != System::OkNoError) return false;
    std::int32_t rejectCode = 0;
    return device.GetVariableAccessAttributes(*request, *answer, rejectCode) == System::OkNoError;
}

const DeviceAnswers& Answers() {
    static const DeviceAnswers answers = [] {
        DeviceAnswers read;
        Mms::VMD device;
        TestDevice::ModelOptions options;
        options.large = true;
        options.logicalDevices = 1;
        options.logicalNodes = kLogicalNodes;
        read.leaves = TestDevice::BuildModel(device, options).leaves;
        Mms::Domain* domain = nullptr;
        if (device.FindDomain(kDomainName, domain) != System::OkNoError || !ReadNames(*domain, read.names)) {
            return read;
        }
        for (std::string_view name : read.names) {
            if (name.find('$') != std::string::npos) continue;
            read.nodes.emplace_back(name);
            if (!ReadType(device, read.nodes.back(),
                          read.types.emplace_back(Mms::MmsGetVariableAccessAttributesResponseType))) {
                return read;
            }
        }
        read.complete = true;
        return read;
    }();
    return answers;
}

// Leaves below a value; an array counts as one, as the device's model counts it.
std::size_t CountLeaves(const Mms::Container& value) {
    const auto* structure = dynamic_cast<const Mms::Structure*>(&value);
    if (structure == nullptr) return 1;
    std::size_t leaves = 0;
    for (std::size_t i = 0; i < structure->GetComponentCount(); ++i) {
        leaves += CountLeaves(*structure->GetComponent(i));
    }
    return leaves;
}

// The client's work after the directory and the types arrived: the named variables
// filed, then every logical node typed (which binds its components). False when the
// model does not come out whole.
bool BuildImage(Mms::Domain& domain, const System::NameList& names, const DeviceAnswers& answers) {
    if (domain.FileObjects(Mms::MmsClassNamedVariable, names) != System::OkNoError) return false;
    for (std::size_t i = 0; i < answers.nodes.size(); ++i) {
        Mms::NamedVariable* node = domain.FindNamedVariable(answers.nodes[i]);
        if (node == nullptr || node->ApplyAccessAttributes(*answers.types[i]) != System::OkNoError) return false;
    }
    return true;
}

void BM_DomainImage(benchmark::State& state, bool componentPaths) {
    const DeviceAnswers& answers = Answers();
    if (!answers.complete) {
        state.SkipWithError("the device's answers were not read");
        return;
    }
    System::NameList names;
    for (std::string_view name : answers.names) {
        if (componentPaths || name.find('$') == std::string_view::npos) names.push_back(name);
    }

    std::int64_t heldBytes = 0;
    std::uint64_t allocations = 0;
    std::uint64_t askedBytes = 0;
    std::size_t leaves = 0;
    std::size_t boundLeaves = 0;
    std::size_t variables = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto client = std::make_unique<Mms::VMD>();
        auto* domain = new Mms::Domain(nullptr, kDomainName, client.get());
        if (client->AddObject(domain) != System::OkNoError) {
            delete domain;
            state.SkipWithError("the domain was not filed");
            return;
        }
        const AllocationCounter::Snapshot before;
        state.ResumeTiming();

        const bool built = BuildImage(*domain, names, answers);

        state.PauseTiming();
        const AllocationCounter::Snapshot after;
        if (!built) {
            state.SkipWithError("the image was not built");
            return;
        }
        heldBytes = after.held - before.held;
        allocations = after.calls - before.calls;
        askedBytes = after.bytes - before.bytes;
        leaves = 0;
        boundLeaves = 0;
        for (const std::string& node : answers.nodes) {
            leaves += CountLeaves(*domain->FindNamedVariable(node)->GetValue());
        }
        variables = domain->GetObjectMap(Mms::MmsClassNamedVariable)->size();
        for (const auto& [name, object] : *domain->GetObjectMap(Mms::MmsClassNamedVariable)) {
            const Mms::Container* value = static_cast<Mms::NamedVariable*>(object)->GetValue();
            if (value != nullptr && dynamic_cast<const Mms::Structure*>(value) == nullptr) ++boundLeaves;
        }
        client.reset();
        state.ResumeTiming();
    }
    if (leaves != answers.leaves) {
        state.SkipWithError("the image holds another number of leaves than the device");
        return;
    }
    state.counters["leaves"] = static_cast<double>(leaves);
    state.counters["variables"] = static_cast<double>(variables);
    state.counters["leaf_variables"] = static_cast<double>(boundLeaves);
    state.counters["heap_bytes_per_leaf"] = static_cast<double>(heldBytes) / static_cast<double>(leaves);
    // What the building asked for, its temporaries included.
    state.counters["asked_bytes_per_leaf"] = static_cast<double>(askedBytes) / static_cast<double>(leaves);
    state.counters["allocations_per_leaf"] = static_cast<double>(allocations) / static_cast<double>(leaves);
}
BENCHMARK_CAPTURE(BM_DomainImage, logical_nodes_only, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DomainImage, every_component_path, true)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
