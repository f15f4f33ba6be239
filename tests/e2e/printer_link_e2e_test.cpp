// The three senders through the real CUPS spooler to the virtual printer.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "printer/bytes.h"
#include "printer/gbk.h"
#include "tests/e2e/e2e_fixture.h"

namespace trevalune::e2e {
namespace {

using Message = testing::RecordingMessages::Message;
using PrinterLinkE2eTest = PrintServerTest;

TEST_F(PrinterLinkE2eTest, EverySenderDeliversItsBytesUnchangedToTheSelectedPrinter) {
    std::string allBytes, file(200 * 1024, '\0');
    for (int v = 0; v < 256; ++v) allBytes.push_back(static_cast<char>(v));
    unsigned seed = 7;  // reproducible bytes of every value, so a changed or dropped byte shows
    for (char& b : file) b = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    const std::string gbkLine = "高速 ABC\n";

    link.SendHexToPrinter("1D5653");
    link.SendTextToPrinter(allBytes, 256);
    selected = server.fileQueue;  // read at every call
    link.SendHexToPrinter("0A");
    selected = server.virtualQueue;
    link.SendTextToPrinter(toGbk(gbkLine), CharacterLen(gbkLine));
    link.SendTextToPrinter("ABCDEF", 2);  // the count, not a terminator, delimits the data
    link.SendBytesToPrinter(file, static_cast<int>(file.size()));

    EXPECT_TRUE(messages.messages.empty());
    expectDelivered({bytesOf({0x1D, 0x56, 0x53}), allBytes,
                     bytesOf({0xB8, 0xDF, 0xCB, 0xD9, ' ', 'A', 'B', 'C', '\n'}), "AB", file});
    ASSERT_TRUE(waitUntilIdle(server.fileQueue));
    const auto office = jobsAfter(server.fileQueue, jobsBefore);
    ASSERT_EQ(office.size(), 1u);
    EXPECT_EQ(office[0].title, "AAAAAA");
    for (const JobRecord& job : jobsAfter("", jobsBefore)) EXPECT_EQ(job.state, "completed");
}

TEST_F(PrinterLinkE2eTest, UnknownPrinterCostsOneMessagePerCallAndQueuesNothing) {
    for (const char* name : {"NoSuchPrinter", ""}) {
        selected = name;
        link.SendHexToPrinter("1D5653");
        link.SendTextToPrinter("AB", 2);
        link.SendBytesToPrinter(bytesOf({0x00, 0xFF}), 2);
    }
    EXPECT_EQ(
        messages.messages,
        std::vector<Message>(6, {"The Printer Name you typed wasn't recognized.", "Trevalune"}));
    // No job was created anywhere, so nothing can reach a printer later either.
    EXPECT_EQ(lastJobId(), jobsBefore);
    EXPECT_TRUE(printer.documents().empty());
}

TEST_F(PrinterLinkE2eTest, AServerThatIsDownOrNeverAnswersCostsAMessagePerCallNotAHang) {
    for (const bool answersNever : {false, true}) {
        SCOPED_TRACE(answersNever ? "a server that never answers" : "a server that is down");
        // A loopback port that refuses connections (bound, then closed), or one that accepts
        // them (the kernel completes them) but never reads or answers.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
        ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
        ASSERT_EQ(answersNever ? ::listen(fd, 8) : ::close(fd), 0);
        useCupsServer("127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
        CupsSpooler down(answersNever ? 500 : 2000);
        PrinterLink downLink(down, messages, [this] { return selected; });

        messages.messages.clear();
        std::vector<double> took;  // ms
        const auto timed = [&took](auto call) {
            const auto start = std::chrono::steady_clock::now();
            call();
            took.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        };
        timed([&] { downLink.SendHexToPrinter("0A"); });
        timed([&] { downLink.SendTextToPrinter("AB", 2); });
        timed([&] { downLink.SendBytesToPrinter("AB", 2); });
        timed([&] {
            EXPECT_TRUE(down.printerNames().empty());
            EXPECT_FALSE(down.queryActiveJobs(selected).anyJobs);
        });
        if (answersNever) ::close(fd);
        EXPECT_EQ(messages.texts(),
                  std::vector<std::string>(3, std::string(kPrinterNotFoundMessage)));
        // A request costs at most twice the timeout (the wait for "100 Continue", then the
        // answer), and a query makes a few; libcups' own default is a minute per request.
        for (std::size_t i = 0; i < 3; ++i) EXPECT_LT(took[i], 2500) << "send " << i + 1;
        EXPECT_LT(took[3], 6000) << "printer list and job query";
    }
    server.useCupsServer();
    EXPECT_EQ(lastJobId(), jobsBefore);
    EXPECT_TRUE(printer.documents().empty());
}

}  // namespace
}  // namespace trevalune::e2e
