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

/// True when the document was opened but not taken, or its fate is unknown: the rest of its
/// operation must not be sent (a page without its first documents prints the wrong values).
/// A printer that could not be opened is not such an end: that is a name, said per document.
bool endsOperation(const SendResult& result);

/// The one door to the printer. Every call is one complete raw document named "AAAAAA" for
/// the printer whose name `printerName` gives at the moment of the call; nothing stays open
/// between calls. A printer that cannot be opened costs one message and one diagnostic line
/// per document, and the caller goes on with its next piece. A document not taken, or whose
/// fate is unknown, costs one message and one diagnostic line too, and its caller sends
/// nothing more of the operation (endsOperation). Hex and text documents are encoded before
/// they get here (Timeline), so nothing that reaches this door can still be refused.
class PrinterLink final {
public:
    PrinterLink(Spooler& spooler, MessageSink& messages, DiagnosticLog& log,
                std::function<std::string()> printerName);

    /// Starts an operation: the documents are numbered from 1 again (the diagnostic lines
    /// count them per operation), and a failure names its document out of `plannedDocuments`
    /// (0: a lone document, or a count nobody gave).
    void beginOperation(int plannedDocuments = 0) {
        documentNumber_ = 0;
        plannedDocuments_ = plannedDocuments;
    }

    /// Before the first document of each operation, asks the printer's state once and says in
    /// one message when documents would wait or be refused; the operation then goes on. The
    /// window asks; the command line says it its own way.
    void warnWhenNotReady(bool warn) { warnWhenNotReady_ = warn; }

    /// One document of exactly these bytes.
    SendResult sendDocument(std::string_view bytes);

private:
    Spooler& spooler_;
    MessageSink& messages_;
    DiagnosticLog& log_;
    std::function<std::string()> printerName_;
    int documentNumber_ = 0;
    int plannedDocuments_ = 0;
    bool warnWhenNotReady_ = false;
};

}  // namespace trevalune
