#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "iec61850/association/DeviceSession.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

TEST(ServerRegistry, HandlesCountUpAndAreNotGivenOutAgain) {
    ServerManager servers;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    ASSERT_EQ(servers.AddServer("10.0.0.1", first), System::OkNoError);
    ASSERT_EQ(servers.AddServer("10.0.0.2", second), System::OkNoError);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(second, 2u);
    std::uint32_t duplicate = 0;
    EXPECT_EQ(servers.AddServer("10.0.0.1", duplicate), System::AlreadyExist);
    EXPECT_EQ(duplicate, ServerManager::NoHandle);
    std::uint32_t otherCase = 0;
    EXPECT_EQ(servers.AddServer("HOST", otherCase), System::OkNoError);
    EXPECT_EQ(servers.AddServer("host", otherCase), System::OkNoError);

    Server* server = nullptr;
    ASSERT_EQ(servers.GetServer(first, server), System::OkNoError);
    std::string value;
    server->GetProfile(0)->GetParameter("RemoteNAddress", value);
    EXPECT_EQ(value, "10.0.0.1");
    server->GetProfile(0)->GetParameter("RemoteNPort", value);
    EXPECT_EQ(value, "102");
    Server* found = nullptr;
    EXPECT_EQ(servers.FindServer("10.0.0.1", found), System::OkNoError);
    EXPECT_EQ(found, server);
    std::uint32_t handle = 0;
    EXPECT_EQ(servers.FindServerIdOf(handle, server), System::OkNoError);
    EXPECT_EQ(handle, first);
    EXPECT_EQ(servers.FindServerId("10.9.9.9", handle), System::InvalidArguments);
    EXPECT_EQ(handle, ServerManager::NoHandle);
    EXPECT_EQ(servers.FindServer("10.9.9.9", found), System::InvalidArguments);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(servers.GetServer(99, found), System::InvalidArguments);

    EXPECT_EQ(servers.RemoveServer(first), System::OkNoError);
    EXPECT_EQ(servers.RemoveServer(first), System::InvalidArguments);
    std::uint32_t next = 0;
    ASSERT_EQ(servers.AddServer("10.0.0.1", next), System::OkNoError);
    EXPECT_EQ(next, 5u);
    std::vector<std::uint32_t> ids;
    servers.ListServerIds(ids);
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{2, 3, 4, 5}));

    // At the wrap the count goes on at 1, passing over "none" and the handles in use.
    servers.SetLastId(0xFFFFFFFEu);
    ASSERT_EQ(servers.AddServer("10.0.0.9", next), System::OkNoError);
    EXPECT_EQ(next, 1u);
    ASSERT_EQ(servers.AddServer("10.0.0.10", next), System::OkNoError);
    EXPECT_EQ(next, 6u);
}

TEST(ClientRegistry, ClientsAreFiledAndAnAssociatedOneIsKept) {
    DeviceSession session;
    ClientManager clients;
    std::uint32_t handle = 0;
    EXPECT_EQ(clients.AddClient(nullptr, handle), System::InvalidArguments);
    EXPECT_EQ(handle, ClientManager::NoHandle);
    auto* associated = new RecordingClient;
    ASSERT_EQ(clients.AddClient(associated, handle), System::OkNoError);
    EXPECT_EQ(handle, 1u);
    EXPECT_EQ(associated->GetClientId(), 1u);
    Iec61850::ClientApplication* got = nullptr;
    EXPECT_EQ(clients.GetClient(1, got), System::OkNoError);
    EXPECT_EQ(got, associated);
    EXPECT_EQ(clients.GetClient(7, got), System::InvalidArguments);
    EXPECT_EQ(got, nullptr);

    ASSERT_EQ(associated->Associate(session.Profile(), 0), System::OkNoError);
    EXPECT_EQ(clients.RemoveClient(associated), System::InvalidState);
    EXPECT_EQ(clients.GetClient(1, got), System::OkNoError);
    TPAppAssociation* association = associated->GetAssociation();
    // By handle it goes anyway: aborted and let go of first, so nothing calls it back.
    EXPECT_EQ(clients.RemoveClientById(1), System::OkNoError);
    EXPECT_FALSE(association->IsAssociated());
    EXPECT_EQ(association->GetClient(), nullptr);
    EXPECT_EQ(clients.RemoveClientById(1), System::InvalidArguments);

    auto* idle = new RecordingClient;
    ASSERT_EQ(clients.AddClient(idle, handle), System::OkNoError);
    EXPECT_EQ(handle, 2u);
    EXPECT_EQ(clients.RemoveClient(idle), System::OkNoError);
    RecordingClient stranger;
    EXPECT_EQ(clients.RemoveClient(&stranger), System::InvalidArguments);
}

