#pragma once

#include <chrono>
#include <string>

#include "iec61850/acsi/client/ClientApplication.h"
#include "system/ResultCode.h"

namespace App {

// The control panel's Execute: which service an attribute of a control object stands
// for, and the request made of it.
enum class ControlService { None, Operate, SelectWithValue, Select, Cancel };

// By the attribute's ending: ".Oper", ".SBOw", ".SBO", ".Cancel", tried in that order; an
// ending counts only where the suffix first occurs in the reference.
ControlService ChooseControlService(const std::string& attributeReference);

// The control time as the program sends it: UTC, "year-month-day hour:minute:second.ms",
// every number without leading zeros ("2012-6-4 9:5:3.27").
std::string FormatControlTime(std::chrono::system_clock::time_point time);

struct ControlCommand {
    std::string value;               // ctlVal
    std::string attributeReference;  // the chosen attribute: decides the service
    std::string objectReference;     // the control object the request names
    std::string time;                // T
};

// The text's octets as hex digits ("Qx" gives "5178").
std::string OctetsAsHex(const std::string& text);

// Issues the request the attribute stands for with the program's origin and numbers; 0
// without one to issue. The invoke id is the client's business.
System::ResultCode ExecuteControl(Iec61850::ClientApplication& client, const ControlCommand& command);

}  // namespace App
