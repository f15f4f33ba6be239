// The one-second clock, the busy state of the set operations and the job monitor.
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTime>

#include "app/form1.h"
#include "printer/clock.h"
#include "printer/spooler.h"
#include "ui_form1.h"

namespace trevalune {

namespace {

/// The locale's long time form without the time zone (which Qt adds and the clock
/// label has no room for).
QString longTimeFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        if (c == u't' && !quoted) continue;
        out += c;
    }
    return out.simplified();
}

/// The system's short date and long time.
QString clockText(const LocalDateTime& now) {
    const QLocale locale;
    const QDate date(now.year, now.month, now.day);
    const QTime time(now.hour, now.minute, now.second);
    return locale.toString(date, QLocale::ShortFormat) + u' ' +
           locale.toString(time, longTimeFormat(locale));
}

}  // namespace

void Form1::Timer1_Timer() {
    ui->Labtime->setText(clockText(clock_.now()));
    const auto dots = busy.beginTick();
    if (!dots) return;
    showStatus(*dots);
    PollPrintJobs(kBusyJobSlot);
    switch (busy.finishTick(jobs)) {
        case BusyEnd::None:
            break;
        case BusyEnd::Early:
            // A job is still queued: the buttons come back, the dots caption stays.
            EnableCommands();
            ui->Label8->repaint();
            break;
        case BusyEnd::Normal:
            EnableCommands();
            showStatus(std::string(kDoneCaption));
            break;
    }
}

std::array<QPushButton*, 13> Form1::commandButtons() const {
    return {ui->Command3, ui->Command8,  ui->Command1,  ui->Command14, ui->Command12,
            ui->Command5, ui->Command10, ui->Command11, ui->Command13, ui->Command7,
            ui->Command4, ui->Command9,  ui->Command6};
}

void Form1::DisableCommands() {
    for (QPushButton* b : commandButtons()) b->setEnabled(false);
}

void Form1::EnableCommands() {
    // Command9 too, ticked or not.
    for (QPushButton* b : commandButtons()) b->setEnabled(true);
}

void Form1::Command15_Click() {
    busy.reset();
    EnableCommands();
    showStatus(std::string(kDoneCaption));
}

void Form1::PollPrintJobs(int slot) {
    const std::string name = printerName();
    // Nothing selected opens no printer: an empty queue.
    const JobQuery seen = name.empty() ? JobQuery{} : spooler_.queryActiveJobs(name);
    trevalune::PollPrintJobs(jobs, slot, seen);
}

void Form1::enterBusyState(std::int16_t code, const std::string& firstCaption) {
    busy.settingMode = code;
    jobs.clear(kBusyJobSlot);
    showStatus(firstCaption);
    DisableCommands();
}

}  // namespace trevalune
