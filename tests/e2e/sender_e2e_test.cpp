// The trevalune-send program itself through the private print server: the examples.
#include <gtest/gtest.h>

#include <string>

#include "printer/bytes.h"
#include "tests/e2e/e2e_fixture.h"

namespace trevalune::e2e {
namespace {

using SenderE2eTest = PrintServerTest;

/// Runs the program with `arguments` (shell words); returns its error stream.
std::string sendProgram(const std::string& arguments, int& status) {
    return runCommand(std::string(TREVALUNE_SEND) + " " + arguments + " 2>&1 >/dev/null", &status);
}

TEST_F(SenderE2eTest, SendsWhatTheCommandBoxWouldAndOwnsUpToWhatFailed) {
    int status = -1;
    // Refused text, its messages and statuses are the unit test's (tests/unit/send); here the
    // real server's reasons and the program's own status.
    std::string said = sendProgram("--printer NoSuch --hex 0A", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said,
              "trevalune-send: NoSuch could not be opened for document 1 of 1 (0A), so nothing "
              "more was sent: The printer or class does not exist.\n");

    // A queue that rejects jobs: the server's reason, status 1, and nothing after it.
    ASSERT_EQ(runCommand("cupsreject " + server.virtualQueue + " 2>&1", &status), "");
    said = sendProgram("--hex 0A --hex 1D5653", status);
    ASSERT_EQ(runCommand("cupsaccept " + server.virtualQueue + " 2>&1", nullptr), "");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said,
              "trevalune-send: RZ7-virtual did not take document 1 of 2 (0A), so nothing more was "
              "sent: Destination \"RZ7-virtual\" is not accepting jobs.\n");

    // A server that refuses connections is named (the listing of the real spooler).
    said = runCommand(
        "CUPS_SERVER=127.0.0.1:1 " + std::string(TREVALUNE_SEND) + " --hex 0A 2>&1 >/dev/null",
        &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said,
              "trevalune-send: No print server answers at 127.0.0.1:1, so no printer can be "
              "listed. Nothing was sent.\n");

    said = sendProgram("--hex '1D 56 53' --hex ' 1d5653 ' --text 'A'", status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_EQ(said,
              "trevalune-send: 1D 56 53 -> RZ7-virtual\ntrevalune-send: 1D 56 53 -> RZ7-virtual\n"
              "trevalune-send: 41 -> RZ7-virtual\n");
    // Exactly these three, each a job named AAAAAA: the refused runs sent nothing.
    expectDelivered({bytesOf({0x1D, 0x56, 0x53}), bytesOf({0x1D, 0x56, 0x53}), "A"});
}

}  // namespace
}  // namespace trevalune::e2e
