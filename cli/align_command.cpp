#include "cli/align_command.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "alignment/value_check.h"
#include "alignment/value_text.h"
#include "cli/interruption.h"
#include "cli/printers_command.h"
#include "cli/reading.h"
#include "operations/alignment_loop.h"
#include "printer/spooler.h"

namespace trevalune::send {

namespace {

/// The mode's value label's caption at start-up, where align begins without --from.
std::string startValue(PrintMode mode) {
    return std::string(traits(mode).initialValue);
}

/// A value align can print sample rows for: the window prints them for 5 to 116.
bool printsRows(const std::string& text) {
    return isPlainNumber(text) && printsSampleRows(numericValue(text));
}

/// One page of align: the value it was printed around, what the reader found on it when it
/// was scanned, and the answer, from the reader or the technician.
struct AlignPage {
    std::string value;
    std::optional<rowreader::ModeReading> reading;
    std::string answer;
    bool byReader = false;
};

nlohmann::json pagesJson(const std::vector<AlignPage>& pages, Language l) {
    nlohmann::json all = nlohmann::json::array();
    for (const AlignPage& p : pages) {
        const bool answered = !p.answer.empty();
        all.push_back(
            {{"value", p.value},
             {"reading", p.reading ? buildReadingJson(*p.reading, l) : nlohmann::json()},
             {"answer", answered ? nlohmann::json(p.answer) : nlohmann::json()},
             {"answered_by",
              answered ? nlohmann::json(p.byReader ? "reader" : "technician") : nlohmann::json()}});
    }
    return all;
}

/// The scan command's standard error as the operator reads it in one message.
std::string errorsOf(const ScanResult& scanned) {
    std::string text = scanned.errors.substr(0, 2000);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.empty() ? text : ": " + text;
}

/// Scans the page just printed around `value` and reads the mode's rows on it, telling the
/// reader which rows were printed. Empty, with `why`, when there is no picture to read. With
/// `annotation`, the page as read is drawn there.
std::optional<rowreader::ModeReading> scanPage(System& system, const std::string& command,
                                               PrintMode mode, const std::string& value, Language l,
                                               std::string& why,
                                               const std::optional<std::string>& annotation) {
    const ScanResult scanned = system.scanner->scan(command);
    if (scanned.interrupted) return std::nullopt;
    if (!scanned.failure.empty()) {
        why = say(l, Text::ScanNotRun, {scanned.failure});
    } else if (scanned.exitStatus != 0) {
        why = say(l, Text::ScanFailed, {std::to_string(scanned.exitStatus), errorsOf(scanned)});
    } else if (scanned.tooLarge) {
        why = say(l, Text::ScanTooLarge);
    } else if (scanned.output.empty()) {
        why = say(l, Text::ScanEmpty);
    }
    if (!why.empty()) return std::nullopt;
    rowreader::ReadOptions options;
    options.mode = mode;
    options.printed = {{mode, candidatesAround(numericValue(value), traits(mode).sampleHalfWidth)}};
    std::vector<rowreader::ModeReading> readings;
    try {
        rowreader::RgbImage drawn;
        readings = system.rowReader->readPage(
            {reinterpret_cast<const std::uint8_t*>(scanned.output.data()), scanned.output.size()},
            options, 0, annotation ? &drawn : nullptr);
        if (annotation) writeAnnotation(*annotation, drawn, l);
    } catch (const rowreader::ImageError& e) {
        why = pictureFault(e, say(l, Text::ScanOutput), l);
        return std::nullopt;
    } catch (const PictureError& e) {  // the drawing cannot be written
        why = e.what();
        return std::nullopt;
    }
    for (const rowreader::ModeReading& r : readings) {
        if (r.mode == mode) return r;
    }
    rowreader::ModeReading none;
    none.mode = mode;
    return none;
}

/// The last value align sent: where its documents begin in the account.
struct AlignSetting {
    std::size_t firstDocument = 0;
    std::size_t plannedBefore = 0;
    std::string value;
};

/// What the printer holds of the mode when align stops: the value only when every document
/// of its setting was taken and, where its jobs were followed, completed; else not known.
std::string buildHeldText(const QueueAccount& a, const AlignSetting& setting,
                          const std::string& mode, Language l) {
    std::size_t taken = 0;
    bool completed = true;
    for (std::size_t i = setting.firstDocument; i < a.documents.size(); ++i) {
        const DocumentRecord& d = a.documents[i];
        taken += d.result.isTaken() ? 1 : 0;
        completed =
            completed && (!d.finalState || d.finalState->state == JobState::State::Completed);
    }
    const std::size_t planned = a.planned - setting.plannedBefore;
    if (planned > 0 && taken == planned && completed) {
        return say(l, Text::AlignStopped, {mode, setting.value});
    }
    std::string detail =
        say(l, Text::AlignTakenOf, {std::to_string(taken), std::to_string(planned)});
    if (planned > 0 && taken == planned) detail += say(l, Text::AlignNotCompleted);
    return say(l, Text::AlignStoppedNotKnown, {mode, detail});
}

/// What align refuses before anything is sent: UsageError.
void checkAlign(const CommandLine& c, const System& system, const std::string& value, Language l) {
    const bool scanning = c.scanCommand.has_value();
    if (!printsRows(value)) throw UsageError(say(l, Text::AlignFromRange, {value}));
    if (c.dryRun) throw UsageError(say(l, Text::AlignNoDryRun));
    if (c.printers.size() > 1) throw UsageError(say(l, Text::AlignOnePrinter));
    if (scanning && c.scanCommand->empty()) {
        throw UsageError(say(l, Text::EmptyValue, {"--scan-command"}));
    }
    if (scanning && (system.rowReader == nullptr || system.scanner == nullptr)) {
        throw UsageError(say(l, Text::NoReader));
    }
    if (!scanning && system.terminal == nullptr) {
        throw UsageError(say(l, Text::AlignNeedsTerminal));
    }
}

/// One run of align on one queue: the pages printed, the setting last sent, how it ends.
class AlignRun final {
public:
    AlignRun(const CommandLine& c, RunContext& run, Language l, PrintMode mode, std::string value,
             Spooler& spooler, std::string queue)
        : c_(c),
          run_(run),
          l_(l),
          mode_(mode),
          modeSaid_(modeName(mode, l)),
          extraWaitMs_(extraWaitMs(c.extraWait)),  // whole digits in range: checkCommandLine
          value_(std::move(value)),
          spooler_(spooler),
          accounts_(1),
          loop_(static_cast<int>(numericValue(value_)), run.system.terminal != nullptr,
                static_cast<int>(kMaxScanPages)) {
        accounts_[0].queue = std::move(queue);
    }

