// Exports a device model built from what a device sends (the model fuzz target's input:
// names separated by '\n' up to a 0 octet, a trailing '#' marking a data-set name, then the
// BER type description of the first node). Whatever the device says, the export must not
// crash, leak or loop, and the document must be well-formed XML whose references all
// resolve, as a configuration tool checks them.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "../DeviceInputModel.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/scl/XmlParser.h"
#include "iec61850/scl/XmlWriter.h"
#include "mms/user/Domain.h"
#include "support/icdmodel/IcdReferenceCheck.h"

namespace {

using namespace Iec61850::Acsi;

// One device, no lock to take (nothing else runs), every service negotiated.
class OneDevice : public Scl::IcdModelSource {
public:
    explicit OneDevice(LogicalDevice& device) : device_(device) {}
    Mms::ModelHold HoldModel() override { return Mms::ModelHold(nullptr); }
    std::vector<LogicalDevice*> GetLogicalDevices() const override { return {&device_}; }
    std::vector<std::pair<std::string, std::string>> GetProfileParameters() const override {
        return {{"RemoteApId", "1.1.1.999.1"}, {"RemoteNAddress", "127.0.0.1"}};
    }
    bool IsServiceSupported(std::int32_t) const override { return true; }
    std::string GetVendorName() const override { return "vendor"; }
    std::string GetModelName() const override { return "model"; }

private:
    LogicalDevice& device_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    Mms::Domain domain(nullptr, "IED1LD0", nullptr);
    LogicalDevice device(nullptr, &domain);
    FuzzSupport::BuildDeviceFromInput(device, std::string_view(reinterpret_cast<const char*>(bytes), size), 1);
    device.Bind(Mms::ModelHold(nullptr));  // no VMD, no other thread: nothing to hold

    Scl::IcdExporter exporter(std::make_unique<OneDevice>(device));
    std::string list;
    exporter.BuildSettingsXml(list);
    exporter.ReadAnswers("<Answers/>");
    Scl::XmlWriter writer(true);
    exporter.BuildDocument(Mms::ModelHold(nullptr), writer);
    std::string document;
    writer.GetXml(document);
    if (Scl::XmlParser::ParseDocument(list) == nullptr || Scl::XmlParser::ParseDocument(document) == nullptr) {
        std::abort();
    }
    if (!IcdTestModel::IcdReferenceProblems(document).empty()) std::abort();
    return 0;
}
