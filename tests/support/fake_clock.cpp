#include "tests/support/fake_clock.h"

namespace trevalune::testing {

void FakeClock::sleepMs(int milliseconds) {
    const std::lock_guard lock(mutex_);
    waits.push_back(milliseconds);
    if (onWait) onWait(milliseconds);
}

}  // namespace trevalune::testing
