#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <list>
#include <set>
#include <string>
#include <thread>

#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/DataSetLifetime.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/association/DeviceSession.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/user/Domain.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariableList.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

using Records = std::vector<ValueRecord>;

const ValueRecord* FindRecord(const Records& records, const std::string& reference) {
    const auto found = std::find_if(records.begin(), records.end(),
                                    [&](const ValueRecord& record) { return record.reference == reference; });
    return found != records.end() ? &*found : nullptr;
}

class Services : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
    }
    template <typename Request>
    Confirmation Call(Request request) {
        return session.Call(request);
    }
    Confirmation Read(const std::string& fc, const std::string& reference) {
        return Call([&](RecordingClient& c, std::uint32_t& id) {
            return c.GetDataValues(id, {fc, reference}, AnswerFrom::Device);
        });
    }
    std::size_t DeviceRequests() const { return session.device.RequestCount(); }

    DeviceSession session;
};

TEST_F(Services, DataValuesReadInBothReferenceFormsAndWritten) {
    const Confirmation dotted = Read("ST", "LD0/LLN0.Mod.stVal");
    EXPECT_EQ(dotted.serviceError, 0);
    ASSERT_NE(FindRecord(dotted.values, "LD0/LLN0.Mod.stVal"), nullptr);
    const Confirmation mms = Read("", "LD0/LLN0$ST$Mod$stVal");
    EXPECT_EQ(mms.serviceError, 0);
    ASSERT_EQ(mms.values.size(), 1u);
    EXPECT_EQ(mms.values[0], *FindRecord(dotted.values, "LD0/LLN0.Mod.stVal"));

    // A whole data object, and a reference that names one path under several constraints:
    // the whole node is read and every match confirmed.
    EXPECT_EQ(Read("MX", "LD0/MMXU1.TotW").serviceError, 0);
    const Confirmation several = Read("XX", "LD0/XCBR1.Pos");
    EXPECT_EQ(several.serviceError, 0);
    EXPECT_NE(FindRecord(several.values, "LD0/XCBR1.Pos.stVal"), nullptr);
    EXPECT_NE(FindRecord(several.values, "LD0/XCBR1.Pos.ctlModel"), nullptr);

    const Confirmation written = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, {{"MX", "LD0/MMXU1.TotW.mag.f", "1300.25"}},
                               AnswerFrom::Device);
    });
    EXPECT_EQ(written.serviceError, 0);
    EXPECT_EQ(session.device.GetValue("LD0/MMXU1$MX$TotW$mag$f"), "1300.25");
    const Confirmation reread = Read("MX", "LD0/MMXU1.TotW.mag.f");
    ASSERT_EQ(reread.values.size(), 1u);
    EXPECT_EQ(reread.values[0].value, "1300.25");
    // Without records the value goes out as the model holds it, and the model stays.
    ASSERT_EQ(session.device.SetValue("LD0/MMXU1$MX$TotW$mag$f", "5"), System::OkNoError);
    const Confirmation asHeld = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, {}, AnswerFrom::Device);
    });
    EXPECT_EQ(asHeld.serviceError, 0);
    EXPECT_EQ(session.device.GetValue("LD0/MMXU1$MX$TotW$mag$f"), "1300.25");

    const Confirmation all = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetAllDataValues(id, "LD0/MMXU1", "MX", AnswerFrom::Device);
    });
    EXPECT_EQ(all.serviceError, 0);
}

