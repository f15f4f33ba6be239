#include "win32/reading_window.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "common/utf16.h"

namespace trevalune::win32 {

namespace {

constexpr wchar_t kReadingClass[] = L"Trevalune.Reading";
constexpr wchar_t kPictureClass[] = L"Trevalune.ReadingPicture";
/// Above IDOK and IDCANCEL, which the dialog keys send for Enter and Escape.
constexpr int kPictureId = 10;
constexpr int kFirstTextId = 100;
constexpr int kFirstTakeId = 200;

// Pixels at 96 DPI.
constexpr int kOpeningWidth = 560;
constexpr int kOpeningHeight = 760;
constexpr int kMinimumWidth = 320;
constexpr int kMinimumHeight = 260;
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kButtonHeight = 25;
constexpr int kButtonMinimumWidth = 75;
/// A button's edges and its focus rectangle round the caption.
constexpr int kButtonPadding = 28;
/// The picture keeps at least this much height, however long the verdicts.
constexpr int kPictureMinimumHeight = 120;
/// Narrower than this, the picture no longer shrinks with the window but scrolls sideways:
/// the marked row must stay recognisable.
constexpr int kPictureMinimumWidth = 320;
constexpr int kScrollLinePixels = 20;

void registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("RegisterClassExW failed");
}

HWND createChild(HWND parent, const wchar_t* className, const std::string& text, DWORD style,
                 int id, HFONT font) {
    const HWND child = CreateWindowExW(
        0, className, toWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child == nullptr) throw std::runtime_error("CreateWindowExW failed");
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

/// The annotated picture, as wide as its window (never narrower than kPictureMinimumWidth),
/// scrolled by its bars, the wheel and the arrow and page keys. It keeps the picture scaled
/// once to the size shown, so scrolling only copies.
class PictureView final {
public:
    PictureView(HINSTANCE instance, HWND parent, int dpi) : dpi_(dpi) {
        window_ = CreateWindowExW(
            WS_EX_CLIENTEDGE, kPictureClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPictureId)), instance, this);
        if (window_ == nullptr) throw std::runtime_error("CreateWindowExW failed");
    }
    PictureView(const PictureView&) = delete;
    PictureView& operator=(const PictureView&) = delete;

    HWND window() const { return window_; }
    void setDpi(int dpi) { dpi_ = dpi; }

    void setPicture(const rowreader::RgbImage& image) {
        const bool whole = image.width > 0 && image.height > 0 &&
                           image.pixels.size() == std::size_t(3) * image.width * image.height;
        width_ = whole ? image.width : 0;
        height_ = whole ? image.height : 0;
        // A device-independent bitmap: blue, green, red, each row padded to four bytes.
        const std::size_t stride = (std::size_t(width_) * 3 + 3) & ~std::size_t(3);
        rows_.assign(stride * height_, 0);
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* from = &image.pixels[std::size_t(y) * width_ * 3];
            std::uint8_t* to = &rows_[std::size_t(y) * stride];
            for (int x = 0; x < width_; ++x, from += 3, to += 3) {
                to[0] = from[2];
                to[1] = from[1];
                to[2] = from[0];
            }
        }
        scroll_ = {0, 0};
        shown_ = {0, 0};
        scaled_.reset();
        updateScrolling();
    }

    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* view = windowOwner<PictureView>(hwnd, message, lParam);
        if (message == WM_NCCREATE && view != nullptr) view->window_ = hwnd;
        if (view == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            view->window_ = nullptr;
        }
        return view->handle(hwnd, message, wParam, lParam);
    }

