#pragma once

#include "protocol/Connection.h"
#include "protocol/Frame.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace OsiTest {

// Stands in for the layer above a connection under test: records every event it is
// given, with a copy of the bytes (raw bytes, or a frame's window), and lets a test
// wait for them. A hook can act on the delivering thread, as a real upper layer does.
class RecordingUpper : public Protocol::Connection {
public:
    struct Record {
        std::uint32_t event = 0;
        bool withFrame = false;
        std::vector<std::uint8_t> bytes;
    };

    RecordingUpper() : Connection(nullptr) {}

    System::ResultCode OnLowerBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t event) override {
        Record record;
        record.event = event;
        if (bytes != nullptr) record.bytes.assign(bytes, bytes + length);
        return Add(std::move(record));
    }

    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override {
        Record record;
        record.event = event;
        record.withFrame = frame != nullptr;
        if (frame != nullptr && frame->GetWindowLength() != 0)
            record.bytes.assign(frame->WindowData(), frame->WindowData() + frame->GetWindowLength());
        return Add(std::move(record));
    }

    // Runs on the thread that delivers, after the record is stored.
    void SetHook(std::function<void(const Record&)> hook) {
        std::lock_guard lock(mutex_);
        hook_ = std::move(hook);
    }

    std::vector<Record> Records() const {
        std::lock_guard lock(mutex_);
        return records_;
    }

    std::vector<std::uint32_t> Events() const {
        std::lock_guard lock(mutex_);
        std::vector<std::uint32_t> events;
        for (const Record& record : records_) events.push_back(record.event);
        return events;
    }

    std::size_t Count(std::uint32_t event) const {
        std::lock_guard lock(mutex_);
        std::size_t count = 0;
        for (const Record& record : records_) count += record.event == event ? 1 : 0;
        return count;
    }

    // The bytes of every data event (2), in order.
    std::vector<std::vector<std::uint8_t>> Data() const {
        std::lock_guard lock(mutex_);
        std::vector<std::vector<std::uint8_t>> data;
        for (const Record& record : records_) {
            if (record.event == 2) data.push_back(record.bytes);
        }
        return data;
    }

    // Waits until the event has come count times; false after the (generous) limit.
    bool WaitFor(std::uint32_t event, std::size_t count = 1,
                 std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            std::size_t seen = 0;
            for (const Record& record : records_) seen += record.event == event ? 1 : 0;
            return seen >= count;
        });
    }

    // Waits until the data events carry this many bytes in all.
    bool WaitForDataBytes(std::size_t total, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            std::size_t seen = 0;
            for (const Record& record : records_) seen += record.event == 2 ? record.bytes.size() : 0;
            return seen >= total;
        });
    }

    void Clear() {
        std::lock_guard lock(mutex_);
        records_.clear();
    }

private:
    System::ResultCode Add(Record record) {
        std::function<void(const Record&)> hook;
        {
            std::lock_guard lock(mutex_);
            records_.push_back(record);
            hook = hook_;
        }
        changed_.notify_all();
        if (hook) hook(record);
        return System::OkNoError;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Record> records_;
    std::function<void(const Record&)> hook_;
};

}  // namespace OsiTest
