// The number reader and the value-byte conversion on arbitrary text: the leading number is
// never NaN and does not change when something follows it; a value byte is always 0..255 and
// the set operations' check accepts exactly the plain numbers that have one; the test print's
// candidates around any centre either are refused or lie next to it.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "alignment/value_check.h"
#include "alignment/value_text.h"
#include "printer/bytes.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trevalune;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const double value = numericValue(text);
    require(!std::isnan(value));
    require(numericValue(text + "x") == value);  // what follows the number is not read
    const bool plain = isPlainNumber(text);
    if (plain) require(isPlainNumber(text + " ") && numericValue(text + " ") == value);

    const auto rounded = roundHalfEven(value);
    if (rounded) require(std::fabs(*rounded - value) <= 0.5);
    const auto byte = valueByte(text);
    if (byte) require(*byte >= 0 && *byte <= 255 && byte == rounded);

    try {
        const int checked = captionByte("value", text);
        require(plain && byte && checked == *byte);
    } catch (const Refusal&) {
        require(!plain || !byte);
    }

    try {
        const auto candidates = candidatesAround(value, 3);
        require(candidates.size() == 7);
        for (int c : candidates) require(std::fabs(c - value) <= 3.5);
    } catch (const Refusal&) {
        require(!(value > -32768 && value < 32767));
    }
    return 0;
}
