#include "protocol/Layer.h"

#include "StackTestDoubles.h"
#include "protocol/Connection.h"

#include <gtest/gtest.h>

using StackTest::LoggingConnection;
using StackTest::LoggingLayer;

namespace {

TEST(LayerTest, IdsCountUpFromOneAndAreNeverReused) {
    LoggingLayer layer("Cosp", 5);
    Protocol::Connection* first = layer.BuildConnectionChain(nullptr);
    Protocol::Connection* second = layer.BuildConnectionChain(nullptr);
    EXPECT_EQ(first->GetId(), 1);
    EXPECT_EQ(second->GetId(), 2);
    layer.RemoveConnection(first);
    EXPECT_EQ(layer.BuildConnectionChain(nullptr)->GetId(), 3);
    EXPECT_EQ(layer.GetConnectionCount(), 2u);
}

TEST(LayerTest, RemoveConnectionLeavesStrangersAlone) {
    LoggingLayer layer("Cosp", 5);
    LoggingLayer other("Cosp", 5);
    Protocol::Connection* mine = layer.BuildConnectionChain(nullptr);
    Protocol::Connection* stranger = other.BuildConnectionChain(nullptr);
    layer.RemoveConnection(stranger);
    layer.RemoveConnection(nullptr);
    EXPECT_EQ(other.GetConnectionCount(), 1u);
    EXPECT_EQ(stranger->GetLayer(), &other);  // still alive
    EXPECT_EQ(layer.GetConnectionCount(), 1u);
    EXPECT_TRUE(layer.TakeConnection(mine));
    EXPECT_FALSE(layer.TakeConnection(mine));
    delete mine;
}

TEST(LayerTest, FindConnectionByLowerMatchesOnlyTheLinkedOne) {
    LoggingLayer lower("Itot", 3);
    LoggingLayer upper("Cotp", 4);
    upper.SetLowerLayer(&lower);
    Protocol::Connection* first = upper.BuildConnectionChain(nullptr);
    Protocol::Connection* second = upper.BuildConnectionChain(nullptr);
    EXPECT_EQ(upper.FindConnectionByLower(second->GetLower()), second);
    EXPECT_EQ(upper.FindConnectionByLower(first->GetLower()), first);
    LoggingConnection unrelated(&lower, nullptr);
    EXPECT_EQ(upper.FindConnectionByLower(&unrelated), nullptr);
}

TEST(LayerTest, ChainTextSharesAreCountedFromTheEndByOsiLevel) {
    // The layers of a full stack, built bottom-up as the association stack does.
    LoggingLayer layers[] = {{"Tcp", 3},  {"Itot", 3}, {"Cotp", 4}, {"Cosp", 5},
                             {"Copp", 6}, {"Acse", 7}, {"Mms", 8},  {"MmsUser", 8}};
    for (std::size_t i = 1; i < std::size(layers); ++i) layers[i].SetLowerLayer(&layers[i - 1]);

    const struct {
        const char* chainText;
        const char* expected[8];  // bottom (Tcp) to top (MmsUser)
    } cases[] = {
        {"top/mid/cotp/tcp", {"tcp", "tcp", "cotp", "mid", "top", "", "", ""}},
        {"LocalTSelector=1", {"LocalTSelector=1", "LocalTSelector=1", "", "", "", "", "", ""}},
        {"m/a/p/s/t/n", {"n", "n", "t", "s", "p", "a", "m", "m"}},
        {"a/", {"", "", "a", "", "", "", "", ""}},
        {"", {"", "", "", "", "", "", "", ""}},
        {nullptr, {"", "", "", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        Protocol::Connection* at = layers[7].BuildConnectionChain(c.chainText);
        for (int level = 7; level >= 0; --level, at = at->GetLower()) {
            ASSERT_NE(at, nullptr);
            EXPECT_EQ(at->GetLayer(), &layers[level]);
            EXPECT_EQ(at->GetParameterText(), c.expected[level])
                << (c.chainText ? c.chainText : "null") << " at " << layers[level].GetName();
        }
        EXPECT_EQ(at, nullptr);
    }
}

}  // namespace
