#include "printer/link_messages.h"

#include "common/numbered_text.h"
#include "printer/message_sink.h"

namespace trevalune {

namespace {

// The window's words for what the link did, in English as the window shows them; {1} .. {9}
// are filled where they are said, so no sentence is put together piece by piece.
constexpr std::string_view kNoPrintServer =
    "No print server answers at {1}, so no printer can be listed.";
constexpr std::string_view kNotTaken = "The printer \"{1}\" did not take {2}: {3}{4}";
constexpr std::string_view kUnconfirmed =
    "The print server went away before it confirmed {2} for the printer \"{1}\"{3}; its queue "
    "may hold it.{4}";
constexpr std::string_view kNotReady =
    "The printer \"{1}\" is not ready to print; the spooler says: {2}";
constexpr std::string_view kTheDocument = "the document";
constexpr std::string_view kDocumentOf = "document {1} of {2}";
constexpr std::string_view kOneLeft = "\nThe remaining document was not sent.";
constexpr std::string_view kSomeLeft = "\nThe remaining {1} documents were not sent.";
constexpr std::string_view kBecause = " ({1})";
constexpr std::string_view kDiagnostic = "printer \"{1}\", document {2}: {3}: {4}";

/// "document 2 of 60" within an operation, "the document" for a lone one.
std::string whichDocument(int number, int total) {
    if (total <= 1) return std::string(kTheDocument);
    return fillNumbered(kDocumentOf, {std::to_string(number), std::to_string(total)});
}

/// The line that says the rest of the operation stayed unsent; none when nothing was left.
std::string restNotSent(int number, int total) {
    const int rest = total - number;
    if (total <= 1 || rest <= 0) return {};
    return rest == 1 ? std::string(kOneLeft) : fillNumbered(kSomeLeft, {std::to_string(rest)});
}

}  // namespace

std::string noPrintServerMessage(std::string_view server) {
    return fillNumbered(kNoPrintServer, {std::string(server)});
}

std::string notTakenMessage(std::string_view printer, std::string_view reason, int number,
                            int total) {
    return fillNumbered(kNotTaken, {std::string(printer), whichDocument(number, total),
                                    std::string(reason), restNotSent(number, total)});
}

std::string unconfirmedMessage(std::string_view printer, std::string_view reason, int number,
                               int total) {
    const std::string why =
        reason.empty() ? std::string() : fillNumbered(kBecause, {std::string(reason)});
    return fillNumbered(kUnconfirmed, {std::string(printer), whichDocument(number, total), why,
                                       restNotSent(number, total)});
}

std::string notReadyMessage(std::string_view printer, const PrinterState& state) {
    return fillNumbered(kNotReady, {std::string(printer), state.attentionText()});
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
    const char* said = r.outcome == Outcome::NotTaken  ? "not taken"
                       : r.outcome == Outcome::Unknown ? "unknown"
                                                       : "not opened";
    const bool unnamed = r.reason.empty() && r.outcome == Outcome::NotOpened;
    const std::string line =
        fillNumbered(kDiagnostic, {o.printer, std::to_string(o.number), said,
                                   unnamed ? std::string(kPrinterNotFoundMessage) : r.reason});
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
