#pragma once

#include <string>
#include <string_view>

namespace trevalune {

/// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string toUtf16(std::string_view utf8);
/// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view utf16);

#ifdef _WIN32
/// The same for the W functions of Windows, whose wchar_t is a UTF-16 code unit.
inline std::wstring toWide(std::string_view utf8) {
    const std::u16string text = toUtf16(utf8);
    return {text.begin(), text.end()};
}
inline std::string fromWide(std::wstring_view text) {
    return toUtf8(std::u16string(text.begin(), text.end()));
}
#endif

}  // namespace trevalune
