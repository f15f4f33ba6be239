// print-preview: renders a saved printer stream, or a folder of recorded documents, into one
// PNG per page and a listing of what every byte means. See README.md.

#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/guarded_main.h"
#include "preview/document_names.h"
#include "preview/preview_printer.h"

namespace {

namespace fs = std::filesystem;
using trevalune::preview::PreviewPrinter;

void usage(std::FILE* to) {
    std::fputs(
        "usage: print-preview [--out DIR] [--prefix NAME] [--best HS,HD,SHD] [--font FILE] "
        "INPUT...\n"
        "  INPUT          a saved stream, or a folder of documents doc-NNNNNN.prn (read in\n"
        "                 number order); all inputs together are one stream\n"
        "  --out DIR      folder for NAME-NNNNNN.png and listing.txt (default ./print-preview)\n"
        "  --prefix NAME  first part of the page files' names (default page)\n"
        "  --best A,B,C   the simulated best value of high speed, high density and super-high\n"
        "                 density (default 16,24,40)\n"
        "  --font FILE    CJK font for the text (default WenQuanYi Micro Hei)\n",
        to);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Reads the command line into the options and the inputs. Returns the exit code when the
/// program is done already: the help shown, or a command line it cannot use refused.
std::optional<int> parse(int argc, char** argv, PreviewPrinter::Options& options,
                         std::vector<std::string>& inputs) {
    std::string best;
    bool help = false;
    CLI::App app;
    app.set_help_flag();  // the usage above is the help
    app.add_flag("-h,--help", help);
    app.add_option("--out", options.folder);
    app.add_option("--prefix", options.prefix);
    app.add_option("--font", options.fontPath);
    app.add_option("--best", best);
    app.add_option("input", inputs);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError&) {
        usage(stderr);
        return 2;
    }
    if (help) {
        usage(stdout);
        return 0;
    }
    if (!best.empty() && !trevalune::preview::parseBestValues(best, options.render.bestValues)) {
        std::fprintf(stderr, "print-preview: --best wants three numbers 0..255, like 16,24,40\n");
        return 2;
    }
    if (inputs.empty()) {
        usage(stderr);
        return 2;
    }
    return std::nullopt;
}

/// A folder's recorded documents in their number order; other files are not documents.
std::map<long, fs::path> documentsIn(const fs::path& folder) {
    std::map<long, fs::path> documents;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const long n = trevalune::preview::documentNumber(entry.path().filename().string());
        if (n >= 0) documents.emplace(n, entry.path());
    }
    return documents;
}

/// Every input into the printer as one stream: a file as it is, a folder document by document.
void printInputs(PreviewPrinter& printer, const std::vector<std::string>& inputs) {
    for (const fs::path input : inputs) {
        if (!fs::is_directory(input)) {
            printer.document(input.string(), readFile(input));
            continue;
        }
        for (const auto& [n, path] : documentsIn(input)) {
            printer.document(path.filename().string(), readFile(path));
        }
    }
}

}  // namespace

static int run(int argc, char** argv) {
    PreviewPrinter::Options options;
    options.folder = "print-preview";
    std::vector<std::string> inputs;
    if (const std::optional<int> done = parse(argc, argv, options, inputs)) return *done;
    try {
        PreviewPrinter printer(options);
        if (!printer.hasFont()) {
            std::fprintf(stderr,
                         "print-preview: no CJK font found, characters are boxes "
                         "(install fonts-wqy-microhei or pass --font)\n");
        }
        printInputs(printer, inputs);
        printer.finish();
        for (const auto& page : printer.pages()) std::printf("%s\n", page.string().c_str());
        std::printf("%zu page(s), %d decoding error(s); listing: %s\n", printer.pages().size(),
                    printer.errors(), printer.listingPath().string().c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "print-preview: %s\n", e.what());
        return 1;
    }
}

int main(int argc, char** argv) {
    return trevalune::guardedMain("print-preview", [&] { return run(argc, argv); });
}
