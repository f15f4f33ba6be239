#include "tools/trevalune-send/send_command.h"

#include "operations/command_panel.h"
#include "operations/printer_choice.h"
#include "printer/gbk.h"
#include "printer/message_sink.h"
#include "printer/printer_link.h"
#include "printer/spooler.h"
#include "printer/timeline.h"

namespace trevalune {

namespace {

constexpr std::string_view kName = "trevalune-send";
void usage(std::ostream& to) {
    to << "Usage: trevalune-send [--printer NAME] (--hex HEXTEXT | --text TEXT)...\n"
          "Send commands to the printer as raw documents named \"AAAAAA\" through the print\n"
          "spooler, as the window does: every --hex or --text is one document, sent in the\n"
          "order given. Everything is checked before the first document leaves.\n"
          "\n"
          "Options:\n"
          "  --hex HEXTEXT   hex digits as typed into the window's command box, e.g. \"1D 56 53\"\n"
          "                  (the page eject): blanks anywhere are removed, then the digits\n"
          "                  must come in pairs; any other character is refused\n"
          "  --text TEXT     UTF-8 text, sent as GBK\n"
          "  --printer NAME  the print queue (default: the first whose name begins with RZ7)\n"
          "  -h, --help      show this help and exit\n"
          "  -v, --version   show the version and exit\n"
          "\n"
          "The print server is the one CUPS_SERVER or the CUPS client configuration names.\n"
          "Exit status: 0 when every document was handed to the spooler; 1 when not (no print\n"
          "server, no printer, a document refused); 2 for a wrong command line or input that\n"
          "cannot be sent, and then nothing was sent.\n";
}

/// Long documents are shown by their start and their size.
std::string shownBytes(std::string_view bytes) {
    constexpr std::size_t kShown = 16;
    if (bytes.size() <= kShown) return toSpacedHex(bytes);
    return toSpacedHex(bytes.substr(0, kShown)) + " ... (" + std::to_string(bytes.size()) +
           " bytes)";
}

/// The link's message boxes and diagnostic lines stay unsaid: the run says in one line of
/// its own which document failed and why.
class Unsaid final : public MessageSink, public DiagnosticLog {
public:
    void write(std::string_view) override {}

protected:
    void show(std::string_view, std::string_view) override {}
};

struct Piece {
    std::string option;  ///< "--hex" or "--text"
    std::string text;
};

struct CommandLine {
    bool help = false;
    bool version = false;
    std::string printer;
    std::vector<Piece> pieces;
};

/// The command line; what is wrong with it is refused like any other input.
CommandLine read(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            return line;
        }
        if (arg == "--version" || arg == "-v") {
            line.version = true;
            return line;
        }
        if (arg != "--printer" && arg != "--hex" && arg != "--text") {
            throw Refusal("unknown option \"" + arg + "\"");
        }
        if (i + 1 >= arguments.size()) throw Refusal(arg + " needs a value");
        const std::string& value = arguments[++i];
        if (arg == "--printer") {
            if (value.empty()) throw Refusal("--printer needs a printer name");
            line.printer = value;
        } else {
            line.pieces.push_back({arg, value});
        }
    }
    if (line.pieces.empty()) throw Refusal("nothing to send: give --hex or --text");
    return line;
}

Bytes encode(const Piece& piece) {
    if (piece.option == "--hex") return buildHexDocument(piece.text);
    if (piece.text.empty()) throw Refusal("the text is empty: there is nothing to send.");
    return toGbk(piece.text);
}

}  // namespace

int runSend(const std::vector<std::string>& arguments, Spooler& spooler, std::ostream& out,
            std::ostream& err) {
    CommandLine line;
    try {
        line = read(arguments);
    } catch (const Refusal& wrong) {
        err << kName << ": " << wrong.what() << "\n\n";
        usage(err);
        return 2;
    }
    if (line.help) {
        usage(out);
        return 0;
    }
    if (line.version) {
        out << kName << " (Trevalune) " << TREVALUNE_VERSION << '\n';
        return 0;
    }

    // Everything is encoded before the first document leaves: bad input sends nothing.
    std::vector<Bytes> documents;
    bool refused = false;
    for (const Piece& piece : line.pieces) {
        try {
            documents.push_back(encode(piece));
        } catch (const Refusal& e) {
            err << kName << ": " << piece.option << " \"" << piece.text << "\": " << e.what()
                << '\n';
            refused = true;
        }
    }
    if (refused) {
        err << kName << ": nothing was sent.\n";
        return 2;
    }

    const PrinterList list = spooler.listPrinters();
    if (!list.unreachableServer.empty()) {
        err << kName << ": " << noPrintServerMessage(list.unreachableServer)
            << " Nothing was sent.\n";
        return 1;
    }
    std::string printer = line.printer;
    if (printer.empty()) {
        printer = preselectedPrinter(list.names).value_or("");
        if (printer.empty()) {
            std::string names;
            for (const auto& name : list.names) names += (names.empty() ? "" : ", ") + name;
            err << kName << ": no printer whose name begins with " << kPreselectedPrefix
                << "; use --printer NAME (printers: " << (names.empty() ? "none" : names)
                << "). Nothing was sent.\n";
            return 1;
        }
    }

    Unsaid unsaid;
    PrinterLink link(spooler, unsaid, unsaid, [&printer] { return printer; });
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const SendResult result = link.sendDocument(documents[i]);
        if (!result.isTaken()) {
            // The rest would reach the printer without what came before them.
            const bool opened = result.outcome == SendResult::Outcome::NotTaken;
            err << kName << ": " << printer
                << (opened ? " did not take document " : " could not be opened for document ")
                << i + 1 << " of " << documents.size() << " (" << shownBytes(documents[i])
                << "), so nothing more was sent: "
                << (result.reason.empty() ? kPrinterNotFoundMessage : result.reason) << '\n';
            return 1;
        }
        err << kName << ": " << shownBytes(documents[i]) << " -> " << printer << '\n';
    }
    return 0;
}

}  // namespace trevalune
