#include "printer/printer_link.h"

#include <utility>

#include "printer/message_sink.h"

namespace trevalune {

PrinterLink::PrinterLink(Spooler& spooler, MessageSink& messages, DiagnosticLog& log,
                         std::function<std::string()> printerName)
    : spooler_(spooler), messages_(messages), log_(log), printerName_(std::move(printerName)) {}

std::string noPrintServerMessage(std::string_view server) {
    return "No print server answers at " + std::string(server) + ", so no printer can be listed.";
}

std::string notTakenMessage(std::string_view printer, std::string_view reason) {
    return "The printer \"" + std::string(printer) +
           "\" did not take the document: " + std::string(reason);
}

SendResult PrinterLink::sendDocument(std::string_view bytes) {
    const int number = ++documentNumber_;
    const std::string printer = printerName_ ? printerName_() : std::string();
    // An empty name opens nothing anywhere; report it like any unknown printer.
    SendResult result = printer.empty()
                            ? SendResult::notOpened()
                            : spooler_.sendRawDocument(printer, std::string(kDocumentName), bytes);
    if (result.isTaken()) return result;

    const bool opened = result.outcome == SendResult::Outcome::NotTaken;
    std::string line = "printer \"" + printer + "\", document " + std::to_string(number) +
                       (opened ? ": not taken: " : ": not opened: ");
    line += result.reason.empty() ? std::string(kPrinterNotFoundMessage) : result.reason;
    log_.write(line);
    messages_.showMessage(opened ? notTakenMessage(printer, result.reason)
                                 : std::string(kPrinterNotFoundMessage));
    return result;
}

}  // namespace trevalune
