#include "pintest/pin_test_runs.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "pintest/pin_line.h"
#include "pintest/pin_pages.h"
#include "printer/gbk.h"
#include "printer/hex_text.h"
#include "printer/printer_link.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_messages.h"
#include "tests/support/recording_spooler.h"
#include "tests/support/timeline_print.h"

namespace trevalune {
namespace {

using Message = testing::RecordingMessages::Message;

// The window tests run both buttons whole; here the three-density page's bytes and how a run
// goes on after a page that fails.
TEST(ThreeDensityPinTest, EveryModeInOrderThenAFeed) {
    const std::vector<Bytes> docs = buildThreeDensityPinTest().documents();
    ASSERT_EQ(docs.size(), 7u);
    const struct {
        int modeByte;
        const char* title;
        std::string_view ruler;
        int width;
    } modes[] = {{0x0A, "高速针测试效果", kAscendingRuler, 90},
                 {0x0B, "高密针测试效果", kHighDensityRuler, 117},
                 {0x0C, "超高密针测试效果", kSuperHighDensityRuler, 180}};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& m = modes[i];
        EXPECT_EQ(docs[2 * i], bytesOf({0x1B, 0x01, 0x40, 0x51, 0x56, 0x36, 0x32, 0x37, m.modeByte,
                                        0xFF, 0xFF, 0x0A, 0x0A, 0x0A}) +
                                   toGbk(m.title) + "\n" + std::string(m.ruler) + "\n");
        EXPECT_EQ(docs[2 * i + 1], hexTextToBytes(buildPinTestLine(m.width, PinOrder::Ascending)));
    }
    EXPECT_EQ(docs[6], bytesOf({0x1B, 0x4A, 0x50}));
}

TEST(PinTestRun, APageRefusedEndsOnlyThatPageAndAFaultOfTheProgramLeavesTheRun) {
    RecordingSpooler spooler{{"RZ7-virtual"}};
    testing::RecordingMessages messages;
    testing::FakeClock clock;
    PrinterLink link{spooler, messages, messages, [] { return std::string("RZ7-virtual"); }};
    std::vector<PinTestPage> pages = buildPinTestSequence(clock.now());
    pages[1].build = []() -> Timeline {
        Timeline half;
        half.text("never sent");
        throw Refusal("page refused", "page refused");
    };
    runPinTestSequence(pages, link, clock, messages);
    EXPECT_EQ(messages.messages, (std::vector<Message>{{"page refused", "错误提示"}}));
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
