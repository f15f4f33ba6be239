// The pin test pages, byte for byte, and how a run goes on after a page that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "pintest/pin_line.h"
#include "pintest/pin_pages.h"
#include "pintest/pin_test_runs.h"
#include "printer/gbk.h"
#include "printer/hex_text.h"
#include "printer/link_messages.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_messages.h"
#include "tests/support/recording_spooler.h"
#include "tests/support/timeline_print.h"

namespace trevalune {
namespace {

const Bytes kHighSpeedHead = bytesOf({0x1B, 0x2A, 0x01, 0x40, 0x0B});

// Every data byte of every width and order: each pin's block and the same block of the other
// half. Odd widths (117) end each block on a dot.
TEST(PinTestLine, EveryPinPrintsOnlyInItsOwnBlockWithItsOwnBit) {
    // Pin, half (0 first, 1 second) and bit, written out as the head is wired.
    const int wiring[17][2] = {{},        {1, 0x80}, {0, 0x80}, {1, 0x40}, {0, 0x40}, {1, 0x20},
                               {0, 0x20}, {1, 0x10}, {0, 0x10}, {1, 0x08}, {0, 0x08}, {1, 0x04},
                               {0, 0x04}, {1, 0x02}, {0, 0x02}, {1, 0x01}, {0, 0x01}};
    // Width, the column count's two bytes, the line's size.
    const std::array<int, 4> frames[] = {
        {90, 0x40, 0x0B, 2887}, {117, 0xA0, 0x0E, 3751}, {180, 0x80, 0x16, 5767}};
    for (const auto& [width, countLow, countHigh, size] : frames) {
        for (const PinOrder order : {PinOrder::Ascending, PinOrder::Descending}) {
            SCOPED_TRACE(width);
            const Bytes line = hexTextToBytes(buildPinTestLine(width, order));
            ASSERT_EQ(line.size(), static_cast<std::size_t>(size));
            EXPECT_EQ(line.substr(0, 5), bytesOf({0x1B, 0x2A, 0x01, countLow, countHigh}));
            EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
            const auto data = [&](int n) { return static_cast<unsigned char>(line[4 + n]); };
            for (int pin = 1; pin <= 16; ++pin) {
                const int block = order == PinOrder::Ascending ? pin : 17 - pin;
                const int start = wiring[pin][0] * 16 * width + (block - 1) * width + 1;
                const int other = (1 - wiring[pin][0]) * 16 * width + (block - 1) * width + 1;
                for (int c = 0; c < width; ++c) {
                    ASSERT_EQ(data(start + c), c % 2 == 0 ? wiring[pin][1] : 0x00)
                        << "pin " << pin << " column " << c + 1;
                    ASSERT_EQ(data(other + c), 0x00) << "pin " << pin << " column " << c + 1;
                }
            }
        }
    }
    for (const int pin : {0, 17}) EXPECT_THROW(pinMask(pin), std::invalid_argument) << pin;
    for (const int width : {0, -90, 1, 89, 91, 116, 118, 179, 181, 360})
        EXPECT_THROW(buildPinTestLine(width, PinOrder::Ascending), std::invalid_argument) << width;
}

TEST(CheckerLine, GroupsAndMargins) {
    // Four groups of 180 columns with dots on every second one, between blank margins.
    Bytes data(2880, '\0');
    for (const auto& [from, value] :
         {std::pair{541, 0xAA}, {901, 0x55}, {1801, 0xAA}, {2161, 0x55}})
        for (int n = from; n < from + 180; n += 2) data[n - 1] = static_cast<char>(value);
    EXPECT_EQ(hexTextToBytes(buildCheckerLine()), kHighSpeedHead + data + "\r\n");
}

TEST(BurnInLine, BandsInBothHalvesAndCarriageReturnOnly) {
    Bytes half(1440, '\0');
    for (const auto& [from, to] : {std::pair{1, 199}, {400, 600}, {800, 1000}, {1200, 1400}})
        std::fill(half.begin() + from - 1, half.begin() + to, '\xFF');
    EXPECT_EQ(hexTextToBytes(buildBurnInLine()), kHighSpeedHead + half + half + "\r");
}

const Bytes kCommandHead = bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, 0x0A, 0xFF});

TEST(PinTestHeader, TextDocumentIs206BytesThenThreeCheckerLines) {
    const std::string indent(29, ' ');
    const Bytes checker = hexTextToBytes(buildCheckerLine());
    EXPECT_EQ(buildPinTestHeader({2026, 12, 5, 9, 5, 3}).documents(),
              (std::vector<Bytes>{kCommandHead + bytesOf({0xFF, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A}) +
                                      toGbk(indent + "测试时间：2026-12-05    09:05:03\n" + indent +
                                            "测试人员:无\n" + indent + "条码编号:无\n\n" + indent +
                                            "高速针测试效果\n\n"),
                                  checker, checker, checker}));
}

