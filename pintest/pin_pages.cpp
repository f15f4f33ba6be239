#include "pintest/pin_pages.h"

#include <cstdio>
#include <string>

#include "alignment/set_value_command.h"
#include "pintest/pin_line.h"
#include "printer/gbk.h"

namespace trevalune {

namespace {

/// The pages only send the value byte FF; what it does is the printer's business.
constexpr int kPageValue = 0xFF;
constexpr int kLinesPerPage = 3;

/// Header labels stand 29 columns in.
std::string indented(std::string_view text) {
    return std::string(29, ' ') + std::string(text);
}

Timeline pinTestPage(std::string_view ruler, PinOrder order) {
    Bytes text = buildSetValueBytes(PrintMode::HighSpeed, kPageValue, Trailer::Standard);
    text += toGbk(std::string(kHighSpeedPinTitle) + "\n" + std::string(ruler) + "\n");
    const std::string line = buildPinTestLine(kHighSpeedBlockWidth, order);
    Timeline page;
    page.text(text);
    for (int i = 0; i < kLinesPerPage; ++i) page.hex(line);
    return page;
}

}  // namespace

std::string buildHeaderTimeLine(const LocalDateTime& now) {
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d    %02d:%02d:%02d", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    return indented("测试时间：") + stamp;
}

Timeline buildPinTestHeader(const LocalDateTime& now) {
    Bytes text = buildSetValueBytes(PrintMode::HighSpeed, kPageValue, Trailer::FiveLf);
    std::string lines = buildHeaderTimeLine(now) + "\n";
    lines += indented("测试人员:") + std::string(kNothingEntered) + "\n";
    lines += indented("条码编号:") + std::string(kNothingEntered) + "\n";
    lines += "\n" + indented(kHighSpeedPinTitle) + "\n";
    lines += "\n";
    text += toGbk(lines);
    const std::string checker = buildCheckerLine();
    Timeline page;
    page.text(text);
    for (int i = 0; i < kLinesPerPage; ++i) page.hex(checker);
    return page;
}

Timeline buildPinTestAscending() {
    return pinTestPage(kAscendingRuler, PinOrder::Ascending);
}

Timeline buildPinTestDescending() {
    return pinTestPage(kDescendingRuler, PinOrder::Descending);
}

Timeline buildBurnInSample() {
    Bytes text = buildSetValueBytes(PrintMode::HighSpeed, kPageValue, Trailer::Row);
    text += toGbk("老化样张\n\n");
    Timeline page;
    page.text(text).hex(buildBurnInLine()).hex("0A").hex("1B4A10").hex("1B6A10");
    return page;
}

}  // namespace trevalune
