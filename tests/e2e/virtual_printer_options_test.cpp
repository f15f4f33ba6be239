// The virtual printer's command line: it accepts documents from this machine only unless it
// is given an address or a host name, and it names what is wrong with a command line.

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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

TEST(VirtualPrinterOptionsTest, ListensOnLoopbackOnlyUnlessGivenAnAddressOrAHostName) {
    const auto out = std::filesystem::temp_directory_path() / "trevalune-bind-test";
    std::string said;
    // A host name is resolved, not refused.
    int pid =
        spawnVirtualPrinter({"--bind", "localhost", "--port", "0", "--out", out.string()}, said);
    EXPECT_TRUE(said.starts_with("listening on 127.0.0.1:") ||
                said.starts_with("listening on [::1]:"))
        << said;
    endProcess(pid);

    const std::string outward = outwardAddress();
    if (outward.empty()) GTEST_SKIP() << "this machine has no address but loopback";
    pid = spawnVirtualPrinter({"--port", "0", "--out", out.string()}, said);
    EXPECT_EQ(said.rfind("listening on 127.0.0.1:", 0), 0u) << said;
    EXPECT_FALSE(accepts(outward, portOf(said))) << "reachable on " << outward;
    endProcess(pid);

    pid = spawnVirtualPrinter({"--bind", outward, "--port", "0", "--out", out.string()}, said);
    EXPECT_EQ(said, "listening on " + outward + ":" + std::to_string(portOf(said)));
    EXPECT_TRUE(accepts(outward, portOf(said)));
    endProcess(pid);

    std::filesystem::remove_all(out);
}

// A wrong command line is named on the first line, the usage follows, exit status 2.
TEST(VirtualPrinterOptionsTest, NamesWhatIsWrongWithTheCommandLine) {
    const std::string program = TREVALUNE_VIRTUAL_PRINTER;
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"--port", "abc"},
         "--port needs a number from 0 to 65535 (0 picks a free one), not \"abc\""},
        {{"--best", "16,24"},
         "--best needs three numbers from 0 to 255 like 16,24,40, not \"16,24\""},
        {{"--frobnicate"}, "unknown option \"--frobnicate\""},
        {{"--out"}, "--out needs a value"},
        {{"--bind", "no-such-host.invalid", "--port", "0"},
         "cannot find the address of \"no-such-host.invalid\": "},
    };
    for (const auto& [arguments, message] : wrong) {
        std::string command = program;
        for (const std::string& a : arguments) command += " '" + a + "'";
        int status = -1;
        const std::string said = runCommand(command + " 2>&1 >/dev/null", &status);
        const bool usage = !message.starts_with("cannot find");
        EXPECT_EQ(status, usage ? 2 : 1) << command;
        EXPECT_TRUE(said.starts_with("trevalune-virtual-printer: " + message)) << said;
        EXPECT_EQ(said.find("\nUsage: trevalune-virtual-printer ") != std::string::npos, usage)
            << said;
    }
}

}  // namespace
}  // namespace trevalune::e2e
