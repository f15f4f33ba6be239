// The Qt face through the operator's own keys and clicks. The form's own rules are tested once,
// against a recording face (tests/behaviour).
#include <QtTest>
#include <QtWidgets>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "form/control_table.h"
#include "form/form1.h"
#include "form/window_rules.h"
#include "qt/qt_face.h"
#include "tests/face-qt/qt_face_fixture.h"
#include "tests/support/control_print.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_spooler.h"
#include "tests/support/texts_to_show.h"

namespace trevalune::testing {
namespace {

using namespace std::string_literals;

/// The real form over a recording spooler ("RZ7-virtual" preselected); ticks by the tests alone.
class QtWindowTest : public ::testing::Test {
protected:
    RecordingSpooler spooler{{"Office1", "RZ7-virtual"}};
    FakeClock clock;
    QTemporaryDir folder;
    std::unique_ptr<QtFace> face = std::make_unique<QtFace>();
    std::unique_ptr<Form1> form;

    void SetUp() override {
        open();
        QApplication::setActiveWindow(&window());
        QApplication::processEvents();
        ASSERT_TRUE(window().isActiveWindow());
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    void open() {
        form = std::make_unique<Form1>(*face, spooler, clock,
                                       std::filesystem::path(folder.path().toStdU16String()));
        face->attach(*form);
        ASSERT_TRUE(get<QTimer>(Control::timer)->isActive());
        get<QTimer>(Control::timer)->stop();
        window().show();
    }

    QWidget& window() const { return face->window(); }
    template <class W = QWidget>
    W* get(Control name) const {
        return qobject_cast<W*>(&face->control(name));
    }
    void resizeWindow(int width, int height) {
        window().resize(width, height);
        QApplication::processEvents();
        ASSERT_EQ(window().size(), QSize(width, height));
    }
    QScrollBar* bar(Qt::Orientation o) const {
        for (auto* b : window().findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly))
            if (b->orientation() == o) return b;
        return nullptr;
    }
    static std::optional<Control> focused() {
        QWidget* w = QApplication::focusWidget();
        return w == nullptr ? std::nullopt : controlNamed(utf8(w->objectName()));
    }
    /// Presses a key where the focus is; the control that has the focus then.
    static std::optional<Control> press(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, m);
        return focused();
    }
    /// A left click on a button's middle or an option's or check box's indicator.
    void click(Control name) {
        auto* b = get<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier,
                          b->isCheckable() ? QPoint(6, b->height() / 2) : b->rect().center());
    }
    /// Replaces the text of a box or an editable list by typing: select all, then the keys.
    void type(Control name, const QString& keys) {
        QWidget* w = get(name);
        if (auto* combo = qobject_cast<QComboBox*>(w)) w = combo->lineEdit();
        w->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, keys);
    }
    /// Opens a list with F4, moves to item `index` with the arrow keys and takes it with Return.
    void pick(Control name, int index) {
        auto* combo = get<QComboBox>(name);
        combo->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(combo, Qt::Key_F4);
        QAbstractItemView* view = combo->view();
        for (int guard = 0; view->currentIndex().row() != index && guard < 200; ++guard)
            QTest::keyClick(view, view->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(view->currentIndex().row(), index) << name;
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_EQ(QApplication::activePopupWidget(), nullptr) << name << ": drop-down still open";
    }
    /// Every widget shows the form's text (caption, box text or list's text), enabling, check.
    void expectWindowShowsForm() const {
        for (const ControlSpec& spec : controlTable()) {
            if (spec.kind == ControlKind::Timer) continue;
            const ControlState& state = form->control(spec.id);
            QWidget* w = get(spec.id);
            QVariant shown;
            for (const char* p : {"text", "title", "plainText", "currentText"})
                if (!shown.isValid()) shown = w->property(p);
            EXPECT_EQ(utf8(shown.toString()), state.text) << spec.id;
            EXPECT_EQ(w->isEnabled(), state.enabled) << spec.id;
            auto* b = qobject_cast<QAbstractButton*>(w);
            EXPECT_EQ(b != nullptr && b->isChecked(), state.checked) << spec.id;
        }
    }
};