    int run() {
        for (;;) {
            if (scanning() && pages_.size() == kMaxScanPages) {
                return notSaved(say(l_, Text::AlignTooManyPages));
            }
            if (!printPage()) return notSaved();
            AlignPage& page = pages_.back();
            std::string doubt;  // why the reader leaves the answer to the technician
            if (scanning()) {
                const AfterScan next = readScannedPage(page, doubt);
                if (next == AfterScan::Ended) return status_;
                if (next == AfterScan::PrintAgain) continue;
            }
            if (page.answer.empty() && !askRow(page, doubt)) return notSaved();
            if (numericValue(page.answer) == numericValue(value_)) break;
            value_ = page.answer;
            loop_.printedAround(static_cast<int>(numericValue(value_)));
        }
        if (!sent(Work::of(buildSave()))) return notSaved();
        const int status =
            finish("align", accounts_, run_, {{"saved", true}, {"pages", pagesJson(pages_, l_)}});
        if (status == 0) run_.reporter.line(say(l_, Text::AlignSaved, {modeSaid_, value_}));
        return status;
    }

private:
    /// What a scanned page leaves to do: align has ended, the same value prints again, or
    /// the page's answer is known or is to be asked.
    enum class AfterScan { Ended, PrintAgain, GoOn };

    bool scanning() const { return c_.scanCommand.has_value(); }
    QueueAccount& account() { return accounts_[0]; }
    bool stopped() const {
        const Interruption* stop = run_.system.interruption;
        return stop != nullptr && stop->requested();
    }
    bool sent(const Work& work) {
        runOnQueue(work, spooler_, account(), run_);
        return account().succeeded();
    }
    AfterScan ended(int status) {
        status_ = status;
        return AfterScan::Ended;
    }

    /// The account, with what the printer holds, and `why` when the reason is align's own.
    int notSaved(const std::string& why = {}) {
        if (!why.empty()) run_.reporter.line(why);
        run_.reporter.line(buildHeldText(account(), setting_, modeSaid_, l_));
        return finish("align", accounts_, run_,
                      {{"saved", false},
                       {"error", why.empty() ? nlohmann::json() : nlohmann::json(why)},
                       {"pages", pagesJson(pages_, l_)}},
                      true);
    }

    /// 设置单项 around the value: a page of sample rows, and the value written.
    bool printPage() {
        OperationInput in;
        in.mode = mode_;
        in.values[modeIndex(mode_)] = modeValueOf(mode_, value_);
        in.extraWaitMs = extraWaitMs_;
        setting_ = {account().documents.size(), account().planned, value_};
        if (!sent(buildOperation(Operation::SetSingleItem, in))) return false;
        run_.reporter.line(say(l_, Text::AlignPrinted, {account().queue, modeSaid_, value_}));
        pages_.emplace_back().value = value_;
        return true;
    }

