#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "form/reading_view.h"
#include "win32/native.h"

namespace trevalune::win32 {

class PictureView;

/// The reading window: a page read from a picture, shown beside the main window without
/// blocking it. Per block, the verdict and, where there is a value to take, a button that
/// reports it; below them the annotated picture, as wide as the window, scrolling. It sends
/// nothing.
///
/// A top-level window owned by the main window: above it, closed with it, and disabled with it
/// while a modal box is open there. The native window exists from the first show() until the
/// operator closes it or this object goes; show() opens it again.
class ReadingWindow final {
public:
    using TakeHandler = std::function<void(const TakeValue&)>;

    ReadingWindow(HINSTANCE instance, HWND owner, TakeHandler onTake);
    ~ReadingWindow();
    ReadingWindow(const ReadingWindow&) = delete;
    ReadingWindow& operator=(const ReadingWindow&) = delete;

    /// Shows `view` (a copy is kept), opening the window beside the owner if it is closed.
    void show(const ReadingView& view);
    /// The native window; nullptr while closed.
    HWND window() const { return window_; }
    /// The picture's child window; nullptr while closed.
    HWND picture() const;

private:
    struct Line {
        HWND text = nullptr;
        HWND button = nullptr;  ///< only where the verdict has a value to take
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void create();
    void createLines();
    /// The picture above, the verdicts below, at the present size and DPI.
    void layOut();
    void onDpiChanged(int dpi, const RECT& suggested);
    void press(HWND button);

    HINSTANCE instance_;
    HWND owner_;
    TakeHandler onTake_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    FontHandle font_;
    std::unique_ptr<PictureView> picture_;
    std::vector<ModeVerdict> verdicts_;
    std::vector<Line> lines_;
};

/// A reading window's native window (the dialog keys work there as in the main window).
bool isReadingWindow(HWND hwnd);

}  // namespace trevalune::win32
