#include "tests/support/fake_clock.h"

namespace trevalune::testing {

void FakeClock::sleepMs(int milliseconds) {
    waits.push_back(milliseconds);
    if (onWait) onWait(milliseconds);
}

}  // namespace trevalune::testing
