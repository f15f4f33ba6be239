#include "printer/printer_link.h"

#include <utility>

#include "printer/message_sink.h"

namespace trevalune {

namespace {

/// "document 2 of 60" within an operation, "the document" for a lone one.
std::string whichDocument(int number, int total) {
    if (total <= 1) return "the document";
    return "document " + std::to_string(number) + " of " + std::to_string(total);
}

/// The line that says the rest of the operation stayed unsent; none when nothing was left.
std::string restNotSent(int number, int total) {
    const int rest = total - number;
    if (total <= 1 || rest <= 0) return {};
    if (rest == 1) return "\nThe remaining document was not sent.";
    return "\nThe remaining " + std::to_string(rest) + " documents were not sent.";
}

}  // namespace

PrinterLink::PrinterLink(Spooler& spooler, MessageSink& messages, DiagnosticLog& log,
                         std::function<std::string()> printerName)
    : spooler_(spooler), messages_(messages), log_(log), printerName_(std::move(printerName)) {}

std::string noPrintServerMessage(std::string_view server) {
    return "No print server answers at " + std::string(server) + ", so no printer can be listed.";
}

std::string notTakenMessage(std::string_view printer, std::string_view reason, int number,
                            int total) {
    return "The printer \"" + std::string(printer) + "\" did not take " +
           whichDocument(number, total) + ": " + std::string(reason) + restNotSent(number, total);
}

std::string unconfirmedMessage(std::string_view printer, std::string_view reason, int number,
                               int total) {
    const std::string why = reason.empty() ? std::string() : " (" + std::string(reason) + ")";
    return "The print server went away before it confirmed " + whichDocument(number, total) +
           " for the printer \"" + std::string(printer) + "\"" + why + "; its queue may hold it." +
           restNotSent(number, total);
}

std::string notReadyMessage(std::string_view printer, const PrinterState& state) {
    return "The printer \"" + std::string(printer) +
           "\" is not ready to print; the spooler says: " + state.attentionText();
}

bool endsOperation(const SendResult& result) {
    return result.outcome == SendResult::Outcome::NotTaken ||
           result.outcome == SendResult::Outcome::Unknown;
}

SendResult PrinterLink::sendDocument(std::string_view bytes) {
    const int number = ++documentNumber_;
    const std::string printer = printerName_ ? printerName_() : std::string();
    // Asked once, before the first document: a stopped or paused queue takes documents that
    // then wait, and without a word the window would look as if they had printed.
    if (number == 1 && warnWhenNotReady_ && !printer.empty()) {
        PrinterState state = spooler_.printerState(printer);
        // A queue that only refuses jobs is said by the first document's own message.
        PrinterState accepting = state;
        accepting.acceptingJobs = true;
        if (accepting.needsAttention()) messages_.showMessage(notReadyMessage(printer, state));
    }
    // An empty name opens nothing anywhere; report it like any unknown printer.
    SendResult result = printer.empty()
                            ? SendResult::notOpened()
                            : spooler_.sendRawDocument(printer, std::string(kDocumentName), bytes);
    if (result.isTaken()) return result;

    using Outcome = SendResult::Outcome;
    const char* said = result.outcome == Outcome::NotTaken  ? ": not taken: "
                       : result.outcome == Outcome::Unknown ? ": unknown: "
                                                            : ": not opened: ";
    std::string line = "printer \"" + printer + "\", document " + std::to_string(number) + said;
    line += result.reason.empty() && result.outcome == Outcome::NotOpened
                ? std::string(kPrinterNotFoundMessage)
                : result.reason;
    log_.write(line);
    switch (result.outcome) {
        case Outcome::NotTaken:
            messages_.showMessage(
                notTakenMessage(printer, result.reason, number, plannedDocuments_));
            break;
        case Outcome::Unknown:
            messages_.showMessage(
                unconfirmedMessage(printer, result.reason, number, plannedDocuments_));
            break;
        default:
            messages_.showMessage(kPrinterNotFoundMessage);
            break;
    }
    return result;
}

}  // namespace trevalune
