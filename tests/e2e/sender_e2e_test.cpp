// The trevalune-send program itself through the private print server: its job ids and
// account, the server's reasons, a stopped queue, --wait, the user's default printer, and
// signals in the middle of a three-queue page.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "printer/bytes.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/temp_folder.h"

namespace trevalune::e2e {
namespace {

using ::testing::HasSubstr;
using SenderE2eTest = PrintServerTest;

/// Where a run's output goes: a name of this process's own (several worktrees may run these
/// tests at once), removed when the program ends.
const std::string kScratch = "/tmp/trevalune-send-e2e-" + std::to_string(::getpid());
const struct ScratchRemover {
    ~ScratchRemover() { runCommand("rm -f " + kScratch + ".err " + kScratch + "-*"); }
} removeScratchAtExit;

/// Runs the program after `prefix` (shell words: variables, the options and operation); the
/// error stream is appended to the output after a "|".
std::string sendProgram(const std::string& prefix, const std::string& arguments, int& status) {
    return runCommand("(" + prefix + " " + std::string(TREVALUNE_SEND) + " " + arguments + " 2>" +
                          kScratch + ".err; s=$?; echo \"|$(cat " + kScratch + ".err)\"; exit $s)",
                      &status);
}

TEST_F(SenderE2eTest, TheServersReasonsJobIdsAndTheDefaultPrinter) {
    int status = -1;
    std::string said = sendProgram("", "-d NoSuch eject", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said,
              "|trevalune-send: NoSuch: 0 of 1 documents taken; the printer could not be opened "
              "for document 1: The printer or class does not exist.\n");

    ASSERT_EQ(runCommand("cupsreject " + server.virtualQueue + " 2>&1", &status), "");
    said = sendProgram("", "-d RZ7-virtual factory-reset", status);
    ASSERT_EQ(runCommand("cupsaccept " + server.virtualQueue + " 2>&1", nullptr), "");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said,
              "|trevalune-send: warning: RZ7-virtual is idle, not accepting jobs: Rejecting Jobs; "
              "it may refuse the documents\ntrevalune-send: RZ7-virtual: 0 of 3 documents taken; "
              "document 1 was not taken, so nothing more was sent: Destination \"RZ7-virtual\" "
              "is not accepting jobs.\n");

    said = sendProgram("CUPS_SERVER=127.0.0.1:1", "eject", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said, "|trevalune-send: no print server answers at 127.0.0.1:1; nothing was sent\n");
    // The link's own reason in the run's language.
    said = sendProgram("LC_ALL=zh_CN.UTF-8 CUPS_SERVER=127.0.0.1:1", "-d A eject", status);
    EXPECT_EQ(said,
              "|trevalune-send: A：1 个文档中已接受 0 个；无法为第 1 个文档打开打印机："
              "127.0.0.1:1 没有打印服务器应答\n");

