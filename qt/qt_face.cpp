#include "qt/qt_face.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextCursor>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>

#include "form/caption_fit.h"
#include "form/control_table.h"
#include "form/form1.h"
#include "form/window_rules.h"
#include "qt/reading_window.h"

namespace trevalune {

namespace {

QString qs(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

int pixels(int twips) {
    return twipsToPixels(twips, kQtLogicalDpi);
}

/// One step of a scroll bar's arrow; a wheel notch is three.
constexpr int kScrollLineTwips = 300;

/// 宋体 where it exists; elsewhere a Song (Ming) face first, whose compact line height the
/// captions were laid out for, then other CJK faces.
void registerFontFallbacks() {
    QFont::insertSubstitutions(
        qs(kDesignFont),
        {QStringLiteral("AR PL UMing CN"), QStringLiteral("SimSun"),
         QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
}

/// The designed font, or the platform's default dialog font where none is designed. Every
/// attribute is set, so nothing is inherited from a frame's designed font.
QFont controlFont(double points) {
    if (points > 0) {
        QFont font(qs(kDesignFont));
        font.setPointSizeF(points);
        return font;
    }
    const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QFont font(general.families());
    if (general.pointSizeF() > 0) {
        font.setPointSizeF(general.pointSizeF());
    } else {
        font.setPixelSize(general.pixelSize());
    }
    font.setWeight(general.weight());
    font.setStyle(general.style());
    return font;
}

/// The keys the form decides on a button or an option; nullopt for every other key.
std::optional<FormKey> formKey(const QKeyEvent& event) {
    if (event.modifiers() & ~Qt::KeypadModifier) return std::nullopt;
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return FormKey::Enter;
        case Qt::Key_Up:
            return FormKey::Up;
        case Qt::Key_Down:
            return FormKey::Down;
        case Qt::Key_Left:
            return FormKey::Left;
        case Qt::Key_Right:
            return FormKey::Right;
        default:
            return std::nullopt;
    }
}

/// Hands the keys of buttons and options to the face before the widget's own handling.
class FormKeys final : public QObject {
public:
    explicit FormKeys(std::function<bool(QObject&, FormKey)> press, QObject* parent)
        : QObject(parent), press_(std::move(press)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const std::optional<FormKey> key = formKey(static_cast<QKeyEvent&>(*event));
        return key && press_(*watched, *key);
    }

private:
    std::function<bool(QObject&, FormKey)> press_;
};

/// A local file as the system names it.
std::filesystem::path pathOf(const QString& file) {
#ifdef _WIN32
    return std::filesystem::path(file.toStdWString());
#else
    // The file system's own bytes, which need not be UTF-8.
    const QByteArray native = QFile::encodeName(file);
    return std::filesystem::path(std::string(native.constData(), native.size()));
#endif
}

/// The first local file a drag carries; none for anything else (text dragged into a box keeps
/// its own meaning).
std::optional<std::filesystem::path> droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return pathOf(url.toLocalFile());
    }
    return std::nullopt;
}

/// A picture file dragged anywhere over the window, a box that takes dropped text included,
/// goes to the face.
class PictureDrops final : public QObject {
public:
    explicit PictureDrops(std::function<void(std::filesystem::path)> dropped, QObject* parent)
        : QObject(parent), dropped_(std::move(dropped)) {}

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto& drag = static_cast<QDragMoveEvent&>(*event);
                if (!droppedFile(drag.mimeData())) return false;
                drag.acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto& drop = static_cast<QDropEvent&>(*event);
                const std::optional<std::filesystem::path> file = droppedFile(drop.mimeData());
                if (!file) return false;
                drop.acceptProposedAction();
                dropped_(*file);
                return true;
            }
            default:
                return false;
        }
    }

private:
    std::function<void(std::filesystem::path)> dropped_;
};

void fillBackground(QWidget& w, const QColor& colour) {
    QPalette palette = w.palette();
    palette.setColor(QPalette::Window, colour);
    w.setPalette(palette);
    w.setAutoFillBackground(true);
}

const QColor kWhite(255, 255, 255);
/// The system face colour the frames kept where the design did not make them white.
const QColor kFaceGrey(240, 240, 240);

/// The form owns the checked state: a click only reports, and the form sets the state.
class FormRadioButton final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override {}
};

class FormCheckBox final : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

