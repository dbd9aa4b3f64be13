#include "iec61850/icd/ValueFacts.h"

#include "mms/values/BitString.h"
#include "mms/values/FloatingPoint.h"
#include "mms/values/Integer.h"
#include "mms/values/MMSString.h"
#include "mms/values/OctetString.h"
#include "mms/values/Unsigned.h"
#include "mms/values/VisibleString.h"

namespace Iec61850::Acsi::Scl {

bool WasReceived(const Mms::Container* value) {
    // Only a decoded value, or a write the device confirmed, leaves a container of the
    // device's model in the valid state; the type answer builds it without a value.
    return value != nullptr && value->GetState() == Mms::StateValid;
}

std::optional<std::string> ReceivedText(Mms::Container* value) {
    if (!WasReceived(value)) return std::nullopt;
    std::string text;
    if (value->ToText(text) != System::OkNoError || text.empty()) return std::nullopt;
    return text;
}

std::string BasicTypeOfValue(const Mms::Container& value) {
    const auto sized = [](const Mms::SizedString& text, std::initializer_list<const char*> names,
                          std::initializer_list<std::uint32_t> sizes) -> std::string {
        auto name = names.begin();
        for (std::uint32_t size : sizes) {
            if (text.GetSize().count == size) return *name;
            ++name;
        }
        return {};
    };
    switch (value.GetClassId()) {
        case Mms::BooleanClassId: return "BOOLEAN";
        case Mms::UtcTimeClassId: return "Timestamp";
        case Mms::FloatingPointClassId: {
            const auto& number = static_cast<const Mms::FloatingPoint&>(value);
            if (number.GetFormatWidth() == 32 && number.GetExponentWidth() == 8) return "FLOAT32";
            return number.GetFormatWidth() == 64 && number.GetExponentWidth() == 11 ? "FLOAT64" : "";
        }
        default: break;
    }
    if (const auto* integer = dynamic_cast<const Mms::Integer*>(&value)) {
        const std::uint32_t bits = integer->GetPrecision();
        return bits == 8 || bits == 16 || bits == 32 || bits == 64 ? "INT" + std::to_string(bits) : std::string();
    }
    if (const auto* number = dynamic_cast<const Mms::Unsigned*>(&value)) {
        const std::uint32_t bits = number->GetPrecision();
        return bits == 8 || bits == 16 || bits == 32 ? "INT" + std::to_string(bits) + "U" : std::string();
    }
    if (const auto* bits = dynamic_cast<const Mms::BitString*>(&value)) {
        return bits->GetSize().count == 13 ? "Quality" : std::string();
    }
    if (const auto* text = dynamic_cast<const Mms::VisibleString*>(&value)) {
        return sized(*text, {"VisString32", "VisString64", "VisString65", "VisString129", "VisString255"},
                     {32, 64, 65, 129, 255});
    }
    if (const auto* octets = dynamic_cast<const Mms::OctetString*>(&value)) return sized(*octets, {"Octet64"}, {64});
    if (const auto* text = dynamic_cast<const Mms::MMSString*>(&value)) return sized(*text, {"Unicode255"}, {255});
    return {};
}

}  // namespace Iec61850::Acsi::Scl
