#pragma once

// A recording client that also keeps what the control services and reports deliver:
// each control confirmation by invoke id, each command termination and each report with
// its decoded records, so that tests can wait for them in order.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "iec61850/acsi/client/ControlServices.h"
#include "iec61850/acsi/client/RCBReport.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/association/RecordingClient.h"

namespace Iec61850::Acsi {
inline void PrintTo(const ValueRecord& record, std::ostream* out) {
    *out << "{" << record.fc << ", " << record.reference << ", " << record.value << "}";
}
}  // namespace Iec61850::Acsi

namespace AcsiClientTest {

struct ControlConfirmation {
    std::string callback;
    System::ResultCode result = System::NotCompleted;
    std::int32_t serviceError = -2;
    std::int32_t controlError = -2;
    std::string answer;
};

struct Termination {
    System::ResultCode result = System::NotCompleted;
    bool lastApplError = false;
    std::vector<ValueRecord> lastApplErrorRecords;
    std::string controlObject;
    std::vector<ValueRecord> objectValues;
};

struct ReceivedReport {
    std::int32_t serviceError = -2;
    System::ResultCode decodeResult = System::NotCompleted;
    std::string block;
    std::vector<ReportHeaderRecord> header;
    std::vector<ReportEntry> entries;

    std::string Header(const std::string& name) const {
        for (const auto& [field, value] : header) {
            if (field == name) return value;
        }
        return "(none)";
    }
    std::vector<std::string> HeaderNames() const {
        std::vector<std::string> names;
        for (const auto& record : header) names.push_back(record.first);
        return names;
    }
};

class ControlClient : public RecordingClient {
public:
    // Lets go of the association before any part of this client goes: a callback that is
    // running is waited for, and none comes after.
    ~ControlClient() override { ClearAssociation(); }

    ControlConfirmation WaitForControl(std::uint32_t id) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, Deadline, [&] { return controls_.contains(id); });
        const auto found = controls_.find(id);
        return found != controls_.end() ? found->second : ControlConfirmation{};
    }
    bool WaitForTerminations(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, Deadline, [&] { return terminations_.size() >= count; });
    }
    bool WaitForReports(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, Deadline, [&] { return received_.size() >= count; });
    }
    std::vector<Termination> Terminations() const {
        std::lock_guard lock(mutex_);
        return terminations_;
    }
    // The control confirmations, terminations and aborts, by callback name, in the order told.
    std::vector<std::string> Told() const {
        std::lock_guard lock(mutex_);
        return told_;
    }
    std::vector<ReceivedReport> Received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    void ClearReceived() {
        std::lock_guard lock(mutex_);
        received_.clear();
        terminations_.clear();
    }
    // StartOver for the controls too, whose invoke ids count from 1 again on the next
    // association.
    void StartOverWithControls() {
        StartOver();
        std::lock_guard lock(mutex_);
        controls_.clear();
    }

    std::int32_t OnSelect(A::Select* s) override { return Control("Select", *s, s->controlError, s->answer); }
    std::int32_t OnSelectWithValue(A::SelectWithValue* s) override {
        return Control("SelectWithValue", *s, s->controlError, {});
    }
    std::int32_t OnOperate(A::Operate* s) override { return Control("Operate", *s, s->controlError, {}); }
    std::int32_t OnCancel(A::Cancel* s) override { return Control("Cancel", *s, s->controlError, {}); }

    std::int32_t OnCommandTermination(ControlReport* report) override {
        ProbeLock();
        Termination t;
        t.result = report->GetResult();
        t.lastApplError = report->lastApplError != nullptr;
        if (report->lastApplError != nullptr) LastApplErrorToList(*report->lastApplError, t.lastApplErrorRecords);
        if (report->controlObject != nullptr) {
            t.controlObject = report->controlObject->GetReference();
            if (auto* item = dynamic_cast<DataItem*>(report->controlObject)) {
                // The model lock taken around reading the model, as a program does; taking
                // it here also proves that the library does not hold it while it calls back.
                const Mms::ModelHold hold(lockProbe);
                EXPECT_TRUE(hold.Taken());
                item->CollectValues(t.objectValues);
            }
        }
        std::lock_guard lock(mutex_);
        told_.push_back("CommandTermination");
        terminations_.push_back(std::move(t));
        changed_.notify_all();
        return 0;
    }

    std::int32_t OnAbort(const std::uint8_t* record) override {
        {
            std::lock_guard lock(mutex_);
            told_.push_back("Abort");
        }
        return RecordingClient::OnAbort(record);
    }

    std::int32_t OnReport(RCBReport* report) override {
        ProbeLock();
        ReceivedReport r;
        r.serviceError = report->GetServiceError();
        r.decodeResult = report->GetDecodeResult();
        r.block = report->block != nullptr ? report->block->GetReference() : std::string();
        r.header = report->header;
        r.entries = report->entries;
        {
            std::lock_guard lock(mutex_);
            received_.push_back(std::move(r));
            changed_.notify_all();
        }
        return RecordingClient::OnReport(report);
    }

private:
    void ProbeLock() {
        const Mms::ModelHold probe(lockProbe);
        EXPECT_TRUE(probe.Taken());
    }
    std::int32_t Control(const char* callback, Service& service, std::int32_t controlError, std::string answer) {
        ProbeLock();
        ControlConfirmation c{callback, service.GetResult(), service.GetServiceError(), controlError,
                              std::move(answer)};
        std::lock_guard lock(mutex_);
        const std::uint32_t id = service.GetInvokeId();
        EXPECT_FALSE(controls_.contains(id)) << "second confirmation of invoke id " << id;
        told_.push_back(callback);
        controls_[id] = std::move(c);
        changed_.notify_all();
        return 0;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::uint32_t, ControlConfirmation> controls_;
    std::vector<Termination> terminations_;
    std::vector<std::string> told_;
    std::vector<ReceivedReport> received_;
};

}  // namespace AcsiClientTest
