#pragma once

#include <memory>
#include <string>

#include "form/form1.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_face.h"
#include "tests/support/temp_folder.h"

namespace trevalune::e2e {

/// Form1 over the real CUPS spooler, shown by a recording face. Its timer ticks only when a
/// test says so; the waits go to a FakeClock.
class Form1E2eTest : public PrintServerTest {
protected:
    void SetUp() override {
        PrintServerTest::SetUp();
        form = std::make_unique<Form1>(face, spooler, clock, folder.path());
    }

    void click(const char* name) { form->clicked(name); }
    std::string status() const { return form->control("Label8").text; }
    bool buttonsOff() const { return !form->control("Command12").enabled; }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) form->timerTick();
    }

    testing::RecordingFace face;
    testing::FakeClock clock;
    testing::TempFolder folder;
    std::unique_ptr<Form1> form;
};

}  // namespace trevalune::e2e
