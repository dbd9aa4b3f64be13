#include "app/client/ControlCommand.h"

#include <ctime>

namespace App {

namespace {

bool EndsWithFirst(const std::string& text, const std::string& suffix) {
    const std::size_t at = text.find(suffix);
    return at != std::string::npos && at + suffix.size() == text.size();
}

}  // namespace

ControlService ChooseControlService(const std::string& attributeReference) {
    if (EndsWithFirst(attributeReference, ".Oper")) return ControlService::Operate;
    if (EndsWithFirst(attributeReference, ".SBOw")) return ControlService::SelectWithValue;
    if (EndsWithFirst(attributeReference, ".SBO")) return ControlService::Select;
    if (EndsWithFirst(attributeReference, ".Cancel")) return ControlService::Cancel;
    return ControlService::None;
}

std::string FormatControlTime(std::chrono::system_clock::time_point time) {
    const auto sinceEpoch = time.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds).count();
    const std::time_t whole = static_cast<std::time_t>(seconds.count());
    std::tm utc{};
    gmtime_r(&whole, &utc);
    return std::to_string(utc.tm_year + 1900) + "-" + std::to_string(utc.tm_mon + 1) + "-" +
           std::to_string(utc.tm_mday) + " " + std::to_string(utc.tm_hour) + ":" + std::to_string(utc.tm_min) + ":" +
           std::to_string(utc.tm_sec) + "." + std::to_string(milliseconds);
}

std::string OctetsAsHex(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const unsigned char octet : text) {
        hex += digits[octet >> 4];
        hex += digits[octet & 0x0F];
    }
    return hex;
}

System::ResultCode ExecuteControl(Iec61850::ClientApplication& client, const ControlCommand& command) {
    // The originator's identity is an octet string, which the library takes as hex text:
    // "Qx" goes as its two octets.
    static const std::string originIdentity = OctetsAsHex("Qx");
    const Iec61850::AttributeRecords records = {
        {"ctlVal", command.value}, {"origin.orCat", "6"}, {"origin.orIdent", originIdentity}, {"ctlNum", "1"}};
    const std::string test = "False";
    const std::string check = "00";
    std::uint32_t id = 0;
    switch (ChooseControlService(command.attributeReference)) {
        case ControlService::Operate:
            return client.Operate(id, command.objectReference, records, test, command.time, check,
                                  Iec61850::Activation::Immediate);
        case ControlService::SelectWithValue:
            return client.SelectWithValue(id, command.objectReference, records, test, command.time, check,
                                          Iec61850::Activation::Immediate);
        case ControlService::Select: return client.Select(id, command.objectReference, Iec61850::SelectBy::ReadingSbo);
        case ControlService::Cancel:
            return client.Cancel(id, command.objectReference, records, test, command.time,
                                 Iec61850::Activation::Immediate);
        case ControlService::None: break;
    }
    return System::OkNoError;
}

}  // namespace App