    /// Scans the page just printed and takes the reader's answer, or says why it cannot.
    AfterScan readScannedPage(AlignPage& page, std::string& doubt) {
        std::string why;
        // One drawing per page, page-1.png on, in the folder given.
        const std::string number = std::to_string(pages_.size());
        const std::optional<std::string> drawing =
            c_.annotate ? std::optional(*c_.annotate + "/page-" + number + ".png") : std::nullopt;
        page.reading = scanPage(run_.system, *c_.scanCommand, mode_, value_, l_, why, drawing);
        if (stopped()) return ended(notSaved());
        if (!page.reading) return ended(notSaved(why));
        const rowreader::ModeReading& r = *page.reading;
        const AlignStep step = loop_.next(rowreader::buildAlignReading(r));
        const std::string rows = buildRowList(r, l_);
        doubt = r.straight ? say(l_, Text::AlignNotConfirmed) : doubtText(r, l_);
        if (step.kind == AlignStep::Kind::Ask || step.kind == AlignStep::Kind::Stop) {
            if (pages_.size() == kMaxScanPages) {
                return ended(notSaved(say(l_, Text::AlignTooManyPages)));
            }
            run_.reporter.line(
                say(l_, Text::PageCannotTell, {number, modeSaid_, value_, rows, doubt}));
            if (run_.system.terminal == nullptr) {
                return ended(notSaved(say(l_, Text::AlignNoTerminal, {doubt})));
            }
            return AfterScan::GoOn;
        }
        page.answer = std::to_string(step.value);
        page.byReader = true;
        // Printed around the same value once more: the answer is not a confirmation.
        const bool again =
            step.kind == AlignStep::Kind::PrintAround && step.value == numericValue(value_);
        run_.reporter.line(again
                               ? say(l_, Text::PageAgain, {number, modeSaid_, value_, rows, doubt})
                               : readerAnswer(r, number, rows, page.answer));
        return again ? AfterScan::PrintAgain : AfterScan::GoOn;
    }

    /// The reader's answer for a page: the straight row, or the best value its offsets show.
    std::string readerAnswer(const rowreader::ModeReading& r, const std::string& number,
                             const std::string& rows, const std::string& next) const {
        if (!r.straight) return say(l_, Text::PageNearest, {number, modeSaid_, value_, rows, next});
        char confidence[16];
        std::snprintf(confidence, sizeof confidence, "%.2f", r.confidence);
        return say(l_, Text::PageStraight,
                   {number, modeSaid_, value_, rows, std::to_string(*r.straight), confidence});
    }

    /// Asks the technician which row is straight until an answer align can print; false when
    /// the input ends or the run is asked to stop.
    bool askRow(AlignPage& page, const std::string& doubt) {
        while (page.answer.empty()) {
            const std::optional<std::string> typed = run_.system.terminal->ask(
                doubt.empty() ? say(l_, Text::AlignAsk, {value_})
                              : say(l_, Text::AlignAskDoubt, {doubt, value_}));
            if (!typed || stopped()) return false;
            const std::string trimmed = typed->empty() ? value_ : *typed;
            if (printsRows(trimmed)) {
                page.answer = trimmed;
            } else {
                run_.reporter.line(say(l_, Text::AlignAnswerRange, {*typed}));
            }
        }
        return true;
    }

    const CommandLine& c_;
    RunContext& run_;
    const Language l_;
    const PrintMode mode_;
    const std::string modeSaid_;
    const int extraWaitMs_;
    std::string value_;
    Spooler& spooler_;
    std::vector<QueueAccount> accounts_;
    std::vector<AlignPage> pages_;
    AlignSetting setting_;
    AlignmentLoop loop_;
    int status_ = 0;
};

}  // namespace

int runAlign(const CommandLine& c, RunContext& run, const SpoolerOptions& options, Language l) {
    const PrintMode mode = parseMode(l, c.words[1]);
    const std::string value = c.from.value_or(startValue(mode));
    checkAlign(c, run.system, value, l);
    // A page is scanned once it has printed, as far as the spooler can tell.
    if (c.scanCommand && !run.waitSeconds) run.waitSeconds = kDefaultWaitSeconds;

    const std::unique_ptr<Spooler> spooler = run.system.openSpooler(options);
    std::string queue;
    if (!c.printers.empty()) {
        queue = c.printers[0];
    } else {
        const auto chosen =
            choosePrinterOrSay(*spooler, run.system, run.reporter, "align", options);
        if (!chosen) return 1;
        queue = *chosen;
    }
    run.reporter.setOperation("align");
    return AlignRun(c, run, l, mode, value, *spooler, std::move(queue)).run();
}

}  // namespace trevalune::send
