#include "alignment/value_check.h"

#include <cmath>
#include <string>

#include "alignment/value_text.h"

namespace trevalune {

namespace {
constexpr std::string_view kNothingSent = "，没有发送任何内容。";
constexpr std::string_view kNothingSentEnglish = "; nothing was sent.";
}

int captionByte(std::string_view subject, std::string_view text) {
    const std::string quoted = std::string(subject) + "“" + std::string(text) + "”";
    const std::string english = "\"" + std::string(text) + "\"";
    if (!isPlainNumber(text)) {
        throw Refusal(quoted + "不是数字" + std::string(kNothingSent),
                      english + " is not a number" + std::string(kNothingSentEnglish));
    }
    const auto v = valueByte(text);
    if (!v) {
        throw Refusal(quoted + "超出 0 到 255 的范围" + std::string(kNothingSent),
                      english + " is outside 0 to 255" + std::string(kNothingSentEnglish));
    }
    return *v;
}

int checkedByte(std::string_view subject, int value) {
    if (value < 0 || value > 255) {
        throw Refusal(std::string(subject) + " " + std::to_string(value) + " 超出 0 到 255 的范围" +
                          std::string(kNothingSent),
                      std::to_string(value) + " is outside 0 to 255" +
                          std::string(kNothingSentEnglish));
    }
    return value;
}

std::vector<int> candidatesAround(double centre, int d) {
    std::vector<int> out;
    // The candidates are 16-bit integers; a centre beyond that is refused before the loop,
    // which also keeps the loop finite (x + 1 == x for huge x).
    if (!(centre > -32768 && centre < 32767)) {
        throw Refusal("样张中心值 " + std::to_string(centre) + " 超出范围" +
                          std::string(kNothingSent),
                      "the centre value " + std::to_string(centre) + " is out of range" +
                          std::string(kNothingSentEnglish));
    }
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
