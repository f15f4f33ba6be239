#include "printer/windows/spooler_status.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trevalune {
namespace {

using Reasons = std::vector<std::string>;

// The words a sender shows for winspool's status bits, and whether it warns before sending.
TEST(WinspoolStatus, PrinterBitsAreSaidInCupsWords) {
    using enum PrinterState::State;
    const struct {
        const char* what;
        std::uint32_t status, attributes;
        PrinterState::State state;
        Reasons reasons;
        bool attention;
    } cases[] = {
        {"printing", 0x400, 0, Printing, {}, false},
        {"processing", 0x4000, 0, Printing, {}, false},
        {"paused while printing", 0x401, 0, Paused, {"paused"}, true},
        {"offline", 0x80, 0, Idle, {"offline-report"}, true},
        {"work offline attribute", 0, 0x400, Idle, {"offline-report"}, true},
        {"offline and work offline: said once", 0x80, 0x400, Idle, {"offline-report"}, true},
        {"other attributes", 0, 0x40 | 0x4, Idle, {}, false},  // shared, default
        {"jam, door open, user intervention", 0x500008, 0, Idle,
         {"media-jam-error", "door-open-error", "user-intervention-required"}, true},
        {"error and paper out", 0x12, 0, Idle, {"other-error", "media-empty-error"}, true},
        {"not available, paper problem, manual feed, bin full, no toner", 0x41860, 0, Idle,
         {"offline-report", "media-problem-error", "media-needed-report", "output-area-full-error",
          "toner-empty-error"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PrinterState got = printerStateFromWinspool(c.status, c.attributes, 3);
        EXPECT_TRUE(got.found);
        EXPECT_EQ(got.state, c.state);
        EXPECT_EQ(got.reasons, c.reasons);
        EXPECT_TRUE(got.acceptingJobs);
        EXPECT_EQ(got.jobsWaiting, 3);
        EXPECT_EQ(got.needsAttention(), c.attention);
    }
    EXPECT_FALSE(printerStateFromWinspool(0x4, 0, 0).acceptingJobs);  // being deleted
}

TEST(WinspoolStatus, JobBits) {
    using enum JobState::State;
    const struct {
        const char* what;
        std::uint32_t status;
        JobState::State state;
        Reasons reasons;
    } cases[] = {
        {"queued", 0, Pending, {}},
        {"spooling", 0x8, Pending, {"job-spooling"}},
        {"printing", 0x10, Printing, {"job-printing"}},
        {"printed, on its way out", 0x84, Completed, {"deleting", "job-printed"}},
        {"complete (sent to the printer)", 0x1000, Completed, {"job-complete"}},
        {"deleting", 0x4, Canceled, {"deleting"}},
        {"deleted", 0x100, Canceled, {"deleted"}},
        {"error", 0x2, Stopped, {"other-error"}},
        {"offline", 0x20, Stopped, {"offline-report"}},
        {"paper out while printing", 0x50, Stopped, {"media-empty-error", "job-printing"}},
        {"blocked", 0x200, Stopped, {"document-unprintable-error"}},
        {"user intervention", 0x400, Stopped, {"user-intervention-required"}},
        {"paused", 0x1, Held, {"paused"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const JobState got = jobStateFromWinspool(c.status);
        EXPECT_EQ(got.state, c.state);
        EXPECT_EQ(got.reasons, c.reasons);
    }
}

}  // namespace
}  // namespace trevalune
