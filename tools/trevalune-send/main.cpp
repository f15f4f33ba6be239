// trevalune-send: sends hex text or UTF-8 text to a printer through the printer link, one raw
// document named "AAAAAA" per argument, the way the window does. For the demo and for trying
// out a printer by hand.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "printer/bytes.h"
#include "printer/cups/cups_spooler.h"
#include "printer/gbk.h"
#include "printer/hex_text.h"
#include "printer/message_sink.h"
#include "printer/printer_link.h"

namespace {

using namespace trevalune;

/// Message boxes become lines on stderr.
class StderrMessages final : public MessageSink {
public:
    int count = 0;

protected:
    void show(std::string_view text, std::string_view title) override {
        ++count;
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

struct Piece {
    bool hex = false;
    std::string text;  // hex text, or UTF-8 text
};

int usage() {
    std::fputs(
        "usage: trevalune-send [--printer NAME] (--hex HEXTEXT | --text UTF8)...\n"
        "  Every --hex or --text is one raw document, sent in the order given.\n"
        "  --hex   two-character hex fields, e.g. 1D5653 (the page eject)\n"
        "  --text  UTF-8 text, sent as GBK\n"
        "  --printer  the queue; default: the first whose name begins with RZ7\n"
        "The server is the one CUPS_SERVER or the client configuration names.\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string printer;
    std::vector<Piece> pieces;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return usage();
        const std::string value = argv[++i];
        if (arg == "--printer") {
            printer = value;
        } else if (arg == "--hex" || arg == "--text") {
            pieces.push_back({arg == "--hex", value});
        } else {
            return usage();
        }
    }
    if (pieces.empty()) return usage();

    // Everything is encoded before the first document leaves: bad input sends nothing.
    std::vector<Bytes> encoded;
    try {
        for (const auto& p : pieces)
            encoded.push_back(p.hex ? hexTextToBytes(p.text) : toGbk(p.text));
    } catch (const Refusal& e) {
        std::fprintf(stderr, "trevalune-send: %s Nothing was sent.\n", e.what());
        return 2;
    }

    CupsSpooler spooler;
    if (printer.empty()) {
        for (const auto& name : spooler.listPrinters().names) {
            if (name.rfind("RZ7", 0) == 0) {
                printer = name;
                break;
            }
        }
        if (printer.empty()) {
            std::fputs("trevalune-send: no printer whose name begins with RZ7; use --printer\n",
                       stderr);
            return 1;
        }
    }

    StderrMessages messages;
    PrinterLink link(spooler, messages, [&printer] { return printer; });
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        link.sendDocument(encoded[i]);
        std::fprintf(stderr, "trevalune-send: %s -> %s\n", toSpacedHex(encoded[i]).c_str(),
                     printer.c_str());
    }
    return messages.count == 0 ? 0 : 1;
}
