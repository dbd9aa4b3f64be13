// The server's link to its standing association, written by every association made and
// read by the ICD export under the model lock: reconnects beside exports (ThreadSanitizer
// runs), and no export ever reads an association that has ended.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/icd/ServerModelSource.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

TEST(ReconnectBesideExport, AssociationsMadeAndEndedBesideIcdExportsLeaveTheServerALinkToTheStandingOneOnly) {
    Iec61850::Acsi::Scl::RegisterIcdExporter();
    {
        DeviceSession session;
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        std::atomic<bool> done{false};
        std::atomic<int> exports{0};
        std::thread exporter([&] {
            while (!done.load()) {
                std::string text;
                EXPECT_EQ(session.server->BuildIcdSettingsXml(text), 0);
                exports.fetch_add(1);
            }
        });
        for (int round = 0; round < 20; ++round) {
            const int before = exports.load();
            ASSERT_TRUE(TestSupport::Eventually([&] { return exports.load() > before; }));
            TPAppAssociation* association = session.client->GetAssociation();
            if (round % 2 == 0) {
                ASSERT_EQ(association->Abort(), System::OkNoError);
            } else {
                ASSERT_EQ(session.client->Release(), System::OkNoError);
                ASSERT_TRUE(TestSupport::Eventually([&] { return association->IsIdle(); }));
            }
            ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
            if (session.Associate() != System::OkNoError) {
                ASSERT_EQ(session.Associate(), System::OkNoError);
            }
            session.client->StartOver();
        }
        done.store(true);
        exporter.join();
        TPAppAssociation* association = session.client->GetAssociation();
        {
            const Mms::ModelHold hold(session.server.get());
            EXPECT_EQ(session.server->GetConnection(), association);
        }
        association->End();
        const Mms::ModelHold hold(session.server.get());
        EXPECT_EQ(session.server->GetConnection(), nullptr);
    }
    Iec61850::Acsi::SetIcdExportMaker(nullptr);
}

}  // namespace
}  // namespace AcsiClientTest
