// The winspool backend against a real spooler: Wine's, which hands every document to the
// private CUPS server of scripts/test-windows, whose socket queue's printer is the
// DocumentCatcher here. Skips without that server.

#include <winsock2.h>  // before windows.h

#include "printer/windows/win_spooler.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "alignment/test_print.h"
#include "operations/command_panel.h"
#include "tests/face-win32/window_fixture.h"
#include "tests/support/fake_clock.h"

namespace trevalune {
namespace {

using namespace std::chrono_literals;

std::string env(const char* name) {
    return std::getenv(name) ? std::getenv(name) : "";
}

/// A socket printer inside the test: listens on 127.0.0.1:port, where the print server's
/// socket queue delivers, and reads one document per connection.
class DocumentCatcher final {
public:
    explicit DocumentCatcher(int port) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const BOOL reuse = TRUE;
        setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
                   sizeof reuse);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(u_short(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            listen(socket_, 8) != 0)
            ADD_FAILURE() << "cannot listen on port " << port;
    }
    ~DocumentCatcher() {
        closesocket(socket_);
        WSACleanup();
    }

    /// The next document, read until the sender ends the connection; none if none came in time.
    std::optional<std::string> next(std::chrono::milliseconds limit) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket_, &set);
        timeval wait{long(limit.count() / 1000), long(limit.count() % 1000 * 1000)};
        if (select(0, &set, nullptr, nullptr, &wait) != 1) return std::nullopt;
        const SOCKET connection = accept(socket_, nullptr, nullptr);
        const DWORD timeout = DWORD(limit.count());
        setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                   sizeof timeout);
        std::string document;
        char buffer[4096];
        int n = 0;
        while ((n = recv(connection, buffer, sizeof buffer, 0)) > 0)
            document.append(buffer, size_t(n));
        closesocket(connection);
        return n == 0 ? std::optional(document) : std::nullopt;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

std::vector<std::string> pageLogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class WinSpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (port <= 0) GTEST_SKIP() << "needs the print server that scripts/test-windows starts";
    }

    WinSpooler spooler;
    const std::string printer = env("TREVALUNE_WINE_PRINTER");
    const std::string otherPrinter = env("TREVALUNE_WINE_OTHER_PRINTER");
    const std::string rejecting = env("TREVALUNE_WINE_REJECTING_PRINTER");
    const std::string pageLog = env("TREVALUNE_WINE_PAGE_LOG");
    const int port = std::atoi(env("TREVALUNE_WINE_PRINTER_PORT").c_str());
};

// Wine passes each document on as soon as it ends: its queues always read as empty and idle
// (a queue cupsdisable stopped too), and a job's record is gone at once. A queue that rejects
// jobs fails only at EndDocPrinter, with "invalid handle", after every byte was written:
// whether the spooler holds it is unknown.
TEST_F(WinSpoolerTest, StatesAndOutcomes) {
    using enum SendResult::Outcome;
    const std::tuple<std::string, SendResult::Outcome, std::string> cases[] = {
        {printer, Taken, ""},  // only asked for its state and jobs
        {"No such printer", NotOpened, "OpenPrinter: "},
        {"", NotOpened, ""},
        {"\xF0\x9F\x96\xA8 printer", NotOpened, ""},  // no GBK name
        {rejecting, Unknown, "EndDocPrinter: "},
    };
    for (const auto& [name, outcome, reasonStart] : cases) {
        SCOPED_TRACE(name);
        const JobQuery jobs = spooler.queryActiveJobs(name);
        EXPECT_EQ((std::pair{jobs.anyJobs, jobs.delivered}), (std::pair{false, 0}));
        const PrinterState state = spooler.printerState(name);
        EXPECT_EQ(state.found, outcome != NotOpened);
        EXPECT_FALSE(state.needsAttention()) << state.attentionText();
        // A queue that cannot be opened cannot say what became of a job: not known. An open
        // queue keeps no record of a job that left it.
        EXPECT_EQ(spooler.jobState(name, 987654).state,
                  outcome == NotOpened ? JobState::State::Unknown : JobState::State::Gone);
        if (name == printer) continue;
        const SendResult result = spooler.sendRawDocument(name, "AAAAAA", "\x0A");
        EXPECT_EQ(result.outcome, outcome);
        EXPECT_EQ(result.jobId != 0, outcome == Unknown);
        EXPECT_EQ(result.reason.substr(0, result.reason.find(' ') + 1), reasonStart)
            << result.reason;
    }
}