TEST_F(Services, RefusedBeforeAnythingIsSent) {
    const std::size_t before = DeviceRequests();
    struct Case {
        const char* name;
        Confirmation confirmation;
        System::ResultCode result;
        std::int32_t serviceError;
    };
    const Case cases[] = {
        {"array index", Read("ST", "LD0/GGIO1.CntHst[0]"), System::InvalidArguments, 5},
        {"no such object", Read("ST", "LD0/XCBR1.Nothing"), System::InvalidArguments, 1},
        {"no such device", Read("ST", "LDX/XCBR1.Pos"), System::InvalidArguments, 5},
        {"a value that does not fit", Call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetDataValues(id, {"ST", "LD0/XCBR1.OpCnt.stVal"}, {{"ST", "LD0/XCBR1.OpCnt.stVal", "abc"}},
                                    AnswerFrom::Device);
         }),
         System::InvalidArguments, 5},
        {"data directory without a constraint", Call([](RecordingClient& c, std::uint32_t& id) {
             return c.GetDataDirectory(id, "LD0/XCBR1.Pos", "XX", AnswerFrom::Device);
         }),
         System::InvalidArguments, 5},
        {"data definition from the device", Call([](RecordingClient& c, std::uint32_t& id) {
             return c.GetDataDefinition(id, "LD0/XCBR1.Pos", AnswerFrom::Device);
         }),
         System::NotSupported, 11},
        {"file directory", Call([](RecordingClient& c, std::uint32_t& id) {
             return c.GetServerDirectory(id, ObjectClassFile, AnswerFrom::Device);
         }),
         System::NotSupported, 11},
        {"node directory of data attributes", Call([](RecordingClient& c, std::uint32_t& id) {
             return c.GetLogicalNodeDirectory(id, "LD0/XCBR1", ObjectClassDataAttribute, AnswerFrom::Device);
         }),
         System::Error, 11},
        {"an attribute the block lacks", Call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetBRCBValues(id, "LD0/LLN0.brcb01", {{"RptEna", "True"}, {"Nothing", "1"}}, AnswerFrom::Device);
         }),
         System::InvalidArguments, 12},
        {"an existing data set", Call([](RecordingClient& c, std::uint32_t& id) {
             return c.CreateDataSet(id, "LD0/LLN0.ds1", {{"MX", "LD0/MMXU1.Hz", ""}}, AnswerFrom::Device);
         }),
         System::AlreadyExist, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.confirmation.result, c.result);
        EXPECT_EQ(c.confirmation.serviceError, c.serviceError);
    }
    EXPECT_EQ(DeviceRequests(), before);
}

