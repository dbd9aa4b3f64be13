#include "support/VethNamespace.h"
#include "support/ShellCommand.h"

#include <net/ethernet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace TestSupport {

namespace {

bool CommandWorks(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

}  // namespace

std::string WhyNoVethNamespace() {
    if (geteuid() != 0) return "needs root for network namespaces";
    if (!CommandWorks("command -v ip") || !CommandWorks("unshare --net --mount sh -c 'mount -t sysfs sysfs /sys && "
                                                        "ip link add veth0 type veth peer name veth1'"))
        return "network namespaces or veth pairs are not allowed here";
    return "";
}

std::string RunInVethNamespace(const std::string& insideVariable, const std::string& filter, int& status) {
    std::string output;
    status = -1;
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return output;
    const std::string script =
        "mount -t sysfs sysfs /sys && ip link add veth0 type veth peer name veth1 && ip link set veth0 up && "
        "ip link set veth1 up && exec \"$0\" \"--gtest_filter=" +
        filter + "\"";
    const std::string command = insideVariable + "=1 unshare --net --mount sh -c '" + script + "' '" + self + "' 2>&1";
    status = RunCommand(command, output);
    return output;
}

std::string ProblemsOfTheTestsInVethNamespace(const std::string& insideVariable, const std::string& filter,
                                              int passed) {
    int status = 0;
    const std::string output = RunInVethNamespace(insideVariable, filter, status);
    const std::string summary = "[  PASSED  ] " + std::to_string(passed) + (passed == 1 ? " test." : " tests.");
    std::string problems;
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) problems += "did not exit with success; ";
    if (output.find(summary) == std::string::npos) problems += "not \"" + summary + "\"; ";
    if (output.find("SKIPPED") != std::string::npos) problems += "some skipped; ";
    if (output.find("Sanitizer") != std::string::npos) problems += "a sanitizer spoke; ";
    return problems.empty() ? problems : problems + "output:\n" + output;
}

std::string ReadFirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

std::string Veth0MacText() {
    std::string mac = "MAC: " + ReadFirstLine("/sys/class/net/veth0/address");
    std::transform(mac.begin(), mac.end(), mac.begin(), [](unsigned char c) { return std::toupper(c); });
    return mac;
}

VethInjector::VethInjector() {
    socket_ = ::socket(AF_PACKET, SOCK_RAW, 0);
    address_.sll_family = AF_PACKET;
    address_.sll_ifindex = static_cast<int>(if_nametoindex("veth1"));
    address_.sll_halen = ETH_ALEN;
}

VethInjector::~VethInjector() {
    if (socket_ >= 0) ::close(socket_);
}

bool VethInjector::Send(const std::vector<std::uint8_t>& frame) {
    return ::sendto(socket_, frame.data(), frame.size(), 0, reinterpret_cast<const sockaddr*>(&address_),
                    sizeof address_) == static_cast<ssize_t>(frame.size());
}

}  // namespace TestSupport
