#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "printer/spooler.h"

namespace trevalune {

/// What the polls have seen of the selected printer's queue during a busy state.
enum class JobsSeen : std::uint8_t {
    Nothing,     ///< nothing pending recorded
    OneJob,      ///< the last poll saw exactly one job
    OtherCount,  ///< a poll saw some other count; survives an emptied queue until the next
                 ///< set operation clears the slot
};

/// The one job slot the busy state watches between ticks.
struct JobSlot {
    JobsSeen seen = JobsSeen::Nothing;
    bool latched = false;  ///< the timer has noticed a pending job in the current busy state
    friend bool operator==(const JobSlot&, const JobSlot&) = default;
};

/// Records one poll of the queue. `seen` is the spooler's answer for the printer the window
/// names (a printer that cannot be opened answers as an empty queue).
void recordJobPoll(JobSlot& slot, const JobQuery& seen);

/// The set operations' busy codes (the numbers are the design's).
enum class BusyCode : std::int16_t {
    Idle = 0,
    SetItems = 88,        ///< set single item, set all items
    SetAllWithPage = 99,  ///< set all with test page
};

inline constexpr std::string_view kDoneCaption = "完成...";

/// How a tick ended the busy state, if it did.
enum class BusyEnd {
    None,    ///< still busy (or idle all along)
    Early,   ///< a job was pending at the early-end tick: the dots caption stays
    Normal,  ///< the normal end: the window shows kDoneCaption
};

/// The one-second busy indication of the set operations, without the window. A tick is
/// two halves around the spooler poll: beginTick counts and gives the dots caption,
/// the window polls the queue into the job slot, finishTick decides whether the state
/// ends. The window applies the results (captions, repaint, the buttons back on).
struct BusyState {
    BusyCode settingMode = BusyCode::Idle;
    std::int16_t dotStep = 0;    ///< 0..4, the dot animation
    std::int16_t waitTicks = 0;  ///< ticks spent busy; held at 0 while idle

    bool busy() const { return settingMode != BusyCode::Idle; }

    /// Counts the tick. Returns the dots caption to show and repaint, or nothing when idle.
    std::optional<std::string> beginTick();

    /// After the poll: latches a pending job and ends the state at the early or normal end.
    BusyEnd finishTick(JobSlot& jobs);

    /// Ends the busy state at once (the counters go back to 0); Rest and both ends use it.
    void reset();
};

/// The tick counts at which a busy state ends, by busy code.
struct BusyLimits {
    int earlyEnd;
    int normalEnd;
};
BusyLimits busyLimits(BusyCode settingMode);

}  // namespace trevalune
