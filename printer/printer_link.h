#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "printer/bytes.h"

namespace trevalune {

class MessageSink;
class Spooler;

inline constexpr std::string_view kDocumentName = "AAAAAA";
inline constexpr std::string_view kPrinterNotFoundMessage =
    "The Printer Name you typed wasn't recognized.";

/// Said once when the printer list cannot be read because `server` does not answer.
std::string noPrintServerMessage(std::string_view server);

/// The one door to the printer. Every call is one complete raw document named "AAAAAA" for
/// the printer whose name `printerName` gives at the moment of the call; nothing stays open
/// between calls. A printer that cannot be opened costs one message and sends nothing; the
/// caller then goes on with its next piece. Hex and text documents are encoded before they
/// get here (Timeline), so nothing that reaches this door can still be refused.
class PrinterLink final {
public:
    PrinterLink(Spooler& spooler, MessageSink& messages, std::function<std::string()> printerName);

    /// Sends bytes 0..count-1 of the driver file's content.
    void SendBytesToPrinter(const Bytes& fileBytes, int count);

    /// One document of exactly these bytes. Returns false when the printer was not found.
    bool sendDocument(std::string_view bytes);

private:
    Spooler& spooler_;
    MessageSink& messages_;
    std::function<std::string()> printerName_;
};

}  // namespace trevalune
