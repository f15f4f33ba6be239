#include "printer/job_monitor.h"

#include <gtest/gtest.h>

#include <vector>

namespace trevalune {
namespace {

struct Entry {
    int state;
    int latch;
    bool operator==(const Entry&) const = default;
};

Entry slot1(const JobTables& t) {
    return {t.jobState[1], t.jobLatch[1]};
}

constexpr JobQuery kEmpty{};
constexpr JobQuery kOne{true, 1};
constexpr JobQuery kTwo{true, 2};
constexpr JobQuery kVanished{true, 0};  // sized as non-empty, gone by the real query

TEST(JobMonitor, OneJobThatLeavesClearsBothEntriesOnceLatched) {
    JobTables t;
    PollPrintJobs(t, 1, kOne);
    EXPECT_EQ(slot1(t), (Entry{1, 0}));
    t.jobLatch[1] = 1;  // the timer latches a pending job after the poll
    PollPrintJobs(t, 1, kEmpty);
    EXPECT_EQ(slot1(t), (Entry{0, 0}));
}

TEST(JobMonitor, EmptyQueueLeavesUnlatchedOrOtherCountsAlone) {
    struct Case {
        Entry before;
        Entry after;
    };
    for (const Case& c : std::vector<Case>{
             {{1, 0}, {1, 0}}, {{0, 1}, {0, 1}}, {{99, 1}, {99, 1}}, {{0, 0}, {0, 0}}}) {
        JobTables t;
        t.jobState[1] = static_cast<std::int16_t>(c.before.state);
        t.jobLatch[1] = static_cast<std::int16_t>(c.before.latch);
        PollPrintJobs(t, 1, kEmpty);
        EXPECT_EQ(slot1(t), c.after) << c.before.state << "/" << c.before.latch;
    }
}

TEST(JobMonitor, TwoJobsGive99WhichOutlivesTheQueue) {
    JobTables t;
    PollPrintJobs(t, 1, kTwo);
    EXPECT_EQ(slot1(t), (Entry{99, 0}));
    t.jobLatch[1] = 1;
    PollPrintJobs(t, 1, kEmpty);
    PollPrintJobs(t, 1, kEmpty);
    EXPECT_EQ(slot1(t), (Entry{99, 1}));
    t.clear(1);
    EXPECT_EQ(slot1(t), (Entry{0, 0}));
}

TEST(JobMonitor, JobVanishingBetweenTheTwoQueries) {
    JobTables latched;
    latched.jobState[1] = 1;
    latched.jobLatch[1] = 1;
    PollPrintJobs(latched, 1, kVanished);
    EXPECT_EQ(slot1(latched), (Entry{0, 0}));

    JobTables unlatched;  // nothing seen before: counts as an odd answer
    PollPrintJobs(unlatched, 1, kVanished);
    EXPECT_EQ(slot1(unlatched), (Entry{99, 0}));
}

TEST(JobMonitor, OtherSlotsAndSlotsOutsideTheTablesAreUntouched) {
    JobTables t;
    PollPrintJobs(t, 3, kTwo);
    PollPrintJobs(t, 11, kTwo);
    PollPrintJobs(t, -1, kTwo);
    t.clear(42);
    EXPECT_EQ(slot1(t), (Entry{0, 0}));
    EXPECT_EQ(t.jobState[3], 99);
}

}  // namespace
}  // namespace trevalune
