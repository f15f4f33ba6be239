#include "alignment/value_check.h"

#include <string>

#include "alignment/value_text.h"

namespace trevalune {

namespace {
constexpr std::string_view kNothingSent = "，没有发送任何内容。";
}

int captionByte(std::string_view subject, std::string_view text) {
    const std::string quoted = std::string(subject) + "“" + std::string(text) + "”";
    if (!isPlainNumber(text)) throw EncodeError(quoted + "不是数字" + std::string(kNothingSent));
    const auto v = valueByte(text);
    if (!v) throw EncodeError(quoted + "超出 0 到 255 的范围" + std::string(kNothingSent));
    return *v;
}

int checkedByte(std::string_view subject, int value) {
    if (value < 0 || value > 255) {
        throw EncodeError(std::string(subject) + " " + std::to_string(value) +
                          " 超出 0 到 255 的范围" + std::string(kNothingSent));
    }
    return value;
}

std::vector<int> candidatesAround(double centre, int d) {
    std::vector<int> out;
    // The candidates are 16-bit integers; a centre beyond that is refused before the loop,
    // which also keeps the loop finite (x + 1 == x for huge x).
    if (!(centre > -32768 && centre < 32767)) {
        throw EncodeError("样张中心值 " + std::to_string(centre) + " 超出范围" +
                          std::string(kNothingSent));
    }
    // Counted in whole steps: adding 1 to a fractional x again and again can end a hair above
    // centre + d, which would lose the last candidate (0.36 with d = 2 gave four).
    for (int i = 0; i <= 2 * d; ++i) out.push_back(roundHalfEven(centre - d + i).value_or(0));
    return out;
}

}  // namespace trevalune
