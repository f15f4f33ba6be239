#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "form/form1.h"
#include "tests/support/control_print.h"
#include "tests/support/fake_clock.h"
#include "tests/support/form_operator.h"
#include "tests/support/recording_face.h"
#include "tests/support/recording_spooler.h"
#include "tests/support/temp_folder.h"

namespace trevalune::testing {

using Names = std::vector<std::string>;
using Controls = std::vector<Control>;

/// Builds Form1 over a recording face, a recording spooler and a fake clock, with the default
/// printers unless a test starts it again; the timer ticks only when a test says so. `log` merges
/// documents ("doc 0A"), waits ("wait 2500"), message boxes ("msg ...") and Label8's repaints
/// ("caption 完成...") in the order they happened, so a caption that is set but not repainted at
/// once never shows up.
class FormTest : public ::testing::Test {
protected:
    RecordingSpooler spooler;
    FakeClock clock;
    TempFolder folder;
    RecordingFace face;
    std::unique_ptr<Form1> form;
    std::vector<std::string> log;
    /// Each run of documents as one "N docs" entry instead of their bytes.
    bool countDocuments = false;

    void SetUp() override;

    /// Starts the window with these printers installed (the second one is preselected).
    void start(std::vector<std::string> printers = {"Office1", "RZ7-virtual"});

    void click(Control name) { form->clicked(name); }
    void type(Control box, const char* keys) { typeKeys(*form, face, box, keys); }
    void replace(Control box, const char* text) { replaceText(*form, face, box, text); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) form->timerTick();
    }

    std::string text(Control name) const { return form->control(name).text; }
    bool enabled(Control name) const { return form->control(name).enabled; }

    /// Forgets what was logged, sent, shown, written for support and waited for so far.
    void forget();

    /// The buttons that are off: the thirteen command buttons in the order the busy state switches
    /// them, then any other.
    Controls disabledButtons() const;

    /// Fails where the face shows something other than the form holds.
    void expectFaceShowsForm() const;
};

}  // namespace trevalune::testing
