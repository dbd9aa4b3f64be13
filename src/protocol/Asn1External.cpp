#include "protocol/Asn1External.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>

#include "protocol/Asn1Coder.h"
#include "protocol/Asn1Frame.h"
#include "protocol/Asn1NumberValues.h"
#include "protocol/Asn1OidValues.h"
#include "protocol/Asn1ValueSupport.h"

namespace Asn1 {

using System::ResultCode;

namespace {

constexpr auto kExternalEncodingMembers = Asn1Members({
    Asn1Field(offsetof(Asn1ExternalEncoding, choice), Asn1AnyType, "single-ASN1-type").Explicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(Asn1ExternalEncoding, choice), Asn1OctetStringType, "octet-aligned").Implicit(Asn1ContextTag(1)),
    Asn1Field(offsetof(Asn1ExternalEncoding, choice), Asn1BitStringType, "arbitrary").Implicit(Asn1ContextTag(2)),
});

constexpr auto kExternalMembers = Asn1Members({
    Asn1Field(offsetof(Asn1External, directReference), Asn1ObjectIdentifierType, "direct-reference").Optional(),
    Asn1Field(offsetof(Asn1External, indirectReference), Asn1IntegerType, "indirect-reference").Optional(),
    Asn1Field(offsetof(Asn1External, dataValueDescriptor), Asn1ObjectDescriptorType, "data-value-descriptor")
        .Optional(),
    Asn1Field(offsetof(Asn1External, encoding), Asn1ExternalEncodingType, Asn1NoTag, "encoding"),
});

constexpr Asn1Tag kExternalTags[] = {Asn1ExternalTag};

// The frame's window start as an output position into its storage.
bool OutputBufferOf(Asn1Frame& frame, Asn1OutputBuffer& buffer) {
    if (frame.Data() == nullptr || frame.GetWindowStart() > frame.GetCapacity()) return false;
    buffer.data = frame.Data() - frame.GetOrigin();
    buffer.position = frame.GetWindowStart();
    return true;
}

// Puts the frame's value (or, once encoded, its window) into the single-ASN1-type.
ResultCode FillSingleAsn1Type(Asn1Any& any, Asn1Frame& frame) {
    if (frame.GetValue() == nullptr) {
        const std::uint32_t end = frame.GetWindowStart() + frame.GetWindowLength();
        if (frame.GetState() != Protocol::Frame::StateEncoded || frame.GetWindowLength() == 0 ||
            frame.Data() == nullptr || end > frame.GetCapacity()) {
            return System::InvalidArguments;
        }
        errno = 0;
        return ValueSupport::FromCoder(Asn1OctetStringBorrowBytes(&any, frame.WindowData(), frame.GetWindowLength()));
    }
    Asn1OutputBuffer buffer{};
    if (frame.GetDescriptor() == nullptr || !OutputBufferOf(frame, buffer)) return System::InvalidArguments;
    errno = 0;
    const ResultCode result =
        ValueSupport::FromCoder(Asn1EncodeToAny(&any, frame.GetDescriptor(), frame.GetValue(), &buffer));
    if (result != System::OkNoError) return result;
    frame.SetWindow(static_cast<std::uint32_t>(buffer.position), static_cast<std::uint32_t>(any.size), 0);
    frame.SetState(Protocol::Frame::StateEncoded);
    return System::OkNoError;
}

}  // namespace

constinit const Asn1TypeDescriptor Asn1ExternalEncodingType =
    Asn1ChoiceType<Asn1ExternalEncoding, kExternalEncodingMembers>("EXTERNAL.encoding");

constinit const Asn1TypeDescriptor Asn1ExternalType =
    Asn1SequenceType<Asn1External, kExternalMembers>("EXTERNAL").WithTags(kExternalTags);

ResultCode WrapFrameAsExternal(Asn1External*& external, Asn1Frame& frame) {
    external = nullptr;
    auto* built = static_cast<Asn1External*>(std::calloc(1, sizeof(Asn1External)));
    if (built == nullptr) return System::NoResources;
    ResultCode result = NewOptionalAsn1OidFromText(built->directReference, true, Asn1ExternalMmsDirectReference);
    if (result == System::OkNoError) {
        result = NewOptionalAsn1Integer(built->indirectReference, true, Asn1ExternalMmsIndirectReference);
    }
    if (result == System::OkNoError) {
        built->encoding.present = Asn1ExternalSingleAsn1Type;
        result = FillSingleAsn1Type(built->encoding.choice.singleAsn1Type, frame);
    }
    if (result != System::OkNoError) {
        // The single-ASN1-type only borrows: freeing the EXTERNAL leaves the frame alone.
        Asn1FreeValue(&Asn1ExternalType, built);
        return result;
    }
    external = built;
    return System::OkNoError;
}

}  // namespace Asn1
