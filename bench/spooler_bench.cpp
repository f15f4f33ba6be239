// spooler-bench: how fast raw documents reach the spooler through CupsSpooler, compared with
// one `lp -o raw` process per document. Run it against a private server (scripts/bench).

#include <CLI/CLI.hpp>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/guarded_main.h"
#include "printer/cups/cups_spooler.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// N documents from a few bytes to a few KiB, every byte value present.
std::vector<std::string> makeDocuments(int count) {
    std::vector<std::string> docs;
    unsigned seed = 12345;
    for (int i = 0; i < count; ++i) {
        const std::size_t size = 3 + static_cast<std::size_t>(i * 211) % 4093;
        std::string doc(size, '\0');
        for (auto& b : doc) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<char>(seed >> 16);
        }
        docs.push_back(std::move(doc));
    }
    return docs;
}

/// Waits (bounded) until the queue has printed everything, so one run does not slow the next.
double drain(trevalune::CupsSpooler& spooler, const std::string& printer) {
    const auto start = Clock::now();
    while (spooler.queryActiveJobs(printer).anyJobs && secondsSince(start) < 120) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return secondsSince(start);
}

std::size_t countDocuments(const std::string& folder) {
    if (folder.empty()) return 0;
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().extension() == ".prn") ++n;
    }
    return n;
}

bool runLp(const std::string& printer, const std::string& file) {
    std::vector<std::string> args = {"lp", "-d", printer, "-o", "raw", "-t", "AAAAAA", "-s", file};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "lp", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

/// One way's run: how long sending took, how long until the printer fell idle, and how many
/// documents the virtual printer's folder held after it.
struct Run {
    double seconds = 0, drainSeconds = 0;
    std::size_t recorded = 0;
};

/// Every document through CupsSpooler; nothing when the queue refuses one.
std::optional<Run> timeSpooler(trevalune::CupsSpooler& spooler, const std::string& printer,
                               const std::vector<std::string>& docs, const std::string& output) {
    const auto start = Clock::now();
    for (const auto& d : docs) {
        if (const auto sent = spooler.sendRawDocument(printer, "AAAAAA", d); !sent.isTaken()) {
            std::fprintf(stderr, "spooler-bench: %s did not take a document: %s\n", printer.c_str(),
                         sent.reason.c_str());
            return std::nullopt;
        }
    }
    Run result;
    result.seconds = secondsSince(start);
    result.drainSeconds = drain(spooler, printer);
    result.recorded = countDocuments(output);
    return result;
}

/// Every document through one lp process each; nothing when lp fails for one.
std::optional<Run> timeLp(trevalune::CupsSpooler& spooler, const std::string& printer,
                          const std::vector<std::string>& docs, const std::string& output) {
    // The files are written before the clock starts: only the lp runs are timed.
    const fs::path folder =
        fs::temp_directory_path() / ("spooler-bench." + std::to_string(getpid()));
    fs::create_directories(folder);
    std::vector<std::string> files;
    for (std::size_t i = 0; i < docs.size(); ++i) {
        files.push_back((folder / ("doc" + std::to_string(i))).string());
        std::ofstream(files.back(), std::ios::binary) << docs[i];
    }
    const auto start = Clock::now();
    for (const auto& f : files) {
        if (!runLp(printer, f)) {
            std::fprintf(stderr, "spooler-bench: lp failed for %s\n", f.c_str());
            fs::remove_all(folder);
            return std::nullopt;
        }
    }
    Run result;
    result.seconds = secondsSince(start);
    result.drainSeconds = drain(spooler, printer);
    result.recorded = countDocuments(output);
    fs::remove_all(folder);
    return result;
}

/// The two ways side by side; with the virtual printer's folder, whether every document
/// arrived (false when one did not).
bool report(int count, std::size_t before, const Run& spooler, const Run& lp,
            const std::string& output) {
    std::printf("CupsSpooler    : %7.3f s, %8.1f documents/s (printer idle %.3f s later)\n",
                spooler.seconds, count / spooler.seconds, spooler.drainSeconds);
    std::printf("lp -o raw      : %7.3f s, %8.1f documents/s (printer idle %.3f s later)\n",
                lp.seconds, count / lp.seconds, lp.drainSeconds);
    std::printf("ratio          : CupsSpooler is %.1f times as fast as one lp per document\n",
                lp.seconds / spooler.seconds);
    if (output.empty()) return true;
    std::printf("virtual printer: %zu + %zu documents recorded (expected %d + %d)\n",
                spooler.recorded - before, lp.recorded - spooler.recorded, count, count);
    return spooler.recorded - before == static_cast<std::size_t>(count) &&
           lp.recorded - spooler.recorded == static_cast<std::size_t>(count);
}

}  // namespace

static int run(int argc, char** argv) {
    int count = 300;
    std::string printer = "RZ7-virtual";
    std::string output;  // the virtual printer's folder, to check that everything arrived
    CLI::App app("Times raw documents through the CUPS backend.", "spooler-bench");
    app.add_option("--documents", count, "documents to send")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    app.add_option("--printer", printer, "the queue to print on")->capture_default_str();
    app.add_option("--out", output, "the virtual printer's folder, to check every arrival");
    CLI11_PARSE(app, argc, argv);
    const auto docs = makeDocuments(count);
    std::size_t bytes = 0;
    for (const auto& d : docs) bytes += d.size();
    std::printf("%d raw documents, %zu bytes in all, to %s on %s\n", count, bytes, printer.c_str(),
                std::getenv("CUPS_SERVER") ? std::getenv("CUPS_SERVER") : "the default server");

    trevalune::CupsSpooler spooler;
    const std::size_t before = countDocuments(output);
    const std::optional<Run> throughSpooler = timeSpooler(spooler, printer, docs, output);
    if (!throughSpooler) return 1;
    const std::optional<Run> throughLp = timeLp(spooler, printer, docs, output);
    if (!throughLp) return 1;
    return report(count, before, *throughSpooler, *throughLp, output) ? 0 : 1;
}

int main(int argc, char** argv) {
    return trevalune::guardedMain("spooler-bench", [&] { return run(argc, argv); });
}
