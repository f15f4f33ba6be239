#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>

#include "app/form1.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/fake_clock.h"
#include "tests/window/form_widgets.h"

namespace trevalune::e2e {

/// The real window over the real CUPS spooler. Its timer ticks only when a test calls
/// Timer1_Timer; the waits go to a FakeClock.
class Form1E2eTest : public PrintServerTest {
protected:
    void SetUp() override {
        PrintServerTest::SetUp();
        form = std::make_unique<Form1>(spooler, messages, clock,
                                       std::filesystem::path(folder.path().toStdU16String()));
        form->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    }

    template <class W = QWidget>
    W* get(const char* name) const {
        return testing::findControl<W>(*form, name);
    }
    void click(const char* name) { testing::clickControl(*form, name); }
    std::string status() const { return get<QLabel>("Label8")->text().toStdString(); }
    bool buttonsOff() const { return !get("Command12")->isEnabled(); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) form->Timer1_Timer();
    }

    testing::FakeClock clock;
    QTemporaryDir folder;
    std::unique_ptr<Form1> form;
};

}  // namespace trevalune::e2e
