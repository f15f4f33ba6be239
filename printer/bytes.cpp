#include "printer/bytes.h"

namespace trevalune {

char byteOf(int code) {
    if (code < 0 || code > 255) {
        throw std::invalid_argument("The value " + std::to_string(code) +
                                    " does not fit in one byte (0 to 255).");
    }
    return static_cast<char>(static_cast<unsigned char>(code));
}

Bytes bytesOf(std::initializer_list<int> codes) {
    Bytes out;
    out.reserve(codes.size());
    for (int c : codes) out.push_back(byteOf(c));
    return out;
}

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
}

std::string toHexText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::string toSpacedHex(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        if (!out.empty()) out.push_back(' ');
        const auto b = static_cast<unsigned char>(ch);
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

}  // namespace trevalune
