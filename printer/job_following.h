#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "printer/spooler.h"

namespace trevalune {

class Clock;

/// How following a queue's jobs ended.
enum class WaitEnd {
    NotAsked,     ///< not followed, or nothing was taken to follow
    Completed,    ///< the spooler said every job completed
    LeftQueue,    ///< every job ended, one at least left a queue that keeps no record (Windows)
    JobFailed,    ///< a job was canceled, aborted, stopped or held
    TimeUp,       ///< some jobs still waited when the time was up
    Interrupted,  ///< the run was asked to stop meanwhile
    NotKnown,     ///< a job's state could not be read: the server is gone, or the queue
};

/// Where a queue's jobs stood when following them ended.
struct FollowedJobs {
    WaitEnd end = WaitEnd::NotAsked;
    std::vector<JobState> states;  ///< each job's last state, in the order given
    int waitedMs = 0;
    /// The queue's state when following ended short of completion (why jobs still wait).
    std::optional<PrinterState> queueState;
};

/// How often jobs are asked for their state while they are followed.
inline constexpr int kJobPollMs = 1000;

/// Follows the jobs `jobIds` of `queue` (in the order the queue prints them) until each has
/// completed, or one failed, or `limitMs` has passed on `clock`, or `stopRequested` says so.
FollowedJobs followJobs(Spooler& spooler, const std::string& queue, const std::vector<int>& jobIds,
                        int limitMs, Clock& clock, const std::function<bool()>& stopRequested);

}  // namespace trevalune
