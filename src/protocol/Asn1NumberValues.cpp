#include "protocol/Asn1NumberValues.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "protocol/Asn1Coder.h"
#include "protocol/Asn1ValueSupport.h"
#include "system/NumberText.h"

namespace Asn1 {

using System::ResultCode;
using ValueSupport::FromCoder;
using ValueSupport::Present;

namespace {

template <typename T>
ResultCode ReadSigned(T& value, const Asn1Integer* integer, bool* present) {
    ResultCode result;
    if (!Present(integer, present, result)) return result;
    std::int64_t number = 0;
    errno = 0;
    result = FromCoder(Asn1IntegerGetInt64(integer, &number));
    if (result != System::OkNoError) return result;
    if (number < std::numeric_limits<T>::min() || number > std::numeric_limits<T>::max()) {
        return System::OutOfRange;
    }
    value = static_cast<T>(number);
    return System::OkNoError;
}

template <typename T>
ResultCode ReadUnsigned(T& value, const Asn1Integer* integer, std::uint64_t maximum, bool* present) {
    ResultCode result;
    if (!Present(integer, present, result)) return result;
    std::uint64_t number = 0;
    errno = 0;
    result = FromCoder(Asn1IntegerGetUInt64(integer, &number));
    if (result != System::OkNoError) return result;
    if (number > maximum) return System::OutOfRange;
    value = static_cast<T>(number);
    return System::OkNoError;
}

template <typename T>
T* NewZeroed() {
    return static_cast<T*>(std::calloc(1, sizeof(T)));
}

}  // namespace

ResultCode BoolToAsn1Boolean(Asn1Boolean* boolean, bool value) {
    if (boolean == nullptr) return System::InvalidArguments;
    *boolean = value ? 1 : 0;
    return System::OkNoError;
}

ResultCode NewOptionalAsn1Boolean(Asn1Boolean*& boolean, bool present, bool value) {
    boolean = nullptr;
    if (!present) return System::OkNoError;
    boolean = NewZeroed<Asn1Boolean>();
    if (boolean == nullptr) return System::NoResources;
    return BoolToAsn1Boolean(boolean, value);
}

ResultCode Asn1BooleanToBool(bool& value, const Asn1Boolean* boolean, bool* present) {
    ResultCode result;
    if (!Present(boolean, present, result)) return result;
    value = *boolean != 0;
    return System::OkNoError;
}

ResultCode Asn1BooleanToText(std::string& text, const Asn1Boolean* boolean, bool* present) {
    ResultCode result;
    if (!Present(boolean, present, result)) return result;
    text = *boolean != 0 ? "True" : "False";
    return System::OkNoError;
}

ResultCode Int32ToAsn1Integer(Asn1Integer* integer, std::int32_t value) {
    if (integer == nullptr) return System::InvalidArguments;
    errno = 0;
    return FromCoder(Asn1IntegerSetInt32(integer, value));
}

ResultCode Int64ToAsn1Integer(Asn1Integer* integer, std::int64_t value) {
    if (integer == nullptr) return System::InvalidArguments;
    errno = 0;
    return FromCoder(Asn1IntegerSetInt64(integer, value));
}

ResultCode UInt64ToAsn1Integer(Asn1Integer* integer, std::uint64_t value) {
    if (integer == nullptr) return System::InvalidArguments;
    errno = 0;
    return FromCoder(Asn1IntegerSetUInt64(integer, value));
}

ResultCode UnsignedToAsn1Integer(Asn1Integer* integer, std::uint32_t value, unsigned width) {
    if (integer == nullptr || (width != 1 && width != 2 && width != 4)) return System::InvalidArguments;
    if (width < 4 && value >> (8 * width) != 0) return System::OutOfRange;
    return UInt64ToAsn1Integer(integer, value);
}

ResultCode NewOptionalAsn1Integer(Asn1Integer*& integer, bool present, std::int32_t value) {
    integer = nullptr;
    if (!present) return System::OkNoError;
    Asn1Integer* created = NewZeroed<Asn1Integer>();
    if (created == nullptr) return System::NoResources;
    const ResultCode result = Int32ToAsn1Integer(created, value);
    if (result != System::OkNoError) {
        Asn1FreeValue(&Asn1IntegerType, created);
        return result;
    }
    integer = created;
    return System::OkNoError;
}

ResultCode Asn1IntegerToInt8(std::int8_t& value, const Asn1Integer* integer, bool* present) {
    return ReadSigned(value, integer, present);
}
ResultCode Asn1IntegerToInt16(std::int16_t& value, const Asn1Integer* integer, bool* present) {
    return ReadSigned(value, integer, present);
}
ResultCode Asn1IntegerToInt32(std::int32_t& value, const Asn1Integer* integer, bool* present) {
    return ReadSigned(value, integer, present);
}
ResultCode Asn1IntegerToInt64(std::int64_t& value, const Asn1Integer* integer, bool* present) {
    return ReadSigned(value, integer, present);
}

ResultCode Asn1IntegerToUInt8(std::uint8_t& value, const Asn1Integer* integer, bool* present) {
    return ReadUnsigned(value, integer, UINT8_MAX, present);
}
ResultCode Asn1IntegerToUInt32(std::uint32_t& value, const Asn1Integer* integer, bool* present) {
    return ReadUnsigned(value, integer, UINT32_MAX, present);
}
ResultCode Asn1IntegerToUInt64(std::uint64_t& value, const Asn1Integer* integer, bool* present) {
    return ReadUnsigned(value, integer, UINT64_MAX, present);
}

ResultCode Asn1IntegerToUnsigned(std::uint32_t& value, const Asn1Integer* integer, unsigned width, bool* present) {
    if (width != 1 && width != 2 && width != 4) return System::InvalidArguments;
    const std::uint64_t maximum = width == 1 ? UINT8_MAX : width == 2 ? UINT16_MAX : UINT32_MAX;
    return ReadUnsigned(value, integer, maximum, present);
}

ResultCode Asn1IntegerToText(std::string& text, const Asn1Integer* integer, bool* present) {
    std::int64_t number = 0;
    const ResultCode result = ReadSigned(number, integer, present);
    if (result == System::OkNoError && integer != nullptr) System::FormatInt64(text, number);
    return result;
}

}  // namespace Asn1
