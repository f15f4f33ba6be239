#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trevalune::testing {

inline std::string utf8(const QString& text) {
    return text.toStdString();
}

/// Answers every message box as an operator pressing OK, from the box's own modal loop, and
/// keeps "title|text|icon|buttons|parent" of each.
class MessageBoxAnswerer final {
public:
    MessageBoxAnswerer() {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { answer(); });
        poll_.start(0);
    }

    std::vector<std::string> shown;

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        const QWidget* parent = box->parentWidget();
        shown.push_back(utf8(QStringLiteral("%1|%2|%3|%4|%5")
                                 .arg(box->windowTitle(), box->text())
                                 .arg(int(box->icon()))
                                 .arg(box->buttons().size())
                                 .arg(parent ? parent->objectName() : QString())));
        ASSERT_NE(box->button(QMessageBox::Ok), nullptr);
        box->button(QMessageBox::Ok)->click();
    }

    QTimer poll_;
};

}  // namespace trevalune::testing