/// The top-level window; reports its resizes and changes of state or screen, wheel turns and
/// Tab moves to the face.
class FormWindow final : public QWidget {
public:
    std::function<void()> resized;
    std::function<void()> screenChanged;
    std::function<void(int notches)> wheeled;
    std::function<void()> focusMovedByKey;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (resized) resized();
    }
    /// Maximised or restored: the size may stay the same, but the rule depends on the state.
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange && resized) resized();
    }
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        if (windowHandle() != nullptr && !screenWatched_) {
            screenWatched_ = true;
            QObject::connect(windowHandle(), &QWindow::screenChanged, this, [this] {
                if (screenChanged) screenChanged();
            });
        }
    }
    void wheelEvent(QWheelEvent* event) override {
        if (wheeled) wheeled(event->angleDelta().y() / 120);
        event->accept();
    }
    /// Tab and Shift+Tab in any control end here.
    bool focusNextPrevChild(bool next) override {
        const bool moved = QWidget::focusNextPrevChild(next);
        if (moved && focusMovedByKey) focusMovedByKey();
        return moved;
    }

private:
    bool screenWatched_ = false;
};

/// The locale's long time form without the time zone, which Qt adds and the clock label has no
/// room for.
QString longTimeFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        if (c == u't' && !quoted) continue;
        out += c;
    }
    return out.simplified();
}

}  // namespace

QString localClockText(const LocalDateTime& now, const QLocale& locale) {
    const QDate date(now.year, now.month, now.day);
    const QTime time(now.hour, now.minute, now.second);
    return locale.toString(date, QLocale::ShortFormat) + u' ' +
           locale.toString(time, longTimeFormat(locale));
}

QtFace::QtFace()
    : window_(std::make_unique<FormWindow>()),
      horizontal_(new QScrollBar(Qt::Horizontal, window_.get())),
      vertical_(new QScrollBar(Qt::Vertical, window_.get())) {
    registerFontFallbacks();
    window_->setObjectName(qs(controlName(Control::window)));
    window_->setWindowTitle(qs(kWindowCaption));
    fillBackground(*window_, kWhite);
    window_->resize(pixels(kClientWidthTwips), pixels(kClientHeightTwips));
    createControls();
    fitCaptionsToFonts();
    for (QScrollBar* bar : {horizontal_, vertical_}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(pixels(kScrollLineTwips));
        bar->hide();
        QObject::connect(bar, &QScrollBar::valueChanged, window_.get(),
                         [this] { placeControls(); });
    }
    watchScreen();
    updateLayout();
    auto& window = static_cast<FormWindow&>(*window_);
    window.resized = [this] {
        updateLayout();
        settleLayout();
    };
    window.screenChanged = [this] {
        watchScreen();
        settleLayout();
    };
    window.wheeled = [this](int notches) {
        if (vertical_->isVisible()) {
            vertical_->setValue(vertical_->value() - notches * 3 * vertical_->singleStep());
        }
    };
    window.focusMovedByKey = [this] { scrollIntoView(QApplication::focusWidget()); };
    acceptPictures();
}