TEST_F(Services, TheLocalFormAnswersFromTheModelAndSendsNothing) {
    const std::size_t before = DeviceRequests();
    const Confirmation confirmations[] = {
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetLogicalDeviceDirectory(id, "LD0", AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetLogicalNodeDirectory(id, "LD0/XCBR1", ObjectClassData, AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetAllDataValues(id, "LD0/XCBR1", "", AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetDataValues(id, {"ST", "LD0/XCBR1.Pos"}, AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.SetDataValues(id, {"ST", "LD0/XCBR1.Pos"}, {}, AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetDataDirectory(id, "LD0/XCBR1.Pos", "ST", AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetDataSetDirectory(id, "LD0/LLN0.ds1", AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetDataSetValues(id, "LD0/LLN0.ds1", AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.SetDataSetValues(id, "LD0/LLN0.ds1", {}, AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetBRCBValues(id, {"BR", "LD0/LLN0.brcb01"}, AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetURCBValues(id, {"", "LD0/LLN0.urcb01"}, AnswerFrom::Model);
        }),
        Call([](RecordingClient& c, std::uint32_t& id) {
            return c.SetURCBValues(id, "LD0/LLN0.urcb01", {{"RptEna", "True"}}, AnswerFrom::Model);
        }),
    };
    for (const Confirmation& confirmation : confirmations) {
        SCOPED_TRACE(confirmation.callback);
        EXPECT_EQ(confirmation.result, System::OkNoError);
        EXPECT_EQ(confirmation.serviceError, 0);
    }
    const Confirmation definition = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataDefinition(id, "LD0/XCBR1.Pos", AnswerFrom::Model);
    });
    EXPECT_EQ(definition.serviceError, 0);
    EXPECT_GT(definition.definitions, 3u);
    // Creating and deleting are never answered from the model.
    for (const Confirmation& confirmation :
         {Call([](RecordingClient&c, std::uint32_t&id) { return c.CreateDataSet(id, "@x", {}, AnswerFrom::Model); }),
          Call([](RecordingClient&c, std::uint32_t&id) {
              return c.DeleteDataSet(id, "LD0/LLN0.ds1", AnswerFrom::Model);
          })}) {
        EXPECT_EQ(confirmation.result, System::InvalidArguments);
        EXPECT_EQ(confirmation.serviceError, 5);
    }
    EXPECT_EQ(DeviceRequests(), before);
}

TEST_F(Services, DataSetsReadWrittenCreatedAndDeleted) {
    const Confirmation values = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataSetValues(id, "LD0/LLN0.ds1", AnswerFrom::Device);
    });
    EXPECT_EQ(values.serviceError, 0);
    EXPECT_NE(FindRecord(values.values, "LD0/MMXU1.TotW.mag.f"), nullptr);
    const Confirmation rewritten = Call([&](RecordingClient& c, std::uint32_t& id) {
        return c.SetDataSetValues(id, "LD0/LLN0.ds2", {{"MX", "LD0/MMXU1.Hz.mag.f", "50.5"}}, AnswerFrom::Device);
    });
    EXPECT_EQ(rewritten.serviceError, 0);

    const Records members = {{"MX", "LD0/MMXU1.TotW", ""}, {"MX", "LD0/MMXU1.Hz", ""}};
    const std::string reference = "LD0/LLN0.mine";
    const Confirmation created = Call([&](RecordingClient& c, std::uint32_t& id) {
        return c.CreateDataSet(id, reference, members, AnswerFrom::Device);
    });
    EXPECT_EQ(created.serviceError, 0);
    const Confirmation read = Call(
        [&](RecordingClient& c, std::uint32_t& id) { return c.GetDataSetValues(id, reference, AnswerFrom::Device); });
    EXPECT_EQ(read.serviceError, 0);
    EXPECT_NE(FindRecord(read.values, "LD0/MMXU1.Hz.mag.f"), nullptr);
    const Confirmation deleted =
        Call([&](RecordingClient& c, std::uint32_t& id) { return c.DeleteDataSet(id, reference, AnswerFrom::Device); });
    EXPECT_EQ(deleted.serviceError, 0);
    const Confirmation gone = Call(
        [&](RecordingClient& c, std::uint32_t& id) { return c.GetDataSetValues(id, reference, AnswerFrom::Device); });
    EXPECT_EQ(gone.serviceError, 1);

    // The test device serves no association-specific lists: the refused definition leaves
    // nothing of the association's data set behind, and the name can be tried again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Confirmation refused = Call([&](RecordingClient& c, std::uint32_t& id) {
            return c.CreateDataSet(id, "@mine", members, AnswerFrom::Device);
        });
        EXPECT_EQ(refused.result, System::Rejected);
        EXPECT_EQ(refused.serviceError, 12);
        DataSet* left = nullptr;
        EXPECT_EQ(session.client->GetAssociation()->FindDataSet("@mine", left), System::InvalidArguments);
        EXPECT_EQ(session.client->GetAssociation()->FindNamedVariableList("mine"), nullptr);
    }
}

// Data sets come and go on the association's thread while the program's trees, the ICD
// export and the model reading walk the same maps under the model lock: every change
// takes it too (ThreadSanitizer sees a change without it; a walk meeting a set whose
// list is already deleted reads freed memory).
TEST_F(Services, DataSetsComeAndGoWhileAnotherThreadWalksTheModel) {
    std::atomic<bool> done{false};
    std::atomic<std::size_t> walks{0};
    std::thread walker([&] {
        while (!done.load()) {
            const Mms::ModelHold hold(session.server.get());
            ASSERT_TRUE(hold.Taken());
            for (const auto& [deviceName, device] : session.server->GetLogicalDevices()) {
                Mms::Domain* domain = device->GetDomain();
                for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
                    for (const auto& [setName, dataSet] : node->GetDataSets()) {
                        Mms::NamedVariableList* list = dataSet->GetList();
                        ASSERT_NE(list, nullptr) << setName;
                        EXPECT_EQ(list->Name, nodeName + "$" + setName);
                        if (domain != nullptr) {
                            EXPECT_EQ(domain->FindNamedVariableList(list->Name), list);
                        }
                    }
                }
            }
            walks.fetch_add(1);
        }
    });
    const Records members = {{"MX", "LD0/MMXU1.TotW", ""}};
    for (int round = 0; round < 10; ++round) {
        const std::string reference = "LD0/LLN0.walked" + std::to_string(round % 3);
        EXPECT_EQ(Call([&](RecordingClient& c, std::uint32_t& id) {
                      return c.CreateDataSet(id, reference, members, AnswerFrom::Device);
                  }).serviceError,
                  0);
        EXPECT_EQ(Call([&](RecordingClient& c, std::uint32_t& id) {
                      return c.DeleteDataSet(id, reference, AnswerFrom::Device);
                  }).serviceError,
                  0);
    }
    EXPECT_TRUE(TestSupport::Eventually([&] { return walks.load() > 0; }));
    done.store(true);
    walker.join();
    DataSet* left = nullptr;
    EXPECT_EQ(session.server->FindDataSet("LD0/LLN0.walked0", left), System::InvalidArguments);
}