TEST_F(QtWindowTest, BuildsEveryControlOfTheTableWithItsDesignNameKindPlaceAndFont) {
    EXPECT_EQ(window().objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Trevalune"));
    // The design size, wider only where a caption made its row wider (EveryCaptionIsWhole).
    const Extent opening = designClientTwips(face->layout());
    EXPECT_EQ(window().size(), QSize(twipsToPixels(opening.width, 96), 169));
    EXPECT_LE(window().width(), 454 * 11 / 10);
    EXPECT_EQ(window().palette().color(QPalette::Window), QColor(255, 255, 255));
    // Where none is designed, the platform's dialog font at its own size, not a frame's.
    const QFont dialog = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QString song = QStringLiteral("宋体"), uming = QStringLiteral("AR PL UMing CN");
    const auto px = [](int twips) { return twipsToPixels(twips, 96); };
    for (const ControlSpec& spec : controlTable()) {
        SCOPED_TRACE(std::string(controlName(spec.id)));
        EXPECT_EQ(utf8(face->control(spec.id).objectName()), controlName(spec.id));
        auto* w = get(spec.id);
        if (w == nullptr) continue;  // Timer1, started by the form (SetUp)
        EXPECT_EQ(utf8(w->parentWidget()->objectName()), controlName(spec.container));
        // Where the design's place for it, laid out for the fonts it shows (form/caption_fit.h).
        const Twips& g = face->layout()[spec.id];
        EXPECT_EQ(w->geometry(), QRect(px(g.left), px(g.top), px(g.width), px(g.height)));
        const bool designed = spec.fontPoints > 0;
        EXPECT_EQ(w->font().family(), designed ? song : dialog.family());
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), designed ? spec.fontPoints : dialog.pointSizeF());
        if (spec.kind == ControlKind::Frame || spec.whiteBackground) {
            EXPECT_TRUE(w->autoFillBackground());
            EXPECT_EQ(w->palette().color(QPalette::Window),
                      spec.whiteBackground ? QColor(255, 255, 255) : QColor(240, 240, 240));
        }
        auto* option = qobject_cast<QRadioButton*>(w);
        EXPECT_FALSE(option != nullptr && option->autoExclusive());
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            EXPECT_EQ(combo->isEditable(), spec.kind == ControlKind::ComboEditable);
            if (combo->isEditable()) {  // typed values are taken as typed
                EXPECT_EQ(combo->completer(), nullptr);
                EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
            }
        }
    }
    EXPECT_EQ(get<QTimer>(Control::timer)->interval(), 1000);
    expectWindowShowsForm();  // the table's captions, or what start-up made of them
    EXPECT_EQ(get<QComboBox>(Control::centreList)->itemText(115), QStringLiteral("120"));
    // Where 宋体 is missing, a Song face first.
    if (!QFontDatabase::hasFamily(song) && QFontDatabase::hasFamily(uming)) {
        EXPECT_EQ(QFontInfo(get(Control::versionLabel)->font()).family(), uming);
        EXPECT_EQ(QFontInfo(get(Control::printerFrame)->font()).family(), uming);
    }
}

