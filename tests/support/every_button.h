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
    replaceText(form, face, Control::extraWait, "300");
    const int selected = form.control(Control::printerList).currentIndex;
    pick(form, face, Control::printerList, 0);
    if (selected >= 0) pick(form, face, Control::printerList, selected);
    pick(form, face, Control::centreList, 10);
    replaceText(form, face, Control::valueBox, "18");
    replaceText(form, face, Control::commandText, "1b 4G");

    // Where one control unlocks another: Check1 enables Command9, whose factory block
    // Command6 then sends; the set operations come after the values were chosen.
    using C = Control;
    std::vector<Control> order = {C::highDensityOption,
                                  C::superHighDensityOption,
                                  C::highSpeedOption,
                                  C::alignmentTest,
                                  C::lineFeed,
                                  C::pageEject,
                                  C::microFeedForward,
                                  C::microFeedBack,
                                  C::selfTest,
                                  C::driverFile,
                                  C::save,
                                  C::factoryReset,
                                  C::setSingleItem,
                                  C::setAllItems,
                                  C::setAllWithTestPage,
                                  C::rest,
                                  C::saveBracket,
                                  C::factoryBlock,
                                  C::sendCommand};
    std::vector<Control> rest;
    for (const ControlSpec& c : controlTable()) {
        const bool clickable = c.kind == ControlKind::Button || c.kind == ControlKind::Option ||
                               c.kind == ControlKind::CheckBox;
        if (clickable && c.id != C::quit &&
            std::find(order.begin(), order.end(), c.id) == order.end()) {
            rest.push_back(c.id);
        }
    }
    std::sort(rest.begin(), rest.end(),
              [](Control a, Control b) { return controlName(a) < controlName(b); });
    order.insert(order.end(), rest.begin(), rest.end());
    order.push_back(C::quit);

    for (Control c : order) {
        const std::string_view name = controlName(c);
        EXPECT_TRUE(form.control(c).enabled) << name << " is disabled when its turn comes";
        form.clicked(c);
        for (int tick = 0; tick < 100 && form.busyState().busy(); ++tick) form.timerTick();
        EXPECT_FALSE(form.busyState().busy()) << "the busy state after " << name << " did not end";
    }
    return order;
}

}  // namespace trevalune::testing
