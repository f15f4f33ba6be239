#include "printer/hex_text.h"

#include <string>

namespace trevalune {

std::size_t hexByteCount(std::size_t length) {
    if (length == 0) return 0;
    if (length % 2 == 0) return length / 2;
    // L/2 - 1 ends in .5 for odd L; the tie goes to the even neighbour.
    const std::size_t half = (length - 1) / 2;
    return half % 2 == 0 ? half + 1 : half;
}

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool isBlank(char c) {
    return c == ' ';
}

std::string quoted(std::string_view field) {
    return "\"" + std::string(field) + "\"";
}

}  // namespace

Bytes hexTextToBytes(std::string_view hexText) {
    if (hexText.empty()) {
        throw Refusal(RefusalCode::HexTextEmpty);
    }
    const std::size_t n = hexByteCount(hexText.size());
    Bytes out;
    out.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::string_view field = hexText.substr(2 * k, 2);
        const std::string_view raw = field;
        while (!field.empty() && isBlank(field.front())) field.remove_prefix(1);
        while (!field.empty() && isBlank(field.back())) field.remove_suffix(1);
        if (field.empty()) {
            throw Refusal(RefusalCode::HexFieldBlank, {std::to_string(2 * k + 1), quoted(raw)});
        }
        int value = 0;
        for (char c : field) {
            const int d = digitValue(c);
            if (d < 0) {
                throw Refusal(RefusalCode::HexFieldNotHex,
                              {std::to_string(2 * k + 1), quoted(raw)});
            }
            value = value * 16 + d;
        }
        out.push_back(static_cast<char>(static_cast<unsigned char>(value)));
    }
    return out;
}

}  // namespace trevalune