TEST_F(QtWindowTest, ForwardsEveryKindOfOperatorActionAndShowsWhatTheFormChanged) {
    resizeWindow(490, 770);  // every control within reach of the mouse
    EXPECT_EQ(get<QComboBox>(Control::printerList)->count(), 2);
    spooler.defaultChanges.clear();
    pick(Control::printerList, 1);  // F4, Return on the printer already shown is a pick too
    EXPECT_EQ(spooler.defaultChanges, std::vector<std::string>{"RZ7-virtual"});
    type(Control::extraWait, QStringLiteral("300"));
    pick(Control::centreList, 10);
    EXPECT_EQ(form->control(Control::centreList).text, "15");
    // Typed values are taken as typed: Qt's inline completion once made "4" into "40".
    type(Control::valueBox, QStringLiteral("4"));
    EXPECT_EQ(get<QLabel>(Control::highSpeedValue)->text(), QStringLiteral("4"));
    // As on Windows: Enter and the keypad's Enter press the focused button.
    get(Control::pageEject)->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return);
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(spooler.payloads(), (std::vector<std::string>(2, "\x1D\x56\x53")));
    // In 功能选择 an arrow key selects the next mode, round at either end, as a click would.
    get(Control::highSpeedOption)->setFocus(Qt::TabFocusReason);
    for (const auto& [key, mode] : {std::pair{Qt::Key_Right, Control::highDensityOption},
                                    {Qt::Key_Down, Control::superHighDensityOption},
                                    {Qt::Key_Down, Control::highSpeedOption},
                                    {Qt::Key_Up, Control::superHighDensityOption},
                                    {Qt::Key_Left, Control::highDensityOption}}) {
        EXPECT_EQ(press(key), mode);
        EXPECT_TRUE(get<QAbstractButton>(mode)->isChecked());
        expectWindowShowsForm();
    }
    // The clock: the short date and the long time, without a time zone.
    for (const auto& [locale, expected] :
         {std::pair{QLocale(QLocale::English, QLocale::UnitedStates), "12/5/26 9:05:03 AM"},
          {QLocale(QLocale::German, QLocale::Germany), "05.12.26 09:05:03"}}) {
        QLocale::setDefault(locale);
        QMetaObject::invokeMethod(get<QTimer>(Control::timer), "timeout", Qt::DirectConnection);
        EXPECT_EQ(utf8(get<QLabel>(Control::clock)->text()), expected);
    }
    click(Control::superHighDensityOption);
    click(Control::saveBracket);
    expectWindowShowsForm();
    click(Control::setSingleItem);
    EXPECT_EQ(clock.waits.back(), 300);
    EXPECT_TRUE(form->busyState().busy());
    expectWindowShowsForm();
    click(Control::quit);
    EXPECT_FALSE(window().isVisible());
}

TEST_F(QtWindowTest, TabReachesOnlyTheVisibleControlsAtTheDesignSize) {
    // Once Tab reached the hidden 设置全部 at the design size, where a stray Space pressed it.
    using C = Control;
    EXPECT_EQ(focused(), C::printerList);
    // The form's order (its own tests pin it), from the control after the first, round.
    std::vector<std::optional<Control>> visited, expected;
    for (Control c : focusOrder(kClientWidthTwips, kClientHeightTwips)) {
        expected.push_back(c);
        visited.push_back(press(Qt::Key_Tab));
    }
    std::rotate(expected.begin(), expected.begin() + 1, expected.end());
    EXPECT_EQ(visited, expected);
    // Back at the design size, a focus that was left on a lower control comes back up.
    resizeWindow(600, 770);
    for (int i = 0; i < 40 && focused() != Control::setAllWithTestPage; ++i) press(Qt::Key_Tab);
    resizeWindow(twipsToPixels(designClientTwips(face->layout()).width, 96), 169);
    EXPECT_EQ(focused(), Control::printerList);
    EXPECT_EQ(get(Control::setAllWithTestPage)->focusPolicy(), Qt::NoFocus);
}

