#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "printer/bytes.h"
#include "printer/spooler.h"

namespace trevalune {

inline constexpr std::string_view kDocumentName = "AAAAAA";

/// What became of one document the link sent, and where it stood in its operation.
struct DocumentOutcome {
    std::string printer;
    int number = 0;   ///< from 1 within the operation
    int planned = 0;  ///< the operation's documents; 0 for a lone one, or a count nobody gave
    SendResult result;
};

/// Hears what the link did; the front end decides how to say it (a message box and a
/// diagnostic line in the window, the account of a queue on the command line).
class LinkListener {
public:
    virtual ~LinkListener() = default;
    /// Before an operation's first document, when the link was asked to look (lookBeforeSending):
    /// the printer's state as the spooler gives it, whatever it is.
    virtual void printerLookedAt(const std::string& printer, const PrinterState& state) = 0;
    /// Every document the link was asked to send, taken or not.
    virtual void documentDone(const DocumentOutcome& outcome) = 0;
};

/// Which documents end their operation, so that the rest of it stays unsent: a page without
/// its first documents prints for values the printer never got.
enum class StopRule {
    /// Opened but not taken, or its fate unknown. A printer that cannot be opened is a wrong
    /// name, said per document, and the operation goes on (the window).
    AtNotTaken,
    /// Any document not taken, a printer that cannot be opened included (the command line,
    /// whose queue is named once for the whole run).
    AtAnyFailure,
};

/// Whether an operation goes on after a document, and if not, why.
enum class Next {
    GoOn,
    Stopped,      ///< the stop rule ended it at this document
    Interrupted,  ///< asked to stop before this document, which was not sent
};

/// What the link did with one document: the spooler's answer, and whether the operation goes on.
struct Sent {
    SendResult result;  ///< not sent at all when the operation was interrupted before it
    Next next = Next::GoOn;
};

/// The one door to the printer. Every call is one complete raw document named "AAAAAA" for
/// the printer whose name `printerName` gives at the moment of the call; nothing stays open
/// between calls. The link decides, by its stop rule and the stop request it was given,
/// whether the operation goes on, and tells its listener every document's outcome. Hex and
/// text documents are encoded before they get here (Timeline), so nothing that reaches this
/// door can still be refused.
class PrinterLink final {
public:
    PrinterLink(Spooler& spooler, LinkListener& listener, std::function<std::string()> printerName,
                StopRule rule = StopRule::AtNotTaken);

    /// Starts an operation: the documents are numbered from 1 again, out of `plannedDocuments`
    /// (0: a lone document, or a count nobody gave).
    void beginOperation(int plannedDocuments = 0) {
        documentNumber_ = 0;
        plannedDocuments_ = plannedDocuments;
    }

    /// Before the first document of each operation, asks the printer's state once for the
    /// listener: a stopped or paused queue takes documents that then wait.
    void lookBeforeSending(bool look) { lookBeforeSending_ = look; }

    /// Asked before every document; true ends the operation there, with nothing more sent.
    void stopWhen(std::function<bool()> stopRequested) {
        stopRequested_ = std::move(stopRequested);
    }

    /// One document of exactly these bytes.
    Sent sendDocument(std::string_view bytes);
    /// One document of the stream's bytes, as they are read.
    Sent sendStream(DocumentStream& stream);

private:
    template <class Send>
    Sent send(Send sendTo);

    Spooler& spooler_;
    LinkListener& listener_;
    std::function<std::string()> printerName_;
    StopRule rule_;
    std::function<bool()> stopRequested_;
    int documentNumber_ = 0;
    int plannedDocuments_ = 0;
    bool lookBeforeSending_ = false;
};

}  // namespace trevalune
