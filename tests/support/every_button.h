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
inline std::vector<std::string> clickEveryButton(Form1& form, RecordingFace& face) {
    replaceText(form, face, "Text1", "300");
    const int selected = form.control("Combo1").currentIndex;
    pick(form, face, "Combo1", 0);
    if (selected >= 0) pick(form, face, "Combo1", selected);
    pick(form, face, "Combo2", 10);
    replaceText(form, face, "cmbsz", "18");
    replaceText(form, face, "Text2", "1b 4G");

    // Where one control unlocks another: Check1 enables Command9, whose factory block
    // Command6 then sends; the set operations come after the values were chosen.
    std::vector<std::string> order = {
        "Optcgs",    "Optcgm",    "Optgs",     "Command18", "Command5", "Command12", "Command10",
        "Command11", "Command1",  "Command14", "Command4",  "Command7", "Command16", "Command3",
        "Command8",  "Command15", "Check1",    "Command9",  "Command6"};
    std::vector<std::string> rest;
    for (const ControlSpec& c : controlTable()) {
        const bool clickable = c.kind == ControlKind::Button || c.kind == ControlKind::Option ||
                               c.kind == ControlKind::CheckBox;
        const std::string name(c.name);
        if (clickable && name != "Command2" &&
            std::find(order.begin(), order.end(), name) == order.end()) {
            rest.push_back(name);
        }
    }
    std::sort(rest.begin(), rest.end());
    order.insert(order.end(), rest.begin(), rest.end());
    order.push_back("Command2");

    for (const std::string& name : order) {
        EXPECT_TRUE(form.control(name).enabled) << name << " is disabled when its turn comes";
        form.clicked(name);
        for (int tick = 0; tick < 100 && form.busy.busy(); ++tick) form.timerTick();
        EXPECT_FALSE(form.busy.busy()) << "the busy state after " << name << " did not end";
    }
    return order;
}

}  // namespace trevalune::testing
