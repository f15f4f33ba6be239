#include "form/busy_state.h"

#include <limits>

namespace trevalune {

void recordJobPoll(JobSlot& slot, const JobQuery& seen) {
    if (!seen.anyJobs) {
        // Only a single job that was seen and latched counts as having left; another count
        // stays.
        if (slot.seen == JobsSeen::OneJob && slot.latched) slot = {};
        return;
    }
    if (seen.delivered == 1) {
        slot.seen = JobsSeen::OneJob;
    } else if (slot.latched && seen.delivered == 0) {
        // The job left between the sizing query and the real one.
        slot = {};
    } else {
        slot.seen = JobsSeen::OtherCount;
    }
}

namespace {
std::int16_t saturatingIncrement(std::int16_t v) {
    return v == std::numeric_limits<std::int16_t>::max() ? v : static_cast<std::int16_t>(v + 1);
}
}  // namespace

BusyLimits busyLimits(BusyCode settingMode) {
    return settingMode == BusyCode::SetAllWithPage ? BusyLimits{10, 68} : BusyLimits{5, 27};
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

BusyEnd BusyState::finishTick(JobSlot& jobs) {
    if (!busy()) return BusyEnd::None;
    const BusyLimits limits = busyLimits(settingMode);
    if (jobs.seen != JobsSeen::Nothing || jobs.latched) {
        jobs.latched = true;
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
    settingMode = BusyCode::Idle;
}

}  // namespace trevalune
