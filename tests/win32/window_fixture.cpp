#include "tests/win32/window_fixture.h"

#include <chrono>
#include <filesystem>

#include "form/control_table.h"

namespace trevalune::testing {

namespace {

std::filesystem::path emptyProgramFolder() {
    return std::filesystem::temp_directory_path() / "trevalune-win32-test";
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

/// A combo box's own edit field, or the window itself.
HWND typingTarget(HWND hwnd) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd, &info) && info.hwndItem != nullptr) return info.hwndItem;
    return hwnd;
}

}  // namespace

Win32Window::Win32Window(Spooler& spooler, Clock& clock)
    : face(GetModuleHandleW(nullptr)), form(face, spooler, clock, emptyProgramFolder()) {
    face.attach(form);
    face.show(SW_SHOWNORMAL);
    pump();
}

HWND Win32Window::hwnd(std::string_view name) const {
    return face.control(name);
}

std::string Win32Window::nameOf(HWND window) const {
    for (const ControlSpec& c : controlTable()) {
        const HWND h = face.control(c.name);
        if (h != nullptr && (h == window || h == GetParent(window))) return std::string(c.name);
    }
    return {};
}

std::wstring Win32Window::text(std::string_view name) const {
    return windowText(hwnd(name));
}

void Win32Window::click(std::string_view name) {
    SendMessageW(hwnd(name), BM_CLICK, 0, 0);
    pump();
}

void Win32Window::type(std::string_view name, std::wstring_view characters) {
    const HWND target = typingTarget(hwnd(name));
    for (wchar_t c : characters) {
        SendMessageW(target, WM_CHAR, c, 1);
        pump();
    }
}

void Win32Window::key(WPARAM virtualKey, HWND target) {
    if (target == nullptr) target = GetFocus();
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (LPARAM(scan) << 16));
    PostMessageW(target, WM_KEYUP, virtualKey, 1 | (LPARAM(scan) << 16) | (LPARAM(3) << 30));
    pump();
}

bool Win32Window::pump() {
    return win32::pumpMessages(main());
}

void Win32Window::resizeClient(int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(main(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(main(), GWL_EXSTYLE)));
    SetWindowPos(main(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump();
}

MessageBoxAnswerer::MessageBoxAnswerer() : thread_([this] { run(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<MessageBoxAnswerer::Box> MessageBoxAnswerer::boxes() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

void MessageBoxAnswerer::run() {
    constexpr int kIconControl = 0x0440;  // the message box template's icon
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
        const HWND box = FindWindowW(L"#32770", L"Trevalune");
        if (box == nullptr || !IsWindowVisible(box)) {
            Sleep(5);
            continue;
        }
        Box seen;
        seen.text = windowText(GetDlgItem(box, 0xFFFF));
        const HWND ok = GetDlgItem(box, IDOK);
        const HWND cancel = GetDlgItem(box, IDCANCEL);
        const HWND icon = GetDlgItem(box, kIconControl);
        seen.okShown = ok != nullptr && IsWindowVisible(ok);
        seen.cancelShown = cancel != nullptr && IsWindowVisible(cancel);
        seen.iconShown =
            icon != nullptr && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back(seen);
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        while (!stop_ && IsWindow(box) && std::chrono::steady_clock::now() < deadline) Sleep(5);
    }
}

RECT designPixels(std::string_view name) {
    const Twips t = absoluteGeometry(*findControlSpec(name));
    return {twipsToPixels(t.left, 96), twipsToPixels(t.top, 96),
            twipsToPixels(t.left + t.width, 96), twipsToPixels(t.top + t.height, 96)};
}

}  // namespace trevalune::testing
