#pragma once

// Drives the whole window once, as an operator could: for the sanitizer and valgrind runs
// (tests/window) and the check of what the tool writes (tests/e2e/window).

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/form1.h"

namespace trevalune::testing {

template <class W>
W* childOf(const Form1& form, const std::string& name) {
    return form.findChild<W*>(QString::fromStdString(name));
}

/// Types into the boxes, chooses in the lists, then clicks every button of `form` once, exit
/// (Command2) last. After a set operation the timer ticks until the busy state has ended.
/// A button that is disabled when its turn comes is a test failure. Returns the buttons in
/// the order they were clicked.
inline std::vector<std::string> clickEveryButton(Form1& form) {
    childOf<QLineEdit>(form, "Text1")->setText(QStringLiteral("300"));
    auto* printers = childOf<QComboBox>(form, "Combo1");
    const int selected = printers->currentIndex();
    printers->setCurrentIndex(0);
    printers->setCurrentIndex(selected);
    childOf<QComboBox>(form, "Combo2")->setCurrentIndex(10);
    childOf<QComboBox>(form, "cmbsz")->setEditText(QStringLiteral("18"));
    childOf<QPlainTextEdit>(form, "Text2")->setPlainText(QStringLiteral("1b 4G"));

    // Where one control unlocks another: Check1 enables Command9, whose factory block
    // Command6 then sends; the set operations come after the values were chosen.
    std::vector<std::string> order = {
        "Optcgs",    "Optcgm",    "Optgs",     "Command18", "Command5", "Command12", "Command10",
        "Command11", "Command1",  "Command14", "Command4",  "Command7", "Command16", "Command3",
        "Command8",  "Command15", "Check1",    "Command9",  "Command6"};
    std::vector<std::string> rest;
    for (const QAbstractButton* b : form.findChildren<QAbstractButton*>()) {
        const std::string name = b->objectName().toStdString();
        if (name != "Command2" && std::find(order.begin(), order.end(), name) == order.end()) {
            rest.push_back(name);
        }
    }
    std::sort(rest.begin(), rest.end());
    order.insert(order.end(), rest.begin(), rest.end());
    order.push_back("Command2");

    std::vector<std::string> clicked;
    for (const std::string& name : order) {
        auto* button = childOf<QAbstractButton>(form, name);
        if (button == nullptr) continue;
        EXPECT_TRUE(button->isEnabled()) << name << " is disabled when its turn comes";
        button->click();
        clicked.push_back(name);
        for (int tick = 0; tick < 100 && form.busy.busy(); ++tick) form.Timer1_Timer();
        EXPECT_FALSE(form.busy.busy()) << "the busy state after " << name << " did not end";
    }
    return clicked;
}

}  // namespace trevalune::testing
