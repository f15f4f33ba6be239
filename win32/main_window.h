#pragma once

#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "form/control_table.h"
#include "form/face.h"
#include "form/window_rules.h"
#include "win32/native.h"
#include "win32/reading_window.h"

namespace trevalune {

class Form1;

namespace win32 {

/// Form1's window from native Win32 controls, one child of the top-level window per entry of
/// the control table, at the table's geometry scaled to the system DPI. It shows what the form
/// changes and forwards the operator's clicks, picks, edits and the timer's ticks; the rules
/// of the window stay in Form1.
///
/// The window exists (hidden) once the constructor returns, so Form1's constructor can run
/// start-up through it; events reach the form only after attach().
class MainWindow final : public Face {
public:
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void attach(Form1& form);
    /// The reading window; nullptr until a picture was read.
    const ReadingWindow* reading() const { return reading_.get(); }
    void show(int showCommand);

    HWND window() const { return window_; }
    /// The control's native window; nullptr for the timer. Throws std::invalid_argument for a
    /// control without one (the window itself).
    HWND control(Control control) const;

    /// The dots per inch the window was laid out for.
    int dpi() const { return dpi_; }
    /// Every control's place, laid out for the fonts it shows at the present DPI (fitCaptions).
    const FormLayout& layout() const { return fitted_; }
    /// How far the client area is scrolled, in pixels.
    POINT scrollPosition() const { return scroll_; }

    // Face
    void setText(Control control, std::string_view text) override;
    void setEnabled(Control control, bool enabled) override;
    void setChecked(Control control, bool checked) override;
    void setItems(Control control, const std::vector<std::string>& items) override;
    void setCurrentIndex(Control control, int index) override;
    void setCaret(Control control, std::size_t position) override;
    void repaintNow(Control control) override;
    void showMessage(std::string_view text, std::string_view title) override;
    void showReading(const ReadingView& view) override;
    void startTimer(Control timer, int intervalMs) override;
    std::string clockText(const LocalDateTime& now) override;
    void writeDiagnostic(std::string_view line) override;
    void closeWindow() override;

private:
    struct NativeControl {
        const ControlSpec* spec = nullptr;
        HWND hwnd = nullptr;
        int id = 0;
    };

    /// Sets a flag while the face applies the form's change, so the notifications that the
    /// native control sends about it do not come back to the form as the operator's edits.
    class Applying final {
    public:
        explicit Applying(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
        ~Applying() { flag_ = previous_; }
        Applying(const Applying&) = delete;
        Applying& operator=(const Applying&) = delete;

    private:
        bool& flag_;
        bool previous_;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR subclass, DWORD_PTR self);
    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    /// A group of the window's messages: what the window answers, or nothing for a message the
    /// system's default handling should have (after the group's own, for some).
    using Handled = std::optional<LRESULT>;
    using Handler = Handled (MainWindow::*)(HWND, UINT, WPARAM, LPARAM);
    /// Commands, Enter from the dialog keys, a list's pick, the timer's tick: to the form.
    Handled handleInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    /// The background behind the controls and of the ones the system colours.
    Handled handlePainting(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    /// A new size, the largest size the work area allows, a new DPI.
    Handled handleSizing(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    /// The scroll bars, the wheel, a control the dialog keys focused.
    Handled handleScrolling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    /// A dropped picture and the three ways to ask for one.
    Handled handlePictures(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    /// The focus kept while another window is active; a modal box holding the reading window.
    Handled handleActivation(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    /// The window destroyed: the timer stopped, every handle to it forgotten.
    Handled handleLifetime(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void createControl(const ControlSpec& spec, int id);
    /// Sizes, fonts and clipping of every control at the present DPI.
    void layOut();
    /// Measures every caption in its control's font at the present DPI and lays the form out
    /// by fitCaptions.
    void fitCaptionsToFonts();
    /// The control's rectangle in the client area, as laid out (unscrolled, twips).
    Twips placed(const ControlSpec& spec) const { return absoluteGeometry(spec, fitted_); }
    /// Every control at its place in the client area, scrolled by scroll_.
    void placeControls();
    /// A control lying (partly) outside a frame is clipped by it, as in the design.
    void clipToContainers(const NativeControl& control);
    /// Scroll bars, scroll position and tab stops for the present client size.
    void updateScrolling();
    /// The client area as large as it is with the scroll bars taken away.
    Extent clientWithoutBars() const;
    /// The client area the monitor's work area leaves, at the present DPI.
    Extent workAreaClient() const;
    void scrollTo(POINT position);
    void onScroll(int bar, int request);
    /// The focused control wholly in view (Tab moved the focus).
    void scrollFocusIntoView();
    /// Tab stops and their z-order from the reachable area; frames under their contents.
    void updateFocusOrder(Extent reachable);
    /// Enter on a button, an arrow key on an option: what the form says it clicks, clicked.
    bool pressKey(const NativeControl& focused, FormKey key);
    void onDpiChanged(int dpi, const RECT& suggested);
    void restoreFocus();
    void onCommand(const NativeControl& control, int code);
    /// One pick of a list reaches the form once, whatever notifications the list sent for it.
    void schedulePick(const NativeControl& control);
    void forwardPick(int id);
    void forwardText(const NativeControl& control);
    /// A picture the operator dropped or chose, to the form, which reads it.
    void openPicture(const std::filesystem::path& file);
    void openDroppedPicture(HDROP drop);
    /// The right button's menu: the system menu's entry to open a picture, as on Linux.
    void showContextMenu(POINT at);
    /// The system's open dialog for a picture; nothing when the operator cancels it.
    void askForPicture();
    HBRUSH backgroundBrush(const NativeControl& control, HDC dc) const;
    void paintBackground(HDC dc) const;

    /// Throws std::invalid_argument for a control the window has not built (the window itself).
    const NativeControl& find(Control control) const;
    const NativeControl* findById(int id) const;
    const NativeControl* findByWindow(HWND hwnd) const;
    /// The control the focus window belongs to (a combo's edit belongs to its combo).
    const NativeControl* focusedControl() const;
    HFONT font(double points);
    RECT pixelRect(const Twips& twips) const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    POINT scroll_{0, 0};
    ClientLayout layout_;
    FormLayout fitted_ = designLayout();
    bool updatingScroll_ = false;
    Form1* form_ = nullptr;
    std::vector<NativeControl> controls_;
    std::map<int, FontHandle> fonts_;  ///< by hundredths of a point
    std::set<int> pendingPicks_;
    std::set<HWND> reachable_;
    std::vector<Control> order_;  ///< the reachable controls in focus order
    HWND savedFocus_ = nullptr;
    bool applying_ = false;
    bool destroying_ = false;
    std::unique_ptr<ReadingWindow> reading_;
};

/// The folder of the running program (file.prn lies beside it).
std::filesystem::path programFolder();

/// Dispatches the thread's messages until WM_QUIT, with the dialog keys (Tab, Shift+Tab,
/// arrows, Enter) on `window`, which scrolls a control that got the focus by them into view,
/// and on its reading window; Ctrl+O in either opens a picture. Returns WM_QUIT's exit code.
int runMessageLoop(HWND window);

/// Dispatches the messages already waiting, as the loop above would. False once WM_QUIT came.
bool pumpMessages(HWND window);

}  // namespace win32
}  // namespace trevalune
