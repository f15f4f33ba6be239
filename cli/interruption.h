#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "printer/clock.h"

namespace trevalune::send {

/// How a run is asked to stop from outside: a signal on Linux, a console event on Windows.
/// No new document is started once it is requested; the one under way finishes.
class Interruption final {
public:
    /// Asks the run to stop; `status` is the exit status that says how (130 for Ctrl-C, 143
    /// for SIGTERM). The first request counts. Safe from any thread, not from a signal handler.
    void request(int status);
    bool requested() const { return status_.load() != 0; }
    /// The exit status of the first request; 0 when none came.
    int status() const { return status_.load(); }
    /// Sleeps `milliseconds`, or less when a stop is requested meanwhile.
    void sleepMs(int milliseconds);

    /// What to write when a second request will end the process at once: the account as far
    /// as it is known. Set by the run while it has one; empty to clear.
    void setLastWords(std::function<void(int status)> words);
    /// Writes them (from the thread that takes the second request), if any.
    void sayLastWords(int status);

private:
    std::mutex wordsMutex_;
    std::function<void(int)> lastWords_;
    std::atomic<int> status_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
};

/// The real clock, whose waits end early when the run is asked to stop.
class InterruptibleClock final : public Clock {
public:
    explicit InterruptibleClock(Interruption& interruption) : interruption_(interruption) {}
    void sleepMs(int milliseconds) override { interruption_.sleepMs(milliseconds); }
    LocalDateTime now() override { return SystemClock().now(); }

private:
    Interruption& interruption_;
};

}  // namespace trevalune::send
