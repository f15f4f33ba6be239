#pragma once

#include <QMetaObject>
#include <QString>

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "form/face.h"
#include "form/window_rules.h"

class QAbstractButton;
class QLineEdit;
class QLocale;
class QObject;
class QScreen;
class QScrollBar;
class QWidget;

namespace trevalune {

class Form1;
class ReadingWindow;

/// The window's context menu entry for opening a scanned page, with its shortcut shown.
inline constexpr std::string_view kOpenPictureCaption = "打开扫描图片…";
inline constexpr std::string_view kOpenPictureTitle = "打开扫描图片";
inline constexpr std::string_view kPictureFilter =
    "扫描图片 (*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.tif *.TIF *.tiff *.TIFF);;所有文件 (*)";

/// Qt's coordinates are device-independent pixels of 1/96 inch; Qt scales them to the screen.
inline constexpr int kQtLogicalDpi = 96;

/// The Qt Widgets face of Form1: the window ("Form1") with one native control per entry of the
/// control table, named by its design name, placed in twips converted to pixels, in the design
/// font. It forwards the operator's clicks, picks, typing and timer ticks to the form and shows
/// what the form changes; no window rule lives here.
///
/// Build the face first, then the form over it (its constructor loads the window through the
/// face), then attach it. The face detaches itself when it goes.
class QtFace final : public Face {
public:
    QtFace();
    ~QtFace() override;
    QtFace(const QtFace&) = delete;
    QtFace& operator=(const QtFace&) = delete;

    /// Sends the operator's actions to `form` from now on.
    void attach(Form1& form);

    /// Message boxes become lines on standard error, for runs that nobody watches (a
    /// screenshot for an installation check): a modal box there would wait forever.
    void writeMessagesToStandardError() { messagesToStandardError_ = true; }

    /// The window: show, resize or grab it.
    QWidget& window() const;
    /// Every control's place, laid out for the fonts this face draws with (fitCaptions).
    const FormLayout& layout() const { return fitted_; }
    /// A control's native object: a widget, or the QTimer of Timer1. Throws
    /// std::invalid_argument for one without any (the window itself).
    QObject& control(Control control) const;

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
    void createControls();
    /// The widget of one control of the table (not the timer), its events forwarded.
    QWidget* createWidget(const ControlSpec& spec, QWidget& parent);
    /// An editable or a plain list; every pick and every typed change reach the form.
    QWidget* createCombo(const ControlSpec& spec, QWidget& parent);
    void createTimer(Control name);
    /// A picture file dropped on the window, Ctrl+O and the context menu open a scanned page.
    void acceptPictures();
    /// The file dialog of Ctrl+O.
    void openPicture();
    /// Measures every caption in its control's font, lays the form out by fitCaptions and
    /// places every control there.
    void fitCaptionsToFonts();
    /// A button's, option's or check box's clicks reach the form as clicks on `name`.
    void forwardClicks(QAbstractButton& button, Control control);
    /// A line edit's typed changes reach the form as text edits of `control`, with the caret.
    void forwardEdits(QLineEdit& edit, Control control);
    /// The control's widget; throws std::invalid_argument where it has none.
    QWidget& widget(Control control) const;
    /// Enter on a button, an arrow key on an option: what the form says it clicks, clicked.
    /// False where the key keeps the widget's own meaning.
    bool pressKey(QObject& focused, FormKey key);
    /// Tab walks the controls the operator can reach at the window's present size (those in
    /// view, or all of them where the client area scrolls), in visual order; the others take
    /// no focus at all.
    void updateFocusChain();
    /// The client area the screen's work area leaves.
    Extent workAreaClient() const;
    /// Maximum size, scroll bars and focus chain for the window's present size and state.
    void updateLayout();
    /// updateLayout once more, after the events already queued (once the window manager's
    /// size, state and frame have all arrived).
    void settleLayout();
    /// Follows the work area of the screen the window is on now.
    void watchScreen();
    /// The window's own controls at their places, scrolled as the bars say.
    void placeControls();
    void scrollIntoView(QWidget* w);

    std::unique_ptr<QWidget> window_;
    /// Made on the first page read, then reused; goes before the window it belongs to.
    std::unique_ptr<ReadingWindow> reading_;
    QScrollBar* horizontal_;  ///< children of the window, shown only where it scrolls
    QScrollBar* vertical_;
    ClientLayout layout_;
    FormLayout fitted_ = designLayout();
    bool updatingLayout_ = false;
    bool settlePending_ = false;
    QScreen* watchedScreen_ = nullptr;
    QMetaObject::Connection screenGeometry_;
    QMetaObject::Connection screenWorkArea_;
    std::array<QObject*, kControlCount> controls_{};
    Form1* form_ = nullptr;
    QObject* keys_ = nullptr;  ///< the key filter of buttons and options, owned by the window
    /// Set while a change of the form is shown, so that it is not reported back as typing.
    bool applying_ = false;
    bool messagesToStandardError_ = false;
};

/// The locale's short date and long time, without the time zone (the clock label has no room
/// for it).
QString localClockText(const LocalDateTime& now, const QLocale& locale);

}  // namespace trevalune
