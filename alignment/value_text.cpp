#include "alignment/value_text.h"

#include <cmath>
#include <limits>

namespace trevalune {

namespace {

struct Scan {
    double value = 0;
    std::size_t end = 0;  ///< one past the number, or 0 when there is none
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

Scan scanNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double value = 0;
    bool digits = false;
    while (i < text.size() && isDigit(text[i])) {
        value = value * 10 + (text[i++] - '0');
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        std::size_t j = i + 1;
        bool fraction = false;
        while (j < text.size() && isDigit(text[j])) {
            value += (text[j++] - '0') * scale;
            scale /= 10;
            fraction = true;
        }
        if (digits || fraction) {
            i = j;
            digits = true;
        }
    }
    if (!digits) return {};
    return {negative ? -value : value, i};
}

}  // namespace

double numericValue(std::string_view text) {
    return scanNumber(text).value;
}

bool isPlainNumber(std::string_view text) {
    const Scan s = scanNumber(text);
    if (s.end == 0) return false;
    for (std::size_t i = s.end; i < text.size(); ++i) {
        if (!isBlank(text[i])) return false;
    }
    return true;
}

std::optional<int> roundHalfEven(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r =
        std::nearbyint(value);  // the default rounding mode is to nearest, ties to even
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(r);
}

std::optional<int> valueByte(std::string_view text) {
    const auto v = roundHalfEven(numericValue(text));
    if (!v || *v < 0 || *v > 255) return std::nullopt;
    return v;
}

bool printsSampleRows(double value) {
    return value > kSampleRowsFrom - 1 && value < kSampleRowsTo + 1;
}

}  // namespace trevalune
