#include "iec61850/acsi/model/IcdExport.h"

#include <atomic>

#include "mms/user/VMD.h"

namespace Iec61850::Acsi {

namespace {

constexpr std::int32_t kFailed = -1;
constexpr const char* kNoExporter = "The ICD export is not available: no exporter is linked into this program.";

std::atomic<IcdExportMaker> registeredMaker{nullptr};

}  // namespace

IcdIdentity IcdIdentityOf(const Mms::VMD& device) {
    IcdIdentity named;
    if (const std::optional<Mms::MmsIdentity> answered = device.GetAnsweredIdentity()) {
        named.manufacturer = answered->vendorName;
        named.type = answered->modelName;
    }
    return named;
}

void SetIcdExportMaker(IcdExportMaker maker) { registeredMaker.store(maker); }

std::unique_ptr<IcdExport> MakeIcdExport(Server* server) {
    const IcdExportMaker maker = registeredMaker.load();
    return maker != nullptr ? maker(server) : nullptr;
}

IcdExportLink::IcdExportLink(Server* server) : exporter_(MakeIcdExport(server)) {}

std::int32_t IcdExportLink::BuildSettingsXml(std::string& text) {
    return exporter_ != nullptr ? exporter_->BuildSettingsXml(text) : kFailed;
}

std::int32_t IcdExportLink::ReadAnswers(std::string_view answers) {
    return exporter_ != nullptr ? exporter_->ReadAnswers(answers) : kFailed;
}

std::int32_t IcdExportLink::WriteFile(const std::string& path) {
    return exporter_ != nullptr ? exporter_->WriteFile(path) : kFailed;
}

std::string IcdExportLink::GetLastFailure() const {
    return exporter_ != nullptr ? exporter_->GetLastFailure() : kNoExporter;
}

}  // namespace Iec61850::Acsi
