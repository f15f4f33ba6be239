// The three senders through the real CUPS spooler to the virtual printer.

#include <gmock/gmock.h>
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

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::SizeIs;

std::string allByteValues() {
    std::string bytes;
    for (int v = 0; v < 256; ++v) bytes.push_back(static_cast<char>(v));
    return bytes;
}

/// Reproducible bytes that cover every value, so a changed or dropped byte shows.
std::string patternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 16);
    }
    return bytes;
}

std::vector<std::string> states(const std::vector<JobRecord>& jobs) {
    std::vector<std::string> out;
    for (const auto& j : jobs) out.push_back(j.state);
    return out;
}

using PrinterLinkE2eTest = PrintServerTest;

TEST_F(PrinterLinkE2eTest, EverySenderDeliversItsBytesUnchangedAsOneDocumentNamedAAAAAA) {
    const std::string gbkLine = "高速 ABC\n";
    const Bytes fileBytes = patternBytes(200 * 1024, 7) + bytesOf({0x00, 0xFF});
    const Bytes withZero = bytesOf({0x1B, 0x3A, 0x00, 0x00, 0x50});

    link.SendHexToPrinter("1D5653");
    link.SendHexToPrinter("1b4a10");
    link.SendHexToPrinter("1B 4A 10");  // read in two-character fields, blanks included
    link.SendTextToPrinter(allByteValues(), 256);
    link.SendTextToPrinter(toGbk(gbkLine), CharacterLen(gbkLine));
    link.SendTextToPrinter(withZero, 5);
    link.SendTextToPrinter(bytesOf({0x00}), 1);
    link.SendTextToPrinter(bytesOf({0xFF}), 1);
    link.SendTextToPrinter("ABCDEF", 2);
    link.SendBytesToPrinter(fileBytes, static_cast<int>(fileBytes.size()));

    const std::vector<std::string> expected = {
        bytesOf({0x1D, 0x56, 0x53}),
        bytesOf({0x1B, 0x4A, 0x10}),
        bytesOf({0x1B, 0x04, 0x0A, 0x10}),
        allByteValues(),
        bytesOf({0xB8, 0xDF, 0xCB, 0xD9, ' ', 'A', 'B', 'C', '\n'}),
        withZero,
        bytesOf({0x00}),
        bytesOf({0xFF}),
        "AB",
        fileBytes,
    };
    EXPECT_TRUE(messages.messages.empty());
    printer.waitForDocuments(expected.size());
    // Once every job has finished nothing more can arrive: the count is final, so a split
    // document shows as an extra one and merged documents as a missing one.
    ASSERT_TRUE(waitUntilIdle(server.virtualQueue));
    const auto received = printer.documents();
    ASSERT_EQ(received.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(received[i], expected[i])
            << "document " << i << ": got " << received[i].size() << " bytes, starting "
            << toSpacedHex(received[i].substr(0, 16));
    }

    const auto jobs = jobsAfter(server.virtualQueue, jobsBefore);
    ASSERT_THAT(jobs, SizeIs(expected.size()));
    EXPECT_THAT(jobTitlesAfter(server.virtualQueue, jobsBefore), Each(std::string("AAAAAA")));
    EXPECT_THAT(states(jobs), Each(std::string("completed")));
}

TEST_F(PrinterLinkE2eTest, ManySmallDocumentsArriveInCallOrder) {
    std::vector<std::string> expected;
    for (int i = 0; i < 60; ++i) {
        // The index leads every document, sizes vary from one byte to a few KiB.
        std::string doc(1, static_cast<char>(i));
        doc += patternBytes(static_cast<std::size_t>((i * 97) % 4000), static_cast<unsigned>(i));
        expected.push_back(doc);
        if (i % 3 == 0) {
            link.SendHexToPrinter(toHexText(doc));
        } else {
            link.SendTextToPrinter(doc, static_cast<int>(doc.size()));
        }
    }
    printer.waitForDocuments(expected.size());
    ASSERT_TRUE(waitUntilIdle(server.virtualQueue));
    const auto received = printer.documents();
    ASSERT_EQ(received.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(received[i], expected[i])
            << "document " << i << " of " << expected.size() << " (first byte "
            << toSpacedHex(received[i].substr(0, 1)) << ")";
    }
    EXPECT_EQ(jobTitlesAfter(server.virtualQueue, jobsBefore),
              std::vector<std::string>(expected.size(), "AAAAAA"));
}

