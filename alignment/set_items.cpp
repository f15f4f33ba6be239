#include "alignment/set_items.h"

#include <sstream>
#include <vector>

#include "alignment/sample_row.h"
#include "alignment/set_value_command.h"
#include "alignment/value_check.h"
#include "alignment/value_text.h"
#include "printer/gbk.h"

namespace trevalune {

namespace {

std::string valueSubject(PrintMode mode) {
    return std::string(modeCaption(mode)) + "的值";
}

/// A value as the operator reads it back: "19", "19.5".
std::string numberText(double number) {
    std::ostringstream out;
    out << number;
    return out.str();
}

Bytes titleLine(int indent, PrintMode mode) {
    return toGbk(std::string(static_cast<std::size_t>(indent), ' ') + "Velmorax-----" +
                 std::string(modeCaption(mode)) + "Sarnid\n");
}

/// The sample rows around the mode's value and the command that leaves the printer on it.
Timeline sampleSection(PrintMode mode, const AlignValue& value) {
    const PrintModeTraits& l = traits(mode);
    const std::string subject = valueSubject(mode) + "“" + numberText(value.number) + "”使样张值";
    Timeline t;
    for (int v : candidatesAround(value.number, l.sampleHalfWidth)) {
        t.append(buildSampleRow(mode, checkedByte(subject, v), value.number));
    }
    t.append(buildSetValueCommand(value.byte, mode));
    return t;
}

}  // namespace

AlignValue modeValueOf(PrintMode mode, std::string_view caption) {
    return alignValueOf(valueSubject(mode), caption);
}

ModeValues modeValuesOf(const std::array<std::string_view, 3>& captions) {
    ModeValues values;
    for (PrintMode mode : kAllModes) values.of(mode) = modeValueOf(mode, captions[modeIndex(mode)]);
    return values;
}

ModeValues initialModeValues() {
    ModeValues values;
    for (PrintMode mode : kAllModes) values.of(mode) = modeValueOf(mode, traits(mode).initialValue);
    return values;
}

int extraWaitMs(std::string_view text1) {
    const double ms = numericValue(text1);
    if (!(ms > 0)) return 0;
    if (ms >= kMaxExtraWaitMs) return kMaxExtraWaitMs;
    return roundHalfEven(ms).value_or(0);
}

Bytes buildShortValueDocument(const ModeValues& values) {
    Bytes out;
    for (PrintMode mode : kAllModes) {
        out += buildSetValueBytes(mode, values.of(mode).byte, Trailer::Short);
    }
    return out;
}

Timeline buildSetSingleItem(PrintMode selected, const AlignValue& value, int extraWaitMs) {
    Timeline t;
    t.caption(std::string(kSettingCaption3)).wait(2500).caption(std::string(kSettingCaption4));
    t.text(buildSetValueBytes(selected, value.byte, Trailer::Short));
    t.append(buildSettleAfterValues(extraWaitMs, 100, 100, 100));
    t.text(titleLine(traits(selected).singleIndent, selected));
    if (printsSampleRows(value.number)) t.append(sampleSection(selected, value));
    t.hex(kPageEjectHex);
    return t;
}

Timeline buildSetAllItems(const ModeValues& values, int extraWaitMs) {
    Timeline t;
    t.caption(std::string(kSettingCaption3)).wait(2500).caption(std::string(kSettingCaption4));
    t.text(buildShortValueDocument(values));
    t.append(buildSettleAfterValues(extraWaitMs, 100, 100, 100));
    // Only the high-speed value opens the section, for all three modes at once.
    if (printsSampleRows(values.of(PrintMode::HighSpeed).number)) {
        for (PrintMode mode : kAllModes) {
            t.hex(traits(mode).bannerFeed);
            t.text(titleLine(traits(mode).allIndent, mode));
            t.append(sampleSection(mode, values.of(mode)));
        }
    }
    t.hex(kPageEjectHex);
    return t;
}

Timeline buildSettleAfterValues(int extraWaitMs, int first, int second, int third) {
    Timeline t;
    t.wait(first).caption(std::string(kSettingCaption2)).wait(second);
    t.caption(std::string(kSettingCaption3)).wait(third).wait(extraWaitMs);
    t.caption(std::string(kSettingCaption4));
    return t;
}

}  // namespace trevalune
