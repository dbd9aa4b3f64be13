// The main dialog against the test device's large model, offscreen: Connect clicked with
// "Reload data model" ticked, until the model is shown (the model-read-done message
// handled, the ready state reached). Beside it, the library's model read alone. The
// argument: the logical nodes of the large model (500, and 5,000); the process's CPU time
// per connect beside the time (device and program share the process).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>

#include "app/client/QXClient.h"
#include "app/program/ProgramResources.h"
#include "app/program/QXDialog.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/reader/ModelReader.h"
#include "iec61850/acsi/reader/RClient.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "ui/Button.h"
#include "ui/MessageBridge.h"
#include "ui/WinApp.h"

namespace {

// Serves the event loop one batch at a time, waiting for the next event in between, so
// that the state is looked at as soon as the event that changed it has been handled.
bool WaitUntil(const std::function<bool()>& done, int limitMs = 60000) {
    QTimer tick;
    tick.start(100);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

TestDevice::Device::Options LargeModel(const benchmark::State& state) {
    TestDevice::Device::Options options;
    options.model.large = true;
    options.model.logicalNodes = static_cast<int>(state.range(0));
    return options;
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void ConnectToModelShown(benchmark::State& state) {
    TestDevice::Device device(LargeModel(state));
    double cpu = 0;
    if (device.Start() != System::OkNoError) {
        state.SkipWithError("the device did not start");
        return;
    }
    Iec61850::Acsi::ServerManager servers;
    Iec61850::Acsi::ClientManager clients;
    {
        App::QXDialog dialog(servers, clients);
        dialog.SetProfileOverride("RemoteNPort", std::to_string(device.Port()));
        dialog.Create(App::IDD_QX_DIALOG);
        dialog.ShowWindow(true);
        static_cast<Ui::CButton*>(dialog.GetDlgItem(1038))->SetCheck(1);
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = ProcessCpuSeconds();
            dialog.SendMessage(Ui::WM_COMMAND, Ui::MAKEWPARAM(2, Ui::BN_CLICKED), 0);
            if (!WaitUntil([&] { return dialog.GetState() == App::QXDialog::StateReady; })) {
                state.SkipWithError("the model was not shown");
                break;
            }
            state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            cpu += ProcessCpuSeconds() - cpuStart;
            dialog.SendMessage(Ui::WM_COMMAND, Ui::MAKEWPARAM(1011, Ui::BN_CLICKED), 0);
            if (!WaitUntil([&] { return dialog.GetState() == 0 && !dialog.IsConnecting(); })) {
                state.SkipWithError("no disconnect");
                break;
            }
        }
        dialog.DestroyWindow();
        dialog.Shutdown();
    }
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}
BENCHMARK(ConnectToModelShown)->Arg(500)->Arg(5000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The same model read by the library's reader alone, for comparison.
void ModelReadAlone(benchmark::State& state) {
    TestDevice::Device device(LargeModel(state));
    double cpu = 0;
    if (device.Start() != System::OkNoError) {
        state.SkipWithError("the device did not start");
        return;
    }
    for (auto _ : state) {
        auto server = std::make_unique<Iec61850::Acsi::Server>();
        server->GetProfile(0)->SetParameter("RemoteNPort", std::to_string(device.Port()));
        auto client = std::make_unique<Iec61850::Acsi::RClient>();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        if (client->Associate(*server->GetProfile(0), 0) != System::OkNoError) {
            state.SkipWithError("no association");
            break;
        }
        Iec61850::Acsi::ModelReader reader(*client);
        if (reader.Run() != Iec61850::Acsi::ModelReader::ResultRead) {
            state.SkipWithError("the model was not read");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpu += ProcessCpuSeconds() - cpuStart;
        client.reset();
        server.reset();
    }
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}
BENCHMARK(ModelReadAlone)->Arg(500)->Arg(5000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Ui::ResetNumericLocale();
    Ui::MessageBridge::Open();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Ui::MessageBridge::Close();
    return 0;
}