// Run by ctest at 96, 120, 144 and 192 DPI (qt.captions.*: QT_SCALE_FACTOR 1 to 2), in the
// fonts the face really draws with: 宋体 where it exists, its substitute where not.
TEST_F(QtWindowTest, EveryCaptionIsWholeAndNoTwoControlsTouch) {
    if (const QByteArray dpi = qgetenv("TREVALUNE_DPI"); !dpi.isEmpty()) {
        ASSERT_DOUBLE_EQ(window().devicePixelRatioF() * 96, dpi.toDouble()) << "QT_SCALE_FACTOR";
    }
    for (const ControlSpec& spec : controlTable()) {
        QWidget* w = spec.kind == ControlKind::Timer ? nullptr : get(spec.id);
        if (w == nullptr) continue;
        SCOPED_TRACE(std::string(controlName(spec.id)) + " in " +
                     utf8(QFontInfo(w->font()).family()));
        const QFontMetrics metrics(w->font());
        for (const std::string& utf8Text : textsToShow(spec, *face)) {
            const QString text = QString::fromStdString(utf8Text);
            int width =
                std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1);
            int room = w->width();
            if (spec.kind == ControlKind::Button) {
                QStyleOptionButton option;
                option.initFrom(w);
                option.text = text;
                room =
                    w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w).width();
            } else if (spec.kind != ControlKind::Label) {
                // Options, check boxes, frames: the mark or the caption's indent, and the caption.
                width = w->sizeHint().expandedTo(w->minimumSizeHint()).width();
            }
            EXPECT_LE(width, room) << utf8(text);
        }
    }
    // Within the window and each frame: no two controls overlap or touch, and a frame holds
    // what it holds (but Text1, which the design put below its frame's edge).
    std::vector<Control> containers{Control::window};
    for (const ControlSpec& c : controlTable())
        if (c.kind == ControlKind::Frame) containers.push_back(c.id);
    for (Control parent : containers) {
        QWidget* frame = parent == Control::window ? &window() : get(parent);
        std::vector<const ControlSpec*> inside;
        for (const ControlSpec& c : controlTable())
            if (c.container == parent && c.kind != ControlKind::Timer &&
                fullyVisible(c, 1 << 24, 1 << 24))
                inside.push_back(&c);
        for (const ControlSpec* a : inside) {
            const QRect ra = get(a->id)->geometry();
            if (parent != Control::window) {
                EXPECT_TRUE(frame->rect().contains(ra)) << a->id << " within " << parent;
            }
            for (const ControlSpec* b : inside) {
                if (a == b) continue;
                EXPECT_FALSE(ra.adjusted(-1, -1, 1, 1).intersects(get(b->id)->geometry()))
                    << a->id << " and " << b->id << " overlap or touch";
            }
        }
    }
    // A pixel narrower than the whole form as these fonts laid it out, the client area scrolls
    // across, and Tab goes from the checked mode to 参数 and scrolls it into view (it once went
    // on to 设置单项 and left the box cut off at the right edge).
    const Extent whole = fullClientTwips(face->layout());
    resizeWindow(twipsToPixels(whole.width, 96) - 1, twipsToPixels(whole.height, 96));
    ASSERT_TRUE(bar(Qt::Horizontal) != nullptr && bar(Qt::Horizontal)->isVisible());
    get(Control::highSpeedOption)->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(press(Qt::Key_Tab), Control::valueBox);
    QWidget* box = get(Control::valueBox);
    EXPECT_TRUE(window().rect().contains(QRect(box->mapTo(&window(), QPoint(0, 0)), box->size())));
}

TEST_F(QtWindowTest, TabGoesFrameByFrameInVisualOrderAndStopsOnceInTheOptionGroup) {
    using C = Control;
    resizeWindow(600, 770);  // every control within reach
    // The form's order and stops (its own tests pin them) but Command9, disabled at first.
    std::vector<std::optional<Control>> forward;
    for (Control c : tabStops(focusOrder(1 << 24, 1 << 24, face->layout()),
                              [](Control o) { return o == C::highSpeedOption; }))
        if (c != C::factoryBlock) forward.push_back(c);
    std::rotate(forward.begin(), forward.begin() + 1, forward.end());
    get(Control::printerList)->setFocus(Qt::TabFocusReason);
    std::vector<std::optional<Control>> visited;
    for (std::size_t i = 0; i < forward.size(); ++i) visited.push_back(press(Qt::Key_Tab));
    EXPECT_EQ(visited, forward);
    visited.clear();
    for (std::size_t i = 0; i < forward.size(); ++i) visited.push_back(press(Qt::Key_Backtab));
    std::vector<std::optional<Control>> backward(forward.rbegin() + 1, forward.rend());
    backward.push_back(C::printerList);
    EXPECT_EQ(visited, backward);
    // Another mode chosen by the arrow keys: Tab stops there, in both directions.
    get(Control::highSpeedOption)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(press(Qt::Key_Left), C::superHighDensityOption);
    EXPECT_EQ(press(Qt::Key_Tab), C::valueBox);
    EXPECT_EQ(press(Qt::Key_Backtab), C::superHighDensityOption);
    EXPECT_EQ(press(Qt::Key_Backtab), C::sendCommand);
    EXPECT_EQ(press(Qt::Key_Tab), C::superHighDensityOption);
}

