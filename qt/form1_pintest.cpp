// The two pin test buttons. Both take nothing from the window but the printer name each
// send reads; a page that fails shows its reason under "错误提示" and the next page follows.
#include "app/form1.h"
#include "pintest/pin_test_runs.h"
#include "printer/clock.h"

namespace trevalune {

void Form1::Command17_Click() {
    // The header carries the moment of the click: the time is read once, before any page.
    runPinTestSequence(buildPinTestSequence(clock_.now()), link_, clock_, messages_);
}

void Form1::Command13_Click() {
    // All three modes, whichever option button is on.
    runPinTestSequence(buildThreeDensitySequence(), link_, clock_, messages_);
}

}  // namespace trevalune
