#pragma once

// Drives the whole window once, as an operator could: for the form's tests, the sanitizer
// and valgrind runs, and the check of what the tool writes (tests/e2e/window).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "form/control_table.h"
#include "form/form1.h"
#include "tests/support/form_operator.h"
#include "tests/support/recording_face.h"

namespace trevalune::testing {

/// Types into the boxes, chooses in the lists, then clicks every button, option button and
/// the check box once, exit (Command2) last. After a set operation the timer ticks until the
/// busy state has ended. A control that is disabled when its turn comes is a test failure.
/// Returns the controls in the order they were clicked.
inline std::vector<Control> clickEveryButton(Form1& form, RecordingFace& face) {
    replaceText(form, face, Control::Text1, "300");
    const int selected = form.control(Control::Combo1).currentIndex;
    pick(form, face, Control::Combo1, 0);
    if (selected >= 0) pick(form, face, Control::Combo1, selected);
    pick(form, face, Control::Combo2, 10);
    replaceText(form, face, Control::cmbsz, "18");
    replaceText(form, face, Control::Text2, "1b 4G");

    // Where one control unlocks another: Check1 enables Command9, whose factory block
    // Command6 then sends; the set operations come after the values were chosen.
    using C = Control;
    std::vector<Control> order = {C::Optcgs,    C::Optcgm,    C::Optgs,     C::Command18,
                                  C::Command5,  C::Command12, C::Command10, C::Command11,
                                  C::Command1,  C::Command14, C::Command4,  C::Command7,
                                  C::Command16, C::Command3,  C::Command8,  C::Command15,
                                  C::Check1,    C::Command9,  C::Command6};
    std::vector<Control> rest;
    for (const ControlSpec& c : controlTable()) {
        const bool clickable = c.kind == ControlKind::Button || c.kind == ControlKind::Option ||
                               c.kind == ControlKind::CheckBox;
        if (clickable && c.id != C::Command2 &&
            std::find(order.begin(), order.end(), c.id) == order.end()) {
            rest.push_back(c.id);
        }
    }
    std::sort(rest.begin(), rest.end(),
              [](Control a, Control b) { return controlName(a) < controlName(b); });
    order.insert(order.end(), rest.begin(), rest.end());
    order.push_back(C::Command2);

    for (Control c : order) {
        const std::string_view name = controlName(c);
        EXPECT_TRUE(form.control(c).enabled) << name << " is disabled when its turn comes";
        form.clicked(c);
        for (int tick = 0; tick < 100 && form.busy.busy(); ++tick) form.timerTick();
        EXPECT_FALSE(form.busy.busy()) << "the busy state after " << name << " did not end";
    }
    return order;
}

}  // namespace trevalune::testing
