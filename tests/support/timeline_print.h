#pragma once

#include <ostream>

#include "printer/timeline.h"

namespace trevalune {

// GoogleTest finds these by argument-dependent lookup, so a failed comparison reads
// "send 3 bytes: 1D 56 53", "wait 2500 ms", "caption "完成..."" instead of object bytes. A
// lone Step prints through GoogleTest's variant printer, which calls these for what it holds.
// A test file that compares steps or timelines includes this header.
void PrintTo(const SendStep& step, std::ostream* os);
void PrintTo(const WaitStep& step, std::ostream* os);
void PrintTo(const CaptionStep& step, std::ostream* os);
void PrintTo(const Timeline& timeline, std::ostream* os);

}  // namespace trevalune