TEST_F(QtWindowTest, RefusedInputAndAnExceptionInAClickShowRealModalMessageBoxes) {
    MessageBoxAnswerer boxes;
    type(Control::commandText, QStringLiteral("1G"));
    EXPECT_EQ(get<QPlainTextEdit>(Control::commandText)->toPlainText(), QStringLiteral("1"));
    EXPECT_EQ(get<QPlainTextEdit>(Control::commandText)->textCursor().position(), 1);
    // An exception goes out of Qt's event handling into the form and back: one box, one line.
    spooler.onDocument = [](const auto&) { throw std::runtime_error("spooler broke"); };
    ::testing::internal::CaptureStderr();
    click(Control::pageEject);
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                ::testing::StartsWith("trevalune: unexpected error: spooler broke\n"));
    EXPECT_EQ(boxes.shown,
              (std::vector<std::string>{"Trevalune|请输入的数据是16进制的范围|0|1|Form1",
                                        "Trevalune|spooler broke|0|1|Form1"}));
    spooler.onDocument = nullptr;
    click(Control::lineFeed);  // and the window goes on
    EXPECT_EQ(spooler.payloads().back(), "\n");
}

TEST_F(QtWindowTest, APageDroppedOpensTheReadingWindowWhoseButtonFillsTheValueBox) {
    MessageBoxAnswerer boxes;
    resizeWindow(490, 770);
    // Dropped on the command box, which takes dropped text: the file is read, the box unchanged.
    const auto drop = [&](const char* file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral(TREVALUNE_READING_PAGES "/") +
                                          QString::fromUtf8(file))});
        QWidget* box = get<QPlainTextEdit>(Control::commandText)->viewport();
        QDragEnterEvent enter({9, 9}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropped({9, 9}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QApplication::sendEvent(box, &dropped);
        QApplication::processEvents();
    };
    drop("high-speed-straight-19.png");
    auto* reading = window().findChild<QWidget*>(QStringLiteral("readingWindow"));
    ASSERT_TRUE(reading != nullptr && reading->isVisible() && !reading->isModal());
    QStringList lines;
    for (QLabel* label : reading->findChildren<QLabel*>()) lines << label->text();
    EXPECT_THAT(utf8(lines.join(u'|')), ::testing::HasSubstr("高速：19 行是直的（可信度 0."));
    EXPECT_TRUE(get<QPlainTextEdit>(Control::commandText)->toPlainText().isEmpty());
    click(Control::highDensityOption);
    QTest::mouseClick(reading->findChild<QPushButton*>(QStringLiteral("takeValue1")),
                      Qt::LeftButton);
    EXPECT_EQ(get<QComboBox>(Control::valueBox)->currentText(), QStringLiteral("19"));
    EXPECT_TRUE(get<QAbstractButton>(Control::highSpeedOption)->isChecked());
    expectWindowShowsForm();
    drop("high-speed-none-straight.png");  // the one reading window, without a button now
    EXPECT_EQ(window().findChildren<QWidget*>(QStringLiteral("readingWindow")).size(), 1);
    EXPECT_EQ(reading->findChild<QPushButton*>(QStringLiteral("takeValue1")), nullptr);
    drop("../README.md");
    EXPECT_THAT(boxes.shown, ::testing::ElementsAre(::testing::EndsWith(
                                 "README.md 不是 PNG、JPEG 或 TIFF 图片|0|1|Form1")));
    EXPECT_TRUE(spooler.documents.empty());
}