void QtFace::acceptPictures() {
    // After the drag has ended: a message box in the middle of a drop would hold up the
    // program the file came from.
    auto* drops = new PictureDrops(
        [this](std::filesystem::path file) {
            QTimer::singleShot(0, window_.get(), [this, file = std::move(file)] {
                if (form_ != nullptr) form_->pictureOpened(file);
            });
        },
        window_.get());
    window_->setAcceptDrops(true);
    window_->installEventFilter(drops);
    for (QWidget* child : window_->findChildren<QWidget*>()) child->installEventFilter(drops);
    // Ctrl+O, and the same in the window's context menu, so that a mouse finds it too.
    auto* open = new QAction(qs(kOpenPictureCaption), window_.get());
    open->setObjectName(QStringLiteral("openPicture"));
    open->setShortcut(QKeySequence::Open);
    open->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(open, &QAction::triggered, window_.get(), [this] { openPicture(); });
    window_->addAction(open);
    window_->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void QtFace::openPicture() {
    const QString file = QFileDialog::getOpenFileName(window_.get(), qs(kOpenPictureTitle),
                                                      QString(), qs(kPictureFilter));
    if (!file.isEmpty() && form_ != nullptr) form_->pictureOpened(pathOf(file));
}

QtFace::~QtFace() {
    // The form may already be gone; nothing the window does while it closes reaches it.
    form_ = nullptr;
}

void QtFace::attach(Form1& form) {
    form_ = &form;
}

QWidget& QtFace::window() const {
    return *window_;
}

QObject& QtFace::control(Control id) const {
    QObject* object = controls_[static_cast<std::size_t>(id)];
    if (object == nullptr) {
        throw std::invalid_argument("no native control " + std::string(controlName(id)));
    }
    return *object;
}

QWidget& QtFace::widget(Control id) const {
    auto* w = qobject_cast<QWidget*>(&control(id));
    if (w == nullptr) throw std::invalid_argument(std::string(controlName(id)) + " is no widget");
    return *w;
}

void QtFace::forwardClicks(QAbstractButton& button, Control name) {
    button.installEventFilter(keys_);
    QObject::connect(&button, &QAbstractButton::clicked, window_.get(), [this, name] {
        if (form_ != nullptr) form_->clicked(name);
    });
}

void QtFace::forwardEdits(QLineEdit& edit, Control name) {
    QObject::connect(&edit, &QLineEdit::textEdited, window_.get(),
                     [this, name, &edit](const QString& text) {
                         if (form_ != nullptr) {
                             form_->textEdited(name, utf8(text), edit.cursorPosition());
                         }
                     });
}

bool QtFace::pressKey(QObject& focused, FormKey key) {
    const std::optional<Control> focusedControl = controlNamed(utf8(focused.objectName()));
    const std::optional<Control> target =
        focusedControl ? controlClickedByKey(*focusedControl, key) : std::nullopt;
    auto* button = target ? qobject_cast<QAbstractButton*>(&widget(*target)) : nullptr;
    if (button == nullptr) return false;
    if (button != &focused) button->setFocus(Qt::TabFocusReason);
    scrollIntoView(button);
    button->click();  // nothing for a disabled button, as for the mouse
    return true;
}

void QtFace::createControls() {
    QWidget* const window = window_.get();
    keys_ = new FormKeys([this](QObject& o, FormKey key) { return pressKey(o, key); }, window);
    for (const ControlSpec& spec : controlTable()) {
        if (spec.kind == ControlKind::Timer) {
            createTimer(spec.id);
            continue;
        }
        QWidget& parent = spec.container == Control::window ? *window : widget(spec.container);
        QWidget* w = createWidget(spec, parent);
        w->setObjectName(qs(controlName(spec.id)));
        w->setFont(controlFont(spec.fontPoints));
        const Twips& g = spec.geometry;
        w->setGeometry(pixels(g.left), pixels(g.top), pixels(g.width), pixels(g.height));
        controls_[static_cast<std::size_t>(spec.id)] = w;
    }
}

QWidget* QtFace::createWidget(const ControlSpec& spec, QWidget& parent) {
    const Control name = spec.id;
    QWidget* const window = window_.get();
    switch (spec.kind) {
        case ControlKind::Button: {
            auto* button = new QPushButton(qs(spec.caption), &parent);
            forwardClicks(*button, name);
            return button;
        }
        case ControlKind::Frame: {
            auto* frame = new QGroupBox(qs(spec.caption), &parent);
            fillBackground(*frame, spec.whiteBackground ? kWhite : kFaceGrey);
            return frame;
        }
        case ControlKind::ComboEditable:
        case ControlKind::ComboList:
            return createCombo(spec, parent);
        case ControlKind::Option: {
            auto* option = new FormRadioButton(qs(spec.caption), &parent);
            option->setAutoExclusive(false);
            forwardClicks(*option, name);
            return option;
        }
        case ControlKind::CheckBox: {
            auto* check = new FormCheckBox(qs(spec.caption), &parent);
            forwardClicks(*check, name);
            return check;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(qs(spec.caption), &parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            if (spec.whiteBackground) fillBackground(*label, kWhite);
            return label;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(qs(spec.caption), &parent);
            forwardEdits(*edit, name);
            return edit;
        }
        case ControlKind::TextBoxMultiline: {
            auto* edit = new QPlainTextEdit(qs(spec.caption), &parent);
            edit->setTabChangesFocus(true);
            QObject::connect(edit, &QPlainTextEdit::textChanged, window, [this, name, edit] {
                if (form_ != nullptr && !applying_) {
                    // Document positions are UTF-16 indices into the plain text.
                    form_->textEdited(name, utf8(edit->toPlainText()),
                                      static_cast<std::size_t>(edit->textCursor().position()));
                }
            });
            return edit;
        }
        case ControlKind::Timer:
            break;
    }
    throw std::invalid_argument(std::string(controlName(name)) + " has no widget");
}

QWidget* QtFace::createCombo(const ControlSpec& spec, QWidget& parent) {
    const Control name = spec.id;
    QWidget* const window = window_.get();
    auto* combo = new QComboBox(&parent);
    // Every pick is reported, the item already shown included.
    QObject::connect(combo, &QComboBox::activated, window, [this, name](int index) {
        if (form_ != nullptr) form_->selected(name, index);
    });
    if (spec.kind == ControlKind::ComboEditable) {
        combo->setEditable(true);
        // Typed values are taken as typed: inline completion made "4" into "40".
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setEditText(qs(spec.caption));
        forwardEdits(*combo->lineEdit(), name);
    }
    return combo;
}

void QtFace::createTimer(Control name) {
    QWidget* const window = window_.get();
    auto* timer = new QTimer(window);
    timer->setObjectName(qs(controlName(name)));
    QObject::connect(timer, &QTimer::timeout, window, [this] {
        if (form_ != nullptr) form_->timerTick();
    });
    controls_[static_cast<std::size_t>(name)] = timer;
}

void QtFace::fitCaptionsToFonts() {
    std::array<int, kControlCount> needed{};
    const std::string clock = clockText(kWidestClockTime);
    for (const ControlSpec& spec : controlTable()) {
        const std::vector<std::string> texts = textsToFit(spec.id, clock);
        if (texts.empty() && spec.kind != ControlKind::Frame) continue;
        QWidget& w = widget(spec.id);
        const QFontMetrics metrics(w.font());
        int text = 0;
        for (const std::string& t : texts) {
            const QString q = qs(t);
            text =
                std::max({text, metrics.horizontalAdvance(q), metrics.boundingRect(q).right() + 1});
        }
        int pixelsNeeded = text;
        if (spec.kind == ControlKind::Button) {
            // The style's border round the label, and its margin on either side of the text.
            QStyleOptionButton option;
            option.initFrom(&w);
            const QRect contents =
                w.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &w);
            pixelsNeeded += w.width() - contents.width() +
                            w.style()->pixelMetric(QStyle::PM_ButtonMargin, &option, &w);
        } else if (spec.kind == ControlKind::Option || spec.kind == ControlKind::CheckBox) {
            pixelsNeeded = w.sizeHint().width();  // the mark, its spacing and the caption
        } else if (spec.kind == ControlKind::Frame) {
            pixelsNeeded = w.minimumSizeHint().width();  // the caption with its indent
        }
        needed[static_cast<std::size_t>(spec.id)] = twipsCovering(pixelsNeeded, kQtLogicalDpi);
    }
    fitted_ = fitCaptions(needed);
    for (const ControlSpec& spec : controlTable()) {
        if (spec.kind == ControlKind::Timer) continue;
        const Twips& g = fitted_[spec.id];
        widget(spec.id).setGeometry(pixels(g.left), pixels(g.top), pixels(g.width),
                                    pixels(g.height));
    }
    const Extent opening = designClientTwips(fitted_);
    window_->resize(pixels(opening.width), pixels(opening.height));
}

Extent QtFace::workAreaClient() const {
    const QScreen* screen = window_->screen();
    if (screen == nullptr) return {1 << 20, 1 << 20};
    const QSize work = screen->availableGeometry().size();
    // The frame the window system draws round the client area, where there is one yet.
    const QSize frame = window_->frameGeometry().size() - window_->geometry().size();
    return {work.width() - frame.width(), work.height() - frame.height()};
}

void QtFace::watchScreen() {
    QScreen* screen = window_->screen();
    if (screen == watchedScreen_) return;
    QObject::disconnect(screenGeometry_);
    QObject::disconnect(screenWorkArea_);
    watchedScreen_ = screen;
    if (screen == nullptr) return;
    // A taskbar that moved, a new resolution or scale: the work area in Qt's pixels changes.
    screenGeometry_ = QObject::connect(screen, &QScreen::geometryChanged, window_.get(),
                                       [this] { settleLayout(); });
    screenWorkArea_ = QObject::connect(screen, &QScreen::availableGeometryChanged, window_.get(),
                                       [this] { settleLayout(); });
}

void QtFace::settleLayout() {
    if (settlePending_) return;
    settlePending_ = true;
    // Queued: a window manager's resize, state, frame and screen arrive in separate events.
    QTimer::singleShot(0, window_.get(), [this] {
        settlePending_ = false;
        watchScreen();
        updateLayout();
    });
}

void QtFace::updateLayout() {
    if (updatingLayout_) {
        // A new maximum resized the window: laid out again once this one is done.
        settleLayout();
        return;
    }
    updatingLayout_ = true;
    const bool sizedBySystem =
        (window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
    const auto layoutNow = [&] {
        const QSize size = window_->size();
        return clientLayout(
            {size.width(), size.height()}, workAreaClient(), kQtLogicalDpi, sizedBySystem,
            {vertical_->sizeHint().width(), horizontal_->sizeHint().height()}, fitted_);
    };
    layout_ = layoutNow();
    // A maximised window is the window manager's to size, with a frame of its own: leave it be.
    if (!sizedBySystem) {
        // Only a screen too small for the form limits the window; elsewhere it stays as it was.
        const QSize maximum = layout_.maximum.width < layout_.content.width ||
                                      layout_.maximum.height < layout_.content.height
                                  ? QSize(layout_.maximum.width, layout_.maximum.height)
                                  : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (window_->maximumSize() != maximum) window_->setMaximumSize(maximum);
        const QSize size = window_->size();
        // Without a window manager nobody else holds the window to its maximum.
        if (size.width() > maximum.width() || size.height() > maximum.height()) {
            window_->resize(size.boundedTo(maximum));
        }
        // Laid out for the size the window has now; one that comes later comes back here.
        layout_ = layoutNow();
    }
    const QSize client = window_->size();
    const int across = vertical_->sizeHint().width();
    const int down = horizontal_->sizeHint().height();
    const int pageWidth = client.width() - (layout_.scrollsVertically ? across : 0);
    const int pageHeight = client.height() - (layout_.scrollsHorizontally ? down : 0);
    const auto fit = [](QScrollBar& bar, bool scrolls, int content, int page) {
        const QSignalBlocker quiet(bar);
        bar.setRange(0, scrolls ? std::max(content - page, 0) : 0);
        bar.setPageStep(page);
        bar.setVisible(scrolls);
        bar.raise();
    };
    fit(*horizontal_, layout_.scrollsHorizontally, layout_.content.width, pageWidth);
    fit(*vertical_, layout_.scrollsVertically, layout_.content.height, pageHeight);
    horizontal_->setGeometry(0, client.height() - down, pageWidth, down);
    vertical_->setGeometry(client.width() - across, 0, across, pageHeight);
    placeControls();
    updateFocusChain();
    updatingLayout_ = false;
}

void QtFace::placeControls() {
    const QPoint scrolled(horizontal_->value(), vertical_->value());
    for (const ControlSpec& spec : controlTable()) {
        // A frame carries what it holds.
        if (spec.container != Control::window || spec.kind == ControlKind::Timer) continue;
        const Twips& g = fitted_[spec.id];
        widget(spec.id).move(QPoint(pixels(g.left), pixels(g.top)) - scrolled);
    }
}

void QtFace::scrollIntoView(QWidget* w) {
    if (w == nullptr || !window_->isAncestorOf(w)) return;
    const QRect r(w->mapTo(window_.get(), QPoint(0, 0)), w->size());
    // In the unscrolled form's coordinates, as the bars count.
    const QRect inForm = r.translated(horizontal_->value(), vertical_->value());
    const auto show = [](QScrollBar& bar, int start, int length) {
        if (bar.isVisible()) {
            bar.setValue(scrollToShow(bar.value(), bar.pageStep(), start, length));
        }
    };
    show(*horizontal_, inForm.left(), inForm.width());
    show(*vertical_, inForm.top(), inForm.height());
}

void QtFace::updateFocusChain() {
    const std::vector<Control> order =
        focusOrder(layout_.reachable.width, layout_.reachable.height, fitted_);
    // Of each frame's option buttons Tab stops at the checked one only; a click or an arrow key
    // still focuses the others.
    const std::vector<Control> stops = tabStops(order, [this](Control c) {
        const auto* b = qobject_cast<QAbstractButton*>(&widget(c));
        return b != nullptr && b->isChecked();
    });
    std::vector<QWidget*> chain;
    for (Control c : order) chain.push_back(&widget(c));
    for (const ControlSpec& spec : controlTable()) {
        if (spec.kind == ControlKind::Timer) continue;
        QWidget& w = widget(spec.id);
        const bool reachable = std::find(chain.begin(), chain.end(), &w) != chain.end();
        const bool stop = std::find(stops.begin(), stops.end(), spec.id) != stops.end();
        w.setFocusPolicy(stop ? Qt::StrongFocus : reachable ? Qt::ClickFocus : Qt::NoFocus);
    }
    for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);

    QWidget* focus = window_->focusWidget();
    const std::optional<Control> focused =
        focus == nullptr ? std::nullopt : controlNamed(utf8(focus->objectName()));
    const std::optional<Control> keep =
        focusAfterLayout(focused, order, [this](Control c) { return widget(c).isEnabled(); });
    QWidget* target = keep ? &widget(*keep) : nullptr;
    if (target == focus) return;
    if (target != nullptr) {
        target->setFocus(Qt::TabFocusReason);
    } else if (focus != nullptr) {
        focus->clearFocus();
    }
}

void QtFace::setText(Control name, std::string_view text) {
    QWidget* w = &widget(name);
    const QSignalBlocker quiet(w);
    const QString value = qs(text);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(value);
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        frame->setTitle(value);
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->setText(value);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        applying_ = true;
        plain->setPlainText(value);
        applying_ = false;
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) {
            const QSignalBlocker quietEdit(combo->lineEdit());
            combo->setEditText(value);
        } else {
            combo->setCurrentIndex(
                combo->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive));
        }
    }
}

