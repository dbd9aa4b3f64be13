// The value reads before an ICD export (CF, DC, SG and SE of every logical node of the
// first logical device) against the test device's large model behind a relay that delays
// everything by the first argument each way, as a device that far away: the export's own
// reads (a window of them out at once), beside the same reads all posted at once and one
// at a time. The second argument chooses which. The association and the model read go
// undelayed; only the reads cross the delay. Counters: the reads asked of the device,
// those the client answered itself (a constraint the node lacks) and the time per read.

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DelayingRelay.h"
#include "app/client/IcdValueReads.h"
#include "app/client/MainWindowNotifier.h"
#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "mms/pdu/MmsPduServices.h"

namespace {

enum Mode { ExportWindow = 0, AllAtOnce = 1, OneAtATime = 2 };

// Counts the progress messages and notes the end of the reads.
class ReadsNotifier : public App::MainWindowNotifier {
public:
    std::intptr_t Send(std::uint32_t message, std::uintptr_t, std::intptr_t) override {
        {
            std::lock_guard lock(mutex_);
            if (message == App::WM_QX_ICD_PROGRESS) ++progress_;
            if (message == App::WM_QX_ICD_DATA_READ) ended_ = true;
        }
        changed_.notify_all();
        return 1;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        progress_ = 0;
        ended_ = false;
    }
    bool WaitForProgress(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return progress_ >= count; });
    }
    bool WaitForEnd() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return ended_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int progress_ = 0;
    bool ended_ = false;
};

std::size_t DeviceReads(const TestDevice::Device& device) {
    std::size_t reads = 0;
    for (const TestDevice::RequestRecord& record : device.Requests()) reads += record.service == Mms::MmsServiceRead;
    return reads;
}

// The reads as the export asks them, timed from the first ask to the last confirmation.
bool ReadOnce(App::QXClient& client, ReadsNotifier& notifier, const std::vector<std::string>& nodes, Mode mode,
              std::chrono::duration<double>& took) {
    const std::int32_t total = App::IcdValueReadsPerNode * static_cast<std::int32_t>(nodes.size());
    App::ResetPendingValueReads(client);
    App::RaisePendingValueReads(client, total);
    notifier.Clear();
    const auto start = std::chrono::steady_clock::now();
    bool ended = false;
    switch (mode) {
        case ExportWindow: ended = App::RequestIcdValues(client, nodes); break;
        case AllAtOnce:
        case OneAtATime: {
            int asked = 0;
            for (const std::string& node : nodes) {
                for (std::string_view fc : App::IcdValueConstraints) {
                    std::uint32_t id = 0;
                    if (client.GetAllDataValues(id, node, std::string(fc), Iec61850::AnswerFrom::Device) !=
                        System::OkNoError)
                        return false;
                    if (mode == OneAtATime && !notifier.WaitForProgress(++asked)) return false;
                }
            }
            break;
        }
    }
    if (!ended && !notifier.WaitForEnd()) return false;
    took = std::chrono::steady_clock::now() - start;
    const App::QXClient::ValueReadTally tally = App::TakeValueReadTally(client);
    return tally.unanswered == 0 && !tally.endedWithTheAssociation;
}

void IcdReadsBehindDelay(benchmark::State& state) {
    TestDevice::Device::Options options;
    options.model.large = true;
    TestDevice::Device device(options);
    if (device.Start() != System::OkNoError) {
        state.SkipWithError("the device did not start");
        return;
    }
    {
        BenchSupport::DelayingRelay relay(device.Port());
        ReadsNotifier notifier;
        Iec61850::Acsi::Server server;
        server.GetProfile(0)->SetParameter("RemoteNPort", std::to_string(relay.Port()));
        App::QXClient client(&notifier);
        std::vector<std::string> nodes;
        if (client.Associate(*server.GetProfile(0), 0) != System::OkNoError ||
            !App::ListFirstDeviceNodes(server, nodes)) {
            state.SkipWithError("no association or no model");
        } else {
            relay.SetDelay(std::chrono::milliseconds(state.range(0)));
            const auto mode = static_cast<Mode>(state.range(1));
            std::size_t reads = 0;
            std::int64_t rounds = 0;
            double seconds = 0;
            for (auto _ : state) {
                device.ClearRequests();
                std::chrono::duration<double> took{};
                if (!ReadOnce(client, notifier, nodes, mode, took)) {
                    state.SkipWithError("a read was not answered");
                    break;
                }
                state.SetIterationTime(took.count());
                seconds += took.count();
                ++rounds;
                reads = DeviceReads(device);
            }
            const double asked = static_cast<double>(App::IcdValueReadsPerNode) * static_cast<double>(nodes.size());
            state.counters["device_reads"] = static_cast<double>(reads);
            state.counters["local_reads"] = asked - static_cast<double>(reads);
            if (rounds > 0) state.counters["ms_per_read"] = 1000.0 * seconds / (asked * static_cast<double>(rounds));
            // The association ends with the client and the server, undelayed.
            relay.SetDelay(std::chrono::milliseconds(0));
        }
    }
    device.Stop();
}

BENCHMARK(IcdReadsBehindDelay)
    ->ArgNames({"delay_ms", "mode"})
    ->ArgsProduct({{10, 50}, {ExportWindow, AllAtOnce, OneAtATime}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
