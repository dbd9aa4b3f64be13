// Builds containers from arbitrary received values and type descriptions and runs
// every conversion over them: nothing may crash, leak or read outside a buffer. The same
// bytes, read as the results of a read answer, must reach containers through DataDecoder
// exactly as through the generic decode and FromData.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "mms/ReadPathAgreement.h"
#include "mms/pdu/MmsPduData.h"
#include "mms/values/Container.h"
#include "mms/values/ContainerDataXml.h"
#include "mms/values/ContainerFactory.h"

namespace {

void Exercise(Mms::Container& container, const Mms::MmsData* data) {
    std::string text;
    container.ToText(text);
    std::string xml;
    container.WriteXml(xml);
    container.FromText(text);
    if (data != nullptr) container.FromData(*data);
    auto* out = static_cast<Mms::MmsData*>(Asn1::Asn1NewValue(&Mms::MmsDataType));
    container.ToData(*out);
    std::uint8_t buffer[1 << 16];
    Asn1::Asn1OutputBuffer output{buffer, sizeof buffer};
    if (out->present != Mms::MmsDataNone) Asn1::Asn1Encode(&Mms::MmsDataType, out, nullptr, &output);
    Asn1::Asn1FreeValue(&Mms::MmsDataType, out);
    auto* type = static_cast<Mms::MmsTypeDescription*>(Asn1::Asn1NewValue(&Mms::MmsTypeDescriptionType));
    container.ToTypeSpec(*type);
    Asn1::Asn1FreeValue(&Mms::MmsTypeDescriptionType, type);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const bool asType = (bytes[0] & 1) != 0;
    ++bytes;
    --size;
    if (asType) {
        void* raw = nullptr;
        const auto result = Asn1::Asn1Decode(nullptr, &Mms::MmsTypeDescriptionType, &raw, bytes, size);
        auto* type = static_cast<Mms::MmsTypeDescription*>(raw);
        if (result.code == Asn1::Asn1DecodeDone) {
            Mms::Container* holder = nullptr;
            if (Mms::NewContainerFromType(*type, holder) == System::OkNoError) {
                std::unique_ptr<Mms::Container> container(holder);
                Exercise(*container, nullptr);
            }
        }
        Asn1::Asn1FreeValue(&Mms::MmsTypeDescriptionType, type);
        return 0;
    }
    if (!ReadPathAgreement::CompareResults({bytes, size}).empty()) std::abort();
    void* raw = nullptr;
    const auto result = Asn1::Asn1Decode(nullptr, &Mms::MmsDataType, &raw, bytes, size);
    auto* data = static_cast<Mms::MmsData*>(raw);
    if (result.code == Asn1::Asn1DecodeDone) {
        std::string xml;
        Mms::WriteDataXml(xml, *data);
        std::unique_ptr<Mms::Container> container;
        if (Mms::NewContainerFromData(*data, container) == System::OkNoError) {
            Exercise(*container, data);
            std::unique_ptr<Mms::Container> again;
            if (Mms::NewContainerFromData(*data, again) == System::OkNoError) {
                container->Assign(*again);
                container->Equals(*again);
            }
        }
    }
    Asn1::Asn1FreeValue(&Mms::MmsDataType, data);
    return 0;
}
