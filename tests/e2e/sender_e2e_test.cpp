// The trevalune-send program itself through the private print server: its job ids, the
// server's reasons, the user's default printer from lpoptions, and a file of 1 MiB on
// standard input.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "printer/bytes.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/temp_folder.h"

namespace trevalune::e2e {
namespace {

using SenderE2eTest = PrintServerTest;

/// Runs the program after `prefix` (shell words: variables, the options and operation); the
/// error stream is appended to the output after a "|".
std::string sendProgram(const std::string& prefix, const std::string& arguments, int& status) {
    return runCommand("(" + prefix + " " + std::string(TREVALUNE_SEND) + " " + arguments +
                          " 2>/tmp/trevalune-send-e2e.err; s=$?; echo \"|$(cat "
                          "/tmp/trevalune-send-e2e.err)\"; exit $s)",
                      &status);
}

TEST_F(SenderE2eTest, TheServersReasonsJobIdsAndTheDefaultPrinter) {
    int status = -1;
    std::string said = sendProgram("", "-d NoSuch eject", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said,
              "|trevalune-send: NoSuch could not be opened for document 1, so nothing more was "
              "sent: The printer or class does not exist.\n");

    ASSERT_EQ(runCommand("cupsreject " + server.virtualQueue + " 2>&1", &status), "");
    said = sendProgram("", "-d RZ7-virtual factory-reset", status);
    ASSERT_EQ(runCommand("cupsaccept " + server.virtualQueue + " 2>&1", nullptr), "");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said,
              "|trevalune-send: RZ7-virtual did not take document 1, so nothing more was sent: "
              "Destination \"RZ7-virtual\" is not accepting jobs.\n");

    said = sendProgram("CUPS_SERVER=127.0.0.1:1", "eject", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said, "|trevalune-send: no print server answers at 127.0.0.1:1; nothing was sent\n");

    // The user's default printer (what the window and `lpoptions -d` write) beats the
    // preselection of RZ7-virtual, and LPDEST beats the default.
    testing::TempFolder home;
    std::ofstream(home.path() / "lpoptions") << "Default " << server.fileQueue << "\n";
    const std::string user = "env -u LPDEST -u PRINTER HOME=" + home.path().string() +
                             " CUPS_SERVERROOT=" + home.path().string() + " ";
    std::filesystem::create_directories(home.path() / ".cups");
    std::filesystem::copy_file(home.path() / "lpoptions", home.path() / ".cups/lpoptions");
    said = sendProgram(user, "list", status);
    EXPECT_EQ(said, "* " + server.fileQueue + "\n  " + server.virtualQueue + "\n|\n");
    const int before = lastJobId();
    said = sendProgram(user, "eject", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(said, server.fileQueue + "-" + std::to_string(before + 1) + "\n|\n");
    said = sendProgram(user + "LPDEST=" + server.virtualQueue, "-q eject", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(said, "|\n");

    // A mebibyte on standard input, every byte value, as one document.
    std::string mebibyte(1 << 20, '\0');
    for (std::size_t i = 0; i < mebibyte.size(); ++i)
        mebibyte[i] = static_cast<char>(i * 31 + i / 256);
    std::ofstream(home.path() / "big.prn", std::ios::binary) << mebibyte;
    said = sendProgram("", "-d RZ7-virtual file - < " + (home.path() / "big.prn").string(), status);
    EXPECT_EQ(status, 0) << said;
    expectDelivered({bytesOf({0x1D, 0x56, 0x53}), mebibyte});
}

}  // namespace
}  // namespace trevalune::e2e