TEST_F(Services, ReportControlBlocksReadAndWritten) {
    const Confirmation buffered = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetBRCBValues(id, {"BR", "LD0/LLN0.brcb01"}, AnswerFrom::Device);
    });
    EXPECT_EQ(buffered.serviceError, 0);
    const auto rptId = std::find_if(buffered.attributes.begin(), buffered.attributes.end(),
                                    [](const auto& attribute) { return attribute.first == "RptID"; });
    ASSERT_NE(rptId, buffered.attributes.end());
    EXPECT_EQ(rptId->second, "LD0-brcb");
    const Confirmation unbuffered = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetURCBValues(id, {"", "LD0/LLN0.urcb01"}, AnswerFrom::Device);
    });
    EXPECT_EQ(unbuffered.serviceError, 0);
    const Confirmation written = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetBRCBValues(id, "LD0/LLN0.brcb01", {{"IntgPd", "5000"}}, AnswerFrom::Device);
    });
    EXPECT_EQ(written.serviceError, 0);
    EXPECT_EQ(session.device.GetValue("LD0/LLN0$BR$brcb01$IntgPd"), "5000");
}

TEST_F(Services, EveryRequestAsWiresharkReadsIt) {
    REQUIRE_WIRESHARK();
    Read("ST", "LD0/XCBR1.Pos.stVal");
    Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, {{"MX", "LD0/MMXU1.TotW.mag.f", "7.5"}},
                               AnswerFrom::Device);
    });
    Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataSetValues(id, "LD0/LLN0.ds1", AnswerFrom::Device);
    });
    Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetDataSetValues(id, "LD0/LLN0.ds2", {{"MX", "LD0/MMXU1.Hz.mag.f", "50"}}, AnswerFrom::Device);
    });
    Call([](RecordingClient& c, std::uint32_t& id) {
        return c.CreateDataSet(id, "LD0/LLN0.wire", {{"MX", "LD0/MMXU1.Hz", ""}}, AnswerFrom::Device);
    });
    Call(
        [](RecordingClient& c, std::uint32_t& id) { return c.DeleteDataSet(id, "LD0/LLN0.wire", AnswerFrom::Device); });
    Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetBRCBValues(id, {"BR", "LD0/LLN0.brcb01"}, AnswerFrom::Device);
    });
    Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataDirectory(id, "LD0/XCBR1.Pos", "ST", AnswerFrom::Device);
    });
    const std::size_t confirmed = session.client->Count();
    ASSERT_EQ(session.client->Release(), System::OkNoError);
    ASSERT_TRUE(session.client->WaitForCount(confirmed + 1));
    EXPECT_FALSE(session.client->IsAssociated());
    ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.OpenAssociations() == 0; }));

    const auto units = session.relay->Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    std::set<std::string> services;
    std::set<std::string> names;
    for (const std::string& line : TestSupport::DecodeFields(
             units, {"mms.confirmedServiceRequest", "mms.itemId", "mms.domainId", "mms.conclude_RequestPDU_element"})) {
        const auto bar = line.find('|');
        if (bar != std::string::npos && bar > 0) services.insert(line.substr(0, bar));
        names.insert(line);
    }
    // getNameList 1, read 4, write 5, getVariableAccessAttributes 6, defineNamedVariableList 11,
    // getNamedVariableListAttributes 12, deleteNamedVariableList 13.
    for (const char* service : {"1", "4", "5", "6", "11", "12", "13"}) {
        EXPECT_TRUE(services.contains(service)) << service << " in " << ::testing::PrintToString(services);
    }
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* name : {"XCBR1$ST$Pos$stVal", "MMXU1$MX$TotW$mag$f", "LLN0$ds1", "LLN0$wire", "LLN0$BR$brcb01",
                             "conclude-RequestPDU"}) {
        EXPECT_NE(decoded.find(name), std::string::npos) << name;
    }
}