// Run by ctest as qt.two_screens: 1920 x 1200, and 1366 x 768 to its right. Once the window
// kept the first screen's work area until the operator resized it.
TEST_F(QtWindowTest, MovedToASmallerScreenTheWindowTakesItsWorkArea) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2) {
        ASSERT_TRUE(qEnvironmentVariableIsEmpty("TREVALUNE_TWO_SCREENS")) << "one screen";
        GTEST_SKIP() << "needs two screens";
    }
    const Extent whole = fullClientTwips(face->layout());
    resizeWindow(twipsToPixels(whole.width, 96), twipsToPixels(whole.height, 96));  // all of it
    window().windowHandle()->setScreen(screens[1]);
    window().move(screens[1]->geometry().topLeft());
    QApplication::processEvents();
    EXPECT_EQ(window().frameGeometry().height(), 768) << "the small screen's work area";
    ASSERT_TRUE(bar(Qt::Vertical) != nullptr && bar(Qt::Vertical)->isVisible());
}

/// The window on a real X server under a real window manager (tests/face-qt/window-manager.sh runs
/// it 20 times at each scale); the waits are for the window manager, with a time limit.
class QtWindowManagerTest : public QtWindowTest {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("TREVALUNE_WINDOW_MANAGER"))
            GTEST_SKIP() << "needs a window manager (tests/face-qt/window-manager.sh)";
        open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    }
    /// Runs a command line of X tools; %1 is the window, %2 and %3 a point of the client area.
    void x(const QString& command, QPoint at = {}) {
        const QPoint p = at * window().devicePixelRatio();
        QString line = command;
        line.replace(QStringLiteral("%1"), QString::number(window().winId()))
            .replace(QStringLiteral("%2"), QString::number(p.x()))
            .replace(QStringLiteral("%3"), QString::number(p.y()));
        const QStringList words = line.split(u' ');
        ASSERT_EQ(QProcess::execute(words[0], words.mid(1)), 0) << utf8(command);
    }
};

// Maximised by the window manager at once, as by the title bar's button: once the window undid
// it and kept the design size's layout (no scroll bar, Tab among the top nine controls).
TEST_F(QtWindowManagerTest, MaximisedItScrollsAndTabAndTheWheelReachTheSaveButton) {
    x(QStringLiteral("wmctrl -i -r %1 -b add,maximized_vert,maximized_horz"));
    // Whether the window manager limits it to the window's maximum is its own affair.
    const QRect work = window().screen()->availableGeometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().height() > work.height() / 2; }));
    QApplication::processEvents();
    EXPECT_TRUE(window().isMaximized()) << "the window itself undid it";
    const std::string save = "\x1B\x3A\x00\x00\x52"s;
    for (int i = 0; i < 60 && focused() != Control::save; ++i) press(Qt::Key_Tab);
    ASSERT_EQ(focused(), Control::save) << "保存 by Tab";
    press(Qt::Key_Return);
    EXPECT_EQ(spooler.payloads(), std::vector{save});
    // By the wheel over the white right of the form: to the top, to the bottom, and a click.
    QScrollBar* down = bar(Qt::Vertical);
    ASSERT_TRUE(down != nullptr && down->isVisible());
    const QPoint empty(window().width() - down->width() - 10, window().height() / 2);
    x(QStringLiteral("xdotool mousemove --window %1 %2 %3 click --repeat 30 --delay 1 4"), empty);
    ASSERT_TRUE(QTest::qWaitFor([&] { return down->value() == 0; })) << down->value();
    x(QStringLiteral("xdotool mousemove --window %1 %2 %3 click --repeat 30 --delay 1 5"), empty);
    ASSERT_TRUE(QTest::qWaitFor([&] { return down->value() == down->maximum(); }));
    QWidget* button = get(Control::save);
    const QRect shown(button->mapTo(&window(), QPoint(0, 0)), button->size());
    ASSERT_TRUE(window().rect().contains(shown)) << shown.top() << " " << shown.bottom();
    x(QStringLiteral("xdotool mousemove --window %1 %2 %3 click 1"), shown.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return spooler.payloads().size() == 2; }));
    EXPECT_EQ(spooler.payloads(), std::vector(2, save));
}

}  // namespace
}  // namespace trevalune::testing