TEST_F(PrinterLinkE2eTest, UnknownPrinterCostsOneMessagePerCallAndQueuesNothing) {
    for (const char* name : {"NoSuchPrinter", "RZ7-virtual-gone", ""}) {
        SCOPED_TRACE(std::string("printer '") + name + "'");
        selected = name;
        messages.messages.clear();
        link.SendHexToPrinter("1D5653");
        link.SendTextToPrinter("AB", 2);
        link.SendBytesToPrinter(bytesOf({0x00, 0xFF}), 2);
        ASSERT_EQ(messages.messages.size(), 3u);
        for (const auto& m : messages.messages) {
            EXPECT_EQ(m.text, "The Printer Name you typed wasn't recognized.");
            EXPECT_EQ(m.title, "Trevalune");
        }
    }
    // No job was created anywhere, so nothing can reach a printer later either.
    EXPECT_EQ(lastJobId(), jobsBefore);
    EXPECT_TRUE(printer.documents().empty());
}

/// A loopback port on which nothing listens: bound once by us, then released.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

/// Sends through every sender and returns how long each call took, in milliseconds.
std::vector<long> timedSends(PrinterLink& link) {
    std::vector<long> took;
    auto timed = [&took](auto send) {
        const auto start = std::chrono::steady_clock::now();
        send();
        took.push_back(static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - start)
                                             .count()));
    };
    timed([&] { link.SendHexToPrinter("0A"); });
    timed([&] { link.SendTextToPrinter("AB", 2); });
    timed([&] { link.SendBytesToPrinter("AB", 2); });
    return took;
}

TEST_F(PrinterLinkE2eTest, ServerDownIsReportedPerCallWithinTheTimeout) {
    useCupsServer("127.0.0.1:" + std::to_string(closedPort()));
    CupsSpooler down(2000);
    PrinterLink downLink(down, messages, [this] { return selected; });

    const auto took = timedSends(downLink);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>(3, "The Printer Name you typed wasn't recognized."));
    // A refused connection is known at once; the timeout is the outer bound.
    for (const long ms : took)
        EXPECT_LT(ms, 2500) << "a send to a closed port took " << ms << " ms";
    EXPECT_TRUE(down.printerNames().empty());
    EXPECT_FALSE(down.queryActiveJobs(selected).anyJobs);

    server.useCupsServer();
    EXPECT_EQ(lastJobId(), jobsBefore);
    EXPECT_TRUE(printer.documents().empty());
}

TEST_F(PrinterLinkE2eTest, ServerThatNeverAnswersCostsTheTimeoutNotAHang) {
    // Accepts connections (the kernel completes them) but never reads or answers.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 8), 0);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    useCupsServer("127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    CupsSpooler silent(500);
    PrinterLink silentLink(silent, messages, [this] { return selected; });

    const auto took = timedSends(silentLink);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(silent.printerNames().empty());
    EXPECT_FALSE(silent.queryActiveJobs(selected).anyJobs);
    const auto queries = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    ::close(fd);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>(3, "The Printer Name you typed wasn't recognized."));
    // A request costs at most twice the timeout (the wait for "100 Continue", then the
    // answer), and a query makes a few; libcups' own default is a minute per request.
    for (const long ms : took)
        EXPECT_LT(ms, 2500) << "a send to a silent server took " << ms << " ms";
    EXPECT_LT(queries.count(), 6000)
        << "printer list and job query took " << queries.count() << " ms";
}

}  // namespace
}  // namespace trevalune::e2e
