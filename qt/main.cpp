// The program: the window with the system's spooler, real message boxes and the system clock.
// Besides --help and --version it knows two options, for technicians and installation checks:
//   --driver-file      prints where file.prn is looked for and whether it can be sent, then ends
//   --screenshot FILE  saves a picture of the window once it is shown, then ends
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "form/driver_file.h"
#include "app/form1.h"
#include "app/message_box_sink.h"
#include "printer/clock.h"
#ifdef _WIN32
#include "printer/windows/win_spooler.h"
#else
#include "printer/cups/cups_spooler.h"
#endif

namespace {

// The id of the desktop entry, the icon and the AppStream metainfo.
constexpr auto kAppId = "io.github.trevalune.Trevalune";

/// The same check the driver test button makes, without sending anything: 0 when the file
/// could be sent, 1 (with the message the window would show) when not.
int reportDriverFile(const std::filesystem::path& folder) {
    const std::filesystem::path file = trevalune::driverFilePath(folder);
    const trevalune::DriverFileRead read = trevalune::readDriverFile(file);
    if (!read.problem.empty()) {
        std::printf("%s\n", read.problem.c_str());
        return 1;
    }
    std::printf("%s: %zu bytes\n", trevalune::pathText(file).c_str(), read.bytes.size());
    return 0;
}

/// The driver file check needs no window, so it also works where there is no display.
std::unique_ptr<QCoreApplication> createApplication(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--driver-file") == 0) {
            return std::make_unique<QCoreApplication>(argc, argv);
        }
    }
    auto app = std::make_unique<QApplication>(argc, argv);
    // Lets Wayland compositors and docks match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QLatin1String(kAppId));
    QApplication::setWindowIcon(QIcon::fromTheme(QLatin1String(kAppId)));
    return app;
}

}  // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = createApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Trevalune"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TREVALUNE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Test and adjust a dot-matrix printer."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption driverFile(
        QStringLiteral("driver-file"),
        QStringLiteral(
            "Print where file.prn is looked for and whether it can be sent, then quit."));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window to <file> once it is shown, then quit."),
        QStringLiteral("file"));
    parser.addOptions({driverFile, screenshot});
    parser.process(*app);

    // file.prn lives next to the executable, wherever the program was installed.
    const std::filesystem::path folder(QCoreApplication::applicationDirPath().toStdU16String());
    if (parser.isSet(driverFile)) return reportDriverFile(folder);

#ifdef _WIN32
    trevalune::WinSpooler spooler;
#else
    trevalune::CupsSpooler spooler;
#endif
    trevalune::MessageBoxSink messages;
    trevalune::SystemClock clock;
    trevalune::Form1 window(spooler, messages, clock, folder);
    window.show();
    if (parser.isSet(screenshot)) {
        // Queued behind the first paint, so the picture is the window as it opened.
        const QString file = parser.value(screenshot);
        QTimer::singleShot(
            0, &window, [&window, file] { QApplication::exit(window.grab().save(file) ? 0 : 1); });
    }
    return QApplication::exec();
}