TEST_F(WinSpoolerTest, ListsTheQueuesAndSetsTheDefaultThatProgramsRead) {
    const PrinterList list = spooler.listPrinters();
    EXPECT_EQ(list.unreachableServer, "") << "the local spooler always answers";
    EXPECT_EQ(std::multiset<std::string>(list.names.begin(), list.names.end()),
              (std::multiset<std::string>{printer, otherPrinter, rejecting}));
    // Stored with its driver and port: a bare name leaves GetDefaultPrinter failing. Set and
    // read in one process: a new one makes Wine reset it to the print server's default.
    for (const std::string& name : {otherPrinter, printer}) {
        spooler.setDefaultPrinter(name);
        EXPECT_EQ(spooler.defaultPrinter(), name);
    }
    spooler.setDefaultPrinter("No such printer");
    EXPECT_EQ(spooler.defaultPrinter(), printer);
}

// Every document arrives unchanged and alone, in order, under its name: some sent straight
// through the backend, then the window's for the clicks 换页, Korvel, "1b 4A 10" typed and sent,
// which must be what the builders make, as on Linux.
TEST_F(WinSpoolerTest, EveryDocumentArrivesUnchangedAndTheWindowsAsTheBuildersMakeThem) {
    std::vector<Bytes> documents{"", "\n", "\x1D\x56\x53", std::string(1, '\0')};
    for (int i = 0; i < 256; ++i) documents[0] += static_cast<char>(i);
    const std::size_t direct = documents.size();
    for (const Timeline& clicked :
         {buildPageEject(), buildAlignmentTest(centreValueOf("31")), buildManualSend(commandBoxBytes("1b 4A 10"), false)})
        for (const Bytes& d : clicked.documents()) documents.push_back(d);
    const std::size_t logged = pageLogLines(pageLog).size();

    DocumentCatcher catcher(port);
    for (std::size_t i = 0; i < direct; ++i) {
        const SendResult sent = spooler.sendRawDocument(printer, "AAAAAA", documents[i]);
        EXPECT_EQ(sent.outcome, SendResult::Outcome::Taken);
        EXPECT_EQ(spooler.jobState(printer, sent.jobId).state, JobState::State::Gone);
    }
    testing::FakeClock clock;
    testing::Win32Window window(spooler, clock);
    window.click(Control::pageEject);
    window.click(Control::alignmentTest);
    window.type(Control::commandText, L"1b 4A 10");
    window.click(Control::sendCommand);
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const auto got = catcher.next(20s);
        ASSERT_TRUE(got) << "document " << i << " did not arrive";
        EXPECT_EQ(*got, documents[i]) << "document " << i;
    }
    int extra = 0;  // taken in, so none is left for the next test's printer
    while (extra < 1000 && catcher.next(1s)) ++extra;
    EXPECT_EQ(extra, 0) << "one call, one document";
    // The server logs "<job id> <job name>" when a job is done.
    std::vector<std::string> lines;
    for (int i = 0; i < 200 && lines.size() < logged + documents.size(); ++i) {
        std::this_thread::sleep_for(50ms);
        lines = pageLogLines(pageLog);
    }
    ASSERT_EQ(lines.size(), logged + documents.size());
    for (std::size_t i = logged; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].substr(lines[i].find(' ') + 1), "AAAAAA") << lines[i];
}

// A page read in the window and its value taken: 设置单项 sends that value through the spooler.
TEST_F(WinSpoolerTest, APageReadInTheWindowItsValueTakenIsWhatSetSingleItemSends) {
    DocumentCatcher catcher(port);
    testing::FakeClock clock;
    testing::Win32Window window(spooler, clock);
    testing::dropFile(window.main(), testing::testPage("super-high-density-39.png"));
    window.pump();
    ASSERT_NE(window.face.reading()->window(), nullptr);
    SendMessageW(FindWindowExW(window.face.reading()->window(), nullptr, L"Button", nullptr),
                 BM_CLICK, 0, 0);
    window.pump();
    window.click(Control::setSingleItem);
    for (int i = 0; i < 60; ++i) {
        const auto got = catcher.next(20s);
        ASSERT_TRUE(got) << "document " << i << " did not arrive";
        if (i == 0) {
            EXPECT_EQ(*got, std::string("\x1B\x01\x40QV627\x0C\x27\x00\n\n", 13));
        }
    }
    EXPECT_FALSE(catcher.next(1s)) << "set 39 for super-high density and its rows, nothing more";
}

}  // namespace
}  // namespace trevalune
