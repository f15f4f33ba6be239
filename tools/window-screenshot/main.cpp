// Saves pictures of the real window: at its design size and enlarged to show every control.
// Usage: window-screenshot DESIGN.png ENLARGED.png [PRINTER...]
// The printers are pretend ones (nothing is sent); the default list shows the preselection.
#include <CLI/CLI.hpp>

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/guarded_main.h"
#include "form/form1.h"
#include "printer/clock.h"
#include "printer/spooler.h"
#include "qt/qt_face.h"

namespace {

/// Lists pretend printers and sends nothing: the pictures need only the window.
class ShowcaseSpooler final : public trevalune::Spooler {
public:
    explicit ShowcaseSpooler(std::vector<std::string> printers) : printers_(std::move(printers)) {}
    trevalune::PrinterList listPrinters() override { return {printers_, {}}; }
    trevalune::SendResult sendRawDocument(const std::string&, const std::string&,
                                          std::string_view) override {
        return trevalune::SendResult::taken(1);
    }
    trevalune::JobQuery queryActiveJobs(const std::string&) override { return {}; }
    trevalune::PrinterState printerState(const std::string&) override { return {}; }
    trevalune::JobState jobState(const std::string&, int) override { return {}; }
    void setDefaultPrinter(const std::string&) override {}

private:
    std::vector<std::string> printers_;
};

}  // namespace

static int run(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication app(argc, argv);
    std::string design;
    std::string enlarged;
    std::vector<std::string> printers = {"Office1", "RZ7-virtual", "RZ7-spare"};
    CLI::App cli("Pictures of the window at its design size and enlarged, over made-up printers.",
                 "window-screenshot");
    cli.add_option("design", design, "PNG of the window at its design size")->required();
    cli.add_option("enlarged", enlarged, "PNG of the window enlarged to 490 x 770")->required();
    cli.add_option("printers", printers, "the printers the list shows")->capture_default_str();
    CLI11_PARSE(cli, argc, argv);

    ShowcaseSpooler spooler(printers);
    trevalune::SystemClock clock;
    trevalune::QtFace face;
    trevalune::Form1 form(face, spooler, clock,
                          QCoreApplication::applicationDirPath().toStdU16String());
    face.attach(form);
    form.timerTick();  // the clock shows from the first tick on
    QWidget& window = face.window();
    window.show();
    QApplication::processEvents();

    bool ok = window.grab().save(QString::fromStdString(design));
    window.resize(490, 770);
    QApplication::processEvents();
    ok = window.grab().save(QString::fromStdString(enlarged)) && ok;
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    return trevalune::guardedMain("window-screenshot", [&] { return run(argc, argv); });
}
