#include "mms/AnswerSpin.h"

#include <gtest/gtest.h>

#include <chrono>

using Mms::AnswerSpin;
using std::chrono::microseconds;
using std::chrono::milliseconds;

TEST(AnswerSpin, SpinsAboutOneAnswerTimeForAFastPeerAndNotAtAllForASlowOne) {
    AnswerSpin spin;
    EXPECT_GT(spin.Bound().count(), 0);  // a new association may spin: its peer may be fast
    for (int i = 0; i < 100; ++i) spin.Record(microseconds(20));
    EXPECT_GE(spin.Bound(), microseconds(25));
    EXPECT_LE(spin.Bound(), microseconds(31));

    // A slow (or idle) peer: the wait sleeps at once, no CPU is spent on it.
    for (int i = 0; i < 100; ++i) spin.Record(milliseconds(5));
    EXPECT_EQ(spin.Bound().count(), 0);

    // Fast again: the spin comes back, never beyond its maximum.
    for (int i = 0; i < 100; ++i) spin.Record(microseconds(90));
    EXPECT_EQ(spin.Bound(), AnswerSpin::MaximumSpin);
    for (int i = 0; i < 100; ++i) spin.Record(microseconds(1));
    EXPECT_LE(spin.Bound(), microseconds(2));
}
