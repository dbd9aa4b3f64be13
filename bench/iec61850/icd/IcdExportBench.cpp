// ICD export of the large generated model (about 500 logical nodes in 10 logical devices):
// the whole dialogue into a file, and the document alone into memory.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "iec61850/scl/XmlWriter.h"
#include "support/icdmodel/LargeModel.h"

namespace {

// The process's resident high-water mark in kB (VmHWM), after setting it back to the
// present size when asked (Linux resets it on "5" to clear_refs); -1 when unknown.
long ResidentHighWaterKb(bool reset) {
    if (reset) std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

struct LargeExport {
    LargeExport() {
        server.negotiatedServices = {2, 4, 5, 6, 7, 8, 9, 12, 14};
        IcdTestModel::BuildLargeModel(server);
        folder = std::filesystem::temp_directory_path() / ("icd-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    ~LargeExport() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    IcdTestModel::IcdTestServer server;
    std::filesystem::path folder;
};

// Settings, answers and the file, as the program runs them.
void WholeExport(benchmark::State& state) {
    LargeExport model;
    const std::string path = (model.folder / "large.icd").string();
    // One export measured apart: how far it lifts the peak above the model's own size.
    const long before = ResidentHighWaterKb(true);
    {
        std::string list;
        model.server.BuildIcdSettingsXml(list);
        model.server.ReadIcdAnswers("<Answers/>");
        model.server.WriteIcdFile(path);
    }
    const long added = ResidentHighWaterKb(false) - before;
    for (auto _ : state) {
        std::string list;
        if (model.server.BuildIcdSettingsXml(list) != 0 || model.server.ReadIcdAnswers("<Answers/>") != 0 ||
            model.server.WriteIcdFile(path) != 0) {
            state.SkipWithError(model.server.IcdFailure().c_str());
            return;
        }
    }
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    state.counters["added_peak_kB"] = static_cast<double>(added);
}
BENCHMARK(WholeExport)->Unit(benchmark::kMillisecond);

// The document alone, built into memory under the model lock.
void BuildDocumentInMemory(benchmark::State& state) {
    LargeExport model;
    std::string list;
    model.server.BuildIcdSettingsXml(list);
    model.server.ReadIcdAnswers("<Answers/>");
    std::size_t size = 0;
    for (auto _ : state) {
        Iec61850::Acsi::Scl::XmlWriter writer(true);
        {
            const Mms::ModelHold hold(&model.server);
            model.server.Exporter().BuildDocument(hold, writer);
        }
        std::string text;
        writer.GetXml(text);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["document_bytes"] = static_cast<double>(size);
}
BENCHMARK(BuildDocumentInMemory)->Unit(benchmark::kMillisecond);

}  // namespace
