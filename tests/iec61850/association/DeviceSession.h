#pragma once

// The client core against the test device: a device on a port the system picks, a relay
// in between that records the wire, a server object aimed at the relay and a recording
// client. LoadModel reads the device's model into the server with the client's own
// services, as the model reading will.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/reader/RClient.h"
#include "iec61850/association/RecordingClient.h"
#include "osi/AssociationWireRelay.h"

namespace AcsiClientTest {

class DeviceSession {
public:
    explicit DeviceSession(const TestDevice::Device::Options& options = {}) : device(options) {
        EXPECT_EQ(device.Start(), System::OkNoError);
        relay = std::make_unique<AssociationTest::AssociationWireRelay>(device.Port());
        server = std::make_unique<Server>();
        Profile().SetParameter("RemoteNPort", std::to_string(relay->Port()));
        Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "5000");
        // A local abort waits this long for the device to close: tests need not wait 2 s.
        Profile().SetParameter("LocalSTimeout", "300");
    }
    ~DeviceSession() {
        client.reset();
        server.reset();
        relay.reset();
        device.Stop();
    }

    AssociationProfile& Profile() { return *server->GetProfile(0); }
    // A client of the test's own kind in place of the recording one.
    template <typename Client>
    Client& UseClient() {
        auto made = std::make_unique<Client>();
        Client& used = *made;
        client = std::move(made);
        return used;
    }
    System::ResultCode Associate() { return client->Associate(Profile(), 7); }

    // Waits for the confirmation of a request the call makes (which must be accepted).
    template <typename Request>
    Confirmation Call(Request request) {
        std::uint32_t id = 0;
        const System::ResultCode posted = request(*client, id);
        EXPECT_EQ(posted, System::OkNoError);
        if (posted != System::OkNoError) return {};
        return client->WaitFor(id);
    }

    // The device's model, read into the server through the services.
    void LoadModel() {
        const Confirmation devices = Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device);
        });
        ASSERT_EQ(devices.serviceError, 0);
        for (const std::string& name : devices.names) ASSERT_EQ(server->AddLogicalDevice(name), System::OkNoError);
        for (const auto& [name, logicalDevice] : server->GetLogicalDevices()) {
            std::string after;
            while (true) {
                const Confirmation page = Call([&, name = name](RecordingClient& c, std::uint32_t& id) {
                    return c.GetLogicalDeviceDirectoryAfter(id, name, AnswerFrom::Device, after);
                });
                ASSERT_EQ(page.serviceError, 0);
                logicalDevice->directoryNames.insert(logicalDevice->directoryNames.end(), page.names.begin(),
                                                     page.names.end());
                if (!page.moreFollows) break;
                after = page.names.back();
            }
            logicalDevice->directoryState = DirectoryState::Complete;
            ASSERT_EQ(logicalDevice->BuildFromDirectory(), System::OkNoError);
            for (const auto& [nodeName, node] : logicalDevice->GetLogicalNodes()) {
                const std::string reference = name + "/" + nodeName;
                const Confirmation type = Call([&](RecordingClient& c, std::uint32_t& id) {
                    return c.GetLogicalNodeDirectory(id, reference, RClient::NodeTypeClass, AnswerFrom::Device);
                });
                ASSERT_EQ(type.serviceError, 0) << reference;
                ASSERT_EQ(node->Build(), System::OkNoError) << reference;
            }
            const Confirmation sets = Call([&, name = name](RecordingClient& c, std::uint32_t& id) {
                return c.GetLogicalNodeDirectory(id, name + "/LLN0", ObjectClassDataSet, AnswerFrom::Device);
            });
            ASSERT_EQ(sets.serviceError, 0);
            logicalDevice->dataSetNames.assign(sets.names.begin(), sets.names.end());
            ASSERT_EQ(logicalDevice->BuildDataSetsFromDirectory(), System::OkNoError);
            for (const auto& [nodeName, node] : logicalDevice->GetLogicalNodes()) {
                for (const auto& [setName, dataSet] : node->GetDataSets()) {
                    const std::string reference = name + "/" + nodeName + "." + setName;
                    const Confirmation members = Call([&](RecordingClient& c, std::uint32_t& id) {
                        return c.GetDataSetDirectory(id, reference, AnswerFrom::Device);
                    });
                    ASSERT_EQ(members.serviceError, 0) << reference;
                    ASSERT_EQ(dataSet->Build(), System::OkNoError) << reference;
                }
            }
        }
        server->Bind();
    }

    TestDevice::Device device;
    std::unique_ptr<AssociationTest::AssociationWireRelay> relay;
    std::unique_ptr<Server> server;
    std::unique_ptr<RecordingClient> client = std::make_unique<RecordingClient>();
};

}  // namespace AcsiClientTest
