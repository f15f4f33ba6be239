// The virtual printer's command line: it listens on this machine only unless it is given an
// address or a host name, and it names what is wrong with a command line.
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

// A wrong command line is named on the first line, the usage follows, exit status 2.
TEST(VirtualPrinterOptionsTest, NamesWhatIsWrongWithTheCommandLine) {
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
        std::string command = TREVALUNE_VIRTUAL_PRINTER;
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
