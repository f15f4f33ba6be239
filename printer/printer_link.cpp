#include "printer/printer_link.h"

#include <utility>

namespace trevalune {

PrinterLink::PrinterLink(Spooler& spooler, LinkListener& listener,
                         std::function<std::string()> printerName, StopRule rule)
    : spooler_(spooler), listener_(listener), printerName_(std::move(printerName)), rule_(rule) {}

Sent PrinterLink::sendDocument(std::string_view bytes) {
    return send([&](const std::string& printer) {
        return spooler_.sendRawDocument(printer, std::string(kDocumentName), bytes);
    });
}

Sent PrinterLink::sendStream(DocumentStream& stream) {
    return send([&](const std::string& printer) {
        return spooler_.sendRawStream(printer, std::string(kDocumentName), stream);
    });
}

template <class Send>
Sent PrinterLink::send(Send sendTo) {
    if (stopRequested_ && stopRequested_()) return {SendResult::notOpened(), Next::Interrupted};
    const int number = ++documentNumber_;
    const std::string printer = printerName_ ? printerName_() : std::string();
    if (number == 1 && lookBeforeSending_ && !printer.empty()) {
        listener_.printerLookedAt(printer, spooler_.printerState(printer));
    }
    // An empty name opens nothing anywhere; it is reported like any unknown printer.
    DocumentOutcome outcome{printer, number, plannedDocuments_,
                            printer.empty() ? SendResult::notOpened() : sendTo(printer)};
    listener_.documentDone(outcome);
    using Outcome = SendResult::Outcome;
    const bool ends = outcome.result.outcome == Outcome::NotOpened ? rule_ == StopRule::AtAnyFailure
                                                                   : !outcome.result.isTaken();
    return {std::move(outcome.result), ends ? Next::Stopped : Next::GoOn};
}

}  // namespace trevalune
