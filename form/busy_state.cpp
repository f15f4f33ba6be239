#include "form/busy_state.h"

#include <limits>

namespace trevalune {

namespace {
bool validSlot(int slot) {
    return slot >= 0 && slot < kJobSlots;
}
}  // namespace

void JobTables::clear(int slot) {
    if (!validSlot(slot)) return;
    jobState[slot] = 0;
    jobLatch[slot] = 0;
}

void recordJobPoll(JobTables& tables, int slot, const JobQuery& seen) {
    if (!validSlot(slot)) return;
    std::int16_t& state = tables.jobState[slot];
    std::int16_t& latch = tables.jobLatch[slot];
    if (!seen.anyJobs) {
        // Only a single job that was seen and latched counts as having left; a 99 stays.
        if (state == kOneJob && latch == 1) {
            state = 0;
            latch = 0;
        }
        return;
    }
    if (seen.delivered == 1) {
        state = kOneJob;
    } else if (latch == 1 && seen.delivered == 0) {
        // The job left between the sizing query and the real one.
        latch = 0;
        state = 0;
    } else {
        state = kOtherJobCount;
    }
}

namespace {
std::int16_t saturatingIncrement(std::int16_t v) {
    return v == std::numeric_limits<std::int16_t>::max() ? v : static_cast<std::int16_t>(v + 1);
}
}  // namespace

BusyLimits busyLimits(std::int16_t settingMode) {
    return settingMode == kBusySetAllWithPage ? BusyLimits{10, 68} : BusyLimits{5, 27};
}

std::optional<std::string> BusyState::beginTick() {
    if (!busy()) {
        waitTicks = 0;
        return std::nullopt;
    }
    waitTicks = saturatingIncrement(waitTicks);
    dotStep = saturatingIncrement(dotStep);
    static constexpr std::string_view kCaptions[] = {"正在设置.", "正在设置..", "正在设置...",
                                                     "正在设置...."};
    if (dotStep >= 5) {
        // The fifth second repeats four dots, then the cycle starts over.
        dotStep = 0;
        return std::string(kCaptions[3]);
    }
    return std::string(kCaptions[dotStep < 1 ? 0 : dotStep - 1]);
}

BusyEnd BusyState::finishTick(JobTables& jobs) {
    if (!busy()) return BusyEnd::None;
    const BusyLimits limits = busyLimits(settingMode);
    const int slot = kBusyJobSlot;
    if (jobs.jobState[slot] != 0 || jobs.jobLatch[slot] != 0) {
        jobs.jobLatch[slot] = 1;
        if (waitTicks == limits.earlyEnd) {
            reset();
            return BusyEnd::Early;
        }
    }
    // Reaching or passing the normal end ends it: a state re-entered with a shorter limit
    // after counting past it would otherwise never end by itself.
    if (waitTicks >= limits.normalEnd) {
        reset();
        return BusyEnd::Normal;
    }
    return BusyEnd::None;
}

void BusyState::reset() {
    dotStep = 0;
    waitTicks = 0;
    settingMode = 0;
}

}  // namespace trevalune
