#include "printer/printer_link.h"

#include <utility>

#include "printer/hex_text.h"
#include "printer/message_sink.h"
#include "printer/spooler.h"

namespace trevalune {

PrinterLink::PrinterLink(Spooler& spooler, MessageSink& messages,
                         std::function<std::string()> printerName)
    : spooler_(spooler), messages_(messages), printerName_(std::move(printerName)) {}

bool PrinterLink::sendDocument(std::string_view bytes) {
    const std::string printer = printerName_ ? printerName_() : std::string();
    // An empty name opens nothing anywhere; report it like any unknown printer.
    const bool opened =
        !printer.empty() && spooler_.sendRawDocument(printer, std::string(kDocumentName), bytes);
    if (!opened) messages_.showMessage(kPrinterNotFoundMessage);
    return opened;
}

void PrinterLink::SendHexToPrinter(std::string_view hexText) {
    sendDocument(hexTextToBytes(hexText));
}

namespace {
std::string_view leading(const Bytes& data, int count, const char* who) {
    if (count < 0 || static_cast<std::size_t>(count) > data.size()) {
        throw EncodeError(std::string(who) + ": byte count " + std::to_string(count) +
                          " is outside the " + std::to_string(data.size()) + " bytes given.");
    }
    return std::string_view(data).substr(0, static_cast<std::size_t>(count));
}
}  // namespace

void PrinterLink::SendTextToPrinter(const Bytes& text, int count) {
    sendDocument(leading(text, count, "SendTextToPrinter"));
}

void PrinterLink::SendBytesToPrinter(const Bytes& fileBytes, int count) {
    sendDocument(leading(fileBytes, count, "SendBytesToPrinter"));
}

}  // namespace trevalune
