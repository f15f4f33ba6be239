#include "tests/window/form1_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace trevalune::testing {

std::string FormTest::text(const char* name) const {
    QWidget* w = get(name);
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->toPlainText().toStdString();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().toStdString();
    ADD_FAILURE() << name << " has no text";
    return {};
}

std::vector<std::string> FormTest::disabledButtons() const {
    std::vector<std::string> off;
    for (const char* name : kCommandButtons) {
        if (!get(name)->isEnabled()) off.push_back(name);
    }
    for (QPushButton* b : form->findChildren<QPushButton*>()) {
        const std::string name = b->objectName().toStdString();
        if (!b->isEnabled() && std::find(off.begin(), off.end(), name) == off.end()) {
            off.push_back(name);
        }
    }
    return off;
}

}  // namespace trevalune::testing
