#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "form/form1.h"
#include "win32/main_window.h"

namespace trevalune {

class Clock;
class Spooler;

namespace testing {

/// Form1 on the Win32 face, put together as wWinMain does, shown at its design size. The
/// operator's actions are Win32 messages to the native controls (BM_CLICK, WM_CHAR,
/// WM_KEYDOWN), followed by dispatching what they posted, as the message loop would.
class Win32Window final {
public:
    Win32Window(Spooler& spooler, Clock& clock);

    HWND main() const { return face.window(); }
    HWND hwnd(std::string_view name) const;
    /// The design name of a native control (a combo's edit counts as its combo); empty if none.
    std::string nameOf(HWND hwnd) const;
    std::wstring text(std::string_view name) const;

    /// BM_CLICK: the press and release of the left mouse button on the control.
    void click(std::string_view name);
    /// WM_CHAR for each character, into a box or an editable list's edit field.
    void type(std::string_view name, std::wstring_view characters);
    /// WM_KEYDOWN and WM_KEYUP of one key, to the control that has the focus (or `target`).
    void key(WPARAM virtualKey, HWND target = nullptr);
    /// Dispatches what is waiting, through the dialog keys as the program's loop does.
    /// False once WM_QUIT came.
    bool pump();
    /// Resizes the window so that its client area is this many pixels.
    void resizeClient(int width, int height);

    win32::MainWindow face;
    Form1 form;
};

/// Answers message boxes titled "Trevalune" from a helper thread while the window's thread is
/// inside MessageBoxW: reads the box, presses OK. Polls for the box, for a bounded time only.
class MessageBoxAnswerer final {
public:
    struct Box {
        std::wstring text;
        bool okShown = false;
        bool cancelShown = false;
        bool iconShown = false;
    };

    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    std::vector<Box> boxes() const;

private:
    void run();

    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

/// The twips of the design converted as the face must: 96 DPI, 15 twips a pixel.
RECT designPixels(std::string_view name);

}  // namespace testing
}  // namespace trevalune
