#pragma once

#include <string>
#include <string_view>

#include "printer/printer_link.h"

namespace trevalune {

class DiagnosticLog;
class MessageSink;

inline constexpr std::string_view kPrinterNotFoundMessage =
    "The Printer Name you typed wasn't recognized.";

/// Said once when the printer list cannot be read because `server` does not answer.
std::string noPrintServerMessage(std::string_view server);

/// Said for a document a printer was opened for but did not take, with the spooler's reason.
/// Within an operation of `total` documents (more than one) it names document `number` and
/// says how many of the rest were not sent.
std::string notTakenMessage(std::string_view printer, std::string_view reason, int number = 0,
                            int total = 0);

/// Said for a document written whole whose answer never came: the queue may hold it, so it
/// is never said to be "not taken". Numbered as notTakenMessage.
std::string unconfirmedMessage(std::string_view printer, std::string_view reason, int number = 0,
                               int total = 0);

/// Said once before an operation's first document when the printer needs attention, in the
/// spooler's words (PrinterState::attentionText).
std::string notReadyMessage(std::string_view printer, const PrinterState& state);

/// How the window says what the link did: a printer that cannot be opened costs one message
/// box per document; a document not taken, or whose fate is unknown, one box naming it. Each
/// also writes one diagnostic line (printer, document number, "not opened", "not taken" or
/// "unknown", reason). A printer that needs attention before an operation is said in one
/// box; one that only refuses jobs is left to its first document's own message.
class LinkMessages final : public LinkListener {
public:
    LinkMessages(MessageSink& messages, DiagnosticLog& log) : messages_(messages), log_(log) {}

    void printerLookedAt(const std::string& printer, const PrinterState& state) override;
    void documentDone(const DocumentOutcome& outcome) override;

private:
    MessageSink& messages_;
    DiagnosticLog& log_;
};

}  // namespace trevalune