TEST(ServerRegistry, RemovingAServerEndsItsAssociationsAndLetsTheirClientsGo) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    ServerManager servers;
    std::uint32_t handle = 0;
    ASSERT_EQ(servers.AddServer("127.0.0.1", handle), System::OkNoError);
    Server* server = nullptr;
    servers.GetServer(handle, server);
    server->GetProfile(0)->SetParameter("RemoteNPort", std::to_string(device.Port()));
    server->GetProfile(0)->SetParameter("LocalSTimeout", "300");
    RecordingClient client;
    ASSERT_EQ(client.Associate(*server->GetProfile(0), 0), System::OkNoError);
    ASSERT_EQ(servers.RemoveServer(handle), System::OkNoError);
    EXPECT_EQ(client.GetAssociation(), nullptr);
    EXPECT_FALSE(client.IsAssociated());
    std::uint32_t id = 0;
    EXPECT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device), System::Error);
    EXPECT_TRUE(TestSupport::Eventually([&] { return device.OpenAssociations() == 0; }));

    // The next Associate makes a new association for a new server of the address.
    ASSERT_EQ(servers.AddServer("127.0.0.1", handle), System::OkNoError);
    servers.GetServer(handle, server);
    server->GetProfile(0)->SetParameter("RemoteNPort", std::to_string(device.Port()));
    EXPECT_EQ(client.Associate(*server->GetProfile(0), 0), System::OkNoError);
    EXPECT_TRUE(client.IsAssociated());
}

// One client, two devices in turn: the association it uses always belongs to the server
// it serves, so a server that goes takes its own association and nothing else points
// into it (the client, the other server, their exit).
TEST(ServerRegistry, AClientThatMovesToAnotherServerNeverKeepsAPointerIntoTheOneThatGoes) {
    TestDevice::Device deviceA;
    TestDevice::Device deviceB;
    ASSERT_EQ(deviceA.Start(), System::OkNoError);
    ASSERT_EQ(deviceB.Start(), System::OkNoError);
    auto aimedAt = [](const TestDevice::Device& device) {
        auto server = std::make_unique<Server>();
        server->GetProfile(0)->SetParameter("RemoteNPort", std::to_string(device.Port()));
        server->GetProfile(0)->SetParameter("LocalSTimeout", "300");
        return server;
    };
    std::unique_ptr<Server> serverA = aimedAt(deviceA);
    std::unique_ptr<Server> serverB = aimedAt(deviceB);
    RecordingClient client;
    auto disconnect = [&client] {
        client.GetAssociation()->Abort();
        EXPECT_TRUE(TestSupport::Eventually([&] { return !client.IsAssociated(); }));
    };

    ASSERT_EQ(client.Associate(*serverA->GetProfile(0), 0), System::OkNoError);
    disconnect();
    ASSERT_EQ(client.Associate(*serverB->GetProfile(0), 0), System::OkNoError);
    EXPECT_EQ(client.GetAssociation()->GetServer(), serverB.get());
    EXPECT_EQ(serverA->GetAssociations().size(), 0u);
    disconnect();
    serverB.reset();
    EXPECT_EQ(client.GetAssociation(), nullptr);

    ASSERT_EQ(client.Associate(*serverA->GetProfile(0), 0), System::OkNoError);
    EXPECT_EQ(client.GetAssociation()->GetServer(), serverA.get());
    std::uint32_t id = 0;
    ASSERT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device), System::OkNoError);
    EXPECT_EQ(client.WaitFor(id).result, System::OkNoError);
    // The exit: the server goes while associated, before the client.
    serverA.reset();
    EXPECT_EQ(client.GetAssociation(), nullptr);
}

TEST(ServerRegistry, AHundredServersWithLiveAssociationsComeAndGoLeavingNothing) {
    TestDevice::Device::Options options;
    options.associations = 100;
    TestDevice::Device device(options);
    ASSERT_EQ(device.Start(), System::OkNoError);
    std::vector<std::unique_ptr<RecordingClient>> clients;
    {
        ServerManager servers;
        for (int i = 0; i < 100; ++i) {
            std::uint32_t handle = 0;
            // One address per server, all reaching the device on loopback.
            ASSERT_EQ(servers.AddServer("127.0.0." + std::to_string(1 + i % 2) + "#" + std::to_string(i), handle),
                      System::OkNoError);
            Server* server = nullptr;
            servers.GetServer(handle, server);
            AssociationProfile& profile = *server->GetProfile(0);
            profile.SetParameter("RemoteNAddress", "127.0.0.1");
            profile.SetParameter("RemoteNPort", std::to_string(device.Port()));
            // Each local abort waits this long for the device to close its end.
            profile.SetParameter("LocalSTimeout", "100");
            clients.push_back(std::make_unique<RecordingClient>());
            ASSERT_EQ(clients.back()->Associate(profile, 0), System::OkNoError) << i;
            std::uint32_t id = 0;
            ASSERT_EQ(clients.back()->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                      System::OkNoError);
        }
        std::vector<std::uint32_t> handles;
        servers.ListServerIds(handles);
        ASSERT_EQ(handles.size(), 100u);
        // Most go from ten threads at once, the rest with the registry.
        std::vector<std::thread> removers;
        for (std::size_t t = 0; t < 10; ++t) {
            removers.emplace_back([&, t] {
                for (std::size_t i = t; i < 90; i += 10) EXPECT_EQ(servers.RemoveServer(handles[i]), System::OkNoError);
            });
        }
        for (std::thread& remover : removers) remover.join();
    }
    for (const auto& client : clients) {
        EXPECT_EQ(client->GetAssociation(), nullptr);
        EXPECT_EQ(client->Count(), 1u);  // the request posted was confirmed, answered or not
    }
    EXPECT_TRUE(TestSupport::Eventually([&] { return device.OpenAssociations() == 0; }));
}

}  // namespace
}  // namespace AcsiClientTest
