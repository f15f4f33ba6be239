#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "printer/clock.h"

namespace trevalune::testing {

/// Records waits instead of sleeping; `now` is whatever the test sets. Queues that run in
/// threads of their own share one, so recording is locked.
class FakeClock final : public Clock {
public:
    void sleepMs(int milliseconds) override;
    LocalDateTime now() override { return current; }

    std::vector<int> waits;
    LocalDateTime current{2026, 12, 5, 9, 5, 3};
    /// Called for every wait (tests use it to merge event logs).
    std::function<void(int)> onWait;

private:
    std::mutex mutex_;
};

}  // namespace trevalune::testing
