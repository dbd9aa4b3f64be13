#include <gtest/gtest.h>

#include <string>

#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "iec61850/association/DeviceSession.h"

namespace AcsiClientTest {
namespace {

TEST(ServerObject, ANewServerHasTheFourteenDefaults) {
    Server server;
    AssociationProfile* profile = server.GetProfile(0);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(server.GetProfile(1), nullptr);
    EXPECT_EQ(profile->GetServer(), &server);
    const std::map<std::string, std::string> expected = {
        {"RemoteAeQualifier", "12"},     {"RemoteApId", "1.1.1.999.1"},  {"RemotePSelector", "1"},
        {"RemoteSSelector", "1"},        {"RemoteTSelector", "1"},       {"RemoteNPort", "102"},
        {"RemoteNAddress", "127.0.0.1"}, {"LocalAeQualifier", "12"},     {"LocalApId", "1.1.1.999"},
        {"LocalPSelector", "1"},         {"LocalSSelector", "1"},        {"LocalSTimeout", "2000"},
        {"LocalTSelector", "1"},         {"LocalNAddress", "127.0.0.1"},
    };
    std::map<std::string, std::string> actual;
    {
        const auto held = profile->HoldParameters();
        for (const auto& [name, parameter] : profile->GetParameters(held)) {
            actual[name] = parameter->value;
            EXPECT_EQ(parameter->status, System::NotInitialized) << name;
        }
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(server.GetClassId(), 36u);
    EXPECT_STREQ(server.GetClassName(), "VMD");
    // Without a registered exporter the export says why instead of writing.
    std::string xml;
    EXPECT_EQ(server.BuildIcdSettingsXml(xml), -1);
}

TEST(ServerObject, TheModelLockIsTheVmdsAndTakenTwiceStopsTheProgram) {
    Server server;
    EXPECT_EQ(&server.GetModelLock(), &static_cast<Mms::VMD&>(server).GetModelLock());
    EXPECT_FALSE(server.IsModelLocked());
    ASSERT_EQ(server.Lock(), System::OkNoError);
    EXPECT_TRUE(server.IsModelLocked());
    server.Unlock();
    EXPECT_FALSE(server.IsModelLocked());
    if (!Mms::VMD::ChecksModelLock()) GTEST_SKIP() << "the check is built into debug and sanitizer builds";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            server.Lock();
            server.Lock();
        },
        "not re-entrant");
}

class LoadedServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
    }
    std::list<NamedObject*> Resolve(const std::string& reference, const std::string& fc,
                                    System::ResultCode expected = System::OkNoError) {
        std::list<NamedObject*> found;
        EXPECT_EQ(session.server->FindObjects(fc, reference, found), expected) << reference;
        return found;
    }
    DeviceSession session;
};

TEST_F(LoadedServer, ReferencesResolveInBothForms) {
    const auto dotted = Resolve("LD0/LLN0.Mod.stVal", "ST");
    const auto mms = Resolve("LD0/LLN0$ST$Mod$stVal", "");
    ASSERT_EQ(dotted.size(), 1u);
    EXPECT_EQ(dotted, mms);
    EXPECT_EQ(dotted.front()->GetReference(), "LD0/LLN0.Mod.stVal");
    EXPECT_EQ(dotted.front()->GetFcName(), "ST");
    // "XX" and no constraint: the path under every group that has it, groups in name order.
    const auto any = Resolve("LD0/XCBR1.Pos", "XX");
    ASSERT_GE(any.size(), 2u);
    EXPECT_EQ(any, Resolve("LD0/XCBR1.Pos", ""));
    std::vector<std::string> fcs;
    for (const NamedObject* object : any) fcs.push_back(object->GetFcName());
    EXPECT_TRUE(std::is_sorted(fcs.begin(), fcs.end()));
    EXPECT_TRUE(Resolve("LD0/XCBR1.Nothing", "ST").empty());
    for (const char* bad : {"LLN0.Mod.stVal", "LD9/LLN0.Mod", "LD0/NONE1.Mod", "LD0/LLN0$ST"}) {
        EXPECT_TRUE(Resolve(bad, "ST", System::InvalidArguments).empty());
    }
}

