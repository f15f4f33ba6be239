#include "app/busy_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace trevalune {
namespace {

struct Outcome {
    int endTick = 0;  ///< 0 when it did not end within the ticks run
    BusyEnd end = BusyEnd::None;
    std::vector<std::string> captions;
};

/// Runs whole ticks the way the window does: count, poll, decide.
Outcome runTicks(BusyState& busy, JobTables& jobs, const std::function<JobQuery(int)>& queue,
                 int ticks) {
    Outcome out;
    for (int tick = 1; tick <= ticks; ++tick) {
        const auto caption = busy.beginTick();
        if (!caption) break;
        out.captions.push_back(*caption);
        PollPrintJobs(jobs, kBusyJobSlot, queue(tick));
        out.end = busy.finishTick(jobs);
        if (out.end != BusyEnd::None) {
            out.endTick = tick;
            break;
        }
    }
    return out;
}

BusyState started(std::int16_t code) {
    BusyState b;
    b.settingMode = code;
    return b;
}

constexpr JobQuery kNone{};
constexpr JobQuery kOne{true, 1};

TEST(BusyState, DotsCycleWithAPeriodOfFiveSeconds) {
    BusyState b = started(kBusySetItems);
    JobTables jobs;
    const Outcome o = runTicks(
        b, jobs, [](int) { return kNone; }, 7);
    EXPECT_EQ(o.captions,
              (std::vector<std::string>{"正在设置.", "正在设置..", "正在设置...", "正在设置....",
                                        "正在设置....", "正在设置.", "正在设置.."}));
    EXPECT_EQ(b.waitTicks, 7);
    EXPECT_EQ(b.dotStep, 2);
}

TEST(BusyState, EndsEarlyOnlyWhenAJobIsPendingAtTheEarlyTick) {
    struct Case {
        const char* what;
        std::int16_t code;
        std::function<JobQuery(int)> queue;
        int endTick;
        BusyEnd end;
    };
    const std::vector<Case> cases = {
        {"88, job leaves in the first seconds", kBusySetItems,
         [](int t) { return t <= 2 ? kOne : kNone; }, 27, BusyEnd::Normal},
        {"88, job still queued at tick 5", kBusySetItems, [](int) { return kOne; }, 5,
         BusyEnd::Early},
        {"88, job appears from tick 6 on", kBusySetItems,
         [](int t) { return t >= 6 ? kOne : kNone; }, 27, BusyEnd::Normal},
        {"99, job queued at tick 10", kBusySetAllWithPage, [](int) { return kOne; }, 10,
         BusyEnd::Early},
        {"99, queue empty", kBusySetAllWithPage, [](int) { return kNone; }, 68, BusyEnd::Normal},
    };
    for (const Case& c : cases) {
        BusyState b = started(c.code);
        JobTables jobs;
        const Outcome o = runTicks(b, jobs, c.queue, 100);
        EXPECT_EQ(o.endTick, c.endTick) << c.what;
        EXPECT_EQ(o.end, c.end) << c.what;
        if (c.end == BusyEnd::Early) {
            EXPECT_EQ(o.captions.back(), "正在设置....")
                << c.what;  // the early ends fall on a wrap
        }
        EXPECT_EQ(b.settingMode, 0) << c.what;
        EXPECT_EQ(b.waitTicks, 0) << c.what;
        EXPECT_EQ(b.dotStep, 0) << c.what;
    }
}

TEST(BusyState, ReenteredPastTheNormalEndEndsAtTheNextTick) {
    // Set all with test page counted to 40; set single item re-enters with code 88.
    BusyState b = started(kBusySetAllWithPage);
    b.waitTicks = 40;
    b.settingMode = kBusySetItems;
    JobTables jobs;
    const Outcome o = runTicks(
        b, jobs, [](int) { return kNone; }, 3);
    EXPECT_EQ(o.endTick, 1);
    EXPECT_EQ(o.end, BusyEnd::Normal);
}

TEST(BusyState, CountersSaturateInsteadOfOverflowing) {
    BusyState b = started(kBusySetItems);
    b.waitTicks = 32767;
    b.beginTick();
    EXPECT_EQ(b.waitTicks, 32767);
}

}  // namespace
}  // namespace trevalune
