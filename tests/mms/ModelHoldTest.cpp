// The model lock as every part of the system takes it: a hold for a scope, given back early
// at most once, with a time limit where one is asked for, and never twice by one thread.

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "mms/user/ModelHold.h"
#include "mms/user/VMD.h"
#include "system/Semaphore.h"

namespace {

// Holds the VMD's lock on a thread of its own until told to let go.
class OtherHolder {
public:
    explicit OtherHolder(const Mms::VMD& vmd)
        : thread_([this, &vmd] {
              const Mms::ModelHold hold(&vmd);
              took_ = hold.Taken();
              toldHere_ = vmd.IsModelLockedByThisThread();
              holding_.Release();
              letGo_.Wait(0);
          }) {
        holding_.Wait(0);
    }
    ~OtherHolder() { LetGo(); }
    OtherHolder(const OtherHolder&) = delete;
    OtherHolder& operator=(const OtherHolder&) = delete;

    void LetGo() {
        if (!thread_.joinable()) return;
        letGo_.Release();
        thread_.join();
    }
    bool Took() const { return took_; }
    bool ToldHere() const { return toldHere_; }

private:
    System::Semaphore holding_{1, 0};
    System::Semaphore letGo_{1, 0};
    bool took_ = false;
    bool toldHere_ = false;
    std::thread thread_;
};

// What a third thread gets when it tries the lock for a short while.
System::ResultCode TryElsewhere(const Mms::VMD& vmd) {
    System::ResultCode result = System::Error;
    std::thread([&] {
        const Mms::ModelHold hold(&vmd, 20);
        result = hold.GetResult();
    }).join();
    return result;
}

TEST(ModelHold, HoldsTheLockForItsScope) {
    Mms::VMD vmd;
    {
        const Mms::ModelHold hold(&vmd);
        EXPECT_TRUE(hold.Taken());
        EXPECT_TRUE(vmd.IsModelLocked());
        EXPECT_TRUE(vmd.IsModelLockedByThisThread());
        EXPECT_EQ(TryElsewhere(vmd), System::Timeout);
    }
    EXPECT_FALSE(vmd.IsModelLocked());
    EXPECT_FALSE(vmd.IsModelLockedByThisThread());
    EXPECT_EQ(TryElsewhere(vmd), System::OkNoError);
}

TEST(ModelHold, AnEarlyReleaseGivesTheLockBackOnceOnly) {
    Mms::VMD vmd;
    auto hold = std::make_unique<Mms::ModelHold>(&vmd);
    hold->Release();
    EXPECT_FALSE(vmd.IsModelLocked());
    OtherHolder other(vmd);
    ASSERT_TRUE(other.Took());
    // Neither a second release nor the end of the hold gives back the other thread's lock.
    hold->Release();
    hold.reset();
    EXPECT_TRUE(vmd.IsModelLocked());
    EXPECT_EQ(TryElsewhere(vmd), System::Timeout);
    other.LetGo();
    EXPECT_EQ(TryElsewhere(vmd), System::OkNoError);
}

TEST(ModelHold, AHoldThatTimedOutHoldsNothingAndGivesNothingBack) {
    Mms::VMD vmd;
    OtherHolder other(vmd);
    ASSERT_TRUE(other.Took());
    EXPECT_TRUE(other.ToldHere());
    // Only the holder is told that it holds the lock.
    EXPECT_TRUE(vmd.IsModelLocked());
    EXPECT_FALSE(vmd.IsModelLockedByThisThread());
    {
        Mms::ModelHold late(&vmd, 20);
        EXPECT_FALSE(late.Taken());
        EXPECT_EQ(late.GetResult(), System::Timeout);
        late.Release();
    }
    EXPECT_TRUE(vmd.IsModelLocked());
    EXPECT_EQ(TryElsewhere(vmd), System::Timeout);
}

TEST(ModelHold, WithoutAVmdThereIsNothingToHold) {
    Mms::ModelHold hold(nullptr);
    EXPECT_TRUE(hold.Taken());
    EXPECT_EQ(hold.GetResult(), System::OkNoError);
    hold.Release();
}

TEST(ModelHold, ASecondTakeByTheHolderStopsTheProgramEvenWithATimeLimit) {
    if (!Mms::VMD::ChecksModelLock()) GTEST_SKIP() << "the check is built into debug and sanitizer builds";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Mms::VMD vmd;
    EXPECT_DEATH(
        {
            const Mms::ModelHold first(&vmd);
            const Mms::ModelHold second(&vmd);
        },
        "not re-entrant");
    EXPECT_DEATH(
        {
            const Mms::ModelHold first(&vmd);
            const Mms::ModelHold second(&vmd, 20);
        },
        "not re-entrant");
}

}  // namespace
