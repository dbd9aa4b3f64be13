#pragma once

// A model read against the test device: the device on a port the system picks, a relay
// that records the wire, a server aimed at the relay with a short MMS time-out, and an
// RClient that records the order of its confirmations.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/reader/ModelReader.h"
#include "iec61850/acsi/reader/RClient.h"
#include "osi/AssociationWireRelay.h"

namespace ModelReadTest {

using namespace Iec61850::Acsi;
using Iec61850::Activation;
using Iec61850::AnswerFrom;
using Iec61850::SelectBy;

// One confirmation as the reading client saw it.
struct Seen {
    std::string callback;
    std::string reference;
    std::int32_t objectClass = 0;
    bool local = false;
    System::ResultCode result = System::NotCompleted;
    // What a directory confirmation carried when the reading client's callback had run.
    std::vector<std::string> names;
    // The link had been found stalled when the confirmation came (before the callbacks ran).
    bool afterStall = false;
};

class ReadingClient : public RClient {
public:
    // Its callbacks use its members: the association lets go of it first.
    ~ReadingClient() override { ClearAssociation(); }

    std::int32_t OnGetServerDirectory(Iec61850::Acsi::GetServerDirectory* service) override {
        const bool afterStall = service->GetAssociation().EndedStalled();
        const std::int32_t result = RClient::OnGetServerDirectory(service);
        Note({"SD",
              "",
              service->objectClass,
              service->IsLocal(),
              service->GetResult(),
              {service->names.begin(), service->names.end()},
              afterStall});
        return result;
    }
    std::int32_t OnGetLogicalDeviceDirectory(Iec61850::Acsi::GetLogicalDeviceDirectory* service) override {
        const bool afterStall = service->GetAssociation().EndedStalled();
        const std::int32_t result = RClient::OnGetLogicalDeviceDirectory(service);
        Note({"LD",
              service->device,
              0,
              service->IsLocal(),
              service->GetResult(),
              {service->names.begin(), service->names.end()},
              afterStall});
        return result;
    }
    std::int32_t OnGetLogicalNodeDirectory(Iec61850::Acsi::GetLogicalNodeDirectory* service) override {
        const bool afterStall = service->GetAssociation().EndedStalled();
        const std::int32_t result = RClient::OnGetLogicalNodeDirectory(service);
        Note({"LN", service->node, service->objectClass, service->IsLocal(), service->GetResult(), {}, afterStall});
        return result;
    }
    // "AV": the references of the value records the confirmation carried.
    std::int32_t OnGetAllDataValues(Iec61850::Acsi::GetAllDataValues* service) override {
        const bool afterStall = service->GetAssociation().EndedStalled();
        const std::int32_t result = RClient::OnGetAllDataValues(service);
        std::vector<std::string> records;
        for (const ValueRecord& record : service->values) records.push_back(record.reference);
        Note({"AV", service->node, 0, service->IsLocal(), service->GetResult(), std::move(records), afterStall});
        return result;
    }
    std::int32_t OnAbort(const std::uint8_t* record) override {
        Note({"Abort", "", 0, false, System::Aborted, {}});
        return RClient::OnAbort(record);
    }

    std::vector<Seen> Confirmations() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    void Note(Seen seen) {
        std::lock_guard lock(mutex_);
        seen_.push_back(std::move(seen));
    }

    mutable std::mutex mutex_;
    std::vector<Seen> seen_;
};

class ReadingSession {
public:
    // Short enough that a dropped request times out quickly; long enough that no answer of
    // a busy machine (two cores, a sanitizer, tests side by side) is taken for a silent device.
    static constexpr const char* MmsTimeoutMs = "2000";

    explicit ReadingSession(const TestDevice::Device::Options& options = {}) : device(options) {
        EXPECT_EQ(device.Start(), System::OkNoError);
        relay = std::make_unique<AssociationTest::AssociationWireRelay>(device.Port());
        server = std::make_unique<Server>();
        Profile().SetParameter("RemoteNPort", std::to_string(relay->Port()));
        Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, MmsTimeoutMs);
        Profile().SetParameter("LocalSTimeout", "300");
    }
    ~ReadingSession() {
        client.reset();
        server.reset();
        relay.reset();
        device.Stop();
    }

    AssociationProfile& Profile() { return *server->GetProfile(0); }
    System::ResultCode Associate() { return client->Associate(Profile(), 7); }

    // Associates and runs the reader to its end.
    std::int32_t Read() {
        EXPECT_EQ(Associate(), System::OkNoError);
        ModelReader reader(*client);
        return reader.Run();
    }

    std::uint32_t Count(ModelClass modelClass, ObjectState state = AnyObjectState) {
        std::uint32_t count = 0;
        EXPECT_EQ(server->CountKindOf(modelClass, state, count), System::OkNoError);
        return count;
    }

    TestDevice::Device device;
    std::unique_ptr<AssociationTest::AssociationWireRelay> relay;
    std::unique_ptr<Server> server;
    std::unique_ptr<ReadingClient> client = std::make_unique<ReadingClient>();
};

}  // namespace ModelReadTest
