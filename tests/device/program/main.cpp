// iec61850-test-device: the test device as a program, for trying the tester by hand.
//
//   iec61850-test-device --port N [options]     (--help lists them)
//
// With --port 0 the system picks the port; the first line on standard output is then
// "port N". Measured values and a few indications change every second. Ctrl-C or
// SIGTERM stops it.

#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "device/Device.h"
#include "device/program/ProgramOptions.h"

namespace {

using TestDevice::ProgramOption;
using TestDevice::ProgramSetup;

void Usage(std::FILE* to) {
    std::fprintf(to, "usage: iec61850-test-device --port N [options]\n");
    for (const ProgramOption& option : TestDevice::ProgramOptions()) {
        const std::string left = std::string(option.name) + (option.value != nullptr ? " " : "") +
                                 (option.value != nullptr ? option.value : "");
        std::fprintf(to, "  %-28s %s\n", left.c_str(), option.help);
    }
    std::fprintf(to, "  %-28s %s\n", "--help", "this list");
}

// The values the program changes on its timer, as references of the small and the
// large model.
struct Changing {
    std::string measurement;
    std::string indication;
};

}  // namespace

int main(int argc, char** argv) {
    ProgramSetup setup;
    // The first option given that shapes the small model only.
    const char* smallModelOption = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            Usage(stdout);
            return 0;
        }
        const ProgramOption* option = TestDevice::FindProgramOption(argument);
        const bool takesValue = option != nullptr && option->value != nullptr;
        const char* value = takesValue ? (i + 1 < argc ? argv[i + 1] : nullptr) : "";
        if (option != nullptr && value == nullptr) {
            std::fprintf(stderr, "iec61850-test-device: %s needs a value: %s %s (--help lists the options)\n", argv[i],
                         option->name, option->value);
            return 2;
        }
        if (option == nullptr || !option->apply(setup, value)) {
            std::fprintf(stderr, "iec61850-test-device: not understood: %s%s%s (--help lists the options)\n", argv[i],
                         *value != '\0' ? " " : "", value);
            return 2;
        }
        if (option->smallModelOnly && smallModelOption == nullptr) smallModelOption = option->name;
        if (takesValue) ++i;
    }
    if (smallModelOption != nullptr && setup.device.model.large) {
        std::fprintf(stderr,
                     "iec61850-test-device: %s shapes the small model and cannot be given with the large one "
                     "(--large, --lds, --lns)\n",
                     smallModelOption);
        return 2;
    }
    if (setup.port < 0) {
        std::fprintf(stderr, "iec61850-test-device: --port N is needed (--help lists the options)\n");
        return 2;
    }
    TestDevice::Device::Options& options = setup.device;
    options.port = static_cast<std::uint16_t>(setup.port);

    // The signals are taken by sigtimedwait below, on this thread only: every thread the
    // device starts inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    TestDevice::Device device(options);
    device.SetFaults(setup.faults);
    if (device.Start() != System::OkNoError) {
        std::fprintf(stderr, "iec61850-test-device: cannot listen on %s port %d\n", options.address.c_str(),
                     setup.port);
        return 1;
    }
    std::printf("port %u\n", static_cast<unsigned>(device.Port()));
    std::fflush(stdout);
    std::fprintf(stderr, "iec61850-test-device: %zu logical nodes, %zu leaf attributes, listening on %s:%u\n",
                 device.Summary().logicalNodes, device.Summary().leaves, options.address.c_str(),
                 static_cast<unsigned>(device.Port()));

    const Changing changing = options.model.large ? Changing{"LD01/MMXU1$MX$TotW$mag$f", "LD01/GGIO4$ST$Ind1$stVal"}
                                                  : Changing{"LD0/MMXU1$MX$TotW$mag$f", "LD0/GGIO1$ST$Ind1$stVal"};
    const timespec second{1, 0};
    for (unsigned tick = 1;; ++tick) {
        const int received = sigtimedwait(&signals, nullptr, &second);
        if (received == SIGINT || received == SIGTERM) break;
        device.SetValue(changing.measurement, std::to_string(1000 + (tick * 37) % 500) + ".5");
        if (tick % 5 == 0) device.SetValue(changing.indication, tick % 10 == 0 ? "False" : "True");
    }
    device.Stop();
    std::fprintf(stderr, "iec61850-test-device: stopped\n");
    return 0;
}
