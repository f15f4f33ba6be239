// The real CUPS spooler and the printer link against the private server: unknown printers,
// servers that are silent or gone, documents refused, the job count. (What arrives from the
// window is pinned by the window's end-to-end tests.)
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "printer/bytes.h"
#include "tests/e2e/e2e_fixture.h"

namespace trevalune::e2e {
namespace {

using PrinterLinkE2eTest = PrintServerTest;
using SpoolerE2eTest = PrintServerTest;

// A server that refuses connections is the window's fault test with cupsd stopped; here one
// that accepts them (the kernel completes them) but never reads or answers.
TEST_F(PrinterLinkE2eTest, AServerThatNeverAnswersCostsAMessagePerCallNotAHang) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ASSERT_EQ(::listen(fd, 8), 0);
    const std::string silent = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    useCupsServer(silent);
    CupsSpooler down(500);
    LinkMessages downSaid(messages, messages);
    PrinterLink downLink(down, downSaid, [this] { return selected; });

    // A request costs at most twice the timeout (the wait for "100 Continue", then the
    // answer), and a query makes a few; libcups' own default is a minute per request.
    const auto start = std::chrono::steady_clock::now();
    downLink.sendDocument("\n");
    downLink.sendDocument("AB");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(down.listPrinters().names, std::vector<std::string>{});
    EXPECT_FALSE(down.queryActiveJobs(selected).anyJobs);
    // The list names the server that failed, so start-up can say where to look.
    EXPECT_EQ(down.listPrinters().unreachableServer, silent);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(11));
    // Past the second libcups gives "100 Continue" before it sends a body anyway, the document
    // still waits for the server's word: what the server never invited it never holds.
    EXPECT_EQ(CupsSpooler(1500).sendRawDocument(selected, "AAAAAA", "AB").outcome,
              SendResult::Outcome::NotOpened);
    std::string arrived;
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    for (int peer; (peer = ::accept(fd, nullptr, nullptr)) >= 0; ::close(peer)) {
        char part[4096];
        for (ssize_t n; (n = ::recv(peer, part, sizeof part, MSG_DONTWAIT)) > 0;) {
            arrived.append(part, static_cast<std::size_t>(n));
        }
    }
    EXPECT_NE(arrived.find("POST /printers/RZ7-virtual"), std::string::npos);
    EXPECT_EQ(arrived.find("AB"), std::string::npos) << "the document went out uninvited";
    ::close(fd);
    EXPECT_EQ(messages.texts(), std::vector<std::string>(2, std::string(kPrinterNotFoundMessage)));
    // The support line says why: the server was silent, not the printer unknown.
    EXPECT_EQ(
        messages.diagnostics.at(0),
        "printer \"RZ7-virtual\", document 1: not opened: no answer within 0.5 s from " + silent);
    server.useCupsServer();
    EXPECT_EQ(lastJobId(), jobsBefore);
}

/// A link over a private server's queue, recording what it says.
struct PrivateLink {
    explicit PrivateLink(const std::string& maxRequestSize = {}) : ps(maxRequestSize) {}
    PrivatePrintServer ps;
    const std::string queue = ps.server().virtualQueue;
    VirtualPrinter printer{ps.server().printerOutput};
    CupsSpooler spooler{1000};
    testing::RecordingMessages messages;
    LinkMessages said{messages, messages};
    PrinterLink link{spooler, said, [this] { return queue; }};

    /// A thread that runs `fault` once the server has spooled `bytes` of a document (30 s at
    /// most): the fault then comes at a known point of the transfer.
    std::jthread onceSpooled(std::uintmax_t bytes, std::function<void()> fault) {
        return std::jthread([this, bytes, fault] {
            const auto spool = std::filesystem::path(ps.server().values.at("CUPS_DIR")) / "spool";
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (std::chrono::steady_clock::now() < limit) {
                for (const auto& entry : std::filesystem::directory_iterator(spool)) {
                    std::error_code ignored;
                    if (entry.file_size(ignored) >= bytes) return fault();
                }
            }
        });
    }
};

TEST(DocumentNotTakenE2eTest, AWriteTheServerCutsShortIsSaidWithItsReasonAndLeavesNoJob) {
    PrivateLink p("1m");
    const SendResult big = p.link.sendDocument(std::string(3 << 20, '\x1B')).result;
    EXPECT_EQ(big.outcome, SendResult::Outcome::NotTaken);
    // The server's answer, or, when the write ran into the connection it had closed and its
    // answer was lost with it, that.
    EXPECT_THAT(big.reason,
                ::testing::AnyOf("Request Entity Too Large",
                                 ::testing::StartsWith("the server closed the connection before "
                                                       "the document was complete")));
    EXPECT_TRUE(p.link.sendDocument("\n").result.isTaken());  // the next document goes as usual
    EXPECT_EQ(p.messages.texts(), std::vector<std::string>{notTakenMessage(p.queue, big.reason)});
    EXPECT_EQ(
        p.messages.diagnostics,
        std::vector<std::string>{"printer \"RZ7-virtual\", document 1: not taken: " + big.reason});
    ASSERT_TRUE(waitUntilIdle(p.queue));
    EXPECT_EQ(p.printer.documents(), std::vector<std::string>{"\n"});
    // Half a document never becomes a job.
    EXPECT_EQ(jobs(p.queue).size(), 1u);
}

