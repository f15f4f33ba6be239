// The winspool backend against a real spooler: under Wine, whose winspool hands every
// document to the private CUPS server that scripts/test-windows starts. That server has a
// socket queue whose "printer" is the DocumentCatcher in this program, and a second queue.

#include "printer/windows/win_spooler.h"

#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "printer/printer_link.h"
#include "tests/support/recording_messages.h"
#include "tests/windows/document_catcher.h"

namespace trevalune {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> pageLogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string defaultPrinter() {
    char name[512];
    DWORD size = sizeof name;
    return GetDefaultPrinterA(name, &size) ? std::string(name) : std::string("<none>");
}

class WinSpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        printer = testing::env("TREVALUNE_WINE_PRINTER");
        otherPrinter = testing::env("TREVALUNE_WINE_OTHER_PRINTER");
        pageLog = testing::env("TREVALUNE_WINE_PAGE_LOG");
        port = std::atoi(testing::env("TREVALUNE_WINE_PRINTER_PORT").c_str());
        if (printer.empty() || otherPrinter.empty() || pageLog.empty() || port <= 0) {
            GTEST_SKIP() << "needs the private print server that scripts/test-windows starts";
        }
    }

    WinSpooler spooler;
    std::string printer;
    std::string otherPrinter;
    std::string pageLog;
    int port = 0;
};

TEST_F(WinSpoolerTest, ListsTheServersQueuesAsPrinters) {
    const PrinterList list = spooler.listPrinters();
    EXPECT_EQ(list.unreachableServer, "") << "the local spooler always answers";
    const std::vector<std::string>& names = list.names;
    ASSERT_EQ(names.size(), 3u);
    EXPECT_NE(std::find(names.begin(), names.end(), printer), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), otherPrinter), names.end());
}

TEST_F(WinSpoolerTest, EveryDocumentArrivesUnchangedAndAloneInCallOrder) {
    // A document of every byte value, then some short ones; whole pages through this backend
    // are compared with the Linux program's in tests/win32/print_test.cpp.
    testing::DocumentCatcher catcher(port);
    ASSERT_TRUE(catcher.listening());
    testing::RecordingMessages messages;
    PrinterLink link(spooler, messages, messages, [this] { return printer; });
    std::vector<Bytes> documents{"", "\n", "\x1D\x56\x53", std::string(1, '\0')};
    for (int i = 0; i < 256; ++i) documents[0] += static_cast<char>(i);
    const std::size_t logged = pageLogLines(pageLog).size();

    for (const Bytes& d : documents) link.sendDocument(d);
    EXPECT_TRUE(messages.messages.empty());
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const std::optional<std::string> got = catcher.next(20s);
        ASSERT_TRUE(got.has_value()) << "document " << i << " did not arrive";
        ASSERT_EQ(*got, documents[i]) << "document " << i;
    }
    EXPECT_FALSE(catcher.next(500ms).has_value()) << "one call, one document";
    // The server logs "<job id> <job name>" when a job is done.
    std::vector<std::string> lines;
    for (int i = 0; i < 200 && lines.size() < logged + documents.size(); ++i) {
        std::this_thread::sleep_for(50ms);
        lines = pageLogLines(pageLog);
    }
    ASSERT_EQ(lines.size(), logged + documents.size());
    for (std::size_t i = logged; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].substr(lines[i].find(' ') + 1), "AAAAAA") << lines[i];
    }
}

TEST_F(WinSpoolerTest, QueuesReadAsEmptyAndAPrinterThatCannotBeOpenedIsReported) {
    // Wine passes each document on as soon as it ends, so its queues are always empty here;
    // counting is checked on CUPS and in the two-step poll's own tests.
    for (const std::string& name : {printer, std::string("No such printer"), std::string(),
                                    std::string("\xF0\x9F\x96\xA8 printer")}) {
        SCOPED_TRACE(name);
        const JobQuery jobs = spooler.queryActiveJobs(name);
        EXPECT_FALSE(jobs.anyJobs);
        EXPECT_EQ(jobs.delivered, 0);
        if (name != printer) {
            EXPECT_EQ(spooler.sendRawDocument(name, "AAAAAA", "\x0A").outcome,
                      SendResult::Outcome::NotOpened);
        }
    }
}

TEST_F(WinSpoolerTest, AQueueThatRejectsJobsBehindWineIsReportedAsFarAsWineTells) {
    const std::string rejecting = testing::env("TREVALUNE_WINE_REJECTING_PRINTER");
    if (rejecting.empty()) GTEST_SKIP() << "needs the rejecting queue of scripts/test-windows";
    testing::RecordingMessages messages;
    PrinterLink link(spooler, messages, messages, [&rejecting] { return rejecting; });
    const SendResult result = link.sendDocument("\x0A");
    // Wine spools locally and hands the job to CUPS when the document ends: EndDocPrinter
    // fails then, but with "invalid handle" (6), not with the server's reason.
    EXPECT_EQ(result.outcome, SendResult::Outcome::NotTaken);
    EXPECT_EQ(result.reason.rfind("EndDocPrinter: ", 0), 0u) << result.reason;
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{notTakenMessage(rejecting, result.reason)});
}

TEST_F(WinSpoolerTest, TheSelectedPrinterBecomesTheDefaultThatProgramsRead) {
    spooler.setDefaultPrinter(otherPrinter);
    EXPECT_EQ(defaultPrinter(), otherPrinter);
    spooler.setDefaultPrinter(printer);
    // Stored with its driver and port: a bare name leaves GetDefaultPrinter failing.
    EXPECT_EQ(defaultPrinter(), printer);

    spooler.setDefaultPrinter("No such printer");
    EXPECT_EQ(defaultPrinter(), printer);
}

}  // namespace
}  // namespace trevalune