private:
    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        const int line = scaled(kScrollLinePixels, dpi_);
        switch (message) {
            case WM_SIZE:
                updateScrolling();
                return 0;
            case WM_ERASEBKGND:
                return 1;  // painted whole in WM_PAINT
            case WM_PAINT:
                paint();
                return 0;
            case WM_VSCROLL:
            case WM_HSCROLL:
                onScroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
                return 0;
            case WM_MOUSEWHEEL:
                scrollTo({scroll_.x,
                          scroll_.y - GET_WHEEL_DELTA_WPARAM(wParam) * 3 * line / WHEEL_DELTA});
                return 0;
            case WM_LBUTTONDOWN:
                SetFocus(hwnd);
                return 0;
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                InvalidateRect(hwnd, nullptr, FALSE);  // the focus rectangle
                return 0;
            case WM_GETDLGCODE:
                return DLGC_WANTARROWS;
            case WM_KEYDOWN:
                if (const auto [bar, request] = keyScroll(wParam); bar >= 0) {
                    onScroll(bar, request);
                    return 0;
                }
                break;
            default:
                break;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    static std::pair<int, int> keyScroll(WPARAM key) {
        switch (key) {
            case VK_UP:
                return {SB_VERT, SB_LINEUP};
            case VK_DOWN:
                return {SB_VERT, SB_LINEDOWN};
            case VK_PRIOR:
                return {SB_VERT, SB_PAGEUP};
            case VK_NEXT:
                return {SB_VERT, SB_PAGEDOWN};
            case VK_HOME:
                return {SB_VERT, SB_TOP};
            case VK_END:
                return {SB_VERT, SB_BOTTOM};
            case VK_LEFT:
                return {SB_HORZ, SB_LINEUP};
            case VK_RIGHT:
                return {SB_HORZ, SB_LINEDOWN};
            default:
                return {-1, 0};
        }
    }

    /// The picture's size on screen for a client area `width` wide.
    SIZE shownAt(int width) const {
        if (width_ == 0) return {0, 0};
        const int w = std::max(width, scaled(kPictureMinimumWidth, dpi_));
        return {w, MulDiv(height_, w, width_)};
    }

    /// Bars where the picture is larger than the client area, and the picture scaled anew
    /// when its size on screen changed.
    void updateScrolling() {
        // Showing or hiding a bar resizes the client area, which comes back here.
        if (updating_ || window_ == nullptr) return;
        updating_ = true;
        RECT client;
        GetClientRect(window_, &client);
        const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
        const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
        const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
        const int fullWidth = client.right + ((style & WS_VSCROLL) ? barWidth : 0);
        const int fullHeight = client.bottom + ((style & WS_HSCROLL) ? barHeight : 0);
        bool vertical = false;
        bool horizontal = false;
        // A bar taken narrows the room for the other direction; once needed, it stays.
        for (int pass = 0; pass < 2; ++pass) {
            int width = fullWidth - (vertical ? barWidth : 0);
            vertical = vertical || shownAt(width).cy > fullHeight - (horizontal ? barHeight : 0);
            width = fullWidth - (vertical ? barWidth : 0);
            horizontal = horizontal || shownAt(width).cx > width;
        }
        ShowScrollBar(window_, SB_VERT, vertical);
        ShowScrollBar(window_, SB_HORZ, horizontal);
        GetClientRect(window_, &client);
        const SIZE size = shownAt(client.right);
        using Bar = std::tuple<int, int, int>;  // the bar, the picture's extent, the page
        for (const auto& [bar, content, page] :
             {Bar{SB_VERT, size.cy, client.bottom}, Bar{SB_HORZ, size.cx, client.right}}) {
            SCROLLINFO info{sizeof info,
                            SIF_RANGE | SIF_PAGE,
                            0,
                            std::max(content - 1, 0),
                            static_cast<UINT>(std::max(page, 1)),
                            0,
                            0};
            SetScrollInfo(window_, bar, &info, TRUE);
        }
        if (size.cx != shown_.cx || size.cy != shown_.cy) {
            scroll_ = {MulDiv(scroll_.x, size.cx, std::max<int>(shown_.cx, 1)),
                       MulDiv(scroll_.y, size.cy, std::max<int>(shown_.cy, 1))};
            shown_ = size;
            scalePicture();
        }
        updating_ = false;
        scrollTo(scroll_, true);
    }

    void scalePicture() {
        scaled_.reset();
        if (shown_.cx <= 0 || shown_.cy <= 0) return;
        BitmapHandle bitmap;
        MemoryDc memory;
        {
            const WindowDc screen(window_);
            bitmap.reset(CreateCompatibleBitmap(screen.get(), shown_.cx, shown_.cy));
            memory.reset(CreateCompatibleDC(screen.get()));
        }
        if (!bitmap || !memory) return;  // too large for the system: the grey ground shows
        {
            const Selected selected(memory.get(), bitmap.get());
            // Averaged, not sampled: the rows' thin lines and labels must survive shrinking.
            SetStretchBltMode(memory.get(), HALFTONE);
            SetBrushOrgEx(memory.get(), 0, 0, nullptr);
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER),
                              width_,
                              -height_,  // top-down, as the rows are held
                              1,
                              24,
                              BI_RGB,
                              0,
                              0,
                              0,
                              0,
                              0};
            StretchDIBits(memory.get(), 0, 0, shown_.cx, shown_.cy, 0, 0, width_, height_,
                          rows_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        }
        scaled_ = std::move(bitmap);
    }

    void paint() {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(window_, &ps);
        RECT client;
        GetClientRect(window_, &client);
        const int right = shown_.cx - scroll_.x;
        const int bottom = shown_.cy - scroll_.y;
        if (scaled_) {
            const MemoryDc memory(CreateCompatibleDC(dc));
            const Selected selected(memory.get(), scaled_.get());
            BitBlt(dc, 0, 0, right, bottom, memory.get(), scroll_.x, scroll_.y, SRCCOPY);
        }
        const HBRUSH ground = GetSysColorBrush(COLOR_APPWORKSPACE);
        const RECT beside{scaled_ ? right : 0, 0, client.right, client.bottom};
        const RECT below{0, scaled_ ? bottom : 0, client.right, client.bottom};
        FillRect(dc, &beside, ground);
        FillRect(dc, &below, ground);
        if (GetFocus() == window_) DrawFocusRect(dc, &client);
        EndPaint(window_, &ps);
    }

    void onScroll(int bar, int request) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(window_, bar, &info);
        const std::optional<int> moved =
            scrollRequested(info, request, scaled(kScrollLinePixels, dpi_));
        if (!moved) return;
        scrollTo(bar == SB_HORZ ? POINT{*moved, scroll_.y} : POINT{scroll_.x, *moved});
    }

    void scrollTo(POINT position, bool repaint = false) {
        RECT client;
        GetClientRect(window_, &client);
        position.x = std::clamp<int>(position.x, 0, std::max<int>(shown_.cx - client.right, 0));
        position.y = std::clamp<int>(position.y, 0, std::max<int>(shown_.cy - client.bottom, 0));
        SetScrollPos(window_, SB_HORZ, position.x, TRUE);
        SetScrollPos(window_, SB_VERT, position.y, TRUE);
        if (!repaint && position.x == scroll_.x && position.y == scroll_.y) return;
        scroll_ = position;
        InvalidateRect(window_, nullptr, FALSE);
    }

    HWND window_ = nullptr;
    int dpi_;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> rows_;  ///< the picture as a device-independent bitmap's bits
    SIZE shown_{0, 0};
    POINT scroll_{0, 0};
    BitmapHandle scaled_;  ///< the picture at shown_
    bool updating_ = false;
};