TEST_F(Services, AWriteRefusedPerMemberGivesThatMembersError) {
    // A second client enables the block: its attributes are locked for this one.
    RecordingClient other;
    ASSERT_EQ(other.Associate(session.Profile(), 0), System::OkNoError);
    std::uint32_t id = 0;
    ASSERT_EQ(other.SetURCBValues(id, "LD0/LLN0.urcb01", {{"RptEna", "True"}}, AnswerFrom::Device), System::OkNoError);
    ASSERT_EQ(other.WaitFor(id).serviceError, 0);

    // temporarily-unavailable: instance-locked-by-other-client for the write of the value,
    // instance-not-available for the control-block write, whose answer alone decides.
    const Confirmation value = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetDataValues(id, {"RP", "LD0/LLN0.urcb01.IntgPd"}, {{"RP", "LD0/LLN0.urcb01.IntgPd", "1000"}},
                               AnswerFrom::Device);
    });
    EXPECT_EQ(value.result, System::Error);
    EXPECT_EQ(value.serviceError, 8);
    const Confirmation asHeld = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetDataValues(id, {"RP", "LD0/LLN0.urcb01.IntgPd"}, {}, AnswerFrom::Device);
    });
    EXPECT_EQ(asHeld.serviceError, 8);
    const Confirmation block = Call([](RecordingClient& c, std::uint32_t& id) {
        return c.SetURCBValues(id, "LD0/LLN0.urcb01", {{"IntgPd", "1000"}}, AnswerFrom::Device);
    });
    EXPECT_EQ(block.serviceError, 1);
    other.ClearAssociation();
}

