#include "alignment/sample_row.h"

#include <string>

#include "alignment/set_value_command.h"
#include "alignment/value_check.h"
#include "alignment/value_text.h"

namespace trevalune {

namespace {

constexpr std::string_view kBarHead = "FF00FF00FF00FF00FF00FF00";
constexpr std::string_view kEmptyHead = "000000000000000000000000";

/// ESC * 1 nL nH data CR as hex text; the count is taken from the data actually built.
std::string imageLineHex(const SampleGeometry& g) {
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

Timeline sampleRow(PrintMode mode, const SampleGeometry& g, int v, double reference) {
    checkedByte(std::string(modeCaption(mode)) + "的样张值", v);

    const bool marked = reference == static_cast<double>(v);
    Bytes label(static_cast<std::size_t>(marked ? g.spacesMarked : g.spacesUnmarked), ' ');
    if (marked) label += '*';
    label += std::to_string(v);
    label += '\r';

    const std::string line = imageLineHex(g);
    Timeline t;
    t.text(buildSetValueBytes(mode, v, Trailer::Standard) + label);
    t.hex(line).hex("1B4A10").hex(line).hex("1B4A10").hex(line).hex("1B4A10").hex(line);
    return t;
}

}  // namespace

Timeline buildSetValueCommand(int value, PrintMode mode) {
    const std::string subject = std::string(modeCaption(mode)) + "的值";
    Timeline t;
    t.text(buildSetValueBytes(mode, checkedByte(subject, value), Trailer::Standard));
    return t;
}

Timeline buildSampleRow(PrintMode mode, int v, double reference) {
    return sampleRow(mode, traits(mode).sample, v, reference);
}

Timeline buildTestSample(int v, double centre) {
    return sampleRow(PrintMode::HighSpeed, kTestSampleGeometry, v, centre);
}

}  // namespace trevalune
