#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace trevalune::testing {

/// A control of the window by its design name; a missing one fails the test where it is asked for.
template <class W = QWidget>
W* findControl(const QWidget& form, const char* name) {
    W* w = form.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

inline void clickControl(const QWidget& form, const char* name) {
    findControl<QAbstractButton>(form, name)->click();
}

}  // namespace trevalune::testing
