// The export's three steps through the server's forwarders: states, repeats, and the
// model lock.

#include <gtest/gtest.h>

#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/TempFolder.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

class IcdDialogue : public ::testing::Test {
protected:
    IcdDialogue() { server.AddDevice("E1Q1SB1C1", {Lln0(), Xcbr("XCBR1")}); }

    IcdTestServer server;
    TempFolder folder;
};

TEST_F(IcdDialogue, StepsNeedTheirPredecessorsAndMayBeRepeated) {
    const std::string path = folder.File("device.icd");
    EXPECT_EQ(server.Exporter().GetState(), 0);
    EXPECT_EQ(server.WriteIcdFile(path), -1);
    EXPECT_FALSE(server.IcdFailure().empty());
    EXPECT_EQ(server.ReadIcdAnswers("<Answers/>"), -1);
    EXPECT_FALSE(server.IcdFailure().empty());
    EXPECT_TRUE(folder.Names().empty());

    std::string list;
    ASSERT_EQ(server.BuildIcdSettingsXml(list), 0);
    EXPECT_EQ(server.Exporter().GetState(), 1);
    EXPECT_EQ(server.WriteIcdFile(path), -1);  // offered but not answered
    EXPECT_TRUE(folder.Names().empty());

    ASSERT_EQ(server.ReadIcdAnswers("<Answers/>"), 0);
    EXPECT_EQ(server.Exporter().GetState(), 2);
    EXPECT_TRUE(server.IcdFailure().empty());
    ASSERT_EQ(server.ReadIcdAnswers("<Answers><ConfLNs><fixPrefix Value=\"0\"/></ConfLNs></Answers>"), 0);
    EXPECT_FALSE(server.Exporter().GetAnswers().fixPrefix);
    ASSERT_EQ(server.WriteIcdFile(path), 0);
    ASSERT_EQ(server.WriteIcdFile(path), 0);
    EXPECT_EQ(server.Exporter().GetState(), 2);

    // Offering again starts over: answers are needed again before the next file.
    ASSERT_EQ(server.BuildIcdSettingsXml(list), 0);
    EXPECT_EQ(server.Exporter().GetState(), 1);
    EXPECT_EQ(server.WriteIcdFile(path), -1);
}

TEST_F(IcdDialogue, ModelIsReadOnlyUnderTheLockAndALockThatTimesOutRefuses) {
    std::string list;
    ASSERT_EQ(server.BuildIcdSettingsXml(list), 0);
    ASSERT_EQ(server.ReadIcdAnswers("<Answers/>"), 0);
    ASSERT_EQ(server.WriteIcdFile(folder.File("a.icd")), 0);
    EXPECT_EQ(server.unlockedModelReads, 0);
    // Released again: the lock can be taken at once.
    ASSERT_EQ(server.GetModelLock().Wait(0), System::Semaphore::Acquired);

    // Someone else holds it: both reads of the model give up with the reason.
    server.lockWaitMs = 20;
    std::string other = "kept";
    EXPECT_EQ(server.BuildIcdSettingsXml(other), -1);
    EXPECT_EQ(other, "kept");
    EXPECT_NE(server.IcdFailure().find("timed out"), std::string::npos);
    EXPECT_EQ(server.Exporter().GetState(), 2);
    EXPECT_EQ(server.WriteIcdFile(folder.File("b.icd")), -1);
    EXPECT_NE(server.IcdFailure().find("timed out"), std::string::npos);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.icd"});
    server.GetModelLock().Release();
    EXPECT_EQ(server.WriteIcdFile(folder.File("b.icd")), 0);
}

}  // namespace
}  // namespace IcdTestModel
