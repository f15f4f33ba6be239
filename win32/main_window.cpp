#include "win32/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cwchar>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "common/utf16.h"
#include "form/caption_fit.h"
#include "form/form1.h"

namespace trevalune::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Trevalune.Form1";
constexpr UINT_PTR kTimerId = 1;
/// Posted once per pick of a list; wParam is the list's control id.
constexpr UINT kPickMessage = WM_APP + 1;
/// Sent by the message loop when a dialog key moved the focus.
constexpr UINT kFocusMovedMessage = WM_APP + 2;
/// Posted by the message loop for Ctrl+O.
constexpr UINT kOpenPictureMessage = WM_APP + 3;
/// The system menu's entry; below 0xF000, and the low four bits are the system's.
constexpr UINT kOpenPictureCommand = 0x0010;
constexpr wchar_t kOpenPictureItem[] = L"打开扫描图片…\tCtrl+O";
constexpr wchar_t kOpenPictureTitle[] = L"打开扫描图片";
/// The pictures the reader decodes, then anything (the reader says what it cannot read).
constexpr wchar_t kPictureFilter[] =
    L"扫描图片 (*.png;*.jpg;*.jpeg;*.tif;*.tiff)\0*.png;*.jpg;*.jpeg;*.tif;*.tiff\0"
    L"所有文件 (*.*)\0*.*\0";
/// The longest path the open dialog returns.
constexpr std::size_t kMaxPathCharacters = 32768;
/// Ids 1 and 2 are what the dialog keys send for Enter and Escape.
constexpr int kFirstControlId = 1000;
constexpr int kIconId = 1;
/// The drop-down part of a list, at 96 DPI.
constexpr int kDropDownPixels = 200;
/// One step of a scroll bar's arrow, at 96 DPI; a wheel notch is three.
constexpr int kScrollLinePixels = 20;

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool isCombo(ControlKind kind) {
    return kind == ControlKind::ComboEditable || kind == ControlKind::ComboList;
}

bool isEdit(ControlKind kind) {
    return kind == ControlKind::TextBox || kind == ControlKind::TextBoxMultiline;
}

struct NativeClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle = 0;
};

NativeClass nativeClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON};
        case ControlKind::Frame:
            return {L"BUTTON", BS_GROUPBOX};
        case ControlKind::ComboEditable:
            return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL};
        case ControlKind::ComboList:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL};
        // Not the automatic kinds: the form decides what is checked.
        case ControlKind::Option:
            return {L"BUTTON", BS_RADIOBUTTON};
        case ControlKind::CheckBox:
            return {L"BUTTON", BS_CHECKBOX};
        case ControlKind::Label:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX};
        case ControlKind::TextBox:
            return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::TextBoxMultiline:
            return {L"EDIT", ES_LEFT | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL,
                    WS_EX_CLIENTEDGE};
        case ControlKind::Timer:
            break;
    }
    return {nullptr, 0};
}

void registerWindowClass(HINSTANCE instance, WNDPROC windowProc) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kWindowClass, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("RegisterClassExW failed");
}

/// The selection field follows the font; size it so the closed list is `height` pixels.
/// Measured rather than computed: Wine reads the field back two pixels taller than it was set.
void fitClosedHeight(HWND combo, int height) {
    auto field = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        GetWindowRect(combo, &closed);
        const int excess = (closed.bottom - closed.top) - height;
        if (excess == 0) return;
        field = std::max(field - excess, 1);
        SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), field);
    }
}

/// Dispatches one message through the dialog keys; a key that moved the focus asks the window
/// to scroll the newly focused control into view.
bool dispatchDialogMessage(HWND window, MSG& msg) {
    if (window == nullptr || !IsWindow(window)) return false;
    const HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    const bool reading = root != nullptr && root != window && isReadingWindow(root) &&
                         GetWindow(root, GW_OWNER) == window;
    if (msg.message == WM_KEYDOWN && msg.wParam == 'O' && (root == window || reading) &&
        GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
        PostMessageW(window, kOpenPictureMessage, 0, 0);
        return true;
    }
    if (reading) return IsDialogMessageW(root, &msg);
    const HWND before = GetFocus();
    if (!IsDialogMessageW(window, &msg)) return false;
    // Only keys: a click that scrolled would move the button away from under the mouse.
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && GetFocus() != before &&
        IsWindow(window)) {
        SendMessageW(window, kFocusMovedMessage, 0, 0);
    }
    return true;
}

