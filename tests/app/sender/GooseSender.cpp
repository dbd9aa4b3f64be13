// goose-sender INTERFACE [COUNT]: sends a GOOSE frame on INTERFACE once a second, COUNT
// times (60 when not given), each with the next stNum and values that change with it.
// Needs root or cap_net_raw.

#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <thread>

#include "app/sender/GooseSenderFrame.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: goose-sender INTERFACE [COUNT]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) return Usage();
    unsigned count = 60;
    if (argc == 3) {
        const std::string_view text(argv[2]);
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (error != std::errc() || end != text.data() + text.size() || count == 0) return Usage();
    }
    const unsigned index = if_nametoindex(argv[1]);
    if (index == 0) {
        std::fprintf(stderr, "goose-sender: no interface %s\n", argv[1]);
        return 1;
    }
    const int out = ::socket(AF_PACKET, SOCK_RAW, 0);
    if (out < 0) {
        std::fprintf(stderr, "goose-sender: %s (needs root or cap_net_raw)\n", std::strerror(errno));
        return 1;
    }
    sockaddr_ll address{};
    address.sll_family = AF_PACKET;
    address.sll_ifindex = static_cast<int>(index);
    address.sll_halen = ETH_ALEN;

    for (unsigned stNum = 1; stNum <= count; ++stNum) {
        const GooseTest::Bytes frame = GooseTest::SenderFrame(stNum);
        if (::sendto(out, frame.data(), frame.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            static_cast<ssize_t>(frame.size())) {
            std::fprintf(stderr, "goose-sender: %s\n", std::strerror(errno));
            ::close(out);
            return 1;
        }
        std::printf("stNum %u sent\n", stNum);
        std::fflush(stdout);
        if (stNum < count) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    ::close(out);
    return 0;
}
