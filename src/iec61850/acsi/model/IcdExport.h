#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Mms {
class VMD;
}

namespace Iec61850::Acsi {

class Server;

// The ICD export as the device model sees it. The exporter lives above the model, in a
// target of its own, implements this and hands its maker to SetIcdExportMaker; the model
// never includes the exporter, so the dependency points one way only.
//
// Results are 0 on success and -1 on any failure, whose text GetLastFailure then gives.
class IcdExport {
public:
    virtual ~IcdExport() = default;

    // Appends the export-settings XML (root "Question") and offers the settings.
    virtual std::int32_t BuildSettingsXml(std::string& text) = 0;
    // Takes the "<Answers>" XML the program returns; -1 when nothing was offered.
    virtual std::int32_t ReadAnswers(std::string_view answers) = 0;
    // Writes the server's model as an ICD file; needs the answers.
    virtual std::int32_t WriteFile(const std::string& path) = 0;
    virtual std::string GetLastFailure() const = 0;
};

// The manufacturer and type an ICD file names for the device a server stands for: what the
// device answered to the Identify asked of it, and nothing (both empty: the file leaves them
// out) when it gave no answer. The VMD's own default text, or an earlier device's, is never
// this device's word. Every export path asks this, so that a file says the same of a device
// whichever path wrote it.
struct IcdIdentity {
    std::string manufacturer;
    std::string type;
};
IcdIdentity IcdIdentityOf(const Mms::VMD& device);

// Makes the exporter of a server (which exists, profile included, but may still be in
// its constructor: the maker keeps the pointer and reads nothing yet).
using IcdExportMaker = std::unique_ptr<IcdExport> (*)(Server* server);

// The program registers the maker once at start-up, before it creates servers; null
// takes it back. Servers made before keep what they got.
void SetIcdExportMaker(IcdExportMaker maker);
// The registered maker's exporter for the server; null when none is registered.
std::unique_ptr<IcdExport> MakeIcdExport(Server* server);

// The exporter a server owns, made with the server; without one (none registered) every
// call answers -1 and says why.
class IcdExportLink {
public:
    explicit IcdExportLink(Server* server);

    std::int32_t BuildSettingsXml(std::string& text);
    std::int32_t ReadAnswers(std::string_view answers);
    std::int32_t WriteFile(const std::string& path);
    std::string GetLastFailure() const;
    bool HasExporter() const { return exporter_ != nullptr; }

private:
    std::unique_ptr<IcdExport> exporter_;
};

}  // namespace Iec61850::Acsi
