#include "printer/printer_link.h"

#include <utility>

#include "printer/message_sink.h"
#include "printer/spooler.h"

namespace trevalune {

PrinterLink::PrinterLink(Spooler& spooler, MessageSink& messages,
                         std::function<std::string()> printerName)
    : spooler_(spooler), messages_(messages), printerName_(std::move(printerName)) {}

std::string noPrintServerMessage(std::string_view server) {
    return "No print server answers at " + std::string(server) + ", so no printer can be listed.";
}

bool PrinterLink::sendDocument(std::string_view bytes) {
    const std::string printer = printerName_ ? printerName_() : std::string();
    // An empty name opens nothing anywhere; report it like any unknown printer.
    const bool opened =
        !printer.empty() && spooler_.sendRawDocument(printer, std::string(kDocumentName), bytes);
    if (!opened) messages_.showMessage(kPrinterNotFoundMessage);
    return opened;
}

namespace {
std::string_view leading(const Bytes& data, int count, const char* who) {
    if (count < 0 || static_cast<std::size_t>(count) > data.size()) {
        throw Refusal(std::string(who) + ": byte count " + std::to_string(count) +
                          " is outside the " + std::to_string(data.size()) + " bytes given.");
    }
    return std::string_view(data).substr(0, static_cast<std::size_t>(count));
}
}  // namespace

void PrinterLink::SendBytesToPrinter(const Bytes& fileBytes, int count) {
    sendDocument(leading(fileBytes, count, "SendBytesToPrinter"));
}

}  // namespace trevalune
