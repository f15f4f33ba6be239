#include "printer/job_following.h"

#include <algorithm>

#include "printer/clock.h"

namespace trevalune {

namespace {

/// Why the jobs from `next` on are no longer followed, or nothing while they should be.
std::optional<WaitEnd> endSoFar(const FollowedJobs& f, std::size_t next, bool stopped,
                                bool timeUp) {
    if (next == f.states.size()) return WaitEnd::Completed;
    const JobState::State s = f.states[next].state;
    // Never read as an end: a server that stops answering has not printed anything.
    if (s == JobState::State::Unknown) return WaitEnd::NotKnown;
    if (s != JobState::State::Pending && s != JobState::State::Printing) return WaitEnd::JobFailed;
    if (stopped) return WaitEnd::Interrupted;
    if (timeUp) return WaitEnd::TimeUp;
    return std::nullopt;
}

/// A canceled or aborted job anywhere makes the wait a failure, also when it ended first; a
/// job that left a queue without a record has an end nobody confirmed.
WaitEnd completedEnd(const std::vector<JobState>& states) {
    WaitEnd end = WaitEnd::Completed;
    for (const JobState& s : states) {
        if (s.state == JobState::State::Canceled || s.state == JobState::State::Aborted) {
            return WaitEnd::JobFailed;
        }
        if (s.state == JobState::State::Gone) end = WaitEnd::LeftQueue;
    }
    return end;
}

}  // namespace

FollowedJobs followJobs(Spooler& spooler, const std::string& queue, const std::vector<int>& jobIds,
                        int limitMs, Clock& clock, const std::function<bool()>& stopRequested) {
    FollowedJobs f;
    if (jobIds.empty()) return f;
    f.states.resize(jobIds.size());
    std::size_t next = 0;  // jobs before it have finished; a queue prints in order
    for (;;) {
        for (; next < jobIds.size(); ++next) {
            f.states[next] = spooler.jobState(queue, jobIds[next]);
            if (!f.states[next].finished()) break;
        }
        const bool stopped = stopRequested && stopRequested();
        if (const auto end = endSoFar(f, next, stopped, f.waitedMs >= limitMs)) {
            f.end = *end;
            break;
        }
        const int step = std::min(kJobPollMs, limitMs - f.waitedMs);
        clock.sleepMs(step);
        f.waitedMs += step;
    }
    // Every job gets its last state, also those after the one that ended the wait.
    for (std::size_t i = next + 1; i < jobIds.size(); ++i) {
        f.states[i] = spooler.jobState(queue, jobIds[i]);
    }
    if (f.end != WaitEnd::Completed) f.queueState = spooler.printerState(queue);
    if (f.end == WaitEnd::Completed) f.end = completedEnd(f.states);
    return f;
}

}  // namespace trevalune
