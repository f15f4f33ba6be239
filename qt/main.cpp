// The program: the window over the CUPS spooler and the system clock.
// Besides --help and --version it knows options for technicians, installation checks and the
// pictures in docs/:
//   --driver-file      prints where file.prn is looked for and whether it can be sent, then ends
//   --screenshot FILE  saves a picture of the window once it is shown, then ends; with
//                      --enlarged FILE also one of the whole window, and with
//                      --pretend-printers A,B,C over made-up printers that are never sent to
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/guarded_main.h"
#include "form/control_table.h"
#include "form/form1.h"
#include "form/window_rules.h"
#include "operations/driver_file.h"
#include "printer/clock.h"
#include "printer/cups/cups_spooler.h"
#include "printer/spooler.h"
#include "qt/qt_face.h"

namespace {

// The id of the desktop entry, the icon and the AppStream metainfo.
constexpr auto kAppId = "io.github.trevalune.Trevalune";

/// The same check the driver test button makes, without sending anything: 0 when the file
/// could be sent, 1 (with the message the window would show) when not.
int reportDriverFile(const std::filesystem::path& folder) {
    const std::filesystem::path file = trevalune::driverFilePath(folder);
    try {
        const trevalune::Bytes bytes = trevalune::readDriverFile(file);
        std::printf("%s: %zu bytes\n", trevalune::pathText(file).c_str(), bytes.size());
        return 0;
    } catch (const trevalune::Refusal& refusal) {
        std::printf("%s\n", refusal.what());
        return 1;
    }
}

std::filesystem::path programFolder() {
    // file.prn lives next to the executable, wherever the program was installed.
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdU16String());
}

void nameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Trevalune"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TREVALUNE_VERSION));
}

/// Lists made-up printers for the pictures of the window. Nothing reaches a printer: a
/// document sent to one is reported as a printer that could not be opened.
class PretendSpooler final : public trevalune::Spooler {
public:
    explicit PretendSpooler(std::vector<std::string> printers) : printers_(std::move(printers)) {}
    trevalune::PrinterList listPrinters() override { return {printers_, {}}; }
    trevalune::SendResult sendRawDocument(const std::string&, const std::string&,
                                          std::string_view) override {
        return trevalune::SendResult::notOpened("a made-up printer: nothing is sent");
    }
    trevalune::JobQuery queryActiveJobs(const std::string&) override { return {}; }
    trevalune::PrinterState printerState(const std::string&) override { return {}; }
    trevalune::JobState jobState(const std::string&, int) override { return {}; }
    void setDefaultPrinter(const std::string&) override {}

private:
    std::vector<std::string> printers_;
};

struct Options {
    std::optional<QString> screenshot;
    std::optional<QString> enlarged;
    std::optional<std::vector<std::string>> pretendPrinters;
};

/// Reads the command line without a display, so --help, --version and --driver-file also work
/// where there is none (a QApplication would abort there first). Returns the program's exit
/// code when it is done already.
std::optional<int> readOptions(int argc, char** argv, Options& options) {
    const QCoreApplication app(argc, argv);
    nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Test and adjust a dot-matrix printer."));
    parser.addHelpOption();
    // The version of this program and the build the window's title line names (Label1), so a
    // technician can tell both from the command line.
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(version);
    const QCommandLineOption driverFile(
        QStringLiteral("driver-file"),
        QStringLiteral(
            "Print where file.prn is looked for and whether it can be sent, then quit."));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window to <file> once it is shown, then quit."),
        QStringLiteral("file"));
    const QCommandLineOption enlarged(
        QStringLiteral("enlarged"),
        QStringLiteral("With --screenshot: also save the window enlarged to show every control."),
        QStringLiteral("file"));
    const QCommandLineOption pretendPrinters(
        QStringLiteral("pretend-printers"),
        QStringLiteral("With --screenshot: list these made-up printers (comma-separated) instead "
                       "of the print server's; nothing is sent."),
        QStringLiteral("names"));
    parser.addOptions({driverFile, screenshot, enlarged, pretendPrinters});
    parser.process(app);  // ends the program after --help or a wrong option

    if (parser.isSet(version)) {
        const std::string_view caption =
            trevalune::findControlSpec(trevalune::Control::versionLabel)->caption;
        std::printf("Trevalune %s\n%.*s\n", TREVALUNE_VERSION, static_cast<int>(caption.size()),
                    caption.data());
        return 0;
    }
    if (parser.isSet(driverFile)) return reportDriverFile(programFolder());
    if (!parser.isSet(screenshot) && (parser.isSet(enlarged) || parser.isSet(pretendPrinters))) {
        std::fprintf(stderr, "trevalune: --enlarged and --pretend-printers go with --screenshot\n");
        return 1;
    }
    if (parser.isSet(screenshot)) options.screenshot = parser.value(screenshot);
    if (parser.isSet(enlarged)) options.enlarged = parser.value(enlarged);
    if (parser.isSet(pretendPrinters)) {
        options.pretendPrinters.emplace();
        for (const QString& name : parser.value(pretendPrinters).split(QLatin1Char(','))) {
            if (!name.isEmpty()) options.pretendPrinters->push_back(name.toStdString());
        }
    }
    return std::nullopt;
}

/// The program; main() keeps any exception from leaving it.
int run(int argc, char** argv) {
    Options options;
    if (const auto done = readOptions(argc, argv, options)) return *done;

    // A picture needs no display.
    if (options.screenshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QApplication app(argc, argv);
    nameApplication();
    // Lets Wayland compositors and docks match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QLatin1String(kAppId));
    QApplication::setWindowIcon(QIcon::fromTheme(QLatin1String(kAppId)));

    trevalune::CupsSpooler cups;
    std::optional<PretendSpooler> pretend;
    if (options.pretendPrinters) pretend.emplace(*options.pretendPrinters);
    trevalune::Spooler& spooler = pretend ? static_cast<trevalune::Spooler&>(*pretend) : cups;
    trevalune::SystemClock clock;
    trevalune::QtFace face;
    if (options.screenshot) face.writeMessagesToStandardError();
    trevalune::Form1 form(face, spooler, clock, programFolder());
    face.attach(form);
    QWidget& window = face.window();
    window.show();
    if (options.screenshot) {
        form.timerTick();  // the clock shows from the first tick on
        // Queued behind the first paint, so the picture is the window as it opened.
        QTimer::singleShot(0, &window, [&window, &face, &options] {
            bool saved = window.grab().save(*options.screenshot);
            if (options.enlarged) {
                // The whole form as laid out for the fonts it shows.
                const trevalune::Extent full = trevalune::fullClientTwips(face.layout());
                // Twips to pixels at 96 DPI, rounded up so that the margin is whole.
                window.resize((full.width + 14) / 15, (full.height + 14) / 15);
                QApplication::processEvents();
                saved = window.grab().save(*options.enlarged) && saved;
            }
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    return trevalune::guardedMain("trevalune", [&] { return run(argc, argv); });
}
