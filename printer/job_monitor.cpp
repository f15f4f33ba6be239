#include "printer/job_monitor.h"

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

void PollPrintJobs(JobTables& tables, int slot, const JobQuery& seen) {
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

}  // namespace trevalune