    // The user's default printer (what the window and `lpoptions -d` write) beats the
    // preselection of RZ7-virtual, and LPDEST beats the default.
    testing::TempFolder home;
    std::ofstream(home.path() / "lpoptions") << "Default " << server.fileQueue << "\n";
    const std::string user = "env -u LPDEST -u PRINTER HOME=" + home.path().string() +
                             " CUPS_SERVERROOT=" + home.path().string() + " ";
    std::filesystem::create_directories(home.path() / ".cups");
    std::filesystem::copy_file(home.path() / "lpoptions", home.path() / ".cups/lpoptions");
    said = sendProgram(user, "list", status);
    EXPECT_EQ(said, "* " + server.fileQueue + "  idle; 0 jobs waiting\n  " + server.virtualQueue +
                        "  idle; 0 jobs waiting\n|\n");
    said = sendProgram(user, "eject", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(said, server.fileQueue + "-" + std::to_string(lastJobId()) +
                        "\n|trevalune-send: " + server.fileQueue + ": 1 of 1 documents taken\n");
    said = sendProgram(user + "LPDEST=" + server.virtualQueue, "-q eject", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(said, "|trevalune-send: RZ7-virtual: 1 of 1 documents taken\n");
    expectDelivered({bytesOf({0x1D, 0x56, 0x53})});
}

TEST_F(SenderE2eTest, AStoppedQueueIsWarnedAboutAndWaitSaysWhereItsJobsStand) {
    const QueueRestart restart{server.virtualQueue};
    stopQueue(server.virtualQueue);
    int status = -1;
    std::string said = sendProgram("", "-d RZ7-virtual --wait=1 eject", status);
    EXPECT_EQ(status, 1);
    EXPECT_THAT(said, HasSubstr("|trevalune-send: warning: RZ7-virtual is stopped"));
    EXPECT_THAT(said, HasSubstr("; its documents will wait in the queue\ntrevalune-send: "
                                "RZ7-virtual: 1 of 1 documents taken; after 1 s the jobs are not "
                                "done: 1 pending; the printer is stopped"));
    startQueue(server.virtualQueue);
    said = sendProgram("", "-d RZ7-virtual --wait=20 line-feed", status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_THAT(said, HasSubstr("|trevalune-send: RZ7-virtual: 1 of 1 documents taken; every job "
                                "completed\n"));
    expectDelivered({bytesOf({0x1D, 0x56, 0x53}), "\n"});
    // A queue deleted while its job waits: the server keeps its jobs' history, so the job's
    // end is not known, never "completed" or "left the queue".
    runCommand("lpadmin -p E2E-GONE -E -v file:/dev/null && cupsdisable E2E-GONE");
    // Deleted once the job id is on standard output, however slow the machine.
    const std::string gone = kScratch + "-gone";
    said = runCommand("rm -f " + gone + "; (for i in $(seq 2000); do [ -s " + gone +
                          " ] && break; sleep 0.01; done; lpadmin -x E2E-GONE) & " +
                          TREVALUNE_SEND + " -d E2E-GONE --wait=20 line-feed 2>&1 >" + gone,
                      &status);
    EXPECT_EQ(status, 1) << said;
    EXPECT_THAT(said, HasSubstr("completed is not known, its state cannot be read: "));
}

// A server that accepts connections and never answers: --timeout bounds `list` as a whole,
// though it asks the server several times (libcups waits in whole seconds: up to one more).
TEST(SenderTimeoutE2eTest, TheTimeoutBoundsListAsAWhole) {
    PrivatePrintServer frozen;
    frozen.freezeCupsd();
    int status = -1;
    const auto start = std::chrono::steady_clock::now();
    const std::string said =
        sendProgram("CUPS_SERVER=" + frozen.server().cupsServer, "--timeout 2 list", status);
    const auto took = std::chrono::steady_clock::now() - start;
    frozen.thawCupsd();
    EXPECT_EQ(status, 1) << said;
    EXPECT_THAT(said, HasSubstr("no print server answers at "));
    EXPECT_GE(took, std::chrono::milliseconds(1900));
    EXPECT_LT(took, std::chrono::milliseconds(4500));
}

/// Three queues of the virtual printer, removed again however the test ends.
struct ThreeQueues {
    explicit ThreeQueues(const PrintServer& server) {
        for (const char* q : {"E2E-A", "E2E-B", "E2E-C"}) {
            runCommand("lpadmin -p " + std::string(q) +
                       " -E -v socket://127.0.0.1:" + server.values.at("VIRTUAL_PRINTER_PORT"));
        }
    }
    ~ThreeQueues() { runCommand("lpadmin -x E2E-A; lpadmin -x E2E-B; lpadmin -x E2E-C"); }
};

/// Runs the program in the background and sends it `signal` once `ids` job ids have reached
/// its standard output (its own progress, flushed as jobs are made; the printer may lag far
/// behind on a busy machine). Says whether the signal came while the program still ran; a
/// program that finished first (status 0, every id out) did not meet the test's premise.
bool signalAfterJobIds(const std::string& arguments, const char* signal, int ids,
                       const std::string& out) {
    runCommand(std::string(TREVALUNE_SEND) + " " + arguments + " >" + out + ".out 2>" + out +
               ".err & pid=$!; while kill -0 $pid 2>/dev/null && [ $(wc -l <" + out + ".out) -lt " +
               std::to_string(ids) + " ]; do sleep 0.005; done; kill -" + signal +
               " $pid 2>/dev/null; wait $pid; echo $? >" + out + ".status");
    return runCommand("cat " + out + ".status") != "0\n";
}

TEST_F(SenderE2eTest, ASignalMidPageLeavesNoJobWithoutItsDocumentAndAccountsForEveryQueue) {
    const ThreeQueues queues(server);
    for (const auto& [signal, expected] : {std::pair{"INT", 130}, std::pair{"TERM", 143}}) {
        SCOPED_TRACE(signal);
        // Signalled once ten of the 180 jobs are made; a run that ended first is tried again.
        const std::string out = kScratch + "-signal";
        int first = 0;
        bool signalled = false;
        for (int attempt = 1; attempt <= 3 && !signalled; ++attempt) {
            for (const char* q : {"E2E-A", "E2E-B", "E2E-C"}) waitUntilIdle(q);
            printer.clear();
            first = lastJobId();
            signalled =
                signalAfterJobIds("-d E2E-A -d E2E-B -d E2E-C alignment-test 30", signal, 10, out);
        }
        ASSERT_TRUE(signalled) << "three runs each took all 180 documents before the signal "
                                  "came: the machine is too slow for this test's premise";
        const std::string said = runCommand("cat " + out + ".err");
        EXPECT_EQ(runCommand("cat " + out + ".status"), std::to_string(expected) + "\n") << said;
        // Every job the server made for the run has finished with its document, and its id
        // reached standard output; the virtual printer got exactly those documents.
        std::set<std::string> made, printed;
        for (const char* q : {"E2E-A", "E2E-B", "E2E-C"}) {
            EXPECT_TRUE(waitUntilIdle(q, std::chrono::seconds(20))) << q;
            for (const JobRecord& job : jobs(q)) {
                if (job.id <= first) continue;
                EXPECT_EQ(job.state, "completed") << q << "-" << job.id;
                made.insert(std::string(q) + "-" + std::to_string(job.id));
            }
            EXPECT_THAT(said, HasSubstr(std::string(q) + ": "));
        }
        std::istringstream ids(runCommand("cat " + out + ".out"));
        for (std::string id; std::getline(ids, id);) printed.insert(id);
        EXPECT_EQ(printed, made);
        EXPECT_LT(made.size(), 180u);
        EXPECT_EQ(printer.waitForDocuments(made.size(), std::chrono::seconds(20)).size(),
                  made.size());
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
        EXPECT_THAT(said, HasSubstr("interrupted, nothing more was sent"));
    }
}

}  // namespace
}  // namespace trevalune::e2e
