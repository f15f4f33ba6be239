// trevalune-send on a pseudo-terminal against a server that asks for a login (pam_wrapper's
// pam_matrix behind cupsd): one prompt for three queues, the password not echoed, and a
// wrong password said as a refused login.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "tests/e2e/support/print_server.h"

namespace trevalune::e2e {
namespace {

struct TerminalRun {
    std::string shown;  ///< everything the terminal showed
    int prompts = 0;
    int status = -1;
};

/// trevalune-send ARGUMENTS as user tech on a terminal of its own, every password prompt
/// answered with `password`; 30 s at most.
TerminalRun onTerminal(const std::string& server, const std::string& arguments,
                       const std::string& password) {
    int fd = -1;
    const pid_t pid = ::forkpty(&fd, nullptr, nullptr, nullptr);
    if (pid == 0) {
        const std::string command = "CUPS_SERVER=" + server + " CUPS_USER=tech exec " +
                                    std::string(TREVALUNE_SEND) + " " + arguments;
        ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        ::_exit(127);
    }
    TerminalRun run;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (char part[512]; std::chrono::steady_clock::now() < limit;) {
        if (pollfd ready{fd, POLLIN, 0}; ::poll(&ready, 1, 100) <= 0) continue;
        const ssize_t n = ::read(fd, part, sizeof part);
        if (n <= 0) break;  // the program has ended
        run.shown.append(part, static_cast<std::size_t>(n));
        if (run.shown.find("? ", run.shown.size() - static_cast<std::size_t>(n)) !=
            std::string::npos) {
            ++run.prompts;
            (void)!::write(fd, (password + "\n").data(), password.size() + 1);
        }
    }
    if (std::chrono::steady_clock::now() >= limit) ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(fd);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(LoginE2eTest, OnePromptForThreeQueuesAndAWrongPasswordIsARefusedLogin) {
    PrivatePrintServer ps({}, "tech:s3cret");
    const std::string server = ps.server().cupsServer;
    int code = -1;
    runCommand("lpadmin -p Office2 -E -v file:/dev/null 2>/dev/null", &code);
    ASSERT_EQ(code, 0);
    VirtualPrinter printer(ps.server().printerOutput);
    const std::string three = "-d RZ7-virtual -d Office1 -d Office2 line-feed";

    TerminalRun run = onTerminal(server, three, "s3cret");
    EXPECT_EQ(run.prompts, 1) << run.shown;
    EXPECT_EQ(run.status, 0) << run.shown;
    EXPECT_THAT(run.shown, ::testing::StartsWith("Password for tech on " + server + "? \r\n"));
    EXPECT_THAT(run.shown, ::testing::Not(::testing::HasSubstr("s3cret")));
    EXPECT_EQ(printer.waitForDocuments(1), std::vector<std::string>{"\n"});
    const auto taken = jobs();

    run = onTerminal(server, three, "wrong");
    EXPECT_EQ(run.prompts, 1) << run.shown;
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.shown, ::testing::HasSubstr("login refused by " + server + ": Unauthorized"));

    // Without a terminal nobody is asked.
    const std::string said = runCommand("CUPS_SERVER=" + server + " CUPS_USER=tech " +
                                            TREVALUNE_SEND + " -d Office1 eject 2>&1 </dev/null",
                                        &code);
    EXPECT_EQ(code, 1);
    EXPECT_THAT(said, ::testing::HasSubstr("no login to give " + server + ": Unauthorized"));
    EXPECT_EQ(jobs().size(), taken.size()) << "a refused login created a job";
}

}  // namespace
}  // namespace trevalune::e2e
