// The generated large model: its size, and its name lists paged by the library's client.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

using DeviceTest::DeviceClient;

namespace {

std::vector<std::string> DeviceNames(TestDevice::Device& device, const std::string& domainName) {
    Mms::Domain* domain = nullptr;
    std::vector<std::string> names;
    if (device.Vmd().FindDomain(domainName, domain) != System::OkNoError) return names;
    for (const auto& [name, object] : *domain->GetObjectMap(Mms::MmsClassNamedVariable)) names.emplace_back(name);
    return names;
}

}  // namespace

TEST(DeviceLargeModel, SizesFollowTheParameters) {
    struct Case {
        int devices;
        int nodes;
    };
    for (const Case c : {Case{10, 500}, Case{3, 20}, Case{1, 1}}) {
        TestDevice::Device::Options options;
        options.model.large = true;
        options.model.logicalDevices = c.devices;
        options.model.logicalNodes = c.nodes;
        TestDevice::Device device(options);
        EXPECT_EQ(device.Summary().logicalNodes, static_cast<std::size_t>(c.nodes));
        Mms::NameCollection domains;
        EXPECT_EQ(device.Vmd().GetObjectMap(Mms::MmsClassDomain)->size(), static_cast<std::size_t>(c.devices));
        // Every logical device has LLN0 with a data set and report control blocks.
        for (const auto& [name, object] : *device.Vmd().GetObjectMap(Mms::MmsClassDomain)) {
            auto* domain = static_cast<Mms::Domain*>(object);
            EXPECT_NE(domain->FindNamedVariable("LLN0$BR$brcb01$RptEna"), nullptr) << name;
            EXPECT_NE(domain->FindNamedVariableList("LLN0$ds1"), nullptr) << name;
        }
        if (c.nodes == 500) {
            EXPECT_GE(device.Summary().leaves, 14000u);
            EXPECT_LE(device.Summary().leaves, 16000u);
        }
    }
}

// Every domain's name list, page after page, is the device's whole list in byte order;
// the names of one logical device all answer their type and value.
TEST(DeviceLargeModel, NameListsPageCorrectly) {
    TestDevice::Device::Options options;
    options.model.large = true;
    TestDevice::Device device(options);
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(8192), System::OkNoError);

    const std::vector<std::string> domains = client.Names(Mms::MmsClassDomain);
    ASSERT_EQ(domains.size(), 10u);
    std::size_t total = 0;
    for (const std::string& domain : domains) {
        SCOPED_TRACE(domain);
        const std::vector<std::string> names = client.Names(Mms::MmsClassNamedVariable, domain);
        EXPECT_EQ(names, DeviceNames(device, domain));
        total += names.size();
    }
    EXPECT_GT(total, 20000u);
    std::size_t pages = 0;
    for (const auto& record : device.Requests()) pages += record.service == Mms::MmsServiceGetNameList ? 1 : 0;
    EXPECT_GT(pages, 30u);

    ASSERT_EQ(client.Release(), System::OkNoError);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    const std::vector<std::string> names = client.Names(Mms::MmsClassNamedVariable, domains.back());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_EQ(client.Fetch(client.Variable(domains.back(), name)), System::OkNoError);
    }
    EXPECT_EQ(client.Release(), System::OkNoError);
    // The request log keeps only the last requests of a device that serves this long.
    ASSERT_GT(device.RequestCount(), TestDevice::Device::RequestLogLimit);
    const std::vector<TestDevice::RequestRecord> log = device.Requests();
    ASSERT_EQ(log.size(), TestDevice::Device::RequestLogLimit);
    EXPECT_EQ(log.back().service, Mms::MmsServiceRead);
    EXPECT_EQ(log.back().names, std::vector<std::string>{domains.back() + "/" + names.back()});

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(client.relay.Units(0)), "");
    // The second association's name list answers are larger than 10 KB: the device cuts
    // them into TPDUs of the 1024 octets that our client proposes and its CC granted.
    const std::vector<TestSupport::WireUnit> units = client.relay.Units(1);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    std::size_t largestUnit = 0;
    for (const std::string& line :
         TestSupport::DecodeFields(units, {"cotp.tpdu_size", "tpkt.length", "cotp.reassembled.length"})) {
        const std::size_t first = line.find('|');
        const std::size_t second = line.find('|', first + 1);
        const std::string granted = line.substr(0, first);
        if (!granted.empty()) {
            EXPECT_EQ(granted, "1024");
        }
        for (std::size_t at = first + 1; at < second;) {
            const std::size_t end = std::min(line.find(',', at), second);
            EXPECT_LE(std::stoul(line.substr(at, end - at)), 1024u + 4u);  // TPKT header included
            at = end + 1;
        }
        const std::string reassembled = line.substr(second + 1);
        if (!reassembled.empty()) largestUnit = std::max<std::size_t>(largestUnit, std::stoul(reassembled));
    }
    EXPECT_GT(largestUnit, 10u * 1024u);
}
