#include "printer/link_messages.h"

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

void LinkMessages::printerLookedAt(const std::string& printer, const PrinterState& state) {
    // Without a word, documents that wait in a stopped or paused queue would look printed.
    PrinterState accepting = state;
    accepting.acceptingJobs = true;
    if (accepting.needsAttention()) messages_.showMessage(notReadyMessage(printer, state));
}

void LinkMessages::documentDone(const DocumentOutcome& o) {
    using Outcome = SendResult::Outcome;
    const SendResult& r = o.result;
    if (r.isTaken()) return;
    const char* said = r.outcome == Outcome::NotTaken  ? ": not taken: "
                       : r.outcome == Outcome::Unknown ? ": unknown: "
                                                       : ": not opened: ";
    std::string line = "printer \"" + o.printer + "\", document " + std::to_string(o.number) + said;
    line += r.reason.empty() && r.outcome == Outcome::NotOpened
                ? std::string(kPrinterNotFoundMessage)
                : r.reason;
    log_.write(line);
    switch (r.outcome) {
        case Outcome::NotTaken:
            messages_.showMessage(notTakenMessage(o.printer, r.reason, o.number, o.planned));
            break;
        case Outcome::Unknown:
            messages_.showMessage(unconfirmedMessage(o.printer, r.reason, o.number, o.planned));
            break;
        default:
            messages_.showMessage(kPrinterNotFoundMessage);
            break;
    }
}

}  // namespace trevalune
