#include "protocol/Connection.h"

#include "StackTestDoubles.h"
#include "protocol/RawFrame.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using StackTest::CallLog;
using StackTest::LoggingConnection;
using StackTest::LoggingLayer;

namespace {

TEST(ConnectionTest, MaxPduSizeAcceptsOnly256To65536) {
    LoggingLayer layer("Cotp", 4);
    LoggingConnection connection(&layer, nullptr);
    const struct {
        std::uint32_t size;
        System::ResultCode result;
    } cases[] = {{255, 1}, {256, 0}, {65536, 0}, {65537, 1}, {0, 1}};
    for (const auto& c : cases) {
        connection.SetMaxPduSize(1000);
        EXPECT_EQ(connection.SetMaxPduSize(c.size), c.result) << c.size;
        EXPECT_EQ(connection.GetMaxPduSize(), c.result == 0 ? c.size : 1000u) << c.size;
    }
}

TEST(ConnectionTest, ParameterTextIsAppliedItemByItem) {
    LoggingLayer layer("Cotp", 4);
    LoggingConnection connection(&layer, nullptr);
    const struct {
        const char* text;
        System::ResultCode result;
    } cases[] = {
        {"", System::OkNoError},
        {"LocalTSelector=0001", System::OkNoError},
        {"LocalTSelector=0001;", System::Error},  // an empty last item
        {";LocalTSelector=0001", System::Error},
        {"a=b=c", System::Error},
        {"LocalTSelector", System::Error},
        {"RemoteTSelector=0001", System::NotSupported},
        {"LocalTSelector=0001;Other=1", System::NotSupported},
        {" LocalTSelector=0001", System::NotSupported},  // nothing is trimmed
        {"LocalTSelector=", System::OkNoError},
    };
    for (const auto& c : cases) {
        connection.SetParameterText(c.text);
        EXPECT_EQ(connection.ApplyParameterText(), c.result) << c.text;
    }
}

TEST(ConnectionTest, ResetEndsTheStateAndKeepsParametersWhichOnlyRestoringDefaultsTakesBack) {
    LoggingLayer layer("Cotp", 4);
    LoggingConnection connection(&layer, nullptr);
    connection.SetParameterText("LocalTSelector=0001");
    connection.SetParameter("LocalTSelector", "0002");
    connection.SetState(5);
    connection.SetTimeout(50);
    connection.SetMaxPduSize(1024);
    EXPECT_EQ(connection.Reset(), System::OkNoError);
    EXPECT_EQ(connection.GetState(), 0);
    EXPECT_EQ(connection.GetMaxPduSize(), 0u);
    // What ends a stream never changes what was given.
    EXPECT_EQ(connection.GetTimeout(), 50u);
    EXPECT_EQ(connection.selector, "0002");

    EXPECT_EQ(connection.RestoreParameterDefaults(), System::OkNoError);
    EXPECT_EQ(connection.GetTimeout(), 10000u);
    EXPECT_EQ(connection.selector, "0001");

    connection.SetParameterText("Unknown=1");
    EXPECT_EQ(connection.RestoreParameterDefaults(), System::NotSupported);
    EXPECT_EQ(connection.Close(), System::OkNoError);  // Close is a reset that reports 0
}

TEST(ConnectionTest, BaseOperationsAnswerNotImplementedAndNotSupported) {
    LoggingLayer layer("Mms", 8);
    Protocol::Connection connection(&layer);
    std::string value;
    EXPECT_EQ(connection.SetParameter("RemoteNPort", "102"), System::NotSupported);
    EXPECT_EQ(connection.GetParameter("RemoteNPort", value), System::NotSupported);
    EXPECT_EQ(connection.OnLowerBytes(nullptr, 0, 2), System::NotImplemented);
    EXPECT_EQ(connection.OnLowerIndication(nullptr, 2), System::NotImplemented);
    EXPECT_EQ(connection.OnLowerEvent(1), System::NotImplemented);
    EXPECT_EQ(connection.OnSingleAsn1Data({}, 16), System::NotImplemented);
    EXPECT_EQ(connection.OnOctetAlignedData({}, 16), System::NotImplemented);
    EXPECT_EQ(connection.OnArbitraryData({}, 16), System::NotImplemented);
    EXPECT_EQ(connection.Run(), System::NotImplemented);
    EXPECT_EQ(connection.CreateFrame(nullptr, 0, 0), nullptr);
}

TEST(ConnectionTest, LowerEventArrivesAsAnIndicationWithoutFrame) {
    CallLog log;
    LoggingLayer layer("Cotp", 4, &log);
    LoggingConnection connection(&layer, &log);
    EXPECT_EQ(connection.OnLowerEvent(18), System::OkNoError);
    EXPECT_EQ(log, (CallLog{connection.Name() + " indication 18 null"}));
}

TEST(ConnectionTest, DeletingAConnectionDeletesTheChainBelowAndUnlinksTheOneAbove) {
    CallLog log;
    LoggingLayer lower("Itot", 3, &log);
    LoggingLayer middle("Cotp", 4, &log);
    LoggingLayer upper("Cosp", 5, &log);
    upper.SetLowerLayer(&middle);
    middle.SetLowerLayer(&lower);
    middle.SetUpperLayer(&upper);
    lower.SetUpperLayer(&middle);

    Protocol::Connection* top = upper.BuildConnectionChain(nullptr);
    Protocol::Connection* mid = top->GetLower();
    Protocol::Connection* bottom = mid->GetLower();
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(top->GetBottom(), bottom);
    EXPECT_EQ(bottom->GetBottom(), bottom);
    EXPECT_EQ(bottom->GetUpper(), mid);

    // Deleting the middle: the bottom goes with it, the top stays without a lower one.
    middle.RemoveConnection(mid);
    EXPECT_EQ(top->GetLower(), nullptr);
    EXPECT_EQ(middle.GetConnectionCount(), 0u);
    EXPECT_EQ(lower.GetConnectionCount(), 0u);
    EXPECT_EQ(upper.GetConnectionCount(), 1u);
    EXPECT_EQ(log, (CallLog{"Cotp#1 deleted", "Itot#1 deleted"}));
}

TEST(ConnectionTest, ReleaseLowerAndDeleteUpperTakeTheNeighbourOutOfItsLayer) {
    CallLog log;
    LoggingLayer lower("Itot", 3, &log);
    LoggingLayer upper("Cotp", 4, &log);
    upper.SetLowerLayer(&lower);
    lower.SetUpperLayer(&upper);

    Protocol::Connection* top = upper.BuildConnectionChain(nullptr);
    top->ReleaseLower();
    EXPECT_EQ(top->GetLower(), nullptr);
    EXPECT_EQ(lower.GetConnectionCount(), 0u);

    top = upper.BuildConnectionChain(nullptr);
    Protocol::Connection* bottom = top->GetLower();
    bottom->DeleteUpper();
    EXPECT_EQ(bottom->GetUpper(), nullptr);
    EXPECT_EQ(upper.GetConnectionCount(), 1u);  // only the first top is left
    EXPECT_EQ(lower.GetConnectionCount(), 1u);  // the bottom survives its upper
    EXPECT_EQ(log.back(), "Cotp#2 deleted");
}

TEST(ConnectionTest, DiscardPendingEmptiesTheChainFromTheBottomUp) {
    LoggingLayer lower("Itot", 3);
    LoggingLayer upper("Cotp", 4);
    upper.SetLowerLayer(&lower);
    lower.SetUpperLayer(&upper);
    LoggingConnection* top = StackTest::Logging(upper.BuildConnectionChain(nullptr));
    LoggingConnection* bottom = StackTest::Logging(top->GetLower());
    top->PendingA().push_back(std::make_unique<Protocol::RawFrame>(top));
    top->PendingB().push_back(std::make_unique<Protocol::RawFrame>(top));
    bottom->PendingA().push_back(std::make_unique<Protocol::RawFrame>(bottom));

    bottom->DiscardPending();  // leaves the upper one alone
    EXPECT_TRUE(bottom->PendingA().empty());
    EXPECT_EQ(top->PendingA().size(), 1u);

    bottom->PendingB().push_back(std::make_unique<Protocol::RawFrame>(bottom));
    top->DiscardPending();
    EXPECT_TRUE(top->PendingA().empty());
    EXPECT_TRUE(top->PendingB().empty());
    EXPECT_TRUE(bottom->PendingB().empty());
}

}  // namespace
