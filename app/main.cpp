#include <QApplication>

#include <filesystem>

#include "app/form1.h"
#include "app/message_box_sink.h"
#include "printer/clock.h"
#ifdef _WIN32
#include "printer/windows/win_spooler.h"
#else
#include "printer/cups/cups_spooler.h"
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevalune"));

#ifdef _WIN32
    trevalune::WinSpooler spooler;
#else
    trevalune::CupsSpooler spooler;
#endif
    trevalune::MessageBoxSink messages;
    trevalune::SystemClock clock;
    const std::filesystem::path folder(QCoreApplication::applicationDirPath().toStdU16String());

    trevalune::Form1 window(spooler, messages, clock, folder);
    window.show();
    return QApplication::exec();
}