bool isReadingWindow(HWND hwnd) {
    wchar_t name[64] = {};
    return GetClassNameW(hwnd, name, 64) > 0 && std::wstring_view(name) == kReadingClass;
}

ReadingWindow::ReadingWindow(HINSTANCE instance, HWND owner, TakeHandler onTake)
    : instance_(instance), owner_(owner), onTake_(std::move(onTake)) {}

ReadingWindow::~ReadingWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

HWND ReadingWindow::picture() const {
    return picture_ ? picture_->window() : nullptr;
}

void ReadingWindow::show(const ReadingView& view) {
    if (window_ == nullptr) create();
    verdicts_ = view.verdicts;
    SetWindowTextW(window_, toWide(view.title).c_str());
    createLines();
    layOut();
    picture_->setPicture(view.picture);
    ShowWindow(window_, IsIconic(window_)          ? SW_RESTORE
                        : IsWindowVisible(window_) ? SW_SHOW
                                                   : SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    const auto button = std::find_if(lines_.begin(), lines_.end(),
                                     [](const Line& line) { return line.button != nullptr; });
    SetFocus(button != lines_.end() ? button->button : picture_->window());
}

void ReadingWindow::create() {
    registerClass(instance_, kReadingClass, &ReadingWindow::windowProc,
                  GetSysColorBrush(COLOR_BTNFACE));
    registerClass(instance_, kPictureClass, &PictureView::proc, nullptr);
    const int ownerDpi = windowDpi(owner_);
    dpi_ = ownerDpi > 0 ? ownerDpi : systemDpi();
    // Beside the main window where the work area leaves room, else at its right edge.
    RECT ownerRect;
    GetWindowRect(owner_, &ownerRect);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = std::min<int>(scaled(kOpeningWidth, dpi_), work.right - work.left);
    const int height = std::min<int>(scaled(kOpeningHeight, dpi_), work.bottom - work.top);
    const int left = std::max<int>(work.left, std::min<int>(ownerRect.right, work.right - width));
    const int top = std::clamp<int>(ownerRect.top, work.top, work.bottom - height);
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kReadingClass, L"",
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, width, height,
                              owner_, nullptr, instance_, this);
    if (window_ == nullptr) throw std::runtime_error("CreateWindowExW failed");
    // Another picture may be dropped here too; the main window reads it.
    DragAcceptFiles(window_, TRUE);
    if (const int own = windowDpi(window_); own > 0) dpi_ = own;
    font_ = dialogFont(dpi_);
    picture_ = std::make_unique<PictureView>(instance_, window_, dpi_);
}

