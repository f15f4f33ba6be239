#include "form/busy_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace trevalune {
namespace {

constexpr JobQuery kNone{};
constexpr JobQuery kOne{true, 1};

struct Ticks {
    int endTick = 0;  ///< 0 when it did not end within the ticks run
    BusyEnd end = BusyEnd::None;
    std::vector<std::string> captions;
};

/// Runs whole ticks the way the window does: count, poll the queue of that tick, decide.
Ticks runTicks(BusyState& busy, const std::function<JobQuery(int)>& queue, int ticks) {
    JobTables jobs;
    Ticks run;
    for (int tick = 1; tick <= ticks && run.end == BusyEnd::None; ++tick) {
        const auto caption = busy.beginTick();
        if (!caption) break;
        run.captions.push_back(*caption);
        PollPrintJobs(jobs, kBusyJobSlot, queue(tick));
        run.end = busy.finishTick(jobs);
        if (run.end != BusyEnd::None) run.endTick = tick;
    }
    return run;
}

TEST(BusyState, DotsCycleWithAPeriodOfFiveSeconds) {
    BusyState b{kBusySetItems};
    EXPECT_EQ(runTicks(
                  b, [](int) { return kNone; }, 7)
                  .captions,
              (std::vector<std::string>{"正在设置.", "正在设置..", "正在设置...", "正在设置....",
                                        "正在设置....", "正在设置.", "正在设置.."}));
    EXPECT_EQ(b.waitTicks, 7);
    EXPECT_EQ(b.dotStep, 2);
}

TEST(BusyState, EndsEarlyOnlyWhenAJobIsPendingAtTheEarlyTick) {
    const struct {
        const char* what;
        std::int16_t code;
        std::function<JobQuery(int)> queue;
        int endTick;
        BusyEnd end;
    } cases[] = {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BusyState b{c.code};
        const Ticks run = runTicks(b, c.queue, 100);
        EXPECT_EQ(run.endTick, c.endTick);
        EXPECT_EQ(run.end, c.end);
        // The early ends fall on a wrap of the dots.
        if (c.end == BusyEnd::Early) {
            EXPECT_EQ(run.captions.back(), "正在设置....");
        }
        EXPECT_EQ(b.settingMode, 0);
        EXPECT_EQ(b.waitTicks, 0);
        EXPECT_EQ(b.dotStep, 0);
    }
}

TEST(BusyState, ReenteredPastTheNormalEndItEndsAtTheNextTickAndCountersSaturate) {
    // Set all with test page counted to 40; set single item re-enters with code 88.
    BusyState b{kBusySetItems, 0, 40};
    const Ticks run = runTicks(
        b, [](int) { return kNone; }, 3);
    EXPECT_EQ(run.endTick, 1);
    EXPECT_EQ(run.end, BusyEnd::Normal);

    b = BusyState{kBusySetItems, 0, 32767};
    b.beginTick();
    EXPECT_EQ(b.waitTicks, 32767);
}

}  // namespace
}  // namespace trevalune
