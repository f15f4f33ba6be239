#include "pintest/pin_test_runs.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "pintest/pin_line.h"
#include "pintest/pin_pages.h"
#include "printer/gbk.h"
#include "printer/hex_text.h"
#include "printer/printer_link.h"
#include "printer/recording_spooler.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_messages.h"

namespace trevalune {
namespace {

using Message = testing::RecordingMessages::Message;

std::vector<std::size_t> sizes(const std::vector<Bytes>& docs) {
    std::vector<std::size_t> out;
    for (const Bytes& d : docs) out.push_back(d.size());
    return out;
}

class PinTestRun : public ::testing::Test {
protected:
    RecordingSpooler spooler{{"Office1", "RZ7-virtual"}};
    testing::RecordingMessages messages;
    testing::FakeClock clock;
    std::string selected = "RZ7-virtual";
    PrinterLink link{spooler, messages, [this] { return selected; }};

    void runPinTest() {
        runPinTestSequence(buildPinTestSequence(clock.now()), link, clock, messages);
    }
    void runThreeDensity() {
        runPinTestSequence(buildThreeDensitySequence(), link, clock, messages);
    }
};

TEST_F(PinTestRun, PinTestSendsSeventeenDocumentsInPageOrder) {
    runPinTest();
    const std::vector<Bytes> docs = spooler.payloads();
    const std::vector<std::size_t> expected = {206,  2887, 2887, 2887, 118,  2887, 2887, 2887, 118,
                                               2887, 2887, 2887, 23,   2886, 1,    3,    3};
    EXPECT_EQ(sizes(docs), expected);
    ASSERT_EQ(docs.size(), 17u);

    std::vector<Bytes> pages = PrintPinTestHeader({2026, 12, 5, 9, 5, 3}).documents();
    for (const Timeline& t :
         {PrintPinTestAscending(), PrintPinTestDescending(), PrintBurnInSample()}) {
        for (const Bytes& d : t.documents()) pages.push_back(d);
    }
    EXPECT_EQ(docs, pages);
    for (const auto& d : spooler.documents) {
        EXPECT_EQ(d.printer, "RZ7-virtual");
        EXPECT_EQ(d.name, "AAAAAA");
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(clock.waits.empty());
}

TEST_F(PinTestRun, HeaderCarriesTheTimeOfTheClick) {
    clock.current = {2027, 3, 14, 15, 9, 26};
    runPinTest();
    ASSERT_FALSE(spooler.documents.empty());
    EXPECT_NE(spooler.documents[0].data.find("2027-03-14    15:09:26\n"), std::string::npos);
}

TEST_F(PinTestRun, ThreeDensityPrintsEveryModeInOrderThenFeeds) {
    runThreeDensity();
    const std::vector<Bytes> docs = spooler.payloads();
    const std::vector<std::size_t> expected = {118, 2887, 146, 3751, 206, 5767, 3};
    ASSERT_EQ(sizes(docs), expected);

    struct Mode {
        int modeByte;
        const char* title;
        std::string_view ruler;
        int width;
    };
    const Mode modes[] = {{0x0A, "高速针测试效果", kAscendingRuler, 90},
                          {0x0B, "高密针测试效果", kHighDensityRuler, 117},
                          {0x0C, "超高密针测试效果", kSuperHighDensityRuler, 180}};
    for (std::size_t i = 0; i < 3; ++i) {
        const Mode& m = modes[i];
        EXPECT_EQ(docs[2 * i], bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, m.modeByte,
                                        0xFF, 0xFF, 0x0A, 0x0A, 0x0A}) +
                                   toGbk(m.title) + "\n" + std::string(m.ruler) + "\n");
        EXPECT_EQ(docs[2 * i + 1], hexTextToBytes(BuildPinTestLine(m.width, PinOrder::Ascending)));
    }
    EXPECT_EQ(docs[6], bytesOf({0x1B, 0x4A, 0x50}));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(PinTestRun, UnknownPrinterCostsOneMessagePerDocumentAndTheRunGoesOn) {
    selected = "No such printer";
    runPinTest();
    EXPECT_EQ(messages.messages.size(), 17u);
    runThreeDensity();
    EXPECT_EQ(messages.messages.size(), 17u + 7u);
    for (const Message& m : messages.messages) {
        EXPECT_EQ(m, (Message{"The Printer Name you typed wasn't recognized.", "Trevalune"}));
    }
    EXPECT_TRUE(spooler.documents.empty());
}

TEST_F(PinTestRun, PageThatFailsToBuildSendsNothingAndTheNextPageFollows) {
    std::vector<PinTestPage> pages = buildPinTestSequence(clock.now());
    pages[1] = buildPinTestPage("PrintPinTestAscending", []() -> Timeline {
        Timeline half;
        half.text("never sent");
        half.hex(BuildPinTestLine(100, PinOrder::Ascending));  // refused
        return half;
    });
    ASSERT_TRUE(pages[1].failed());
    EXPECT_EQ(pages[1].timeline.documentCount(), 0u);

    runPinTestSequence(pages, link, clock, messages);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "错误提示");
    EXPECT_EQ(messages.messages[0].text, *pages[1].error);
    EXPECT_FALSE(messages.messages[0].text.empty());

    const std::vector<std::size_t> expected = {206,  2887, 2887, 2887, 118, 2887, 2887,
                                               2887, 23,   2886, 1,    3,   3};
    EXPECT_EQ(sizes(spooler.payloads()), expected);
    EXPECT_EQ(spooler.payloads()[4], PrintPinTestDescending().documents()[0]);
}

TEST_F(PinTestRun, FailureWhileSendingEndsOnlyThatPage) {
    int sent = 0;
    spooler.onDocument = [&sent](const RecordingSpooler::Document&) {
        if (++sent == 6) throw std::runtime_error("spooler broke");  // 2nd ascending document
    };
    runPinTest();
    EXPECT_EQ(messages.messages, (std::vector<Message>{{"spooler broke", "错误提示"}}));
    // Header (4), ascending up to the failure (2), then descending (4) and burn-in (5).
    EXPECT_EQ(spooler.documents.size(), 15u);
    EXPECT_EQ(spooler.payloads()[6], PrintPinTestDescending().documents()[0]);
}

}  // namespace
}  // namespace trevalune
