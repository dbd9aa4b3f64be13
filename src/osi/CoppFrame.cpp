#include "osi/CoppFrame.h"

#include "osi/PresentationEncoding.h"

namespace {

void* NewPpduValue(std::int32_t kind) {
    const Asn1::Asn1TypeDescriptor* type = CoppFrame::DescriptorFor(kind);
    return type != nullptr ? Asn1::Asn1NewValue(type) : nullptr;
}

}  // namespace

CoppFrame::CoppFrame(Protocol::Connection* owner, std::int32_t kind, Protocol::Frame* upper)
    : EnclosingFrame(owner, NewPpduValue(kind), DescriptorFor(kind), kind, upper), ppduKind_(kind) {}

CoppFrame::CoppFrame(std::span<const std::uint8_t> bytes, std::int32_t kind)
    : EnclosingFrame(bytes, DescriptorFor(kind)), ppduKind_(kind) {}

CoppFrame::~CoppFrame() = default;

const Asn1::Asn1TypeDescriptor* CoppFrame::DescriptorFor(std::int32_t kind) {
    switch (kind) {
        case KindArp: return &Presentation::ArpPpduType;
        case KindAru: return &Presentation::AruPpduType;
        case KindCp: return &Presentation::CpTypeType;
        case KindCpa: return &Presentation::CpaPpduType;
        case KindCpr: return &Presentation::CprPpduType;
        case KindUserData: return &Presentation::DataPpduType;
        default: return nullptr;
    }
}

System::ResultCode CoppFrame::FillUserData(Presentation::UserData& userData, std::uint32_t contextIdentifier) {
    if (!HasUpper()) return System::InvalidArguments;
    userData.present = Presentation::FullyEncoded;
    Presentation::PdvList* pdv = Presentation::AppendNewElement(userData.choice.fullyEncoded);
    if (pdv == nullptr) return System::NoResources;
    pdv->contextIdentifier = static_cast<Asn1::Asn1NativeInteger>(contextIdentifier);
    pdv->values.present = Presentation::PdvSingleAsn1Type;
    return Presentation::BorrowWindow(pdv->values.choice.singleAsn1Type, *GetUpper());
}
