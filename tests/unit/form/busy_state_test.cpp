#include "form/busy_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace trevalune {
namespace {

constexpr JobQuery kNone{};
constexpr JobQuery kOne{true, 1};

// The window's tests pin the ends of set all items against a queue; here: every busy code
// against queues that change while it counts, ticked as the window does.
TEST(BusyState, EndsEarlyOnlyWhenAJobIsPendingAtTheEarlyTick) {
    const struct {
        const char* what;
        BusyState start;
        std::function<JobQuery(int)> queue;
        int endTick;
        BusyEnd end;
    } cases[] = {
        {"88, job still queued at tick 5",
         {kBusySetItems},
         [](int) { return kOne; },
         5,
         BusyEnd::Early},
        {"88, job leaves in the first seconds",
         {kBusySetItems},
         [](int t) { return t <= 2 ? kOne : kNone; },
         27,
         BusyEnd::Normal},
        {"88, job appears from tick 6 on",
         {kBusySetItems},
         [](int t) { return t >= 6 ? kOne : kNone; },
         27,
         BusyEnd::Normal},
        {"99, job queued at tick 10",
         {kBusySetAllWithPage},
         [](int) { return kOne; },
         10,
         BusyEnd::Early},
        {"99, queue empty", {kBusySetAllWithPage}, [](int) { return kNone; }, 68, BusyEnd::Normal},
        {"88 re-entered after 99 counted to 40",
         {kBusySetItems, 0, 40},
         [](int) { return kNone; },
         1,
         BusyEnd::Normal},
    };
    // The dots have a period of five seconds, four dots shown twice.
    const std::string dots[] = {"正在设置.", "正在设置..", "正在设置...", "正在设置....",
                                "正在设置...."};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BusyState b = c.start;
        JobTables jobs;
        int tick = 0;
        BusyEnd end = BusyEnd::None;
        while (end == BusyEnd::None && tick < 100) {
            EXPECT_EQ(b.beginTick(), dots[tick % 5]);
            PollPrintJobs(jobs, kBusyJobSlot, c.queue(++tick));
            end = b.finishTick(jobs);
        }
        EXPECT_EQ(tick, c.endTick);
        EXPECT_EQ(end, c.end);
        EXPECT_EQ(b.settingMode, 0);
        EXPECT_EQ(b.waitTicks, 0);
        EXPECT_EQ(b.dotStep, 0);
    }
    BusyState saturated{kBusySetItems, 0, 32767};
    saturated.beginTick();
    EXPECT_EQ(saturated.waitTicks, 32767);
}

}  // namespace
}  // namespace trevalune
