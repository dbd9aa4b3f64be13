// The MMS loaders against the test device as other devices behave: extras that the device
// refuses or does not announce are empty, and the model is still loaded.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/pdu/MmsPduServices.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

using DeviceTest::DeviceClient;

namespace {

bool Asked(const std::vector<TestDevice::RequestRecord>& log, std::int32_t service) {
    return std::any_of(log.begin(), log.end(), [&](const auto& record) { return record.service == service; });
}

TEST(DeviceModelLoad, RefusedOrUnannouncedExtrasLoadAsEmpty) {
    constexpr std::uint32_t ObjectAccessUnsupported = 1;
    struct Case {
        const char* what;
        TestDevice::Faults faults;
        std::int32_t notAsked = 0;  // a service that must not have been sent
        bool lists = true;          // the data set's members arrive
    };
    std::vector<Case> cases(9);
    cases[0].what = "nothing refused";
    cases[1].what = "domain attributes rejected";
    cases[1].faults.refused[Mms::MmsServiceGetDomainAttributes] = {};
    cases[2].what = "domain attributes not announced";
    cases[2].faults.unannounced = {Mms::MmsServiceGetDomainAttributes};
    cases[2].notAsked = Mms::MmsServiceGetDomainAttributes;
    cases[3].what = "status refused with an error";
    cases[3].faults.refused[Mms::MmsServiceStatus] = {false, 0, Mms::MmsPackError(Mms::MmsErrorClassService, 2)};
    cases[4].what = "identify not announced";
    cases[4].faults.hideIdentify = true;
    cases[4].notAsked = Mms::MmsServiceIdentify;
    cases[5].what = "vmd-specific variable names refused";
    cases[5].faults.refusedNameLists[{Mms::MmsClassNamedVariable, Mms::MmsObjectScopeVmd}] = {
        false, 0, Mms::MmsPackError(Mms::MmsErrorClassAccess, ObjectAccessUnsupported)};
    cases[6] = {"data-set names refused", {}, 0, false};
    cases[6].faults.refusedNameLists[{Mms::MmsClassNamedVariableList, Mms::MmsObjectScopeDomain}] = {};
    cases[7] = {"data-set members refused", {}, 0, false};
    cases[7].faults.refused[Mms::MmsServiceGetNamedVariableListAttributes] = {};
    cases[8] = {"data-set members not announced", {}, Mms::MmsServiceGetNamedVariableListAttributes, false};
    cases[8].faults.unannounced = {Mms::MmsServiceGetNamedVariableListAttributes};

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestDevice::Device device;
        ASSERT_EQ(device.Start(), System::OkNoError);
        device.SetFaults(c.faults);
        DeviceClient client(device);
        ASSERT_EQ(client.Associate(), System::OkNoError);
        ASSERT_EQ(client.client.vmd.LoadFromPeer(), System::OkNoError);

        Mms::NamedVariable* position = nullptr;
        client.client.vmd.FindNamedVariable(*MmsObjectTest::Name("LD0", "XCBR1$ST$Pos$stVal"), position);
        ASSERT_NE(position, nullptr);
        EXPECT_EQ(MmsObjectTest::Text(*position), device.GetValue("LD0/XCBR1$ST$Pos$stVal"));
        Mms::Domain* ld0 = nullptr;
        ASSERT_EQ(client.client.vmd.FindDomain("LD0", ld0), System::OkNoError);
        const Mms::NamedVariableList* ds1 = ld0->FindNamedVariableList("LLN0$ds1");
        if (c.lists) {
            ASSERT_NE(ds1, nullptr);
            EXPECT_EQ(ds1->Members.size(), 4u);
        } else if (ds1 != nullptr) {
            EXPECT_TRUE(ds1->Members.empty());
        }
        if (c.notAsked != 0) {
            EXPECT_FALSE(Asked(device.Requests(), c.notAsked));
        }

        EXPECT_EQ(client.Release(), System::OkNoError);
        if (TestSupport::WireCheckRuns()) {
            EXPECT_EQ(TestSupport::FindProblems(client.relay.Units(0)), "");
        }
        device.Stop();
    }
}

}  // namespace