/// The hourglass while the window's thread is busy, then the cursor as it was.
class WaitCursor final {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

/// The room a control of this kind takes beside its caption, in pixels at 96 DPI: a button's
/// edges and focus rectangle, an option's or check box's mark and its gap, a frame's caption
/// indent and the gaps round the caption.
int captionPadding(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
            return 12;
        case ControlKind::Option:
        case ControlKind::CheckBox:
            return 20;
        case ControlKind::Frame:
            return 18;
        default:
            return 1;
    }
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance), dpi_(systemDpi()) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    registerWindowClass(instance_, &MainWindow::windowProc);

    constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame{0, 0, twipsToPixels(kClientWidthTwips, dpi_),
               twipsToPixels(kClientHeightTwips, dpi_)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    window_ = CreateWindowExW(0, kWindowClass, toWide(kWindowCaption).c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, instance_, this);
    if (window_ == nullptr) throw std::runtime_error("CreateWindowExW failed");
    // Aware of each monitor's DPI, the window opens at the scale of the monitor it is on.
    if (const int monitorDpi = windowDpi(window_); monitorDpi > 0 && monitorDpi != dpi_) {
        dpi_ = monitorDpi;
        RECT scaled{0, 0, twipsToPixels(kClientWidthTwips, dpi_),
                    twipsToPixels(kClientHeightTwips, dpi_)};
        AdjustWindowRectEx(&scaled, style, FALSE, 0);
        SetWindowPos(window_, nullptr, 0, 0, scaled.right - scaled.left, scaled.bottom - scaled.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    createControls();
    DragAcceptFiles(window_, TRUE);
    // Ctrl+O has no button to show it; the system menu lets a mouse find it.
    if (const HMENU menu = GetSystemMenu(window_, FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kOpenPictureCommand, kOpenPictureItem);
    }
    reading_ = std::make_unique<ReadingWindow>(instance_, window_, [this](const TakeValue& take) {
        if (form_ != nullptr) form_->valueTaken(take);
    });
}

MainWindow::~MainWindow() {
    // The form may already be gone; nothing the window does while it closes reaches it.
    form_ = nullptr;
    destroying_ = true;
    reading_.reset();
    if (window_ != nullptr) DestroyWindow(window_);
}

void MainWindow::attach(Form1& form) {
    form_ = &form;
}

void MainWindow::show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

// --- Building the controls ---

void MainWindow::createControls() {
    const auto table = controlTable();
    controls_.reserve(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        createControl(table[i], kFirstControlId + static_cast<int>(i));
    }
    layOut();
    // The design size, wider where a caption widened the part that shows.
    if (const Extent opening = designClientTwips(fitted_); opening.width != kClientWidthTwips) {
        RECT frame{0, 0, twipsToPixels(opening.width, dpi_), twipsToPixels(opening.height, dpi_)};
        AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                           DWORD(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
        SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    updateScrolling();
}

void MainWindow::createControl(const ControlSpec& spec, int id) {
    NativeControl control{&spec, nullptr, id};
    const NativeClass native = nativeClass(spec.kind);
    if (native.name == nullptr) {  // the timer: SetTimer, no window
        controls_.push_back(control);
        return;
    }
    // Placed, sized and given its font by layOut.
    control.hwnd =
        CreateWindowExW(native.exStyle, native.name, toWide(spec.caption).c_str(),
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | native.style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (control.hwnd == nullptr) throw std::runtime_error("CreateWindowExW failed");
    if (spec.kind == ControlKind::Frame || spec.kind == ControlKind::TextBoxMultiline ||
        spec.kind == ControlKind::Option) {
        SetWindowSubclass(control.hwnd, &MainWindow::controlProc, 0,
                          reinterpret_cast<DWORD_PTR>(this));
    }
    controls_.push_back(control);
}

void MainWindow::fitCaptionsToFonts() {
    std::array<int, kControlCount> needed{};
    const std::string clock = clockText(kWidestClockTime);
    const HDC dc = GetDC(window_);
    for (const NativeControl& c : controls_) {
        const std::vector<std::string> texts = textsToFit(c.spec->id, clock);
        if (c.hwnd == nullptr || texts.empty()) continue;
        const HGDIOBJ previous = SelectObject(dc, font(c.spec->fontPoints));
        int text = 0;
        for (const std::string& t : texts) {
            const std::wstring w = toWide(t);
            SIZE size{};
            GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
            text = std::max(text, static_cast<int>(size.cx));
        }
        SelectObject(dc, previous);
        const int pixels = text + MulDiv(captionPadding(c.spec->kind), dpi_, 96);
        needed[static_cast<std::size_t>(c.spec->id)] = twipsCovering(pixels, dpi_);
    }
    ReleaseDC(window_, dc);
    fitted_ = fitCaptions(needed);
}

void MainWindow::layOut() {
    fitCaptionsToFonts();
    for (const NativeControl& c : controls_) {
        if (c.hwnd == nullptr) continue;
        SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(c.spec->fontPoints)), FALSE);
        const RECT r = pixelRect(placed(*c.spec));
        int height = r.bottom - r.top;
        // A combo box's height includes its drop-down list; the design gives the closed height.
        if (isCombo(c.spec->kind)) height += MulDiv(kDropDownPixels, dpi_, 96);
        SetWindowPos(c.hwnd, nullptr, r.left - scroll_.x, r.top - scroll_.y, r.right - r.left,
                     height, SWP_NOZORDER | SWP_NOACTIVATE);
        if (isCombo(c.spec->kind)) fitClosedHeight(c.hwnd, r.bottom - r.top);
        clipToContainers(c);
        InvalidateRect(c.hwnd, nullptr, TRUE);
    }
}

void MainWindow::placeControls() {
    for (const NativeControl& c : controls_) {
        if (c.hwnd == nullptr) continue;
        const RECT r = pixelRect(placed(*c.spec));
        SetWindowPos(c.hwnd, nullptr, r.left - scroll_.x, r.top - scroll_.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::clipToContainers(const NativeControl& control) {
    if (control.hwnd == nullptr) return;
    const RECT own = pixelRect(placed(*control.spec));
    RECT visible = own;
    for (const ControlSpec* c = findControlSpec(control.spec->container); c != nullptr;
         c = findControlSpec(c->container)) {
        const RECT container = pixelRect(placed(*c));
        if (!IntersectRect(&visible, &visible, &container)) {
            ShowWindow(control.hwnd, SW_HIDE);  // wholly outside: never seen, never focused
            return;
        }
    }
    if (EqualRect(&visible, &own)) {
        SetWindowRgn(control.hwnd, nullptr, TRUE);
        return;
    }
    SetWindowRgn(control.hwnd,
                 CreateRectRgn(visible.left - own.left, visible.top - own.top,
                               visible.right - own.left, visible.bottom - own.top),
                 TRUE);
}

HFONT MainWindow::font(double points) {
    const int centipoints = static_cast<int>(std::lround(points * 100));
    if (const auto it = fonts_.find(centipoints); it != fonts_.end()) return it->second.get();
    if (centipoints == 0) {  // none designed: the system's dialog font
        fonts_[0] = dialogFont(dpi_);
        return fonts_[0].get();
    }
    FontHandle& handle = fonts_[centipoints];
    handle.reset(CreateFontW(-MulDiv(centipoints, dpi_, 7200), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                             FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             toWide(kDesignFont).c_str()));
    return handle.get();
}

RECT MainWindow::pixelRect(const Twips& t) const {
    return {twipsToPixels(t.left, dpi_), twipsToPixels(t.top, dpi_),
            twipsToPixels(t.left + t.width, dpi_), twipsToPixels(t.top + t.height, dpi_)};
}

// --- Scrolling on a screen too small for the whole form ---

Extent MainWindow::clientWithoutBars() const {
    RECT client;
    GetClientRect(window_, &client);
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    return {client.right + ((style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0),
            client.bottom + ((style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0)};
}

Extent MainWindow::workAreaClient() const {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame,
                       DWORD(GetWindowLongPtrW(window_, GWL_STYLE) & ~(WS_VSCROLL | WS_HSCROLL)),
                       FALSE, DWORD(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    const RECT& work = monitor.rcWork;
    return {(work.right - work.left) - (frame.right - frame.left),
            (work.bottom - work.top) - (frame.bottom - frame.top)};
}

void MainWindow::updateScrolling() {
    // Showing or hiding a bar resizes the client area, which comes back here.
    if (updatingScroll_ || controls_.empty()) return;
    updatingScroll_ = true;
    layout_ =
        clientLayout(clientWithoutBars(), workAreaClient(), dpi_, IsZoomed(window_) != 0,
                     {GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)}, fitted_);
    ShowScrollBar(window_, SB_HORZ, layout_.scrollsHorizontally);
    ShowScrollBar(window_, SB_VERT, layout_.scrollsVertically);
    RECT page;
    GetClientRect(window_, &page);
    const auto setBar = [&](int bar, bool scrolls, int content, int pageSize) {
        if (!scrolls) return;
        SCROLLINFO info{sizeof info,
                        SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL,
                        0,
                        content - 1,
                        static_cast<UINT>(std::max(pageSize, 1)),
                        0,
                        0};
        SetScrollInfo(window_, bar, &info, TRUE);
    };
    setBar(SB_HORZ, layout_.scrollsHorizontally, layout_.content.width, page.right);
    setBar(SB_VERT, layout_.scrollsVertically, layout_.content.height, page.bottom);
    updatingScroll_ = false;
    scrollTo(scroll_);
    updateFocusOrder(layout_.reachable);
}

void MainWindow::scrollTo(POINT position) {
    RECT page;
    GetClientRect(window_, &page);
    const auto clamp = [](bool scrolls, int wanted, int content, int pageSize) {
        return scrolls ? std::clamp(wanted, 0, std::max(content - pageSize, 0)) : 0;
    };
    position.x = clamp(layout_.scrollsHorizontally, position.x, layout_.content.width, page.right);
    position.y = clamp(layout_.scrollsVertically, position.y, layout_.content.height, page.bottom);
    if (layout_.scrollsHorizontally) SetScrollPos(window_, SB_HORZ, position.x, TRUE);
    if (layout_.scrollsVertically) SetScrollPos(window_, SB_VERT, position.y, TRUE);
    if (position.x == scroll_.x && position.y == scroll_.y) return;
    scroll_ = position;
    placeControls();
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::onScroll(int bar, int request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window_, bar, &info);
    const std::optional<int> moved =
        scrollRequested(info, request, MulDiv(kScrollLinePixels, dpi_, 96));
    if (!moved) return;
    const int position = *moved;
    scrollTo(bar == SB_HORZ ? POINT{position, scroll_.y} : POINT{scroll_.x, position});
}

void MainWindow::scrollFocusIntoView() {
    const NativeControl* focused = focusedControl();
    if (focused == nullptr) return;
    const RECT r = pixelRect(placed(*focused->spec));
    RECT page;
    GetClientRect(window_, &page);
    scrollTo({scrollToShow(scroll_.x, page.right, r.left, r.right - r.left),
              scrollToShow(scroll_.y, page.bottom, r.top, r.bottom - r.top)});
}

void MainWindow::onDpiChanged(int dpi, const RECT& suggested) {
    scroll_ = {MulDiv(scroll_.x, dpi, dpi_), MulDiv(scroll_.y, dpi, dpi_)};
    dpi_ = dpi;
    std::map<int, FontHandle> old;
    old.swap(fonts_);
    layOut();
    old.clear();  // only now that no control shows them
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    updateScrolling();  // also where the suggested size is the present one
    InvalidateRect(window_, nullptr, TRUE);
}

// --- Keyboard ---

bool MainWindow::pressKey(const NativeControl& focused, FormKey key) {
    const std::optional<Control> clicked = controlClickedByKey(focused.spec->id, key);
    const NativeControl* target = clicked ? &find(*clicked) : nullptr;
    if (target == nullptr || target->hwnd == nullptr) return false;
    if (target != &focused) {
        SetFocus(target->hwnd);
        scrollFocusIntoView();
    }
    // Nothing for a disabled control, as for the mouse.
    if (IsWindowEnabled(target->hwnd)) onCommand(*target, BN_CLICKED);
    return true;
}

void MainWindow::updateFocusOrder(Extent reachable) {
    order_ = focusOrder(reachable.width, reachable.height, fitted_);
    const std::vector<Control>& order = order_;
    // Of each frame's option buttons only the checked one is a Tab stop, as on Windows; the
    // arrow keys reach the others.
    const std::vector<Control> stops = tabStops(order, [this](Control c) {
        const HWND hwnd = find(c).hwnd;
        return hwnd != nullptr && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    });
    std::set<HWND> tabStopWindows;
    for (Control name : stops) tabStopWindows.insert(find(name).hwnd);
    reachable_.clear();
    HWND after = HWND_TOP;
    for (Control name : order) {
        const NativeControl* c = &find(name);
        if (c == nullptr || c->hwnd == nullptr) continue;
        reachable_.insert(c->hwnd);
        SetWindowPos(c->hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = c->hwnd;
    }
    for (const NativeControl& c : controls_) {
        if (c.hwnd == nullptr) continue;
        const LONG_PTR style = GetWindowLongPtrW(c.hwnd, GWL_STYLE);
        const LONG_PTR wanted =
            tabStopWindows.count(c.hwnd) ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP));
        if (wanted != style) SetWindowLongPtrW(c.hwnd, GWL_STYLE, wanted);
    }
    // Frames lowest, a frame under the frames it holds, so none paints over its contents
    // (every child clips its siblings above it). The table lists a container before its
    // contents, so going backwards puts the outer frame last, at the bottom.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        if (it->spec->kind == ControlKind::Frame) {
            SetWindowPos(it->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    // The focus never stays on a control the operator cannot see.
    if (const NativeControl* focused = focusedControl();
        focused != nullptr && !reachable_.count(focused->hwnd)) {
        savedFocus_ = nullptr;
        restoreFocus();
    }
    if (savedFocus_ != nullptr) {
        const NativeControl* saved = findByWindow(savedFocus_);
        if (saved == nullptr) saved = findByWindow(GetParent(savedFocus_));
        if (saved == nullptr || !reachable_.count(saved->hwnd)) savedFocus_ = nullptr;
    }
}

void MainWindow::restoreFocus() {
    if (savedFocus_ != nullptr && IsWindow(savedFocus_)) {
        SetFocus(savedFocus_);
        return;
    }
    const std::optional<Control> first = focusAfterLayout(std::nullopt, order_, [this](Control c) {
        const HWND hwnd = find(c).hwnd;
        return hwnd != nullptr && IsWindowEnabled(hwnd);
    });
    SetFocus(first ? find(*first).hwnd : window_);
}

const MainWindow::NativeControl* MainWindow::focusedControl() const {
    const HWND focus = GetFocus();
    if (focus == nullptr || focus == window_ || !IsChild(window_, focus)) return nullptr;
    if (const NativeControl* c = findByWindow(focus)) return c;
    return findByWindow(GetParent(focus));
}

// --- Events ---

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowOwner<MainWindow>(hwnd, message, lParam);
    if (message == WM_NCCREATE && self != nullptr) self->window_ = hwnd;
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    // The form keeps its handlers' exceptions; this is for the face's own. An exception must
    // not unwind through DispatchMessageW, which the system's code between cannot take.
    try {
        return self->handle(hwnd, message, wParam, lParam);
    } catch (const std::exception& error) {
        self->writeDiagnostic(std::string("unexpected error in the window: ") + error.what());
    } catch (...) {
        self->writeDiagnostic("unexpected error in the window");
    }
    return 0;
}

LRESULT MainWindow::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Each message belongs to one group at most; a group that does not answer it leaves it to
    // the system's default handling.
    for (const Handler group :
         {&MainWindow::handleInput, &MainWindow::handlePainting, &MainWindow::handleSizing,
          &MainWindow::handleScrolling, &MainWindow::handlePictures, &MainWindow::handleActivation,
          &MainWindow::handleLifetime}) {
        if (const Handled answer = (this->*group)(hwnd, message, wParam, lParam)) return *answer;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

MainWindow::Handled MainWindow::handleInput(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            if (lParam == 0 && LOWORD(wParam) == IDOK) {
                // Enter from the dialog keys: the form says what it presses.
                if (const NativeControl* focused = focusedControl())
                    pressKey(*focused, FormKey::Enter);
                return 0;
            }
            if (const NativeControl* c = findById(LOWORD(wParam));
                c != nullptr && reinterpret_cast<HWND>(lParam) == c->hwnd) {
                onCommand(*c, HIWORD(wParam));
            }
            return 0;
        }
        case kPickMessage:
            forwardPick(static_cast<int>(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId && form_ != nullptr) form_->timerTick();
            return 0;
        default:
            return std::nullopt;
    }
}

MainWindow::Handled MainWindow::handlePainting(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (const NativeControl* c = findByWindow(reinterpret_cast<HWND>(lParam))) {
                if (HBRUSH brush = backgroundBrush(*c, reinterpret_cast<HDC>(wParam))) {
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            return std::nullopt;
        case WM_ERASEBKGND:
            paintBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        default:
            return std::nullopt;
    }
}

MainWindow::Handled MainWindow::handleSizing(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) updateScrolling();
            return 0;
        case WM_GETMINMAXINFO:
            if (!controls_.empty()) {
                // Never larger than the work area: the client area scrolls instead.
                MONITORINFO monitor{};
                monitor.cbSize = sizeof monitor;
                GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMaxTrackSize = {monitor.rcWork.right - monitor.rcWork.left,
                                          monitor.rcWork.bottom - monitor.rcWork.top};
                return 0;
            }
            return std::nullopt;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            return std::nullopt;
    }
}

MainWindow::Handled MainWindow::handleScrolling(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_VSCROLL:
        case WM_HSCROLL:
            if (lParam == 0) onScroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            if (layout_.scrollsVertically) {
                const int notches = GET_WHEEL_DELTA_WPARAM(wParam);
                scrollTo({scroll_.x, scroll_.y - notches * 3 * MulDiv(kScrollLinePixels, dpi_, 96) /
                                                     WHEEL_DELTA});
                return 0;
            }
            return std::nullopt;
        case kFocusMovedMessage:
            scrollFocusIntoView();
            return 0;
        default:
            return std::nullopt;
    }
}

MainWindow::Handled MainWindow::handlePictures(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DROPFILES:
            openDroppedPicture(reinterpret_cast<HDROP>(wParam));
            return 0;
        case kOpenPictureMessage:
            askForPicture();
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == kOpenPictureCommand) {
                askForPicture();
                return 0;
            }
            return std::nullopt;
        case WM_CONTEXTMENU:
            showContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        default:
            return std::nullopt;
    }
}

MainWindow::Handled MainWindow::handleActivation(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_ENABLE:
            // A modal box here holds the reading window too: its buttons act on the form.
            if (reading_ != nullptr && reading_->window() != nullptr) {
                EnableWindow(reading_->window(), static_cast<BOOL>(wParam));
            }
            return std::nullopt;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) savedFocus_ = focus;
            }
            return std::nullopt;
        case WM_SETFOCUS:
            restoreFocus();
            return 0;
        default:
            return std::nullopt;
    }
}

