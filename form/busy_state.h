#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
void recordJobPoll(JobTables& tables, int slot, const JobQuery& seen);

/// The set operations' busy codes.
inline constexpr std::int16_t kBusySetItems = 88;        ///< set single item, set all items
inline constexpr std::int16_t kBusySetAllWithPage = 99;  ///< set all with test page

/// The job-table slot the busy state watches.
inline constexpr int kBusyJobSlot = 1;

inline constexpr std::string_view kDoneCaption = "完成...";

/// How a tick ended the busy state, if it did.
enum class BusyEnd {
    None,    ///< still busy (or idle all along)
    Early,   ///< a job was pending at the early-end tick: the dots caption stays
    Normal,  ///< the normal end: the window shows kDoneCaption
};

/// The one-second busy indication of the set operations, without the window. A tick is
/// two halves around the spooler poll: beginTick counts and gives the dots caption,
/// the window polls the queue into the job tables, finishTick decides whether the state
/// ends. The window applies the results (captions, repaint, the buttons back on).
struct BusyState {
    std::int16_t settingMode = 0;  ///< 0 idle, kBusySetItems or kBusySetAllWithPage
    std::int16_t dotStep = 0;      ///< 0..4, the dot animation
    std::int16_t waitTicks = 0;    ///< ticks spent busy; held at 0 while idle

    bool busy() const { return settingMode == kBusySetItems || settingMode == kBusySetAllWithPage; }

    /// Counts the tick. Returns the dots caption to show and repaint, or nothing when idle.
    std::optional<std::string> beginTick();

    /// After the poll: latches a pending job and ends the state at the early or normal end.
    BusyEnd finishTick(JobTables& jobs);

    /// Ends the busy state at once (the counters go back to 0); Rest and both ends use it.
    void reset();
};

/// The tick counts at which a busy state ends, by busy code.
struct BusyLimits {
    int earlyEnd;
    int normalEnd;
};
BusyLimits busyLimits(std::int16_t settingMode);

}  // namespace trevalune
