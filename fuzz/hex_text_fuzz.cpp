// The printer link's hex text reader on arbitrary text. It refuses (Refusal) exactly when
// a field is blank or not hexadecimal; otherwise it gives the number of bytes its sizing rule
// promises, and a field of two hex digits reads back as itself. Bytes written out as hex text
// read back unchanged.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "printer/bytes.h"
#include "printer/hex_text.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

/// Whether the reader must accept the field: blank-trimmed, one or two hex digits.
bool readable(std::string_view field) {
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    if (field.empty()) return false;
    for (char c : field) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trevalune;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t count = hexByteCount(text.size());
    bool expectAccepted = !text.empty();
    for (std::size_t k = 0; k < count; ++k) expectAccepted &= readable(text.substr(2 * k, 2));

    try {
        const Bytes bytes = hexTextToBytes(text);
        require(expectAccepted);
        require(bytes.size() == count);
        for (std::size_t k = 0; k < count; ++k) {
            const std::string_view field = text.substr(2 * k, 2);
            if (field.size() == 2 && isHexDigit(field[0]) && isHexDigit(field[1])) {
                const std::string pair = toHexText(Bytes(1, bytes[k]));
                require(std::toupper(static_cast<unsigned char>(field[0])) == pair[0] &&
                        std::toupper(static_cast<unsigned char>(field[1])) == pair[1]);
            }
        }
    } catch (const Refusal&) {
        require(!expectAccepted);
    }

    if (!text.empty()) require(hexTextToBytes(toHexText(Bytes(text))) == Bytes(text));
    return 0;
}
