#pragma once

// A client that records every confirmation by invoke id (a second one for the same id
// fails the test) and lets a test wait for one, with what the callbacks carried.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/DataSetServices.h"
#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/RCBReport.h"
#include "iec61850/acsi/client/RcbServices.h"
#include "iec61850/acsi/client/Release.h"
#include "iec61850/acsi/client/Server.h"

namespace AcsiClientTest {

using namespace Iec61850::Acsi;
using Iec61850::Activation;
using Iec61850::AnswerFrom;
using Iec61850::SelectBy;
namespace A = Iec61850::Acsi;

struct Confirmation {
    std::string callback;
    System::ResultCode result = System::NotCompleted;
    std::int32_t serviceError = -2;
    // The answer that confirmed it (the MMSpdu choice) and the device's error, as received.
    std::int32_t answerKind = 0;
    std::int32_t errorClass = 0;
    std::int32_t errorCode = 0;
    std::vector<std::string> names;
    bool moreFollows = false;
    std::vector<ValueRecord> values;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::size_t definitions = 0;
    // The thread the confirmation came on.
    std::thread::id thread;
};

class RecordingClient : public Iec61850::ClientApplication {
public:
    static constexpr auto Deadline = std::chrono::seconds(20);

    // First thing: no callback may run into members that are being destroyed.
    ~RecordingClient() override { ClearAssociation(); }