void QtFace::setEnabled(Control name, bool enabled) {
    QWidget& w = widget(name);
    const QSignalBlocker quiet(w);
    w.setEnabled(enabled);
}

void QtFace::setChecked(Control name, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(&widget(name));
    {
        const QSignalBlocker quiet(button);
        button->setChecked(checked);
    }
    if (qobject_cast<QRadioButton*>(button) != nullptr) updateFocusChain();  // the Tab stop
}

void QtFace::setItems(Control name, const std::vector<std::string>& items) {
    auto* combo = qobject_cast<QComboBox*>(&widget(name));
    const QSignalBlocker quiet(combo);
    // A typed list keeps its text: the form changes it separately.
    const QString text = combo->currentText();
    combo->clear();
    for (const std::string& item : items) combo->addItem(qs(item));
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->setEditText(text);
}

void QtFace::setCurrentIndex(Control name, int index) {
    auto* combo = qobject_cast<QComboBox*>(&widget(name));
    const QSignalBlocker quiet(combo);
    const QString text = combo->currentText();
    combo->setCurrentIndex(index);
    if (index < 0 && combo->isEditable()) combo->setEditText(text);
}

void QtFace::setCaret(Control name, std::size_t position) {
    QWidget* w = &widget(name);
    const QSignalBlocker quiet(w);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        QTextCursor cursor = plain->textCursor();
        const int end = static_cast<int>(plain->toPlainText().size());
        cursor.setPosition(std::min(static_cast<int>(position), end));
        plain->setTextCursor(cursor);
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->setCursorPosition(static_cast<int>(position));
    } else if (auto* combo = qobject_cast<QComboBox*>(w); combo != nullptr && combo->isEditable()) {
        combo->lineEdit()->setCursorPosition(static_cast<int>(position));
    }
}

void QtFace::repaintNow(Control name) {
    widget(name).repaint();
}

void QtFace::showMessage(std::string_view text, std::string_view title) {
    if (messagesToStandardError_) {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, qs(title), qs(text), QMessageBox::Ok, window_.get());
    box.exec();
}

void QtFace::showReading(const ReadingView& view) {
    if (!reading_) {
        reading_ = std::make_unique<ReadingWindow>(*window_, [this](const TakeValue& take) {
            if (form_ != nullptr) form_->valueTaken(take);
        });
    }
    reading_->showView(view);
}

void QtFace::writeDiagnostic(std::string_view line) {
    std::fprintf(stderr, "trevalune: %.*s\n", static_cast<int>(line.size()), line.data());
}

void QtFace::startTimer(Control name, int intervalMs) {
    auto* timer = qobject_cast<QTimer*>(&control(name));
    if (timer == nullptr)
        throw std::invalid_argument(std::string(controlName(name)) + " is no timer");
    timer->start(intervalMs);
}

std::string QtFace::clockText(const LocalDateTime& now) {
    return utf8(localClockText(now, QLocale()));
}

void QtFace::closeWindow() {
    window_->close();
    QCoreApplication::quit();
}

}  // namespace trevalune
