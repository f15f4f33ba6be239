#pragma once

#include <QAbstractButton>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "printer/bytes.h"
#include "printer/recording_spooler.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_messages.h"
#include "tests/window/form_widgets.h"

namespace trevalune::testing {

/// Builds the real Form1 over a recording spooler, recorded message boxes and a fake
/// clock. `log` merges documents, waits and messages in the order they happened.
class FormTest : public ::testing::Test {
protected:
    RecordingSpooler spooler;
    RecordingMessages messages;
    FakeClock clock;
    QTemporaryDir folder;
    std::unique_ptr<Form1> form;
    std::vector<std::string> log;
    bool timerStarted = false;

    void SetUp() override {
        spooler.onDocument = [this](const RecordingSpooler::Document& d) {
            log.push_back("doc " + toHexText(d.data));
        };
        clock.onWait = [this](int ms) { log.push_back("wait " + std::to_string(ms)); };
        messages.onMessage = [this](const RecordingMessages::Message& m) {
            log.push_back("msg " + m.text);
        };
    }

    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    /// Starts the window with these printers installed (the second one is preselected).
    void start(std::vector<std::string> printers = {"Office1", "RZ7-virtual"}) {
        form.reset();
        spooler.printers = std::move(printers);
        spooler.documents.clear();
        spooler.defaultChanges.clear();
        form = std::make_unique<Form1>(spooler, messages, clock,
                                       std::filesystem::path(folder.path().toStdU16String()));
        // Ticks come from the tests alone.
        auto* timer = form->findChild<QTimer*>(QStringLiteral("Timer1"));
        timerStarted = timer->isActive();
        timer->stop();
        form->show();
    }

    template <class W = QWidget>
    W* get(const char* name) const {
        return testing::findControl<W>(*form, name);
    }

    void click(const char* name) { testing::clickControl(*form, name); }

    std::string text(const char* name) const;  // a label's, box's or button's text, UTF-8

    void forget() {
        log.clear();
        spooler.documents.clear();
        messages.messages.clear();
        clock.waits.clear();
    }

    void ticks(int n) {
        for (int i = 0; i < n; ++i) form->Timer1_Timer();
    }

    /// The buttons that are off: the thirteen command buttons in DisableCommands' order,
    /// then any other.
    std::vector<std::string> disabledButtons() const;
};

/// A FormTest whose window is already started with the default printers.
class StartedFormTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        start();
    }
};

inline const char* const kCommandButtons[] = {
    "Command3",  "Command8",  "Command1", "Command14", "Command12", "Command5", "Command10",
    "Command11", "Command13", "Command7", "Command4",  "Command9",  "Command6"};
inline const std::vector<std::string> kAllCommandButtons{std::begin(kCommandButtons),
                                                         std::end(kCommandButtons)};

}  // namespace trevalune::testing