TEST_F(LoadedServer, DataSetsAndControlBlocksAreFound) {
    DataSet* dotted = nullptr;
    DataSet* mms = nullptr;
    ASSERT_EQ(session.server->FindDataSet("LD0/LLN0.ds1", dotted), System::OkNoError);
    ASSERT_EQ(session.server->FindDataSet("LD0/LLN0$ds1", mms), System::OkNoError);
    EXPECT_EQ(dotted, mms);
    EXPECT_EQ(session.server->FindDataSet("LD0/LLN0.nothing", mms), System::InvalidArguments);

    std::list<NamedObject*> brcbs;
    ASSERT_EQ(session.server->CollectBRCBsAnyFc("LD0", brcbs), System::OkNoError);
    EXPECT_EQ(brcbs.size(), 4u);  // brcb01..brcb03 on ds1, brcbMeas01 on ds2
    std::list<NamedObject*> urcbs;
    ASSERT_EQ(session.server->CollectURCBs("LD0/LLN0.urcb01", "RP", urcbs), System::OkNoError);
    ASSERT_EQ(urcbs.size(), 1u);
    EXPECT_EQ(urcbs.front()->GetReference(), "LD0/LLN0.urcb01");
    ASSERT_EQ(session.server->CollectURCBs("LD0/LLN0.urcb01", "BR", urcbs), System::OkNoError);
    EXPECT_TRUE(urcbs.empty());

    // The blocks whose data set carries a member under which the pair is found (the data
    // sets are known once the blocks' values are read).
    for (const char* block : {"LD0/LLN0.brcb01", "LD0/LLN0.brcbMeas01"}) {
        const auto read = session.Call([&](RecordingClient& c, std::uint32_t& id) {
            return c.GetBRCBValues(id, {"BR", block}, AnswerFrom::Device);
        });
        EXPECT_EQ(read.serviceError, 0);
    }
    session.server->Bind();
    std::list<NamedObject*> selected;
    {
        const Mms::ModelHold hold(session.server.get());
        session.server->SelectRcbsByDataSetMember(hold, brcbs, {"MX", "LD0/MMXU1.Hz.mag.f", ""}, selected);
    }
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected.front()->GetName(), "brcbMeas01");

    std::uint32_t count = 0;
    ASSERT_EQ(session.server->CountKindOf(ModelClass::LogicalNode, AnyObjectState, count), System::OkNoError);
    EXPECT_EQ(count, 7u + 2u);  // LD0: XCBR1, CSWI1-4, MMXU1, GGIO1; bay1: MMXU1, GGIO1
}

TEST_F(LoadedServer, ADataDefinitionHasOneRecordPerComponentInDictionaryOrder) {
    std::vector<DataDefinitionRecord> records;
    ASSERT_EQ(session.server->BuildDataDefinition("LD0/XCBR1.Pos", records), System::OkNoError);
    ASSERT_FALSE(records.empty());
    std::vector<std::string> st;
    for (const DataDefinitionRecord& record : records) {
        if (record.fc == "ST") st.push_back(record.name);
    }
    // SPC/DPC order: stVal before q before t.
    const auto at = [&](const std::string& name) { return std::find(st.begin(), st.end(), name) - st.begin(); };
    EXPECT_LT(at("stVal"), at("q"));
    EXPECT_LT(at("q"), at("t"));
    const auto stVal = std::find_if(records.begin(), records.end(),
                                    [](const DataDefinitionRecord& r) { return r.reference == "LD0/XCBR1.Pos.stVal"; });
    ASSERT_NE(stVal, records.end());
    EXPECT_EQ(stVal->typeName, "Enum");
    EXPECT_GE(stVal->basicType, 0);
}

