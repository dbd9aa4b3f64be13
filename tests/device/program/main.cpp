// iec61850-test-device: the test device as a program, for trying the tester by hand.
//
//   iec61850-test-device --port N [--large] [--lds N --lns N] [--address A] [--slots N]
//
// With --port 0 the system picks the port; the first line on standard output is then
// "port N". Measured values and a few indications change every second. Ctrl-C or
// SIGTERM stops it.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "device/Device.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: iec61850-test-device --port N [--large] [--lds N --lns N] [--address A] [--slots N]\n"
                 "  --port N     TCP port to listen on (0: any free port, printed as \"port N\")\n"
                 "  --large      the generated large model (10 logical devices, 500 logical nodes)\n"
                 "  --lds N      logical devices of the large model\n"
                 "  --lns N      logical nodes of the large model in all\n"
                 "  --address A  IPv4 address to listen on (127.0.0.1)\n"
                 "  --slots N    associations that may stand at once (4)\n");
}

bool ParseNumber(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

// The values the program changes on its timer, as references of the small and the
// large model.
struct Changing {
    std::string measurement;
    std::string indication;
};

}  // namespace

int main(int argc, char** argv) {
    TestDevice::Device::Options options;
    int port = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        int number = 0;
        const bool hasValue = i + 1 < argc;
        if (argument == "--port" && hasValue && ParseNumber(argv[i + 1], 0, 65535, number)) {
            port = number;
            ++i;
        } else if (argument == "--large") {
            options.model.large = true;
        } else if (argument == "--lds" && hasValue && ParseNumber(argv[i + 1], 1, 1000, number)) {
            options.model.logicalDevices = number;
            options.model.large = true;
            ++i;
        } else if (argument == "--lns" && hasValue && ParseNumber(argv[i + 1], 1, 100000, number)) {
            options.model.logicalNodes = number;
            options.model.large = true;
            ++i;
        } else if (argument == "--slots" && hasValue && ParseNumber(argv[i + 1], 1, 1000, number)) {
            options.associations = number;
            ++i;
        } else if (argument == "--address" && hasValue) {
            options.address = argv[++i];
        } else {
            Usage();
            return 2;
        }
    }
    if (port < 0) {
        Usage();
        return 2;
    }
    options.port = static_cast<std::uint16_t>(port);

    // The signals are taken by sigtimedwait below, on this thread only: every thread the
    // device starts inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    TestDevice::Device device(options);
    if (device.Start() != System::OkNoError) {
        std::fprintf(stderr, "iec61850-test-device: cannot listen on %s port %d\n", options.address.c_str(), port);
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