MainWindow::Handled MainWindow::handleLifetime(HWND hwnd, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_DESTROY:
            KillTimer(window_, kTimerId);
            // The operator closed the window: the program ends. The owner destroying the
            // window (tests, the end of the program) ends nothing.
            if (!destroying_) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            window_ = nullptr;
            for (NativeControl& c : controls_) c.hwnd = nullptr;
            reachable_.clear();
            savedFocus_ = nullptr;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

LRESULT CALLBACK MainWindow::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR /*subclass*/, DWORD_PTR selfData) {
    auto* self = reinterpret_cast<MainWindow*>(selfData);
    switch (message) {
        case WM_ERASEBKGND:
            // A group box leaves its inside unpainted; the design's frames are opaque.
            if (const NativeControl* c = self->findByWindow(hwnd);
                c != nullptr && c->spec->kind == ControlKind::Frame) {
                const auto dc = reinterpret_cast<HDC>(wParam);
                RECT r;
                GetClientRect(hwnd, &r);
                FillRect(dc, &r, self->backgroundBrush(*c, dc));
                return 1;
            }
            break;
        case WM_GETDLGCODE: {
            const NativeControl* c = self->findByWindow(hwnd);
            if (c != nullptr && c->spec->kind == ControlKind::Option) {
                // The arrow keys come to the option, which selects the next one of its frame.
                return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTARROWS;
            }
            // A multi-line box would take Tab as a character (which the form then refuses
            // with a message); here Tab moves the focus, as everywhere else in the window.
            LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
            code &= ~LRESULT(DLGC_WANTTAB);
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
                code &= ~LRESULT(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
            }
            return code;
        }
        case WM_KEYDOWN: {
            const NativeControl* c = self->findByWindow(hwnd);
            if (c == nullptr || c->spec->kind != ControlKind::Option) break;
            const std::map<WPARAM, FormKey> arrows = {{VK_UP, FormKey::Up},
                                                      {VK_DOWN, FormKey::Down},
                                                      {VK_LEFT, FormKey::Left},
                                                      {VK_RIGHT, FormKey::Right}};
            if (const auto it = arrows.find(wParam);
                it != arrows.end() && self->pressKey(*c, it->second)) {
                return 0;
            }
            break;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, &MainWindow::controlProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void MainWindow::onCommand(const NativeControl& control, int code) {
    if (form_ == nullptr || applying_) return;
    const ControlKind kind = control.spec->kind;
    switch (kind) {
        case ControlKind::Button:
        case ControlKind::Option:
        case ControlKind::CheckBox:
            if (code == BN_CLICKED) form_->clicked(control.spec->id);
            break;
        case ControlKind::ComboEditable:
        case ControlKind::ComboList:
            if (code == CBN_KILLFOCUS) {
                // The list selects its text when it takes the focus; left selected, it would
                // look focused beside the control that has the focus.
                SendMessageW(control.hwnd, CB_SETEDITSEL, 0, MAKELPARAM(-1, 0));
            } else if (code == CBN_SELENDOK) {
                schedulePick(control);
            } else if (code == CBN_SELCHANGE) {
                // While the list is open the pick is not made yet: CBN_SELENDOK follows.
                if (!SendMessageW(control.hwnd, CB_GETDROPPEDSTATE, 0, 0)) schedulePick(control);
            } else if (code == CBN_EDITCHANGE && kind == ControlKind::ComboEditable) {
                forwardText(control);
            }
            break;
        case ControlKind::TextBox:
        case ControlKind::TextBoxMultiline:
            if (code == EN_CHANGE) forwardText(control);
            break;
        case ControlKind::Frame:
        case ControlKind::Label:
        case ControlKind::Timer:
            break;
    }
}

void MainWindow::schedulePick(const NativeControl& control) {
    // Windows and Wine send CBN_SELCHANGE and CBN_SELENDOK for one pick in different orders;
    // posting once per pick makes a re-pick of the shown item and a change one event each.
    if (pendingPicks_.insert(control.id).second) {
        PostMessageW(window_, kPickMessage, static_cast<WPARAM>(control.id), 0);
    }
}

void MainWindow::forwardPick(int id) {
    pendingPicks_.erase(id);
    const NativeControl* c = findById(id);
    if (c == nullptr || c->hwnd == nullptr || form_ == nullptr) return;
    const auto index = static_cast<int>(SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0));
    if (index != CB_ERR) form_->selected(c->spec->id, index);
}

void MainWindow::forwardText(const NativeControl& control) {
    DWORD start = 0;
    DWORD end = 0;
    if (isCombo(control.spec->kind)) {
        SendMessageW(control.hwnd, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
    } else {
        SendMessageW(control.hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
    }
    form_->textEdited(control.spec->id, fromWide(windowText(control.hwnd)), end);
}

HBRUSH MainWindow::backgroundBrush(const NativeControl& control, HDC dc) const {
    switch (control.spec->kind) {
        case ControlKind::Button:
        case ControlKind::Frame:
        case ControlKind::Option:
        case ControlKind::CheckBox:
        case ControlKind::Label:
            break;
        default:
            return nullptr;  // boxes and lists keep the system's colours
    }
    const bool white = control.spec->whiteBackground;
    SetBkColor(dc, white ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNFACE));
    return white ? static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))
                 : GetSysColorBrush(COLOR_BTNFACE);
}

void MainWindow::paintBackground(HDC dc) const {
    // White, and every frame in its own colour: themed controls (a group box's caption strip,
    // option buttons) draw their parent's background at their place, which must be the frame's.
    RECT client;
    GetClientRect(window_, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (const NativeControl& c : controls_) {  // a frame comes before the frames it holds
        if (c.spec->kind != ControlKind::Frame || c.hwnd == nullptr || !IsWindowVisible(c.hwnd)) {
            continue;
        }
        RECT r = pixelRect(placed(*c.spec));
        OffsetRect(&r, -scroll_.x, -scroll_.y);
        FillRect(dc, &r, backgroundBrush(c, dc));
    }
}

// --- Face: showing the form's changes ---

void MainWindow::setText(Control name, std::string_view text) {
    const NativeControl* c = &find(name);
    if (c->hwnd == nullptr) return;
    const Applying applying(applying_);
    if (c->spec->kind == ControlKind::ComboList) {
        // A drop-down list shows text only as its selected item.
        const auto index = text.empty()
                               ? CB_ERR
                               : SendMessageW(c->hwnd, CB_FINDSTRINGEXACT, WPARAM(-1),
                                              reinterpret_cast<LPARAM>(toWide(text).c_str()));
        SendMessageW(c->hwnd, CB_SETCURSEL, index == CB_ERR ? WPARAM(-1) : WPARAM(index), 0);
        return;
    }
    SetWindowTextW(c->hwnd, toWide(text).c_str());
}

void MainWindow::setEnabled(Control name, bool enabled) {
    if (const NativeControl* c = &find(name); c->hwnd != nullptr) {
        EnableWindow(c->hwnd, enabled);
    }
}

void MainWindow::setChecked(Control name, bool checked) {
    if (const NativeControl* c = &find(name); c->hwnd != nullptr) {
        const Applying applying(applying_);
        SendMessageW(c->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        // The Tab stop of an option group follows the checked option.
        if (c->spec->kind == ControlKind::Option) updateFocusOrder(layout_.reachable);
    }
}

void MainWindow::setItems(Control name, const std::vector<std::string>& items) {
    const NativeControl* c = &find(name);
    if (c->hwnd == nullptr) return;
    const Applying applying(applying_);
    // CB_RESETCONTENT also empties the edit field; the form's text stays what it was.
    const std::wstring text = windowText(c->hwnd);
    SendMessageW(c->hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        SendMessageW(c->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(item).c_str()));
    }
    SendMessageW(c->hwnd, CB_SETCURSEL, WPARAM(-1), 0);
    if (c->spec->kind == ControlKind::ComboEditable) SetWindowTextW(c->hwnd, text.c_str());
}

void MainWindow::setCurrentIndex(Control name, int index) {
    const NativeControl* c = &find(name);
    if (c->hwnd == nullptr) return;
    const Applying applying(applying_);
    const std::wstring text = windowText(c->hwnd);
    SendMessageW(c->hwnd, CB_SETCURSEL, index < 0 ? WPARAM(-1) : WPARAM(index), 0);
    // No selection leaves an editable list's text alone (CB_SETCURSEL -1 would empty it).
    if (index < 0 && c->spec->kind == ControlKind::ComboEditable) {
        SetWindowTextW(c->hwnd, text.c_str());
    }
}

void MainWindow::setCaret(Control name, std::size_t position) {
    const NativeControl* c = &find(name);
    if (c->hwnd == nullptr) return;
    const Applying applying(applying_);
    if (isCombo(c->spec->kind)) {
        const auto p = static_cast<WORD>(std::min<std::size_t>(position, 0xFFFF));
        SendMessageW(c->hwnd, CB_SETEDITSEL, 0, MAKELPARAM(p, p));
    } else if (isEdit(c->spec->kind)) {
        SendMessageW(c->hwnd, EM_SETSEL, position, static_cast<LPARAM>(position));
        SendMessageW(c->hwnd, EM_SCROLLCARET, 0, 0);
    }
}

void MainWindow::repaintNow(Control name) {
    if (const NativeControl* c = &find(name); c->hwnd != nullptr) {
        InvalidateRect(c->hwnd, nullptr, TRUE);
        UpdateWindow(c->hwnd);
    }
}

void MainWindow::showMessage(std::string_view text, std::string_view title) {
    MessageBoxW(window_, toWide(text).c_str(), toWide(title).c_str(), MB_OK);
}

void MainWindow::showReading(const ReadingView& view) {
    reading_->show(view);
}

// --- Pictures to read ---

void MainWindow::openPicture(const std::filesystem::path& file) {
    if (form_ == nullptr) return;
    // Reading a large scan takes a moment; the window's thread is busy meanwhile.
    const WaitCursor wait;
    form_->pictureOpened(file);
}

void MainWindow::openDroppedPicture(HDROP drop) {
    struct DropDeleter {
        void operator()(HDROP d) const noexcept { DragFinish(d); }
    };
    std::unique_ptr<std::remove_pointer_t<HDROP>, DropDeleter> owned(drop);
    // One picture is read; of several dropped at once, the first.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0 || length == 0) return;
    std::wstring file(static_cast<std::size_t>(length) + 1, L'\0');
    file.resize(DragQueryFileW(drop, 0, file.data(), length + 1));
    owned.reset();  // the drop's memory is not needed while the picture is read
    openPicture(std::filesystem::path(file));
}

void MainWindow::showContextMenu(POINT at) {
    struct MenuDeleter {
        void operator()(HMENU menu) const noexcept { DestroyMenu(menu); }
    };
    const std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter> menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING, kOpenPictureCommand, kOpenPictureItem);
    if (at.x == -1 && at.y == -1) {  // the menu key: at the client area's corner
        at = {0, 0};
        ClientToScreen(window_, &at);
    }
    if (TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_,
                       nullptr) == kOpenPictureCommand) {
        askForPicture();
    }
}

