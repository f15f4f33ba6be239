#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "form/form1.h"
#include "qt/qt_face.h"
#include "tests/support/control_print.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_spooler.h"

namespace trevalune::testing {

inline std::string utf8(const QString& text) {
    return text.toStdString();
}

/// What a message box showed when it was answered.
struct ShownBox {
    std::string title;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

/// Answers every message box as an operator pressing OK, from the box's own modal loop, after
/// running `whileOpen` there.
class MessageBoxAnswerer final {
public:
    MessageBoxAnswerer() {
        poll_.setInterval(0);
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { answer(); });
        poll_.start();
    }

    std::vector<ShownBox> shown;
    std::function<void(QMessageBox&)> whileOpen;

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        if (whileOpen) whileOpen(*box);
        shown.push_back({utf8(box->windowTitle()), utf8(box->text()), box->icon(),
                         static_cast<int>(box->buttons().size())});
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        ASSERT_NE(ok, nullptr);
        ok->click();
    }

    QTimer poll_;
};

/// The Qt face with the real form over a recording spooler (printers "Office1" and
/// "RZ7-virtual", the second preselected) and a fake clock; the window shown and active.
/// Timer1 is stopped: ticks come from the tests alone (tick()).
class QtFaceTest : public ::testing::Test {
protected:
    RecordingSpooler spooler{{"Office1", "RZ7-virtual"}};
    FakeClock clock;
    QTemporaryDir folder;
    std::unique_ptr<QtFace> face = std::make_unique<QtFace>();
    std::unique_ptr<Form1> form;
    bool timerStartedByForm = false;

    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        form = std::make_unique<Form1>(*face, spooler, clock,
                                       std::filesystem::path(folder.path().toStdU16String()));
        face->attach(*form);
        timerStartedByForm = timer()->isActive();
        timer()->stop();
        window().show();
        window().activateWindow();
        QApplication::setActiveWindow(&window());
        QApplication::processEvents();
        ASSERT_TRUE(window().isActiveWindow());
    }

    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QWidget& window() const { return face->window(); }

    template <class W = QWidget>
    W* get(Control name) const {
        // A control of another kind ends the test at once (GoogleTest reports the exception)
        // rather than letting a caller dereference null.
        auto* w = qobject_cast<W*>(&face->control(name));
        if (w == nullptr) {
            throw std::invalid_argument("no control " + std::string(controlName(name)) +
                                        " of that kind");
        }
        return w;
    }

    QTimer* timer() const { return get<QTimer>(Control::Timer1); }

    void resizeWindow(int width, int height) {
        window().resize(width, height);
        QApplication::processEvents();
        ASSERT_EQ(window().size(), QSize(width, height));
    }

    /// One timeout of the face's Timer1, as Qt delivers it.
    void tick() {
        ASSERT_TRUE(QMetaObject::invokeMethod(timer(), "timeout", Qt::DirectConnection));
    }

    /// The control that has the keyboard focus, if any.
    static std::optional<Control> focused() {
        QWidget* w = QApplication::focusWidget();
        return w == nullptr ? std::nullopt : controlNamed(utf8(w->objectName()));
    }

    /// A left click where the operator would click: a button's middle, an option's or a
    /// check box's indicator.
    void click(Control name) {
        auto* button = get<QAbstractButton>(name);
        const QPoint at =
            button->isCheckable() ? QPoint(6, button->height() / 2) : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
    }

    /// Replaces the text of a box or an editable list by typing: select all, then the keys.
    void type(Control name, const QString& keys) {
        QWidget* w = get(name);
        if (auto* combo = qobject_cast<QComboBox*>(w)) w = combo->lineEdit();
        w->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, keys);
    }

    /// Opens a list's drop-down with F4, moves to item `index` with the arrow keys and takes
    /// it with Return (also the item already shown).
    void pick(Control name, int index) {
        auto* combo = get<QComboBox>(name);
        combo->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(combo, Qt::Key_F4);
        ASSERT_NE(QApplication::activePopupWidget(), nullptr) << name << ": no drop-down";
        QAbstractItemView* view = combo->view();
        for (int guard = 0; view->currentIndex().row() != index && guard < 200; ++guard) {
            QTest::keyClick(view, view->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
        }
        ASSERT_EQ(view->currentIndex().row(), index) << name;
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_EQ(QApplication::activePopupWidget(), nullptr) << name << ": drop-down still open";
    }
};

}  // namespace trevalune::testing
