#include "win32/native.h"

#include <string>

#include "common/utf16.h"

namespace trevalune::win32 {

int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int windowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto get = user32 == nullptr
                         ? nullptr
                         : reinterpret_cast<GetDpiForWindowFn>(
                               reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    return get == nullptr ? 0 : static_cast<int>(get(window));
}

FontHandle dialogFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW dialog = metrics.lfMessageFont;
    // Given at the system's DPI; the window may be on a monitor of another scale.
    dialog.lfHeight = MulDiv(dialog.lfHeight, dpi, systemDpi());
    return FontHandle(CreateFontIndirectW(&dialog));
}

std::optional<int> scrollRequested(const SCROLLINFO& info, int request, int line) {
    switch (request) {
        case SB_LINEUP:
            return info.nPos - line;
        case SB_LINEDOWN:
            return info.nPos + line;
        case SB_PAGEUP:
            return info.nPos - static_cast<int>(info.nPage);
        case SB_PAGEDOWN:
            return info.nPos + static_cast<int>(info.nPage);
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            return info.nTrackPos;
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return info.nMax;
        default:
            return std::nullopt;
    }
}

void writeDebugLine(std::string_view line) noexcept {
    try {
        OutputDebugStringW((L"trevalune: " + toWide(line) + L"\n").c_str());
    } catch (...) {
        // Said from within error handling: it must not throw in turn.
        OutputDebugStringW(L"trevalune: (a line that could not be converted)\n");
    }
}

}  // namespace trevalune::win32
