// The virtual printer accepts documents from this machine only, unless it is given an address.

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/support/print_server.h"

namespace trevalune::e2e {
namespace {

/// The first IPv4 address of this machine that is not loopback; empty when there is none.
std::string outwardAddress() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return {};
    std::string found;
    for (const ifaddrs* a = list; a && found.empty(); a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        if ((ntohl(in->sin_addr.s_addr) >> 24) == 127) continue;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        found = text;
    }
    ::freeifaddrs(list);
    return found;
}

bool accepts(const std::string& address, int port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    ::close(fd);
    return connected;
}

int portOf(const std::string& said) {
    return std::stoi(said.substr(said.rfind(':') + 1));
}

TEST(VirtualPrinterBindTest, ListensOnLoopbackOnlyUnlessGivenAnAddress) {
    const std::string outward = outwardAddress();
    if (outward.empty()) GTEST_SKIP() << "this machine has no address but loopback";
    const auto out = std::filesystem::temp_directory_path() / "trevalune-bind-test";

    std::string said;
    int pid = spawnVirtualPrinter({"--port", "0", "--out", out.string()}, said);
    EXPECT_EQ(said.rfind("listening on 127.0.0.1:", 0), 0u) << said;
    EXPECT_FALSE(accepts(outward, portOf(said))) << "reachable on " << outward;
    endProcess(pid);

    pid = spawnVirtualPrinter({"--bind", outward, "--port", "0", "--out", out.string()}, said);
    EXPECT_EQ(said, "listening on " + outward + ":" + std::to_string(portOf(said)));
    EXPECT_TRUE(accepts(outward, portOf(said)));
    endProcess(pid);
    std::filesystem::remove_all(out);
}

}  // namespace
}  // namespace trevalune::e2e
