#include "pintest/pin_test_runs.h"

#include <utility>

#include "alignment/print_mode.h"
#include "alignment/set_value_command.h"
#include "pintest/pin_line.h"
#include "pintest/pin_pages.h"
#include "printer/gbk.h"
#include "printer/message_sink.h"

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

void runPinTestSequence(const std::vector<PinTestPage>& pages, PrinterLink& link, Clock& clock,
                        MessageSink& messages) {
    for (const PinTestPage& page : pages) {
        try {
            runTimeline(page.build(), link, clock, {});
        } catch (const Refusal& refused) {
            // Only what the page itself refused; a fault of the program is not a page's error.
            messages.showMessage(refused.what(), kPinTestErrorTitle);
        }
    }
}

}  // namespace trevalune
