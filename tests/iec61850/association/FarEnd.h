#pragma once

// The ends of an association that come from the far side, set off as the tests need them:
// the device's abort at the next request (a read sends it), the device's abort at once
// whatever the client is doing (its threads may all be busy), the transport lost under the
// association (the relay it stands on goes; the session aims the next link at a new one),
// and a link that stalls at the next request (a read sends it).

#include <memory>
#include <string>

#include "iec61850/association/DeviceSession.h"

namespace AcsiClientTest {

enum class FarEnd { DeviceAbortAtRequest, DeviceAbortNow, LostTransport, StallAtRequest };

inline void EndFromTheFarSide(DeviceSession& session, FarEnd how) {
    const auto readWith = [&session](int TestDevice::Faults::*fault) {
        TestDevice::Faults faults;
        faults.*fault = 1;
        session.device.SetFaults(faults);
        std::uint32_t id = 0;
        // Asks the device itself: no model is needed.
        EXPECT_EQ(session.client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                  System::OkNoError);
    };
    switch (how) {
        case FarEnd::DeviceAbortAtRequest: readWith(&TestDevice::Faults::abortAtRequest); break;
        case FarEnd::StallAtRequest: readWith(&TestDevice::Faults::stallAfterRequest); break;
        case FarEnd::DeviceAbortNow: session.device.AbortAssociations(); break;
        case FarEnd::LostTransport:
            session.relay = std::make_unique<AssociationTest::AssociationWireRelay>(session.device.Port());
            session.Profile().SetParameter("RemoteNPort", std::to_string(session.relay->Port()));
            break;
    }
}

}  // namespace AcsiClientTest
