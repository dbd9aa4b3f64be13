#include "mms/machine/AnswerSpin.h"

#include <gtest/gtest.h>

#include <chrono>

using Mms::AnswerSpin;
using std::chrono::microseconds;
using std::chrono::nanoseconds;

namespace {

// A peer (and a machine) whose answers take `sleeping` when the caller sleeps and
// `watching` when it watches the queue.
struct Pace {
    nanoseconds sleeping;
    nanoseconds watching;
};

struct Outcome {
    int watched = 0;
    nanoseconds longestWatch{0};
};

Outcome Waits(AnswerSpin& spin, const Pace& pace, int count) {
    Outcome outcome;
    for (int i = 0; i < count; ++i) {
        const AnswerSpin::Plan plan = spin.Next();
        if (plan.spin.count() > 0) {
            ++outcome.watched;
            outcome.longestWatch = std::max(outcome.longestWatch, plan.spin);
        }
        spin.Record(plan, plan.spin.count() > 0 ? pace.watching : pace.sleeping);
    }
    return outcome;
}

}  // namespace

TEST(AnswerSpin, WatchesOnlyWhereWatchingGetsTheAnswerSoonerAndNeverLongerThanTheBound) {
    const struct {
        const char* machine;
        Pace pace;
        int watchedAtLeast;  // of 160 waits after the first 40
        int watchedAtMost;
        nanoseconds longestWatch;
        nanoseconds maximum = AnswerSpin::MaximumSpin;  // the owner's longest watch
    } cases[] = {
        // Idle: the sleep's wake-up is what costs; nearly every wait watches, within
        // half as long again as the answer takes.
        {"idle", {microseconds(60), microseconds(40)}, 150, 150, microseconds(90)},
        // Busy: the watching caller slows the answer down; only the trials watch.
        {"busy", {microseconds(35), microseconds(95)}, 10, 10, microseconds(53)},
        // A slow peer is never watched for.
        {"slow peer", {microseconds(2000), microseconds(1000)}, 0, 0, nanoseconds(0)},
        // Fast but slower than the longest watch: not watched for either.
        {"beyond the bound", {microseconds(150), microseconds(20)}, 0, 0, nanoseconds(0)},
        // The same within an owner's longer watch, which bounds it.
        {"within a longer bound",
         {microseconds(150), microseconds(20)},
         150,
         150,
         microseconds(200),
         microseconds(200)},
        {"beyond the longer bound", {microseconds(250), microseconds(20)}, 0, 0, nanoseconds(0), microseconds(200)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.machine);
        AnswerSpin spin(c.maximum);
        Waits(spin, c.pace, 40);
        const Outcome outcome = Waits(spin, c.pace, 160);
        EXPECT_GE(outcome.watched, c.watchedAtLeast);
        EXPECT_LE(outcome.watched, c.watchedAtMost);
        EXPECT_LE(outcome.longestWatch, c.longestWatch);
        EXPECT_LE(outcome.longestWatch, c.maximum);
    }
}

TEST(AnswerSpin, FollowsTheMachineWhenItsLoadChanges) {
    AnswerSpin spin;
    const Pace idle{microseconds(60), microseconds(40)};
    const Pace busy{microseconds(35), microseconds(95)};
    Waits(spin, idle, 100);
    Waits(spin, busy, 200);
    EXPECT_LE(Waits(spin, busy, 160).watched, 10);
    Waits(spin, idle, 200);
    EXPECT_GE(Waits(spin, idle, 160).watched, 150);
}
