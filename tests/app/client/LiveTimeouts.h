#pragma once

#include <gtest/gtest.h>

#include <string>

#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "support/StackProfile.h"

namespace AppTest {

// The time-outs of an association already standing: the rigs connect with long ones, and a
// test whose device will answer nothing more shortens them once connected, so that the
// connect and the model read never race a short one.
inline void SetLiveTimeouts(Iec61850::Acsi::TPAppAssociation* association, int mmsMs, int sessionMs) {
    ASSERT_NE(association, nullptr);
    EXPECT_EQ(TestSupport::StackProfile()
                  .With(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, std::to_string(mmsMs))
                  .With("LocalSTimeout", std::to_string(sessionMs))
                  .ApplyTo(association),
              System::OkNoError);
}

}  // namespace AppTest