TEST(DocumentNotTakenE2eTest, CupsdEndingInTheMiddleOfADocumentIsSaidAndTheNextCannotOpen) {
    PrivateLink p;
    // The server has taken a part of the document into its spool folder: end it there.
    std::jthread crash = p.onceSpooled(1u << 20, [&] { p.ps.killCupsd(); });
    const SendResult cut = p.link.sendDocument(std::string(256 << 20, 'A')).result;
    crash.join();
    EXPECT_EQ(cut.outcome, SendResult::Outcome::NotTaken);
    EXPECT_FALSE(cut.reason.empty());
    EXPECT_EQ(p.link.sendDocument("\n").result.outcome, SendResult::Outcome::NotOpened);
    EXPECT_EQ(p.messages.texts(), (std::vector<std::string>{notTakenMessage(p.queue, cut.reason),
                                                            std::string(kPrinterNotFoundMessage)}));
    EXPECT_TRUE(p.printer.documents().empty());
}

// The server stopped once it has the document's bytes (all but the last 2 MiB, which the
// socket's buffers take): every byte is written, no answer comes. The queue may well hold the
// document, and does: it prints whole, as a job of its own, once the server runs again.
TEST(DocumentUnknownE2eTest, AServerStoppedAfterTheLastByteIsUnknownWithItsJobLeftToPrint) {
    PrivateLink p;
    const std::string document(16 << 20, '\x1B');
    std::jthread freeze = p.onceSpooled(document.size() - (2u << 20), [&] { p.ps.freezeCupsd(); });
    const SendResult sent = p.spooler.sendRawDocument(p.queue, "AAAAAA", document);
    freeze.join();
    EXPECT_EQ(sent.outcome, SendResult::Outcome::Unknown);
    EXPECT_EQ(sent.reason, "no answer within 1 s from " + p.ps.server().cupsServer);
    p.ps.thawCupsd();
    EXPECT_TRUE(p.printer.waitForDocuments(1, std::chrono::seconds(30)) ==
                std::vector<std::string>{document});
    ASSERT_TRUE(waitUntilIdle(p.queue));
    const auto all = jobs(p.queue);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].state, "completed");
    EXPECT_EQ(sent.jobId, 0) << "its id was in the answer that never came";
}

TEST(PrinterListE2eTest, AServerWithoutPrintersAnswersWithAnEmptyList) {
    PrivatePrintServer ps;
    int code = -1;
    EXPECT_EQ(runCommand("lpadmin -x " + ps.server().virtualQueue + " && lpadmin -x " +
                             ps.server().fileQueue + " 2>&1",
                         &code),
              "");
    ASSERT_EQ(code, 0);
    const PrinterList list = CupsSpooler().listPrinters();
    EXPECT_EQ(list.names, std::vector<std::string>{});
    EXPECT_EQ(list.unreachableServer, "") << "an empty server is not a silent one";
}

// CUPS refuses a document without data after its job was created: the document is not taken,
// and the job is taken back so the job monitor does not wait for a job that can never print.
TEST_F(SpoolerE2eTest, ActiveJobsAreSeenOnAStoppedQueueOnlyAndNoneAfterItDrains) {
    const std::string& queue = server.virtualQueue;
    stopQueue(queue);
    QueueRestart restart{queue};
    const std::vector<std::string> sent{bytesOf({0x1D, 0x56, 0x53}), bytesOf({0x00, 0xFF}), "\n"};
    for (const std::string& d : sent) link.sendDocument(d);
    EXPECT_EQ(spooler.queryActiveJobs(queue).delivered, 3);
    for (const std::string& other : {server.fileQueue, std::string("NoSuchPrinter")}) {
        EXPECT_FALSE(spooler.queryActiveJobs(other).anyJobs) << other;
    }
    EXPECT_TRUE(printer.documents().empty()) << "a stopped queue let a document through";
    startQueue(queue);
    expectDelivered(sent);
    EXPECT_FALSE(spooler.queryActiveJobs(queue).anyJobs);
}

TEST_F(SpoolerE2eTest, ADocumentTheServerRefusesIsSaidWithItsReasonAndLeavesNoJobBehind) {
    const SendResult empty = link.sendDocument("").result;
    EXPECT_EQ(empty.outcome, SendResult::Outcome::NotTaken);
    link.sendDocument("\n");
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{notTakenMessage(server.virtualQueue, empty.reason)});
    ASSERT_TRUE(waitUntilIdle(server.virtualQueue));
    EXPECT_EQ(printer.documents(), std::vector<std::string>{"\n"});
    EXPECT_FALSE(spooler.queryActiveJobs(server.virtualQueue).anyJobs);
}

}  // namespace
}  // namespace trevalune::e2e