void MainWindow::askForPicture() {
    if (form_ == nullptr || !IsWindowEnabled(window_)) return;
    std::wstring file(kMaxPathCharacters, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = kPictureFilter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = kOpenPictureTitle;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) return;  // cancelled
    file.resize(std::wcslen(file.c_str()));
    openPicture(std::filesystem::path(file));
}

void MainWindow::writeDiagnostic(std::string_view line) {
    writeDebugLine(line);
}

void MainWindow::startTimer(Control /*timer*/, int intervalMs) {
    SetTimer(window_, kTimerId, static_cast<UINT>(std::max(intervalMs, 1)), nullptr);
}

std::string MainWindow::clockText(const LocalDateTime& now) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(now.year);
    t.wMonth = static_cast<WORD>(now.month);
    t.wDay = static_cast<WORD>(now.day);
    t.wHour = static_cast<WORD>(now.hour);
    t.wMinute = static_cast<WORD>(now.minute);
    t.wSecond = static_cast<WORD>(now.second);
    wchar_t date[80] = {};
    wchar_t time[80] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 80, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &t, nullptr, time, 80);
    return fromWide(std::wstring(date) + L" " + time);
}

void MainWindow::closeWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

// --- Lookups ---

const MainWindow::NativeControl& MainWindow::find(Control control) const {
    const auto it = std::find_if(controls_.begin(), controls_.end(),
                                 [&](const NativeControl& c) { return c.spec->id == control; });
    if (it == controls_.end()) {
        throw std::invalid_argument("no native control " + std::string(controlName(control)));
    }
    return *it;
}

const MainWindow::NativeControl* MainWindow::findById(int id) const {
    const auto it = std::find_if(controls_.begin(), controls_.end(),
                                 [&](const NativeControl& c) { return c.id == id; });
    return it == controls_.end() ? nullptr : &*it;
}

const MainWindow::NativeControl* MainWindow::findByWindow(HWND hwnd) const {
    if (hwnd == nullptr) return nullptr;
    const auto it = std::find_if(controls_.begin(), controls_.end(),
                                 [&](const NativeControl& c) { return c.hwnd == hwnd; });
    return it == controls_.end() ? nullptr : &*it;
}

HWND MainWindow::control(Control name) const {
    return find(name).hwnd;
}

// --- Program ---

std::filesystem::path programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
    return std::filesystem::path(path).parent_path();
}

int runMessageLoop(HWND window) {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        if (dispatchDialogMessage(window, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool pumpMessages(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        if (dispatchDialogMessage(window, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace trevalune::win32
