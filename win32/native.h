#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

namespace trevalune::win32 {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
/// Owns one font; the controls that show it must be given another first, or be gone.
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
/// Owns one bitmap; it must not be selected into a device context when it goes.
using BitmapHandle = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};
/// A device context made by CreateCompatibleDC.
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

/// A window's device context for a while (GetDC), released at the end.
class WindowDc final {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

/// An object selected into a device context for a while; the previous one comes back.
class Selected final {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

/// The system's DPI (96 where it cannot tell).
int systemDpi();
/// The monitor's DPI where the system can tell (Windows 10 1607 and later, Wine), else 0.
int windowDpi(HWND window);
/// The system's message font, the one dialogs use, at `dpi`.
FontHandle dialogFont(int dpi);
/// `pixels` at 96 DPI, at `dpi`.
inline int scaled(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}
/// Where a scroll bar's request (SB_LINEUP, SB_PAGEDOWN, SB_THUMBTRACK, ...) moves the
/// position; nothing for a request that moves nothing. `line` is one arrow step, in pixels.
std::optional<int> scrollRequested(const SCROLLINFO& info, int request, int line);
/// The object a window's messages go to: the pointer given to CreateWindowExW, kept in the
/// window's GWLP_USERDATA from WM_NCCREATE on; nullptr before, and after the owner clears it.
template <typename Owner>
Owner* windowOwner(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

/// One line for a support case (the debugger's output); never throws.
void writeDebugLine(std::string_view line) noexcept;

}  // namespace trevalune::win32