void ReadingWindow::createLines() {
    for (const Line& line : lines_) {
        DestroyWindow(line.text);
        if (line.button != nullptr) DestroyWindow(line.button);
    }
    lines_.clear();
    for (std::size_t i = 0; i < verdicts_.size(); ++i) {
        const ModeVerdict& verdict = verdicts_[i];
        const int index = static_cast<int>(i);
        Line line;
        line.text = createChild(window_, L"STATIC", verdict.text, SS_LEFT | SS_NOPREFIX,
                                kFirstTextId + index, font_.get());
        if (verdict.take) {
            line.button =
                createChild(window_, L"BUTTON", verdict.takeCaption, WS_TABSTOP | BS_PUSHBUTTON,
                            kFirstTakeId + index, font_.get());
        }
        lines_.push_back(line);
    }
}

void ReadingWindow::layOut() {
    if (window_ == nullptr || picture_ == nullptr) return;
    RECT client;
    GetClientRect(window_, &client);
    const int margin = scaled(kMargin, dpi_);
    const int gap = scaled(kGap, dpi_);
    const int buttonHeight = scaled(kButtonHeight, dpi_);
    struct Place {
        RECT text;
        RECT button;
        int height;
    };
    std::vector<Place> places;
    int band = margin;
    {
        const WindowDc device(window_);
        const HDC dc = device.get();
        const Selected font(dc, font_.get());
        for (const Line& line : lines_) {
            // The verdict wraps at the width; its button, if any, lies under it.
            Place place{};
            const std::wstring text = windowText(line.text);
            place.text = {margin, 0, std::max<int>(client.right - margin, margin + 1), 0};
            DrawTextW(dc, text.c_str(), -1, &place.text,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
            place.height = place.text.bottom;
            if (line.button != nullptr) {
                const std::wstring caption = windowText(line.button);
                SIZE size{};
                GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
                const int width = std::max<int>(size.cx + scaled(kButtonPadding, dpi_),
                                                scaled(kButtonMinimumWidth, dpi_));
                place.button = {margin, place.height + gap, margin + width,
                                place.height + gap + buttonHeight};
                place.height = place.button.bottom;
            }
            band += place.height + gap;
            places.push_back(place);
        }
    }
    band += margin - (places.empty() ? 0 : gap);
    // The verdicts first, as they are read; the picture below them to check them by.
    SetWindowPos(picture_->window(), nullptr, 0, band, client.right,
                 std::max<int>(client.bottom - band, scaled(kPictureMinimumHeight, dpi_)),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    int top = margin;
    const auto place = [&](HWND control, const RECT& r) {
        SetWindowPos(control, nullptr, r.left, top + r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        place(lines_[i].text, places[i].text);
        if (lines_[i].button != nullptr) place(lines_[i].button, places[i].button);
        top += places[i].height + gap;
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void ReadingWindow::onDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    const FontHandle old = std::move(font_);  // goes once the controls show the new one
    font_ = dialogFont(dpi_);
    for (const Line& line : lines_) {
        SendMessageW(line.text, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        if (line.button != nullptr) {
            SendMessageW(line.button, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        }
    }
    picture_->setDpi(dpi_);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    layOut();  // also where the suggested size is the present one
}

void ReadingWindow::press(HWND button) {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (button == nullptr || lines_[i].button != button || !verdicts_[i].take) continue;
        if (IsWindowEnabled(button)) {
            const TakeValue take = *verdicts_[i].take;  // the handler may show another page
            onTake_(take);
        }
        return;
    }
}

LRESULT CALLBACK ReadingWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowOwner<ReadingWindow>(hwnd, message, lParam);
    if (message == WM_NCCREATE && self != nullptr) self->window_ = hwnd;
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    // An exception must not unwind through DispatchMessageW.
    try {
        return self->handle(hwnd, message, wParam, lParam);
    } catch (const std::exception& error) {
        writeDebugLine(std::string("unexpected error in the reading window: ") + error.what());
    } catch (...) {
        writeDebugLine("unexpected error in the reading window");
    }
    return 0;
}

LRESULT ReadingWindow::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam == 0 && LOWORD(wParam) == IDOK) {
                press(GetFocus());  // Enter presses the focused button
            } else if (lParam == 0 && LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(hwnd);  // Escape closes, as a dialog's would
            } else if (HIWORD(wParam) == BN_CLICKED) {
                press(reinterpret_cast<HWND>(lParam));
            }
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) layOut();
            return 0;
        case WM_DROPFILES:
            return SendMessageW(owner_, WM_DROPFILES, wParam, lParam);
        case WM_MOUSEWHEEL:
            // Wherever the pointer is, the wheel scrolls the picture.
            if (picture_ != nullptr) SendMessageW(picture_->window(), message, wParam, lParam);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {scaled(kMinimumWidth, dpi_), scaled(kMinimumHeight, dpi_)};
            return 0;
        }
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_NCDESTROY:
            // Its children are gone; the next show() opens the window anew.
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            window_ = nullptr;
            lines_.clear();
            picture_.reset();
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace trevalune::win32
