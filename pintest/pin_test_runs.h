#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/clock.h"
#include "printer/timeline.h"

namespace trevalune {

class MessageSink;

/// Title of the message box in which a pin test page reports why it stopped.
inline constexpr std::string_view kPinTestErrorTitle = "错误提示";

/// One page of a pin test run. The run builds each page completely before the page's first
/// document leaves, so a page that is refused sends nothing of itself.
struct PinTestPage {
    std::function<Timeline()> build;
};

/// The "测针" run: header (with the time `now`), ascending, descending and burn-in pages,
/// 17 documents when all build. The header page is trapped like the others, so a failure
/// there is reported the same way and the test pages still print.
std::vector<PinTestPage> buildPinTestSequence(const LocalDateTime& now);

/// The "测针功能" run as one timeline: for high speed, high density and super-high density
/// (always all three, in that order) a text document with the mode's set-value command
/// (value FF), title and ruler, then one ascending pin test line; finally ESC J 80.
/// 7 documents.
Timeline buildThreeDensityPinTest();

/// The same run as a single page, for runPinTestSequence.
std::vector<PinTestPage> buildThreeDensitySequence();

/// Builds every page, then sends the pages in order as one operation of the link. A page
/// refused (Refusal) while it is built sends nothing, or while it is sent ends that page;
/// either way its message is shown under kPinTestErrorTitle, in the page's turn, and the run
/// continues with the next page. Printers that cannot be opened are reported by the link,
/// once per document. A document the link says ends the operation ends the whole run there
/// (the link's listener has heard it, numbered out of the run's documents); the result then
/// says why. Any other exception is a fault of the program and leaves the run.
Next runPinTestSequence(const std::vector<PinTestPage>& pages, PrinterLink& link, Clock& clock,
                        MessageSink& messages);

}  // namespace trevalune
