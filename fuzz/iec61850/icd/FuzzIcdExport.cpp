// Exports a device model built from what a device sends (the model fuzz target's input:
// names separated by '\n' up to a 0 octet, a trailing '#' marking a data-set name, then the
// BER type description of the first node). Whatever the device says, the export must not
// crash, leak or loop, and the document must be well-formed XML.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "iec61850/acsi/LogicalDevice.h"
#include "iec61850/acsi/LogicalNode.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/scl/XmlParser.h"
#include "iec61850/scl/XmlWriter.h"
#include "mms/Domain.h"
#include "mms/MmsPduData.h"
#include "mms/NamedVariable.h"
#include "protocol/Asn1Coder.h"

namespace {

using namespace Iec61850::Acsi;

// One device, no lock to take (nothing else runs), every service negotiated.
class OneDevice : public Scl::IcdModelSource {
public:
    explicit OneDevice(LogicalDevice& device) : device_(device) {}
    System::ResultCode LockModel() override { return System::OkNoError; }
    void UnlockModel() override {}
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
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    const std::size_t end = input.find('\0');
    const std::string_view names = input.substr(0, end);
    const std::string_view type = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);

    Mms::Domain domain(nullptr, "IED1LD0", nullptr);
    LogicalDevice device(nullptr, &domain);
    std::size_t start = 0;
    while (start <= names.size()) {
        const std::size_t stop = std::min(names.find('\n', start), names.size());
        std::string name(names.substr(start, stop - start));
        if (!name.empty() && name.back() == '#') {
            name.pop_back();
            device.dataSetNames.push_back(name);
        } else if (!name.empty()) {
            device.directoryNames.push_back(name);
        }
        start = stop + 1;
    }
    device.directoryState = DirectoryComplete;
    device.BuildFromDirectory();
    device.BuildDataSetsFromDirectory();
    if (!device.GetLogicalNodes().empty() && !type.empty()) {
        LogicalNode& node = *device.GetLogicalNodes().begin()->second;
        void* raw = nullptr;
        const auto decoded = Asn1::Asn1Decode(nullptr, &Mms::MmsTypeSpecificationType, &raw,
                                              reinterpret_cast<const std::uint8_t*>(type.data()), type.size());
        auto* spec = static_cast<Mms::MmsTypeSpecification*>(raw);
        auto* variable = dynamic_cast<Mms::NamedVariable*>(node.GetMmsObject());
        if (decoded.code == Asn1::Asn1DecodeDone && variable != nullptr) {
            variable->SetType(*spec);
            node.Build();
        }
        Asn1::Asn1FreeValue(&Mms::MmsTypeSpecificationType, spec);
    }
    device.Bind();

    Scl::IcdExporter exporter(std::make_unique<OneDevice>(device));
    std::string list;
    exporter.BuildSettingsXml(list);
    exporter.ReadAnswers("<Answers/>");
    Scl::XmlWriter writer(true);
    exporter.BuildDocument(writer);
    std::string document;
    writer.GetXml(document);
    if (Scl::XmlParser::ParseDocument(list) == nullptr || Scl::XmlParser::ParseDocument(document) == nullptr) {
        std::abort();
    }
    return 0;
}
