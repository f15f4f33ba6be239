#include "alignment/set_items.h"

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

Bytes titleLine(int indent, PrintMode mode) {
    return toGbk(std::string(static_cast<std::size_t>(indent), ' ') + "Velmorax-----" +
                 std::string(modeCaption(mode)) + "Sarnid\n");
}

/// The sample rows around the mode's value and the command that leaves the printer on it.
Timeline sampleSection(PrintMode mode, const std::string& text, int valueByte) {
    const PrintModeTraits& l = traits(mode);
    const std::string subject = valueSubject(mode) + "“" + text + "”使样张值";
    Timeline t;
    for (int v : candidatesAround(numericValue(text), l.sampleHalfWidth)) {
        t.append(buildSampleRow(mode, checkedByte(subject, v), text));
    }
    t.append(buildSetValueCommand(valueByte, mode));
    return t;
}

}  // namespace

const std::string& ModeValues::of(PrintMode mode) const {
    const std::array<const std::string*, 3> all = {&highSpeed, &highDensity, &superHighDensity};
    return *all[modeIndex(mode)];
}

int extraWaitMs(std::string_view text1) {
    const double ms = numericValue(text1);
    if (!(ms > 0)) return 0;
    if (ms >= kMaxExtraWaitMs) return kMaxExtraWaitMs;
    return roundHalfEven(ms).value_or(0);
}

std::array<int, 3> modeValueBytes(const ModeValues& values) {
    std::array<int, 3> out{};
    for (std::size_t i = 0; i < kAllModes.size(); ++i) {
        out[i] = captionByte(valueSubject(kAllModes[i]), values.of(kAllModes[i]));
    }
    return out;
}

Bytes buildShortValueDocument(const std::array<int, 3>& valueBytes) {
    Bytes out;
    for (std::size_t i = 0; i < kAllModes.size(); ++i) {
        out += buildSetValueBytes(kAllModes[i], valueBytes[i], Trailer::Short);
    }
    return out;
}

Timeline buildSetSingleItem(PrintMode selected, const ModeValues& values, std::string_view text1) {
    const std::string& text = values.of(selected);
    const int valueByte = captionByte(valueSubject(selected), text);

    Timeline t;
    t.caption(std::string(kSettingCaption3)).wait(2500).caption(std::string(kSettingCaption4));
    t.text(buildSetValueBytes(selected, valueByte, Trailer::Short));
    t.append(buildSettleAfterValues(text1, 100, 100, 100));
    t.text(titleLine(traits(selected).singleIndent, selected));
    if (printsSampleRows(numericValue(text))) t.append(sampleSection(selected, text, valueByte));
    t.hex(kPageEjectHex);
    return t;
}

Timeline buildSetAllItems(const ModeValues& values, std::string_view text1) {
    const std::array<int, 3> bytes = modeValueBytes(values);
    Timeline t;
    t.caption(std::string(kSettingCaption3)).wait(2500).caption(std::string(kSettingCaption4));
    t.text(buildShortValueDocument(bytes));
    t.append(buildSettleAfterValues(text1, 100, 100, 100));
    // Only the high-speed value opens the section, for all three modes at once.
    if (printsSampleRows(numericValue(values.highSpeed))) {
        for (std::size_t i = 0; i < kAllModes.size(); ++i) {
            const PrintMode mode = kAllModes[i];
            t.hex(traits(mode).bannerFeed);
            t.text(titleLine(traits(mode).allIndent, mode));
            t.append(sampleSection(mode, values.of(mode), bytes[i]));
        }
    }
    t.hex(kPageEjectHex);
    return t;
}

Timeline buildSettleAfterValues(std::string_view text1, int first, int second, int third) {
    Timeline t;
    t.wait(first).caption(std::string(kSettingCaption2)).wait(second);
    t.caption(std::string(kSettingCaption3)).wait(third).wait(extraWaitMs(text1));
    t.caption(std::string(kSettingCaption4));
    return t;
}

}  // namespace trevalune
