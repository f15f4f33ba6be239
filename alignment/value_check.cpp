#include "alignment/value_check.h"

#include <cmath>
#include <string>

#include "alignment/value_text.h"

namespace trevalune {

int captionByte(std::string_view subject, std::string_view text) {
    const std::vector<std::string> words{std::string(subject), std::string(text)};
    if (!isPlainNumber(text)) throw Refusal(RefusalCode::CaptionNotANumber, words);
    const auto v = valueByte(text);
    if (!v) throw Refusal(RefusalCode::CaptionOutsideByte, words);
    return *v;
}

AlignValue alignValueOf(std::string_view subject, std::string_view text) {
    const int byte = captionByte(subject, text);
    return {numericValue(text), byte};
}

int checkedByte(std::string_view subject, int value) {
    if (value < 0 || value > 255)
        throw Refusal(RefusalCode::ValueOutsideByte, {std::string(subject), std::to_string(value)});
    return value;
}

std::vector<int> candidatesAround(double centre, int d) {
    std::vector<int> out;
    // The candidates are 16-bit integers; a centre beyond that is refused before the loop,
    // which also keeps the loop finite (x + 1 == x for huge x).
    if (!(centre > -32768 && centre < 32767))
        throw Refusal(RefusalCode::CentreOutOfRange, {std::to_string(centre)});
    // Each candidate is centre - d + i rounded half to even, worked out from the centre's whole
    // and fractional parts: a floating-point sum can round itself onto a half ("30.4999…" + 3
    // became 33.5, so 33 was skipped and 34 printed), and repeated steps can overshoot the end
    // (0.36 with d = 2 once gave four candidates).
    const double whole = std::floor(centre);
    const double fraction = centre - whole;  // exact: both lie within 16 bits
    for (int i = 0; i <= 2 * d; ++i) {
        const int k = static_cast<int>(whole) - d + i;
        const bool up = fraction > 0.5 || (fraction == 0.5 && k % 2 != 0);
        out.push_back(up ? k + 1 : k);
    }
    return out;
}

}  // namespace trevalune
