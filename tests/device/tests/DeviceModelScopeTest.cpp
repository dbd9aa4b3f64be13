// The device's own work under the model lock: taken when its thread does not hold it,
// left alone when it does (the service user holds it while it answers).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "device/Device.h"
#include "device/ModelScope.h"
#include "mms/user/ModelHold.h"
#include "system/Polling.h"
#include "system/Semaphore.h"

namespace {

TEST(DeviceModelScope, TakesTheLockUnlessItsThreadHoldsItAlready) {
    Mms::VMD vmd;
    {
        const TestDevice::ModelScope scope(vmd);
        EXPECT_TRUE(vmd.IsModelLockedByThisThread());
    }
    EXPECT_FALSE(vmd.IsModelLocked());
    {
        const Mms::ModelHold answering(&vmd);
        // Neither waits for itself nor stops the program, and leaves the answer's hold alone.
        { const TestDevice::ModelScope inside(vmd); }
        EXPECT_TRUE(vmd.IsModelLockedByThisThread());
    }
    EXPECT_FALSE(vmd.IsModelLocked());
}

TEST(DeviceModelScope, AValueSetByATestWaitsForAnotherHolderOfTheModel) {
    TestDevice::Device device;
    System::Semaphore holding{1, 0};
    System::Semaphore letGo{1, 0};
    std::thread holder([&] {
        const Mms::ModelHold hold(&device.Vmd());
        holding.Release();
        letGo.Wait(0);
    });
    holding.Wait(0);
    std::atomic<bool> set{false};
    std::thread setter([&] {
        EXPECT_EQ(device.SetValue("LD0/GGIO1$ST$Ind1$stVal", "True"), System::OkNoError);
        set = true;
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(50));
    EXPECT_FALSE(set.load());
    letGo.Release();
    holder.join();
    setter.join();
    EXPECT_TRUE(set.load());
    EXPECT_EQ(device.GetValue("LD0/GGIO1$ST$Ind1$stVal"), "True");
}

}  // namespace
