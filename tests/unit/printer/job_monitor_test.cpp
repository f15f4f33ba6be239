#include "printer/job_monitor.h"

#include <gtest/gtest.h>

#include <vector>

namespace trevalune {
namespace {

TEST(JobMonitor, OnePollUpdatesSlotOne) {
    constexpr JobQuery kEmpty{}, kOne{true, 1}, kTwo{true, 2};
    constexpr JobQuery kVanished{true, 0};  // sized as non-empty, gone by the real query
    struct Case {
        const char* what;
        int state, latch;
        JobQuery seen;
        int stateAfter, latchAfter;
    };
    const std::vector<Case> cases = {
        {"one job", 0, 0, kOne, 1, 0},
        {"the latched single job left", 1, 1, kEmpty, 0, 0},
        {"unlatched single job: empty changes nothing", 1, 0, kEmpty, 1, 0},
        {"latch alone: empty changes nothing", 0, 1, kEmpty, 0, 1},
        {"two jobs", 0, 0, kTwo, 99, 0},
        {"99 outlives the emptied queue", 99, 1, kEmpty, 99, 1},
        {"latched job left between the queries", 1, 1, kVanished, 0, 0},
        {"nothing latched, none delivered", 0, 0, kVanished, 99, 0},
    };
    for (const Case& c : cases) {
        JobTables t;
        t.jobState[1] = static_cast<std::int16_t>(c.state);
        t.jobLatch[1] = static_cast<std::int16_t>(c.latch);
        PollPrintJobs(t, 1, c.seen);
        EXPECT_EQ(t.jobState[1], c.stateAfter) << c.what;
        EXPECT_EQ(t.jobLatch[1], c.latchAfter) << c.what;
    }
}

}  // namespace
}  // namespace trevalune
