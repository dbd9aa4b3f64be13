#include "protocol/Stack.h"

#include "StackTestDoubles.h"
#include "protocol/Connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using StackTest::CallLog;
using StackTest::LoggingLayer;

namespace {

// Layer names from top to bottom, following the links both ways.
std::string Order(const Protocol::Stack& stack) {
    std::string down;
    for (Protocol::Layer* at = stack.GetTopLayer(); at != nullptr; at = at->GetLowerLayer())
        down += std::string(at->GetName()) + " ";
    std::string up;
    for (Protocol::Layer* at = stack.GetBottomLayer(); at != nullptr; at = at->GetUpperLayer())
        up = std::string(at->GetName()) + " " + up;
    EXPECT_EQ(down, up) << "the lower and upper links disagree";
    return down;
}

TEST(StackTest, InsertLayerModes) {
    LoggingLayer a("A", 3), b("B", 4), c("C", 5), d("D", 6), e("E", 7), f("F", 8);
    Protocol::Stack stack;
    stack.InsertLayer(&a, 2, nullptr);  // into an empty stack, whatever the mode
    EXPECT_EQ(Order(stack), "A ");
    stack.InsertLayer(&b, Protocol::Stack::OnTop, nullptr);
    EXPECT_EQ(Order(stack), "B A ");
    stack.InsertLayer(&c, Protocol::Stack::Above, &b);  // above the top: the new top
    EXPECT_EQ(Order(stack), "C B A ");
    stack.InsertLayer(&d, Protocol::Stack::Below, &a);  // below the bottom: the new bottom
    EXPECT_EQ(Order(stack), "C B A D ");
    stack.InsertLayer(&e, Protocol::Stack::Above, &a);
    EXPECT_EQ(Order(stack), "C B E A D ");
    stack.InsertLayer(&f, Protocol::Stack::Below, &c);
    EXPECT_EQ(Order(stack), "C F B E A D ");
    EXPECT_EQ(stack.GetTopLayer(), &c);
    EXPECT_EQ(stack.GetBottomLayer(), &d);
}

TEST(StackTest, InsertLayerRefusesWhatItCannotPlace) {
    LoggingLayer a("A", 3), b("B", 4), stranger("X", 5);
    Protocol::Stack stack;
    stack.InsertLayer(&a, Protocol::Stack::OnTop, nullptr);
    stack.InsertLayer(&b, 3, &a);                              // unknown mode
    stack.InsertLayer(&b, Protocol::Stack::Above, &stranger);  // reference not in the stack
    stack.InsertLayer(&b, Protocol::Stack::Below, nullptr);
    stack.InsertLayer(&a, Protocol::Stack::OnTop, nullptr);  // already in
    EXPECT_EQ(Order(stack), "A ");
}

TEST(StackTest, RemoveLayerJoinsTheNeighbours) {
    LoggingLayer a("A", 3), b("B", 4), c("C", 5), d("D", 6);
    Protocol::Stack stack;
    for (LoggingLayer* layer : {&a, &b, &c, &d}) stack.InsertLayer(layer, Protocol::Stack::OnTop, nullptr);
    ASSERT_EQ(Order(stack), "D C B A ");

    stack.RemoveLayer(&c);
    EXPECT_EQ(Order(stack), "D B A ");
    EXPECT_EQ(c.GetLowerLayer(), nullptr);
    EXPECT_EQ(c.GetUpperLayer(), nullptr);
    stack.RemoveLayer(&d);  // the top: the next one down takes its place
    EXPECT_EQ(Order(stack), "B A ");
    EXPECT_EQ(b.GetUpperLayer(), nullptr);
    stack.RemoveLayer(&a);  // the bottom
    EXPECT_EQ(Order(stack), "B ");
    EXPECT_EQ(b.GetLowerLayer(), nullptr);
    stack.RemoveLayer(&c);  // not in the stack any more
    stack.RemoveLayer(&b);
    EXPECT_EQ(stack.GetTopLayer(), nullptr);
    EXPECT_EQ(stack.GetBottomLayer(), nullptr);
}

TEST(StackTest, CreateConnectionBuildsAndResetsTheChainFromBelowTheTopDown) {
    CallLog log;
    LoggingLayer tcp("Tcp", 3, &log), itot("Itot", 3, &log), cotp("Cotp", 4, &log);
    Protocol::Stack stack;
    EXPECT_EQ(stack.CreateConnection(), nullptr);
    for (LoggingLayer* layer : {&tcp, &itot, &cotp}) stack.InsertLayer(layer, Protocol::Stack::OnTop, nullptr);

    Protocol::Connection* top = stack.CreateConnection("LocalTSelector=7/LocalTSelector=3");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(log, (CallLog{"Itot#1 reset", "Tcp#1 reset", "Cotp#1 reset"}));
    // Restoring the defaults applied each share.
    EXPECT_EQ(static_cast<StackTest::LoggingConnection*>(top)->selector, "7");
    EXPECT_EQ(static_cast<StackTest::LoggingConnection*>(top->GetBottom())->selector, "3");

    log.clear();
    top->SetParameter("LocalTSelector", "9");
    StackTest::Logging(top)->SetState(4);
    StackTest::Logging(top->GetLower())->SetState(4);
    EXPECT_EQ(stack.ResetConnectionChain(top), System::OkNoError);
    EXPECT_EQ(log, (CallLog{"Itot#1 reset", "Tcp#1 reset", "Cotp#1 reset"}));
    EXPECT_EQ(top->GetState(), 0);
    EXPECT_EQ(top->GetLower()->GetState(), 0);
    // A chain made ready for a new association starts from the defaults again.
    EXPECT_EQ(static_cast<StackTest::LoggingConnection*>(top)->selector, "7");
    EXPECT_EQ(stack.ResetConnectionChain(nullptr), System::InvalidArguments);
}

TEST(StackTest, ChainsAreIndependentAndDeleteConnectionRemovesAWholeChain) {
    CallLog log;
    LoggingLayer tcp("Tcp", 3, &log), itot("Itot", 3, &log), cotp("Cotp", 4, &log);
    Protocol::Stack stack;
    for (LoggingLayer* layer : {&tcp, &itot, &cotp}) stack.InsertLayer(layer, Protocol::Stack::OnTop, nullptr);
    Protocol::Connection* first = stack.CreateConnection();
    Protocol::Connection* second = stack.CreateConnection();
    EXPECT_NE(first->GetBottom(), second->GetBottom());
    EXPECT_EQ(second->GetId(), 2);
    for (LoggingLayer* layer : {&tcp, &itot, &cotp}) EXPECT_EQ(layer->GetConnectionCount(), 2u);

    log.clear();
    stack.DeleteConnection(first);
    stack.DeleteConnection(nullptr);
    EXPECT_EQ(log, (CallLog{"Cotp#1 deleted", "Itot#1 deleted", "Tcp#1 deleted"}));
    for (LoggingLayer* layer : {&tcp, &itot, &cotp}) EXPECT_EQ(layer->GetConnectionCount(), 1u);
}

}  // namespace
