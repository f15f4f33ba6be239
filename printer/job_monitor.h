#pragma once

#include <array>
#include <cstdint>

#include "printer/spooler.h"

namespace trevalune {

/// Slots 0..10 exist; the busy state only ever uses slot 1.
inline constexpr int kJobSlots = 11;

/// What the busy state remembers about the selected printer's queue between ticks.
struct JobTables {
    /// 0 nothing pending recorded, 1 the last poll saw exactly one job, 99 a poll saw some
    /// other count. 99 survives an emptied queue until the next set operation clears the slot.
    std::array<std::int16_t, kJobSlots> jobState{};
    /// 1 once the timer has noticed a pending job in the current busy state.
    std::array<std::int16_t, kJobSlots> jobLatch{};

    /// What a set operation does when it starts a busy state.
    void clear(int slot);
};

inline constexpr std::int16_t kOneJob = 1;
inline constexpr std::int16_t kOtherJobCount = 99;

/// Records one poll of the queue. `seen` is the spooler's answer for the printer the window
/// names (a printer that cannot be opened answers as an empty queue). A slot outside the
/// tables changes nothing.
void PollPrintJobs(JobTables& tables, int slot, const JobQuery& seen);

}  // namespace trevalune
