#include <windows.h>

#include <string>

#include "common/utf16.h"
#include "printer/gbk.h"

namespace trevalune {

namespace {

constexpr UINT kGbk = 936;

Refusal cannotConvert(const char* what) {
    return Refusal(RefusalCode::TextNotConvertible, {what});
}

std::wstring widenGbk(std::string_view gbk) {
    if (gbk.empty()) return {};
    const int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(),
                                      static_cast<int>(gbk.size()), nullptr, 0);
    if (n <= 0) throw cannotConvert("from GBK");
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()),
                        wide.data(), n);
    return wide;
}

std::string narrowToGbk(const std::wstring& wide) {
    if (wide.empty()) return {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kGbk, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                      0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) throw cannotConvert("to GBK");
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kGbk, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

}  // namespace

Bytes toGbk(std::string_view utf8) {
    // Malformed UTF-8 becomes U+FFFD, which GBK has no code for: refused all the same.
    return narrowToGbk(toWide(utf8));
}

std::string fromGbk(std::string_view gbk) {
    return fromWide(widenGbk(gbk));
}

}  // namespace trevalune
