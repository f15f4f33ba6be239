#include "tests/support/timeline_print.h"

namespace trevalune {

void PrintTo(const SendStep& step, std::ostream* os) {
    // The head is enough to tell documents apart; a sample row runs to 2 KB.
    constexpr std::size_t kShown = 24;
    *os << "send " << step.bytes.size() << " bytes: " << toSpacedHex(step.bytes.substr(0, kShown))
        << (step.bytes.size() > kShown ? " ..." : "");
}

void PrintTo(const WaitStep& step, std::ostream* os) {
    *os << "wait " << step.milliseconds << " ms";
}

void PrintTo(const CaptionStep& step, std::ostream* os) {
    *os << "caption \"" << step.text << '"';
}

void PrintTo(const Timeline& timeline, std::ostream* os) {
    *os << timeline.steps().size() << " steps";
    for (std::size_t i = 0; i < timeline.steps().size(); ++i) {
        *os << "\n  " << i + 1 << ". ";
        std::visit([os](const auto& step) { PrintTo(step, os); }, timeline.steps()[i]);
    }
}

}  // namespace trevalune
