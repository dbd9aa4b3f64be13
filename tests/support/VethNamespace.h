#pragma once

// Live tests on a veth pair. The outer test runs its own program again inside a network and
// mount namespace (with sysfs mounted for it), where veth0 and veth1 are created and brought
// up; the namespace dies with that process, so nothing is left behind.

#include <linux/if_packet.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// Empty when this process may make a namespace with a veth pair; else why not (the test skips).
std::string WhyNoVethNamespace();

// Runs this program with the gtest filter inside a new namespace with the pair, the variable
// set to 1 in its environment (the inner tests skip without it). Gives what it wrote (out and
// err); status is pclose's (-1 when it could not be started).
std::string RunInVethNamespace(const std::string& insideVariable, const std::string& filter, int& status);

// Runs the inner tests as RunInVethNamespace does and checks that all `passed` of them
// passed, none skipped and no sanitizer spoke: empty when so, else what went wrong and
// what they wrote.
std::string ProblemsOfTheTestsInVethNamespace(const std::string& insideVariable, const std::string& filter, int passed);

// The first line of a file (a sysfs attribute), empty when there is none.
std::string ReadFirstLine(const std::string& path);

// "MAC: " and veth0's address in capitals, as the adapter list shows it.
std::string Veth0MacText();

// Frames sent into veth1 arrive at veth0.
class VethInjector {
public:
    VethInjector();
    ~VethInjector();
    VethInjector(const VethInjector&) = delete;
    VethInjector& operator=(const VethInjector&) = delete;

    bool Ready() const { return socket_ >= 0 && address_.sll_ifindex > 0; }
    bool Send(const std::vector<std::uint8_t>& frame);

private:
    int socket_ = -1;
    sockaddr_ll address_{};
};

}  // namespace TestSupport
