#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "printer/bytes.h"
#include "printer/spooler.h"

namespace trevalune {

class DiagnosticLog;
class MessageSink;

inline constexpr std::string_view kDocumentName = "AAAAAA";
inline constexpr std::string_view kPrinterNotFoundMessage =
    "The Printer Name you typed wasn't recognized.";

/// Said once when the printer list cannot be read because `server` does not answer.
std::string noPrintServerMessage(std::string_view server);

/// Said for each document a printer was opened for but did not take, with the spooler's reason.
std::string notTakenMessage(std::string_view printer, std::string_view reason);

/// The one door to the printer. Every call is one complete raw document named "AAAAAA" for
/// the printer whose name `printerName` gives at the moment of the call; nothing stays open
/// between calls. A printer that cannot be opened, or that does not take the document, costs
/// one message and one diagnostic line, and the caller goes on with its next piece. Hex and
/// text documents are encoded before they get here (Timeline), so nothing that reaches this
/// door can still be refused.
class PrinterLink final {
public:
    PrinterLink(Spooler& spooler, MessageSink& messages, DiagnosticLog& log,
                std::function<std::string()> printerName);

    /// Numbers the documents from 1 again: the diagnostic lines count them per operation.
    void beginOperation() { documentNumber_ = 0; }

    /// The driver file's content as one document.
    void SendBytesToPrinter(std::string_view fileBytes) { sendDocument(fileBytes); }

    /// One document of exactly these bytes.
    SendResult sendDocument(std::string_view bytes);

private:
    Spooler& spooler_;
    MessageSink& messages_;
    DiagnosticLog& log_;
    std::function<std::string()> printerName_;
    int documentNumber_ = 0;
};

}  // namespace trevalune
