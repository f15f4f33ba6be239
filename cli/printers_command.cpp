#include "cli/printers_command.h"

#include <chrono>

#include "operations/printer_choice.h"
#include "printer/spooler.h"

namespace trevalune::send {

namespace {

/// --timeout bounds a step of several requests as a whole, not each of them: the listing with
/// every printer's state, the choice of a printer. The bound ends with the step.
class StepBound final {
public:
    StepBound(Spooler& spooler, int timeoutMs) : spooler_(spooler) {
        spooler_.boundStep(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
    }
    ~StepBound() { spooler_.boundStep(std::nullopt); }
    StepBound(const StepBound&) = delete;
    StepBound& operator=(const StepBound&) = delete;

private:
    Spooler& spooler_;
};

}  // namespace

std::string joinedNames(const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
    return all;
}

std::optional<std::string> printerFromEnvironment(const System& system) {
    if (!system.environment || system.platform != Platform::Cups) return std::nullopt;
    if (auto d = system.environment("LPDEST"); d && !d->empty()) return d;
    if (auto p = system.environment("PRINTER"); p && !p->empty() && *p != "lp") return p;
    return std::nullopt;
}

std::optional<std::string> choosePrinterOrSay(Spooler& spooler, const System& system,
                                              Reporter& reporter, const std::string& operation,
                                              const SpoolerOptions& options) {
    const StepBound step(spooler, options.timeoutMs);
    const Language l = reporter.language();
    const PrinterChoice choice = choosePrinter(spooler, printerFromEnvironment(system));
    std::string why;
    if (!choice.unreachableServer.empty()) {
        why = say(l, Text::NoPrintServer, {choice.unreachableServer});
    } else if (!choice.chosen) {
        why = say(l, Text::NoPrinter,
                  {choice.listed.empty() ? say(l, Text::NoPrinters) : joinedNames(choice.listed)});
    }
    if (why.empty()) return choice.chosen;
    reporter.line(why);
    reporter.json(buildRunJson(1, operation, why, nlohmann::json::array(), {}));
    return std::nullopt;
}

int listPrinters(const CommandLine& c, RunContext& run, const SpoolerOptions& options, Language l) {
    const std::unique_ptr<Spooler> spooler = run.system.openSpooler(options);
    const StepBound step(*spooler, options.timeoutMs);
    const PrinterList list = spooler->listPrinters();
    if (!list.unreachableServer.empty()) {
        const std::string why = say(l, Text::NoPrintServer, {list.unreachableServer});
        run.reporter.line(why);
        run.reporter.json(buildRunJson(1, "list", why, nlohmann::json::array(),
                                       {{"printers", nlohmann::json::array()}}));
        return 1;
    }
    const auto chosen = choosePrinter(*spooler, printerFromEnvironment(run.system)).chosen;
    nlohmann::json printers = nlohmann::json::array();
    for (const std::string& name : list.names) {
        const PrinterState state = spooler->printerState(name);
        const bool marked = name == chosen;
        printers.push_back({{"name", name},
                            {"default", marked},
                            {"state", state.found ? toJson(state) : nlohmann::json()}});
        if (c.json) continue;
        run.system.out << (marked ? say(l, Text::DefaultMark) : "  ") << name << "  "
                       << (state.found
                               ? say(l, Text::ListState,
                                     {stateText(state, l), std::to_string(state.jobsWaiting)})
                               : say(l, Text::ListNoState))
                       << '\n';
    }
    run.reporter.json(
        buildRunJson(0, "list", {}, nlohmann::json::array(), {{"printers", std::move(printers)}}));
    return 0;
}

}  // namespace trevalune::send