// The high-speed pages; the three-density run is a page of one line per mode, then a feed.
TEST(PinTestPages, TitleAndRulerThenTheLinesOfEachPage) {
    const Timeline three = buildThreeDensityPinTest();
    // The run, the page's first document and its lines, mode, title, ruler, width, order.
    const std::tuple<Timeline, std::size_t, std::size_t, int, const char*, std::string_view, int,
                     PinOrder>
        cases[] = {
            {buildPinTestAscending(), 0, 3, 0x0A, "高速", kAscendingRuler, 90, PinOrder::Ascending},
            {buildPinTestDescending(), 0, 3, 0x0A, "高速", kDescendingRuler, 90,
             PinOrder::Descending},
            {three, 0, 1, 0x0A, "高速", kAscendingRuler, 90, PinOrder::Ascending},
            {three, 2, 1, 0x0B, "高密", kHighDensityRuler, 117, PinOrder::Ascending},
            {three, 4, 1, 0x0C, "超高密", kSuperHighDensityRuler, 180, PinOrder::Ascending},
        };
    for (const auto& [run, at, lines, mode, title, ruler, width, order] : cases) {
        SCOPED_TRACE(at + width);
        const std::vector<Bytes> docs = run.documents();
        ASSERT_EQ(docs.size(), lines == 3 ? 4u : 7u);
        EXPECT_EQ(docs[at],
                  kCommandHead.substr(0, 8) + bytesOf({mode, 0xFF, 0xFF, 0x0A, 0x0A, 0x0A}) +
                      toGbk(std::string(title) + "针测试效果\n") + std::string(ruler) + "\n");
        for (std::size_t i = 1; i <= lines; ++i)
            EXPECT_EQ(docs[at + i], hexTextToBytes(buildPinTestLine(width, order)));
    }
    EXPECT_EQ(three.documents().back(), bytesOf({0x1B, 0x4A, 0x50}));
}

TEST(PinTestPages, RulerLabelsSitAtTheirSpacing) {
    // The blanks before each label as hex digits; only the descending ruler counts down.
    const std::pair<std::string_view, std::string_view> cases[] = {
        {kAscendingRuler, "2545554544434443"},
        {kDescendingRuler, "2334443544555554"},
        {kHighDensityRuler, "3766767766666554"},
        {kSuperHighDensityRuler, "5aaaaabaaaaa9998"},
    };
    for (const auto& [ruler, gaps] : cases) {
        std::string expected;
        for (int i = 0; i < 16; ++i) {
            expected += std::string(std::stoul(std::string(1, gaps[i]), nullptr, 16), ' ') +
                        std::to_string(ruler == kDescendingRuler ? 16 - i : i + 1);
        }
        EXPECT_EQ(ruler, expected);
    }
}

TEST(BurnInPage, FiveDocumentsEndingInAForwardAndBackStep) {
    EXPECT_EQ(buildBurnInSample().documents(),
              (std::vector<Bytes>{kCommandHead + bytesOf({0xFF, 0x0A, 0x0A, 0xC0, 0xCF, 0xBB, 0xAF,
                                                          0xD1, 0xF9, 0xD5, 0xC5, 0x0A, 0x0A}),
                                  hexTextToBytes(buildBurnInLine()), "\n",
                                  bytesOf({0x1B, 0x4A, 0x10}), bytesOf({0x1B, 0x6A, 0x10})}));
}

TEST(PinTestRun, APageRefusedEndsOnlyThatPageAndAFaultOfTheProgramLeavesTheRun) {
    RecordingSpooler spooler{{"RZ7-virtual"}};
    testing::RecordingMessages messages;
    testing::FakeClock clock;
    LinkMessages said{messages, messages};
    PrinterLink link{spooler, said, [] { return std::string("RZ7-virtual"); }};
    std::vector<PinTestPage> pages = buildPinTestSequence(clock.now());
    pages[1].build = []() -> Timeline {
        Timeline half;
        half.text("never sent");
        throw Refusal("page refused", "page refused");
    };
    runPinTestSequence(pages, link, clock, messages);
    EXPECT_EQ(messages.messages,
              (std::vector<testing::RecordingMessages::Message>{{"page refused", "错误提示"}}));
    // Header (4), then descending (4) and burn-in (5).
    ASSERT_EQ(spooler.documents.size(), 13u);
    EXPECT_EQ(spooler.payloads()[4], buildPinTestDescending().documents()[0]);

    spooler.documents.clear();
    messages.messages.clear();
    int sent = 0;
    spooler.onDocument = [&sent](const RecordingSpooler::Document&) {
        if (++sent == 6) throw std::runtime_error("spooler broke");  // 2nd ascending document
    };
    // Not a page's error: no "错误提示" box here; the window's own barrier reports it.
    EXPECT_THROW(runPinTestSequence(buildPinTestSequence(clock.now()), link, clock, messages),
                 std::runtime_error);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(spooler.documents.size(), 6u);
}

}  // namespace
}  // namespace trevalune
