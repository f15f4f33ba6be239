#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "form/control_table.h"
#include "form/form1.h"
#include "tests/support/control_print.h"
#include "win32/main_window.h"

namespace trevalune::testing {

inline std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

/// Form1 on the Win32 face, put together as wWinMain does, shown at its design size. The
/// operator's actions are Win32 messages to the native controls, followed by dispatching what
/// they posted, as the message loop would.
class Win32Window final {
public:
    Win32Window(Spooler& spooler, Clock& clock)
        : face(GetModuleHandleW(nullptr)),
          form(face, spooler, clock,
               std::filesystem::temp_directory_path() / "trevalune-win32-test") {
        face.attach(form);
        face.show(SW_SHOWNORMAL);
        pump();
    }

    HWND main() const { return face.window(); }
    /// A control without a window (the timer) ends the test at once (GoogleTest reports the
    /// exception) instead of sending messages to no window.
    HWND hwnd(Control name) const {
        const HWND h = face.control(name);
        if (h == nullptr) {
            throw std::invalid_argument("no native control " + std::string(controlName(name)));
        }
        return h;
    }
    std::wstring text(Control name) const { return windowText(hwnd(name)); }
    /// The control of a native window (a combo's edit counts as its combo); none if none.
    std::optional<Control> nameOf(HWND window) const {
        for (const ControlSpec& c : controlTable()) {
            const HWND h = face.control(c.id);
            if (h != nullptr && (h == window || h == GetParent(window))) return c.id;
        }
        return std::nullopt;
    }

    /// BM_CLICK: the press and release of the left mouse button on the control.
    void click(Control name) {
        SendMessageW(hwnd(name), BM_CLICK, 0, 0);
        pump();
    }
    /// WM_CHAR for each character, into a box or an editable list's own edit field.
    void type(Control name, std::wstring_view characters) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        const bool combo = GetComboBoxInfo(hwnd(name), &info) && info.hwndItem != nullptr;
        for (wchar_t c : characters) {
            SendMessageW(combo ? info.hwndItem : hwnd(name), WM_CHAR, c, 1);
            pump();
        }
    }
    /// WM_KEYDOWN and WM_KEYUP of one key, to the control that has the focus (or `target`).
    void key(WPARAM virtualKey, HWND target = nullptr) {
        if (target == nullptr) target = GetFocus();
        const LPARAM scan = LPARAM(MapVirtualKeyW(UINT(virtualKey), MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | scan);
        PostMessageW(target, WM_KEYUP, virtualKey, 1 | scan | (LPARAM(3) << 30));
        pump();
    }
    /// Dispatches what is waiting, through the dialog keys. False once WM_QUIT came.
    bool pump() { return win32::pumpMessages(main()); }
    void resizeClient(int width, int height) {
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(main(), GWL_STYLE)), FALSE,
                           DWORD(GetWindowLongPtrW(main(), GWL_EXSTYLE)));
        SetWindowPos(main(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        pump();
    }

    win32::MainWindow face;
    Form1 form;
};

/// Answers message boxes titled "Trevalune" from a helper thread while the window's thread is
/// inside MessageBoxW: reads each box (its text; "+Cancel", "+icon" if shown), presses OK.
class MessageBoxAnswerer final {
public:
    MessageBoxAnswerer() : thread_([this] { run(); }) {}
    ~MessageBoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::wstring> boxes() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }

private:
    void run() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        const auto shown = [](HWND h) { return h != nullptr && IsWindowVisible(h); };
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            const HWND box = FindWindowW(L"#32770", L"Trevalune");
            if (!shown(box)) {
                Sleep(5);
                continue;
            }
            std::wstring seen = windowText(GetDlgItem(box, 0xFFFF));
            if (!shown(GetDlgItem(box, IDOK))) seen += L"-OK";
            if (shown(GetDlgItem(box, IDCANCEL))) seen += L"+Cancel";
            const HWND icon = GetDlgItem(box, 0x0440);  // the message box template's icon
            if (shown(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0) seen += L"+icon";
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(seen);
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            while (!stop_ && IsWindow(box) && std::chrono::steady_clock::now() < deadline) Sleep(5);
        }
    }

    mutable std::mutex mutex_;
    std::vector<std::wstring> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace trevalune::testing
