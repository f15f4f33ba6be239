#include <windows.h>

#include <string>

#include "printer/gbk.h"

namespace trevalune {

namespace {

constexpr UINT kGbk = 936;

Refusal cannotConvert(const char* what) {
    return Refusal::shownInEnglish(std::string("文本无法转换（") + what + "）。",
                                   std::string("The text cannot be converted ") + what + ".");
}

std::wstring widen(std::string_view text, UINT codePage, const char* what) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                                      static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) throw cannotConvert(what);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), n);
    return wide;
}

std::string narrow(const std::wstring& wide, UINT codePage, const char* what) {
    if (wide.empty()) return {};
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultPtr = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, usedDefaultPtr);
    if (n <= 0 || usedDefault) {
        throw cannotConvert(what);
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

}  // namespace

Bytes toGbk(std::string_view utf8) {
    return narrow(widen(utf8, CP_UTF8, "to GBK"), kGbk, "to GBK");
}

std::string fromGbk(std::string_view gbk) {
    return narrow(widen(gbk, kGbk, "from GBK"), CP_UTF8, "from GBK");
}

}  // namespace trevalune