    // The confirmation of the invoke id, waiting for it; a default one after the deadline.
    Confirmation WaitFor(std::uint32_t id) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, Deadline, [&] { return confirmed_.contains(id); });
        const auto found = confirmed_.find(id);
        return found != confirmed_.end() ? found->second : Confirmation{};
    }
    // Waits until count confirmations have come in all.
    bool WaitForCount(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, Deadline, [&] { return confirmed_.size() >= count; });
    }
    std::size_t Count() const {
        std::lock_guard lock(mutex_);
        return confirmed_.size();
    }
    std::map<std::uint32_t, Confirmation> All() const {
        std::lock_guard lock(mutex_);
        return confirmed_;
    }
    // Invoke ids count from 1 again after an abort: what came so far is set aside, and the
    // second-confirmation check starts over.
    std::map<std::uint32_t, Confirmation> StartOver() {
        std::lock_guard lock(mutex_);
        return std::exchange(confirmed_, {});
    }
    std::vector<std::int32_t> FailedReasons() const {
        std::lock_guard lock(mutex_);
        return failedReasons_;
    }
    int Associated() const {
        std::lock_guard lock(mutex_);
        return associated_;
    }
    std::vector<std::pair<int, int>> Aborts() const {
        std::lock_guard lock(mutex_);
        return aborts_;
    }
    bool WaitForAbort() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, Deadline, [&] { return !aborts_.empty(); });
    }
    std::vector<std::int32_t> Reports() const {
        std::lock_guard lock(mutex_);
        return reports_;
    }
    bool WaitForReport() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, Deadline, [&] { return !reports_.empty(); });
    }
    // Set by a test: the server whose model lock each confirmation takes (proving that no
    // callback runs while the library holds it).
    Server* lockProbe = nullptr;
    std::uint32_t releaseId = 0;

    std::int32_t OnAssociationFailed(std::int32_t reason) override {
        std::lock_guard lock(mutex_);
        failedReasons_.push_back(reason);
        return 0;
    }
    std::int32_t OnAssociated(std::int32_t) override {
        std::lock_guard lock(mutex_);
        ++associated_;
        return 0;
    }
    std::int32_t OnAbort(const std::uint8_t* record) override {
        std::lock_guard lock(mutex_);
        aborts_.emplace_back(record[0], record[1]);
        changed_.notify_all();
        return 0;
    }
    std::int32_t OnReport(RCBReport* report) override {
        std::lock_guard lock(mutex_);
        reports_.push_back(report->GetServiceError());
        changed_.notify_all();
        return 0;
    }
    std::int32_t OnRelease(A::Release* s) override { return Record("Release", *s, {}); }
    std::int32_t OnGetServerDirectory(A::GetServerDirectory* s) override {
        Confirmation c;
        c.names.assign(s->names.begin(), s->names.end());
        return Record("GetServerDirectory", *s, c);
    }
    std::int32_t OnGetLogicalDeviceDirectory(A::GetLogicalDeviceDirectory* s) override {
        Confirmation c;
        c.names.assign(s->names.begin(), s->names.end());
        return Record("GetLogicalDeviceDirectory", *s, c);
    }
    std::int32_t OnGetLogicalNodeDirectory(A::GetLogicalNodeDirectory* s) override {
        Confirmation c;
        c.names.assign(s->names.begin(), s->names.end());
        return Record("GetLogicalNodeDirectory", *s, c);
    }
    std::int32_t OnGetAllDataValues(A::GetAllDataValues* s) override { return Record("GetAllDataValues", *s, {}); }
    std::int32_t OnGetDataValues(A::GetDataValues* s) override {
        Confirmation c;
        c.values = s->values;
        return Record("GetDataValues", *s, c);
    }
    std::int32_t OnSetDataValues(A::SetDataValues* s) override { return Record("SetDataValues", *s, {}); }
    std::int32_t OnGetDataDirectory(A::GetDataDirectory* s) override { return Record("GetDataDirectory", *s, {}); }
    std::int32_t OnGetDataDefinition(A::GetDataDefinition* s) override {
        Confirmation c;
        c.definitions = s->definition.size();
        return Record("GetDataDefinition", *s, c);
    }
    std::int32_t OnGetDataSetDirectory(A::GetDataSetDirectory* s) override {
        return Record("GetDataSetDirectory", *s, {});
    }
    std::int32_t OnGetDataSetValues(A::GetDataSetValues* s) override {
        Confirmation c;
        c.values = s->values;
        return Record("GetDataSetValues", *s, c);
    }
    std::int32_t OnSetDataSetValues(A::SetDataSetValues* s) override { return Record("SetDataSetValues", *s, {}); }
    std::int32_t OnCreateDataSet(A::CreateDataSet* s) override { return Record("CreateDataSet", *s, {}); }
    std::int32_t OnDeleteDataSet(A::DeleteDataSet* s) override { return Record("DeleteDataSet", *s, {}); }
    std::int32_t OnGetBRCBValues(A::GetBRCBValues* s) override {
        Confirmation c;
        c.attributes = s->values;
        return Record("GetBRCBValues", *s, c);
    }
    std::int32_t OnGetURCBValues(A::GetURCBValues* s) override {
        Confirmation c;
        c.attributes = s->values;
        return Record("GetURCBValues", *s, c);
    }
    std::int32_t OnSetBRCBValues(A::SetBRCBValues* s) override { return Record("SetBRCBValues", *s, {}); }
    std::int32_t OnSetURCBValues(A::SetURCBValues* s) override { return Record("SetURCBValues", *s, {}); }

private:
    std::int32_t Record(const char* callback, Service& service, Confirmation confirmation) {
        if (lockProbe != nullptr) {
            // Taken twice by one thread, the lock stops the program in checked builds.
            const Mms::ModelHold probe(lockProbe);
            EXPECT_TRUE(probe.Taken());
        }
        confirmation.callback = callback;
        confirmation.thread = std::this_thread::get_id();
        confirmation.result = service.GetResult();
        confirmation.serviceError = service.GetServiceError();
        confirmation.answerKind = service.GetAnswerKind();
        confirmation.errorClass = service.GetErrorClass();
        confirmation.errorCode = service.GetErrorCode();
        confirmation.moreFollows = service.GetMoreFollows();
        std::lock_guard lock(mutex_);
        const std::uint32_t id = service.GetInvokeId();
        EXPECT_FALSE(confirmed_.contains(id)) << "second confirmation of invoke id " << id << " (" << callback << ")";
        confirmed_[id] = std::move(confirmation);
        changed_.notify_all();
        return 0;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::uint32_t, Confirmation> confirmed_;
    std::vector<std::int32_t> failedReasons_;
    std::vector<std::pair<int, int>> aborts_;
    std::vector<std::int32_t> reports_;
    int associated_ = 0;
};

}  // namespace AcsiClientTest
