// preview-samples: writes the byte streams of a few of the tool's pages, exactly as the
// window's buttons send them (documents joined in order), for print-preview to draw. The
// pictures in docs/preview come from these.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "common/guarded_main.h"
#include "pintest/pin_test_runs.h"

namespace {

namespace fs = std::filesystem;
using trevalune::Timeline;

std::string joined(const Timeline& timeline) {
    std::string out;
    for (const auto& document : timeline.documents()) out += document;
    return out;
}

void save(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    std::printf("%s (%zu bytes)\n", path.string().c_str(), bytes.size());
}

}  // namespace

static int run(int argc, char** argv) {
    if (argc != 2) {
        std::fputs(
            "usage: preview-samples DIR\n"
            "  writes alignment-test-31.prn, pin-test-sequence.prn, set-all-items.prn\n"
            "  and three-density-pin-test.prn into DIR\n",
            stderr);
        return 2;
    }
    try {
        const fs::path folder = argv[1];
        fs::create_directories(folder);
        save(folder / "alignment-test-31.prn", joined(trevalune::buildAlignmentTest(trevalune::centreValueOf("31"))));
        std::string sequence;
        // A fixed time, so the header page is the same on every run.
        for (const auto& page : trevalune::buildPinTestSequence({2026, 12, 5, 9, 5, 3})) {
            sequence += joined(page.build());
        }
        save(folder / "pin-test-sequence.prn", sequence);
        save(folder / "set-all-items.prn",
             joined(trevalune::buildSetAllItems(trevalune::initialModeValues(), 5000)));
        save(folder / "three-density-pin-test.prn", joined(trevalune::buildThreeDensityPinTest()));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "preview-samples: %s\n", e.what());
        return 1;
    }
}

int main(int argc, char** argv) {
    return trevalune::guardedMain("preview-samples", [&] { return run(argc, argv); });
}
