#include "printer/timeline.h"

#include <gtest/gtest.h>

#include "printer/printer_link.h"
#include "printer/recording_spooler.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_messages.h"

namespace trevalune {
namespace {

TEST(Timeline, RunsStepsInOrderThroughLinkClockAndCaption) {
    RecordingSpooler spooler{{"P"}};
    testing::RecordingMessages messages;
    testing::FakeClock clock;
    PrinterLink link{spooler, messages, [] { return std::string("P"); }};
    std::vector<std::string> log;
    spooler.onDocument = [&](const RecordingSpooler::Document& d) {
        log.push_back("doc " + toHexText(d.data));
    };
    clock.onWait = [&](int ms) { log.push_back("wait " + std::to_string(ms)); };

    Timeline t;
    t.caption("正在设置...").wait(2500).hex("1B3A0000520").text(bytesOf({0x0A})).wait(0);
    EXPECT_EQ(t.documentCount(), 2u);
    runTimeline(t, link, clock, [&](const std::string& c) { log.push_back("caption " + c); });

    EXPECT_EQ(log, (std::vector<std::string>{"caption 正在设置...", "wait 2500", "doc 1B3A000052",
                                             "doc 0A", "wait 0"}));
}

TEST(Timeline, BadHexIsRefusedWhileBuilding) {
    Timeline t;
    t.hex("0A");
    EXPECT_THROW(t.hex("ZZ"), EncodeError);
    EXPECT_EQ(t.documentCount(), 1u);
}

}  // namespace
}  // namespace trevalune
