// The virtual printer listens on this machine only unless it is given an address or a host
// name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/support/print_server.h"

namespace trevalune::e2e {
namespace {

// The line says where the socket is really bound (it is read back from the socket).
TEST(VirtualPrinterOptionsTest, ListensOnLoopbackUnlessGivenAnAddressOrAHostName) {
    const std::string out = (std::filesystem::temp_directory_path() / "trevalune-bind").string();
    const struct {
        std::vector<std::string> bind;
        std::vector<std::string> said;  // the beginnings allowed
    } cases[] = {
        {{}, {"listening on 127.0.0.1:"}},
        {{"--bind", "localhost"}, {"listening on 127.0.0.1:", "listening on [::1]:"}},
        {{"--bind", "127.0.0.2"}, {"listening on 127.0.0.2:"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.bind;
        arguments.insert(arguments.end(), {"--port", "0", "--out", out});
        std::string said;
        endProcess(spawnVirtualPrinter(arguments, said));
        EXPECT_TRUE(std::ranges::any_of(c.said, [&](const auto& s) { return said.starts_with(s); }))
            << said;
    }
    std::filesystem::remove_all(out);
}

// The last port is listened on; the next is refused with status 2 and the reason.
TEST(VirtualPrinterOptionsTest, PortsUpToTheLastAreTaken) {
    const std::string out = (std::filesystem::temp_directory_path() / "trevalune-port").string();
    std::string said;
    endProcess(spawnVirtualPrinter({"--port", "65535", "--out", out}, said));
    EXPECT_EQ(said, "listening on 127.0.0.1:65535");
    std::filesystem::remove_all(out);
    int code = 0;
    said = runCommand(shellQuoted(TREVALUNE_VIRTUAL_PRINTER) + " --port 65536 2>&1", &code);
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(
        said.starts_with("trevalune-virtual-printer: --port needs a number from 0 to "
                         "65535 (0 picks a free one), not \"65536\"\n"))
        << said;
}

// Help is an answer, not a refusal: on standard output, with status 0 (and never a printer
// left listening: the time is bounded).
TEST(VirtualPrinterOptionsTest, HelpIsAnAnswer) {
    int code = 1;
    const std::string said = runCommand(
        "timeout 10 " + shellQuoted(TREVALUNE_VIRTUAL_PRINTER) + " --help 2>/dev/null", &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(said.starts_with("Usage: trevalune-virtual-printer [OPTION]...\n")) << said;
}

}  // namespace
}  // namespace trevalune::e2e