TEST_F(LoadedServer, DirectoriesAndValuesAnsweredFromTheModel) {
    TPAppAssociation& association = *session.client->GetAssociation();
    Server& server = *session.server;
    auto contains = [](const auto& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };

    GetServerDirectory devices(association, ObjectClassLogicalDevice, AnswerFrom::Model);
    ASSERT_EQ(server.ListLogicalDevices(devices), System::OkNoError);
    EXPECT_EQ(std::vector<std::string>(devices.names.begin(), devices.names.end()),
              (std::vector<std::string>{"LD0", "bay1"}));
    GetServerDirectory files(association, ObjectClassFile, AnswerFrom::Model);
    EXPECT_EQ(server.ListLogicalDevices(files), System::Error);

    GetLogicalDeviceDirectory nodes(association, "LD0", AnswerFrom::Model);
    ASSERT_EQ(server.ListLogicalNodes(nodes), System::OkNoError);
    EXPECT_TRUE(contains(nodes.names, "LLN0"));
    EXPECT_TRUE(contains(nodes.names, "XCBR1"));
    GetLogicalDeviceDirectory unknown(association, "LD9", AnswerFrom::Model);
    EXPECT_EQ(server.ListLogicalNodes(unknown), System::InvalidArguments);
    EXPECT_EQ(unknown.GetServiceError(), 1);

    GetLogicalNodeDirectory data(association, "LD0/XCBR1", ObjectClassData, AnswerFrom::Model);
    ASSERT_EQ(server.AnswerLogicalNodeDirectory(data), System::OkNoError);
    EXPECT_EQ(data.GetServiceError(), 0);
    // In the order of the node's class, not of the alphabet.
    EXPECT_EQ(std::vector<std::string>(data.names.begin(), data.names.end()),
              (std::vector<std::string>{"Mod", "Beh", "Health", "NamPlt", "OpCnt", "Pos"}));
    GetLogicalNodeDirectory blocks(association, "LD0/LLN0", ObjectClassBrcb, AnswerFrom::Model);
    ASSERT_EQ(server.AnswerLogicalNodeDirectory(blocks), System::OkNoError);
    EXPECT_EQ(std::vector<std::string>(blocks.names.begin(), blocks.names.end()),
              (std::vector<std::string>{"brcb01", "brcb02", "brcb03", "brcbMeas01"}));

    GetAllDataValues values(association, "LD0/MMXU1", "MX", AnswerFrom::Model);
    ASSERT_EQ(server.ListAllDataValues(values), System::OkNoError);
    ASSERT_FALSE(values.values.empty());
    EXPECT_TRUE(std::all_of(values.values.begin(), values.values.end(),
                            [](const ValueRecord& record) { return record.fc == "MX"; }));
    EXPECT_TRUE(std::any_of(values.values.begin(), values.values.end(),
                            [](const ValueRecord& record) { return record.reference == "LD0/MMXU1.TotW.mag.f"; }));

    GetDataDirectory components(association, "LD0/XCBR1.Pos", "ST", AnswerFrom::Model);
    components.found = Resolve("LD0/XCBR1.Pos", "ST").front();
    ASSERT_EQ(server.ListDataComponents(components), System::OkNoError);
    EXPECT_TRUE(contains(components.names, "stVal"));
    EXPECT_TRUE(contains(components.names, "q"));
    // Nothing to list: no target, or one bound to no named variable (a device's domain).
    GetDataDirectory unbound(association, "LD0/XCBR1", "ST", AnswerFrom::Model);
    EXPECT_EQ(server.ListDataComponents(unbound), System::InvalidContext);
    LogicalDevice* device = nullptr;
    ASSERT_EQ(server.FindLogicalDevice("LD0", device), System::OkNoError);
    unbound.found = device;
    EXPECT_EQ(server.ListDataComponents(unbound), System::InvalidContext);
    EXPECT_TRUE(unbound.names.empty());
}

TEST_F(LoadedServer, NoCallbackRunsWhileTheLibraryHoldsTheModelLock) {
    session.client->lockProbe = session.server.get();
    const auto read = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataValues(id, {"ST", "LD0/XCBR1.Pos"}, AnswerFrom::Device);
    });
    EXPECT_EQ(read.serviceError, 0);
    const auto local = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataValues(id, {"ST", "LD0/XCBR1.Pos"}, AnswerFrom::Model);
    });
    EXPECT_EQ(local.serviceError, 0);
    const auto refused = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataValues(id, {"ST", "LD0/NONE1.Pos"}, AnswerFrom::Device);
    });
    EXPECT_EQ(refused.serviceError, 5);
    session.client->lockProbe = nullptr;
}

}  // namespace
}  // namespace AcsiClientTest
