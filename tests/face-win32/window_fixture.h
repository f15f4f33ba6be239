#pragma once

#include <windows.h>

#include <shlobj.h>  // DROPFILES

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "form/control_table.h"
#include "form/form1.h"
#include "win32/main_window.h"

namespace trevalune::testing {

inline std::wstring windowText(HWND hwnd) {
    std::wstring text(4096, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), 4096)));
    return text;
}

/// Drops `file` on `target` as Explorer does: DROPFILES, then the wide path and two NULs.
inline void dropFile(HWND target, const std::filesystem::path& file) {
    const std::wstring path = file.wstring();
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (path.size() + 2) * 2);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(files + 1));
    GlobalUnlock(memory);
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

/// A page of the reader's test set in tests/face-win32/pages, as Wine reaches the host's files.
inline std::filesystem::path testPage(const char* name) {
    std::string pages = TREVALUNE_FACE_PAGES;
    if (pages[0] == '/') pages = "Z:" + pages;  // Wine's drive Z: is the host's /
    return std::filesystem::path(pages) / name;
}

/// Form1 on the Win32 face, put together as wWinMain does. The operator's actions are Win32
/// messages to the native controls, then what they posted is dispatched, as the loop would.
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
    HWND hwnd(Control name) const { return face.control(name); }
    std::wstring text(Control name) const { return windowText(hwnd(name)); }
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
    /// WM_KEYDOWN and WM_KEYUP of one key, to the focused control (or `target`).
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

/// Answers message boxes titled "Trevalune" while the window's thread is inside MessageBoxW,
/// whose modal loop runs this thread's timers: reads each box (its text; "-OK", "+Cancel",
/// "+icon" as shown), presses OK. One at a time.
class MessageBoxAnswerer final {
public:
    MessageBoxAnswerer() : timer_(SetTimer(nullptr, 0, 10, &answer)) { seen_ = &boxes_; }
    ~MessageBoxAnswerer() { KillTimer(nullptr, timer_); }
    std::vector<std::wstring> boxes() const { return boxes_; }

private:
    static void CALLBACK answer(HWND, UINT, UINT_PTR, DWORD) {
        const auto shown = [](HWND h) { return h != nullptr && IsWindowVisible(h); };
        const HWND box = FindWindowW(L"#32770", L"Trevalune");
        if (!shown(box) || GetPropW(box, L"answered") != nullptr) return;
        std::wstring seen = windowText(GetDlgItem(box, 0xFFFF));
        if (!shown(GetDlgItem(box, IDOK))) seen += L"-OK";
        if (shown(GetDlgItem(box, IDCANCEL))) seen += L"+Cancel";
        const HWND icon = GetDlgItem(box, 0x0440);  // the message box template's icon
        if (shown(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0) seen += L"+icon";
        seen_->push_back(seen);
        SetPropW(box, L"answered", box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }

    static inline std::vector<std::wstring>* seen_ = nullptr;
    std::vector<std::wstring> boxes_;
    UINT_PTR timer_;
};

}  // namespace trevalune::testing
