#pragma once

// The command line of iec61850-test-device: what each option sets. Kept apart from the
// program so that tests can go through every option, each model the device can give.

#include <functional>
#include <string_view>
#include <vector>

#include "device/Device.h"
#include "device/Faults.h"

namespace TestDevice {

// What the command line asks for.
struct ProgramSetup {
    Device::Options device;
    Faults faults;
    int port = -1;
};

// One option: its name, the word its value is shown as (none for a switch), its line of
// help, and what it sets (false when its value is refused). A new behaviour is one row.
struct ProgramOption {
    const char* name;
    const char* value;
    const char* help;
    std::function<bool(ProgramSetup&, const char* value)> apply;
    // Shapes the small model only: refused beside the large one, which it would not change.
    bool smallModelOnly = false;
};

// Every option, in the order --help lists them.
const std::vector<ProgramOption>& ProgramOptions();
// The option of that name, or null.
const ProgramOption* FindProgramOption(std::string_view name);

}  // namespace TestDevice
