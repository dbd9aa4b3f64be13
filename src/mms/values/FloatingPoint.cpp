#include "mms/values/FloatingPoint.h"

#include <cmath>
#include <limits>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerOctets.h"
#include "system/FloatText.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

bool FitsSingle(double value) { return !std::isfinite(value) || std::fabs(value) <= std::numeric_limits<float>::max(); }

}  // namespace

FloatingPoint::FloatingPoint() { ErrStatus = System::OkNoError; }

FloatingPoint::FloatingPoint(const MmsTypeDescription& type) {
    if (!AcceptTypeChoice(type, MmsTypeFloatingPoint)) return;
    SetFormat(type.choice.floatingPoint.formatWidth, type.choice.floatingPoint.exponentWidth);
    if (!IsSingle() && !IsDouble()) RefuseType(System::NotSupported);
}

FloatingPoint::FloatingPoint(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataFloatingPoint)) return;
    const std::size_t octets = OctetsOf(data.choice.floatingPoint).size();
    if (octets == 5) {
        SetFormat(32, 8);
    } else if (octets == 9) {
        SetFormat(64, 11);
    } else {
        RefuseType(System::NotSupported);
        return;
    }
    ErrStatus = FromData(data);
}

System::ResultCode FloatingPoint::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "FormatWidth") return System::ParseUInt8Text(formatWidth_, value);
    if (name == "ExponentWidth") return System::ParseUInt8Text(exponentWidth_, value);
    if (name == "MantissaWidth") return System::ParseUInt8Text(mantissaWidth_, value);
    return Container::SetAttribute(name, value);
}

bool FloatingPoint::IsSingle() const { return formatWidth_ == 32 && exponentWidth_ == 8; }

bool FloatingPoint::IsDouble() const { return formatWidth_ == 64 && exponentWidth_ == 11; }

void FloatingPoint::SetFormat(std::int32_t formatWidth, std::int32_t exponentWidth) {
    formatWidth_ = static_cast<std::uint8_t>(formatWidth);
    exponentWidth_ = static_cast<std::uint8_t>(exponentWidth);
    mantissaWidth_ = static_cast<std::uint8_t>(formatWidth - exponentWidth - 1);
}

System::ResultCode FloatingPoint::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeFloatingPoint;
    type.choice.floatingPoint.formatWidth = formatWidth_;
    type.choice.floatingPoint.exponentWidth = exponentWidth_;
    return System::OkNoError;
}

System::ResultCode FloatingPoint::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    return System::ParseFloatingPoint(value_, formatWidth_, exponentWidth_, text);
}

System::ResultCode FloatingPoint::AssignValue(const FloatingPoint& source) {
    if (formatWidth_ == 0 && exponentWidth_ == 0) SetFormat(source.formatWidth_, source.exponentWidth_);
    if (IsSingle()) {
        if (!FitsSingle(source.value_)) return Record(System::OutOfRange);
        value_ = static_cast<float>(source.value_);
    } else {
        value_ = source.value_;
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode FloatingPoint::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataFloatingPoint) != System::OkNoError) return Record(System::InvalidArguments);
    if (!IsSingle() && !IsDouble()) return Record(System::NotSupported);
    const auto octets = OctetsOf(data.choice.floatingPoint);
    if (octets.size() != formatWidth_ / 8u + 1 || octets[0] != exponentWidth_) return Record(System::InvalidArguments);
    double value = 0;
    if (MmsFloatingPointToDouble(data.choice.floatingPoint, value) != System::OkNoError) {
        return Record(System::InvalidArguments);
    }
    value_ = value;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode FloatingPoint::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    return System::FormatFloatingPoint(text, value_, formatWidth_, exponentWidth_);
}

System::ResultCode FloatingPoint::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    if (!IsSingle() && !IsDouble()) return Record(System::NotSupported);
    if (IsSingle() && !FitsSingle(value_)) return Record(System::OutOfRange);
    data.present = MmsDataFloatingPoint;
    return FinishData(data, IsSingle()
                                ? MmsFloatingPointFromFloat(data.choice.floatingPoint, static_cast<float>(value_))
                                : MmsFloatingPointFromDouble(data.choice.floatingPoint, value_));
}

}  // namespace Mms
