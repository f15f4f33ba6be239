#include "pintest/pin_test_runs.h"

#include <utility>
#include <variant>

#include "alignment/print_mode.h"
#include "alignment/set_value_command.h"
#include "pintest/pin_line.h"
#include "pintest/pin_pages.h"
#include "printer/gbk.h"
#include "printer/message_sink.h"
#include "printer/printer_link.h"

namespace trevalune {

namespace {

struct DensityPage {
    PrintMode mode;
    std::string_view title;
    std::string_view ruler;
    int blockWidth;
};

/// Each ruler's labels stand over the blocks of that mode's line.
constexpr DensityPage kDensityPages[] = {
    {PrintMode::HighSpeed, kHighSpeedPinTitle, kAscendingRuler, kHighSpeedBlockWidth},
    {PrintMode::HighDensity, "高密针测试效果", kHighDensityRuler, kHighDensityBlockWidth},
    {PrintMode::SuperHighDensity, "超高密针测试效果", kSuperHighDensityRuler,
     kSuperHighDensityBlockWidth},
};

}  // namespace

std::vector<PinTestPage> buildPinTestSequence(const LocalDateTime& now) {
    return {PinTestPage{[now] { return buildPinTestHeader(now); }},
            PinTestPage{buildPinTestAscending}, PinTestPage{buildPinTestDescending},
            PinTestPage{buildBurnInSample}};
}

Timeline buildThreeDensityPinTest() {
    Timeline run;
    for (const DensityPage& page : kDensityPages) {
        Bytes text = buildSetValueBytes(page.mode, 0xFF, Trailer::Standard);
        text += toGbk(std::string(page.title) + "\n" + std::string(page.ruler) + "\n");
        run.text(text).hex(buildPinTestLine(page.blockWidth, PinOrder::Ascending));
    }
    run.hex("1B4A50");
    return run;
}

std::vector<PinTestPage> buildThreeDensitySequence() {
    return {PinTestPage{buildThreeDensityPinTest}};
}

Next runPinTestSequence(const std::vector<PinTestPage>& pages, PrinterLink& link, Clock& clock,
                        MessageSink& messages) {
    // Built ahead, so that a document that fails can be named out of the whole run.
    std::vector<std::variant<Timeline, std::string>> built;
    int planned = 0;
    for (const PinTestPage& page : pages) {
        try {
            built.emplace_back(page.build());
            planned += static_cast<int>(std::get<Timeline>(built.back()).documentCount());
        } catch (const Refusal& refused) {
            // Only what the page itself refused; a fault of the program is not a page's error.
            built.emplace_back(std::string(refused.what()));
        }
    }
    link.beginOperation(planned);
    for (const auto& page : built) {
        if (const auto* refused = std::get_if<std::string>(&page)) {
            messages.showMessage(*refused, kPinTestErrorTitle);
            continue;
        }
        try {
            const Next next = runTimeline(std::get<Timeline>(page), link, clock, {});
            if (next != Next::GoOn) return next;
        } catch (const Refusal& refused) {
            messages.showMessage(refused.what(), kPinTestErrorTitle);
        }
    }
    return Next::GoOn;
}

}  // namespace trevalune
