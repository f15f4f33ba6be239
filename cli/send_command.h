#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/texts.h"
#include "rowreader/reader.h"

namespace trevalune {

class Clock;
class Spooler;

namespace send {

class Interruption;
class InputReader;

/// The operator's terminal, for align's questions.
class Terminal {
public:
    virtual ~Terminal() = default;
    /// Shows the prompt and reads one line; empty when the input has ended.
    virtual std::optional<std::string> ask(const std::string& prompt) = 0;
};

/// Decodes a picture and reads its sample rows: rowreader's decodeImage and readRows in the
/// program, a fake in tests.
class RowReader {
public:
    virtual ~RowReader() = default;
    /// Throws rowreader::ImageError when the bytes are not a picture it can read.
    virtual std::vector<rowreader::ModeReading> read(std::span<const std::uint8_t> bytes,
                                                     const rowreader::ReadOptions& options) = 0;
    /// The pages the picture holds: more than one in a multi-page TIFF.
    virtual int pageCount(std::span<const std::uint8_t> /*bytes*/) { return 1; }
    /// Reads page `page` (from 0); with `annotation`, also draws what was read on the page.
    virtual std::vector<rowreader::ModeReading> readPage(std::span<const std::uint8_t> bytes,
                                                         const rowreader::ReadOptions& options,
                                                         int /*page*/,
                                                         rowreader::RgbImage* /*annotation*/) {
        return read(bytes, options);
    }
};

/// What the operator's scan command did.
struct ScanResult {
    /// Empty when the command ran; else why it could not be started or was given up.
    std::string failure;
    int exitStatus = 0;        ///< the command's own; 128 + N when signal N ended it
    std::string output;        ///< standard output: the picture
    std::string errors;        ///< standard error, for the operator
    bool interrupted = false;  ///< the run was asked to stop while it ran
    bool tooLarge = false;     ///< it wrote more than any picture needs, and was ended
};

/// Runs the operator's scan command through the system's shell (/bin/sh -c, cmd.exe /c).
class Scanner {
public:
    virtual ~Scanner() = default;
    virtual ScanResult scan(const std::string& command) = 0;
};

/// How the spooler is reached: --server, --timeout and -U.
struct SpoolerOptions {
    std::string server;  ///< HOST[:PORT] or a socket path; empty for the configured one
    int timeoutMs = kDefaultTimeoutSeconds * 1000;
    std::string user;  ///< empty for CUPS_USER or the login name
};

/// What the platform's spooler is and offers: it decides what --help lists.
enum class Platform { Cups, Windows };

/// What a run takes from the system, injected so tests run it on a recording spooler and a
/// recording clock.
struct System {
    /// A spooler for the calling thread: every queue runs in a thread of its own with its own
    /// spooler (a backend keeps its connection).
    std::function<std::unique_ptr<Spooler>(const SpoolerOptions& options)> openSpooler;
    /// Shared by the queues' threads, so it must be safe to call from several at once.
    Clock& clock;
    std::istream& in;  ///< binary: `file -` reads it whole
    std::ostream& out;
    std::ostream& err;
    Environment environment;
    /// Null when standard input is not a terminal.
    Terminal* terminal = nullptr;
    Platform platform = Platform::Cups;
    /// Set from outside (a signal, a console event) when the run must stop; null when
    /// nothing can interrupt it.
    Interruption* interruption = nullptr;
    /// Null in a build without the row reader: read-rows and --scan-command say so.
    RowReader* rowReader = nullptr;
    Scanner* scanner = nullptr;
    /// Opens `file -` ("-": standard input) or a FIFO for reading as it comes, or throws
    /// InputError; null reads `in` instead.
    std::function<std::unique_ptr<InputReader>(const std::string& path)> openInput = nullptr;
};

/// Runs trevalune-send with the arguments after the program name (see --help). The status
/// is 0 when every document was taken, 1 when a printer or the spooler failed (the failure
/// is named; nothing more goes to that printer), 2 for a wrong command line or a value the
/// window would refuse (then nothing was sent).
int runSend(const std::vector<std::string>& arguments, System& system);

}  // namespace send
}  // namespace trevalune
