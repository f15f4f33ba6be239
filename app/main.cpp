#include <QApplication>

#include <filesystem>

#include "app/form1.h"
#include "app/message_box_sink.h"
#include "printer/clock.h"
#include "printer/cups/cups_spooler.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevalune"));

    trevalune::CupsSpooler spooler;
    trevalune::MessageBoxSink messages;
    trevalune::SystemClock clock;
    const std::filesystem::path folder(QCoreApplication::applicationDirPath().toStdU16String());

    trevalune::Form1 window(spooler, messages, clock, folder);
    window.show();
    return QApplication::exec();
}