TEST_F(Services, TheModelTakesOnlyTheValuesTheDeviceConfirmed) {
    auto value = [&](const std::string& fc, const std::string& reference) {
        std::list<NamedObject*> found;
        EXPECT_EQ(session.server->FindObjects(fc, reference, found), System::OkNoError);
        std::string text;
        const Mms::ModelHold hold(session.server.get());
        if (found.size() == 1) dynamic_cast<DataItem*>(found.front())->GetValueText(text);
        return text;
    };
    // The association's own data set, which the device does not know: enabling a block
    // on it is refused by the device alone.
    DataSet* mine = nullptr;
    ASSERT_EQ(CreateAssociationDataSet(*session.client->GetAssociation(), "mine", {{"MX", "LD0/MMXU1.Hz", ""}}, mine),
              System::OkNoError);
    struct Expected {
        std::string fc;
        std::string reference;
        std::string value;  // empty: as before the write
    };
    struct Case {
        const char* name;
        std::function<Confirmation()> write;
        bool sent;
        bool refused;
        std::vector<Expected> after;
    };
    auto call = [&](auto request) { return [this, request] { return Call(request); }; };
    const Case cases[] = {
        {"an attribute the block lacks",
         call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetURCBValues(id, "LD0/LLN0.urcb01", {{"IntgPd", "4321"}, {"NoSuch", "1"}}, AnswerFrom::Device);
         }),
         false,
         true,
         {{"RP", "LD0/LLN0.urcb01.IntgPd", ""}}},
        {"a text that does not fit after one that does",
         call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"},
                                    {{"MX", "LD0/MMXU1.TotW.mag.f", "1.5"}, {"ST", "LD0/XCBR1.OpCnt.stVal", "abc"}},
                                    AnswerFrom::Device);
         }),
         false,
         true,
         {{"MX", "LD0/MMXU1.TotW.mag.f", ""}}},
        {"a data set the association does not know",
         call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetBRCBValues(id, "LD0/LLN0.brcb01", {{"IntgPd", "4321"}, {"DatSet", "LD0/LLN0$none"}},
                                    AnswerFrom::Device);
         }),
         false,
         true,
         {{"BR", "LD0/LLN0.brcb01.IntgPd", ""}, {"BR", "LD0/LLN0.brcb01.DatSet", ""}}},
        {"a data-set write that does not fit",
         call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetDataSetValues(id, "LD0/LLN0.ds2",
                                       {{"MX", "LD0/MMXU1.Hz.mag.f", "51"}, {"ST", "LD0/GGIO1.IntIn1.stVal", "x"}},
                                       AnswerFrom::Device);
         }),
         false,
         true,
         {{"MX", "LD0/MMXU1.Hz.mag.f", ""}}},
        {"refused by the device",
         [&] {
             TestDevice::Faults faults;
             faults.refused[5] = {true, 1, 0};  // every write
             session.device.SetFaults(faults);
             const Confirmation values = Call([](RecordingClient& c, std::uint32_t& id) {
                 return c.SetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, {{"MX", "LD0/MMXU1.TotW.mag.f", "77"}},
                                        AnswerFrom::Device);
             });
             const Confirmation list = Call([](RecordingClient& c, std::uint32_t& id) {
                 return c.SetDataSetValues(id, "LD0/LLN0.ds2", {{"MX", "LD0/MMXU1.Hz.mag.f", "51"}},
                                           AnswerFrom::Device);
             });
             const Confirmation block = Call([](RecordingClient& c, std::uint32_t& id) {
                 return c.SetURCBValues(id, "LD0/LLN0.urcb01", {{"IntgPd", "4321"}}, AnswerFrom::Device);
             });
             session.device.SetFaults({});
             EXPECT_NE(values.serviceError, 0);
             EXPECT_NE(list.serviceError, 0);
             return block;
         },
         true,
         true,
         {{"MX", "LD0/MMXU1.TotW.mag.f", ""}, {"MX", "LD0/MMXU1.Hz.mag.f", ""}, {"RP", "LD0/LLN0.urcb01.IntgPd", ""}}},
        {"a block partly refused: enabled on a data set the device does not know",
         call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetURCBValues(id, "LD0/LLN0.urcb02",
                                    {{"DatSet", "@mine"}, {"IntgPd", "4321"}, {"RptEna", "True"}}, AnswerFrom::Device);
         }),
         true,
         true,
         {{"RP", "LD0/LLN0.urcb02.DatSet", "@mine"},
          {"RP", "LD0/LLN0.urcb02.IntgPd", "4321"},
          {"RP", "LD0/LLN0.urcb02.RptEna", ""}}},
        {"values partly refused",
         call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetDataValues(
                 id, {"RP", "LD0/LLN0.urcb02"},
                 {{"RP", "LD0/LLN0.urcb02.IntgPd", "2222"}, {"RP", "LD0/LLN0.urcb02.RptEna", "True"}},
                 AnswerFrom::Device);
         }),
         true,
         true,
         {{"RP", "LD0/LLN0.urcb02.IntgPd", "2222"}, {"RP", "LD0/LLN0.urcb02.RptEna", ""}}},
        {"a data set written",
         call([](RecordingClient& c, std::uint32_t& id) {
             return c.SetDataSetValues(id, "LD0/LLN0.ds2", {{"MX", "LD0/MMXU1.Hz.mag.f", "50.5"}}, AnswerFrom::Device);
         }),
         true,
         false,
         {{"MX", "LD0/MMXU1.Hz.mag.f", "50.5"}, {"MX", "LD0/MMXU1.TotW.mag.f", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> before;
        for (const Expected& expected : c.after) before.push_back(value(expected.fc, expected.reference));
        const std::size_t requests = DeviceRequests();
        const Confirmation confirmation = c.write();
        EXPECT_EQ(DeviceRequests() > requests, c.sent);
        EXPECT_EQ(confirmation.serviceError != 0, c.refused);
        for (std::size_t i = 0; i < c.after.size(); ++i) {
            const Expected& expected = c.after[i];
            EXPECT_EQ(value(expected.fc, expected.reference), expected.value.empty() ? before[i] : expected.value)
                << expected.reference;
        }
    }
    // The device holds what the model holds, and the block follows the data set it names.
    EXPECT_EQ(session.device.GetValue("LD0/LLN0$RP$urcb02$IntgPd"), "2222");
    EXPECT_EQ(session.device.GetValue("LD0/LLN0$RP$urcb02$RptEna"), "False");
    std::list<NamedObject*> blocks;
    ASSERT_EQ(session.server->CollectURCBs("LD0/LLN0.urcb02", "RP", blocks), System::OkNoError);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(dynamic_cast<ControlBlock*>(blocks.front())->GetDataSet(), mine);
}

TEST_F(Services, TheDevicesErrorAnswersAreMapped) {
    struct Case {
        const char* name;
        TestDevice::Faults::Refusal refusal;
        std::int32_t serviceError;
    };
    const Case cases[] = {
        {"reject", {true, 1, 0}, 12},
        {"object-undefined", {false, 0, (3u << 16) | 1}, 1},
        {"object-exists", {false, 0, (3u << 16) | 5}, 2},
        {"invalid-address", {false, 0, (3u << 16) | 2}, 6},
        {"type-inconsistent", {false, 0, (3u << 16) | 4}, 10},
        {"object-state-conflict", {false, 0, (5u << 16) | 2}, 2},
        {"resource", {false, 0, (4u << 16) | 1}, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDevice::Faults faults;
        faults.refused[4] = c.refusal;  // read
        session.device.SetFaults(faults);
        EXPECT_EQ(Read("ST", "LD0/XCBR1.Pos.stVal").serviceError, c.serviceError);
    }
}

}  // namespace
}  // namespace AcsiClientTest
