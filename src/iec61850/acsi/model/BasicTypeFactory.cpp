#include <new>

#include "iec61850/acsi/model/ModelArray.h"
#include "iec61850/acsi/model/NamedObject.h"
#include "mms/pdu/MmsPduData.h"
#include "mms/values/BinaryTime.h"
#include "mms/values/BitString.h"
#include "mms/values/Boolean.h"
#include "mms/values/FloatingPoint.h"
#include "mms/values/Integer.h"
#include "mms/values/MMSString.h"
#include "mms/values/OctetString.h"
#include "mms/values/Structure.h"
#include "mms/values/UTCTime.h"
#include "mms/values/Unsigned.h"
#include "mms/values/VisibleString.h"

namespace Iec61850::Acsi {

namespace {

using Scl::BasicTypeCode;

// A type description of one choice and its count or width (sizes: n > 0 fixed at n,
// n <= 0 variable up to -n).
Mms::MmsTypeDescription Described(std::int32_t choice, std::int32_t count) {
    Mms::MmsTypeDescription type{};
    type.present = choice;
    switch (choice) {
        case Mms::MmsTypeBitString: type.choice.bitString = count; break;
        case Mms::MmsTypeInteger: type.choice.integer = count; break;
        case Mms::MmsTypeUnsigned: type.choice.unsignedInteger = count; break;
        case Mms::MmsTypeOctetString: type.choice.octetString = count; break;
        case Mms::MmsTypeVisibleString: type.choice.visibleString = count; break;
        case Mms::MmsTypeMmsString: type.choice.mmsString = count; break;
        case Mms::MmsTypeBinaryTime: type.choice.binaryTime = count != 0; break;
        default: break;
    }
    return type;
}

template <typename Class>
Mms::Container* Make(std::int32_t choice, std::int32_t count) {
    return new (std::nothrow) Class(Described(choice, count));
}

Mms::Container* MakeFloat(std::int32_t format, std::int32_t exponent) {
    Mms::MmsTypeDescription type{};
    type.present = Mms::MmsTypeFloatingPoint;
    type.choice.floatingPoint.formatWidth = format;
    type.choice.floatingPoint.exponentWidth = exponent;
    return new (std::nothrow) Mms::FloatingPoint(type);
}

Mms::Container* MakeBits(std::int32_t bits, const char* unusedBits) {
    Mms::Container* container = Make<Mms::BitString>(Mms::MmsTypeBitString, bits);
    if (container != nullptr && unusedBits != nullptr) container->SetAttribute("NumberOfBitsNotUsed", unusedBits);
    return container;
}

// The container of a code; null for a code without one.
Mms::Container* MakeContainer(BasicTypeCode code) {
    switch (code) {
        case BasicTypeCode::BOOLEAN: return Make<Mms::Boolean>(Mms::MmsTypeBoolean, 0);
        case BasicTypeCode::INT8: return Make<Mms::Integer>(Mms::MmsTypeInteger, 8);
        case BasicTypeCode::INT16: return Make<Mms::Integer>(Mms::MmsTypeInteger, 16);
        case BasicTypeCode::INT24: return Make<Mms::Integer>(Mms::MmsTypeInteger, 24);
        case BasicTypeCode::INT32: return Make<Mms::Integer>(Mms::MmsTypeInteger, 32);
        case BasicTypeCode::INT128: return Make<Mms::Integer>(Mms::MmsTypeInteger, 128);
        case BasicTypeCode::INT8U: return Make<Mms::Unsigned>(Mms::MmsTypeUnsigned, 8);
        case BasicTypeCode::INT16U: return Make<Mms::Unsigned>(Mms::MmsTypeUnsigned, 16);
        case BasicTypeCode::INT24U: return Make<Mms::Unsigned>(Mms::MmsTypeUnsigned, 24);
        case BasicTypeCode::INT32U: return Make<Mms::Unsigned>(Mms::MmsTypeUnsigned, 32);
        case BasicTypeCode::FLOAT32: return MakeFloat(32, 8);
        case BasicTypeCode::FLOAT64: return MakeFloat(64, 11);
        case BasicTypeCode::Enum: return Make<Mms::Integer>(Mms::MmsTypeInteger, 8);
        // Devices send Check, Dbpos and Tcmd as two bits; values for a device take the
        // device's own type, so these widths only shape objects the model makes itself.
        case BasicTypeCode::Check:
        case BasicTypeCode::Dbpos:
        case BasicTypeCode::Tcmd:
        case BasicTypeCode::Quality: return MakeBits(13, nullptr);
        case BasicTypeCode::Timestamp: return Make<Mms::UTCTime>(Mms::MmsTypeUtcTime, 0);
        case BasicTypeCode::VisString32: return Make<Mms::VisibleString>(Mms::MmsTypeVisibleString, 32);
        case BasicTypeCode::VisString64: return Make<Mms::VisibleString>(Mms::MmsTypeVisibleString, 64);
        case BasicTypeCode::VisString255: return Make<Mms::VisibleString>(Mms::MmsTypeVisibleString, 255);
        case BasicTypeCode::Octet64: return Make<Mms::OctetString>(Mms::MmsTypeOctetString, 64);
        case BasicTypeCode::Struct: return new (std::nothrow) Mms::Structure();
        case BasicTypeCode::EntryTime: return Make<Mms::BinaryTime>(Mms::MmsTypeBinaryTime, 1);
        case BasicTypeCode::Unicode255: return Make<Mms::MMSString>(Mms::MmsTypeMmsString, 255);
        case BasicTypeCode::TriggerConditions: return MakeBits(6, "2");
        case BasicTypeCode::VisString65: return Make<Mms::VisibleString>(Mms::MmsTypeVisibleString, 65);
        case BasicTypeCode::OptFlds: return MakeBits(10, "6");
        case BasicTypeCode::ObjectReference: return Make<Mms::VisibleString>(Mms::MmsTypeVisibleString, -129);
        case BasicTypeCode::EntryID: return Make<Mms::OctetString>(Mms::MmsTypeOctetString, 8);
        case BasicTypeCode::Array: return new (std::nothrow) ModelArray();
        case BasicTypeCode::ObjectName:
        default: return nullptr;
    }
}

bool HasContainer(BasicTypeCode code) {
    const auto number = static_cast<std::int32_t>(code);
    return number >= 0 && number < static_cast<std::int32_t>(Scl::BasicTypeCount) && code != BasicTypeCode::ObjectName;
}

}  // namespace

System::ResultCode NamedObject::BasicTypeFactory(Scl::BasicTypeCode code, std::unique_ptr<Mms::Container>& container) {
    container.reset();
    if (!HasContainer(code)) return System::Error;
    container.reset(MakeContainer(code));
    return container != nullptr ? System::OkNoError : System::NoResources;
}

}  // namespace Iec61850::Acsi
