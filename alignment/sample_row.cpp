#include "alignment/sample_row.h"

#include <string>

#include "alignment/set_value_command.h"
#include "alignment/value_check.h"
#include "alignment/value_text.h"

namespace trevalune {

namespace {

/// One row kind's label and bar geometry. A line's data is `repeats` times `groups` groups;
/// each group is a 12-byte head (six one-column bars with a gap after each, or twelve empty
/// columns) followed by `gap` empty columns.
struct Geometry {
    PrintMode mode;
    int spacesMarked;
    int spacesUnmarked;
    int repeats;
    int groups;
    int firstBar;
    int lastBar;
    int gap;
};

constexpr Geometry geometry(SampleKind kind) {
    switch (kind) {
        case SampleKind::Test:
            return {PrintMode::HighSpeed, 14, 15, 1, 20, 3, 8, 132};
        case SampleKind::HighSpeed:
            return {PrintMode::HighSpeed, 25, 26, 2, 18, 7, 12, 68};
        case SampleKind::HighDensity:
            return {PrintMode::HighDensity, 34, 35, 2, 18, 7, 12, 92};
        case SampleKind::SuperHighDensity:
            // Two more blanks without the marker than with it (not one, as in the other
            // rows): the unmarked labels print one place further right. Kept as printed.
            return {PrintMode::SuperHighDensity, 56, 58, 2, 20, 8, 13, 132};
    }
    return {PrintMode::HighSpeed, 0, 0, 0, 0, 0, 0, 0};
}

constexpr std::string_view kBarHead = "FF00FF00FF00FF00FF00FF00";
constexpr std::string_view kEmptyHead = "000000000000000000000000";

/// ESC * 1 nL nH data CR as hex text; the count is taken from the data actually built.
std::string imageLineHex(const Geometry& g) {
    std::string data;
    for (int r = 0; r < g.repeats; ++r) {
        for (int k = 1; k <= g.groups; ++k) {
            data += (k >= g.firstBar && k <= g.lastBar) ? kBarHead : kEmptyHead;
            data.append(static_cast<std::size_t>(g.gap) * 2, '0');
        }
    }
    const auto count = static_cast<int>(data.size() / 2);
    return "1B2A01" + toHexText(bytesOf({count & 0xFF, count >> 8})) + data + "0D";
}

}  // namespace

PrintMode sampleMode(SampleKind kind) {
    return geometry(kind).mode;
}

Timeline buildSetValueCommand(int value, PrintMode mode) {
    const std::string subject = std::string(modeCaption(mode)) + "的值";
    Timeline t;
    t.text(buildSetValueBytes(mode, checkedByte(subject, value), Trailer::Standard));
    return t;
}

Timeline buildSampleRow(SampleKind kind, int v, std::string_view referenceText) {
    const Geometry g = geometry(kind);
    checkedByte(std::string(modeCaption(g.mode)) + "的样张值", v);

    const bool marked = numericValue(referenceText) == static_cast<double>(v);
    Bytes label(static_cast<std::size_t>(marked ? g.spacesMarked : g.spacesUnmarked), ' ');
    if (marked) label += '*';
    label += std::to_string(v);
    label += '\r';

    const std::string line = imageLineHex(g);
    Timeline t;
    t.text(buildSetValueBytes(g.mode, v, Trailer::Standard) + label);
    t.hex(line).hex("1B4A10").hex(line).hex("1B4A10").hex(line).hex("1B4A10").hex(line);
    return t;
}

}  // namespace trevalune
