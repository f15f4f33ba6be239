// trevalune-virtual-printer: an AppSocket (raw TCP, "port 9100") printer that records every
// document. One TCP connection is one document; see README.md.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/guarded_main.h"
#include "preview/preview_printer.h"
#include "printer/bytes.h"
#include "tools/virtual-printer/document_store.h"
#include "tools/virtual-printer/unique_fd.h"

namespace {

/// A command line this program cannot use: one line and the usage.
class UsageError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using trevalune::preview::PreviewPrinter;
using trevalune::vprinter::DocumentStore;
using trevalune::vprinter::IncomingDocument;
using trevalune::vprinter::UniqueFd;

struct Options {
    std::string bind = "127.0.0.1";  // never another address unless asked for
    int port = 9100;
    std::string out = "virtual-printer-out";
    std::string preview;  // empty: record only
    std::array<int, 3> best{16, 24, 40};
    std::string font;
};

constexpr const char* kName = "trevalune-virtual-printer";

void usage(std::FILE* to) {
    std::fputs(
        "Usage: trevalune-virtual-printer [OPTION]...\n"
        "An AppSocket (raw TCP, \"port 9100\") printer that records every document it\n"
        "receives: every connection is one document, saved as DIR/doc-NNNNNN.prn when the\n"
        "sender closes it.\n"
        "\n"
        "Options:\n"
        "  --bind HOST       address or host name to listen on (default 127.0.0.1: this\n"
        "                    machine only)\n"
        "  --port N          TCP port from 0 to 65535; 0 picks a free one (default 9100)\n"
        "  --out DIR         folder for the recorded documents, created if missing\n"
        "                    (default ./virtual-printer-out)\n"
        "  --preview DIR     also decode and draw what arrives: DIR/page-NNNNNN.png per page\n"
        "                    (the page still printing is drawn when the printer falls idle)\n"
        "                    and DIR/listing.txt, a line per command\n"
        "  --best HS,HD,SHD  the simulated best alignment values of high speed, high density\n"
        "                    and super-high density (default 16,24,40): the sample row of\n"
        "                    that value is drawn with straight bars\n"
        "  --font FILE       CJK font for the previews (default WenQuanYi Micro Hei)\n"
        "  -h, --help        show this help and exit\n"
        "  -v, --version     show the version and exit\n"
        "\n"
        "Once it accepts connections it prints 'listening on ADDR:PORT' to standard output.\n"
        "SIGTERM or SIGINT stop it (exit status 0); a wrong command line gives status 2, a\n"
        "folder or an address it cannot use status 1.\n",
        to);
}

/// The command line as given: each option's text, not yet checked.
struct Given {
    bool help = false;
    bool version = false;
    std::optional<std::string> bind, port, out, preview, best, font;
    std::vector<std::string> extras;  ///< what no option takes
};

/// The options that take a value, by name.
using ValuedOptions = std::array<std::pair<const char*, std::optional<std::string>*>, 6>;

/// The option left without its value, said by name: the last one given, or one followed by
/// another option.
[[noreturn]] void refuseMissingValue(int argc, char** argv, const ValuedOptions& valued) {
    for (int i = argc - 1; i > 0; --i) {
        const std::string_view arg = argv[i];
        const bool last = i + 1 == argc || argv[i + 1][0] == '-';
        for (const auto& [name, value] : valued) {
            if (arg == name && last) throw UsageError(arg.data() + std::string(" needs a value"));
        }
    }
    throw UsageError("an option needs a value");
}

/// Splits the command line into the options' texts; a line that cannot be split is refused.
Given splitCommandLine(int argc, char** argv) {
    Given given;
    CLI::App app;
    app.set_help_flag();  // the usage above is the help
    app.allow_extras();   // refused by the caller with the program's own words
    app.add_flag("-h,--help", given.help);
    app.add_flag("-v,--version", given.version);
    const ValuedOptions valued = {{
        {"--bind", &given.bind},
        {"--port", &given.port},
        {"--out", &given.out},
        {"--preview", &given.preview},
        {"--best", &given.best},
        {"--font", &given.font},
    }};
    for (const auto& [name, value] : valued) app.add_option(name, *value);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ArgumentMismatch&) {
        refuseMissingValue(argc, argv, valued);
    } catch (const CLI::ParseError& e) {
        throw UsageError(e.what());
    }
    given.extras = app.remaining();
    return given;
}

/// The highest TCP port.
constexpr long kLastPort = 65535;

/// The port given as decimal digits only, from 0 to 65535; anything else is refused.
int portOf(const std::string& value) {
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0 || number < 0 || number > kLastPort ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        throw UsageError("--port needs a number from 0 to 65535 (0 picks a free one), not \"" +
                         value + "\"");
    }
    return static_cast<int>(number);
}

/// The options given, checked, over the defaults.
void applyGiven(const Given& given, Options& options) {
    if (given.bind) {
        if (given.bind->empty()) throw UsageError("--bind needs an address or a host name");
        options.bind = *given.bind;
    }
    if (given.out) {
        if (given.out->empty()) throw UsageError("--out needs a folder");
        options.out = *given.out;
    }
    if (given.preview) {
        if (given.preview->empty()) throw UsageError("--preview needs a folder");
        options.preview = *given.preview;
    }
    if (given.font) options.font = *given.font;
    if (given.best && !trevalune::preview::parseBestValues(*given.best, options.best)) {
        throw UsageError("--best needs three numbers from 0 to 255 like 16,24,40, not \"" +
                         *given.best + "\"");
    }
    if (given.port) options.port = portOf(*given.port);
}

/// Reads the command line; what is wrong with it is refused, to be said before the usage.
/// Returns the exit code when the program is done already (--help, --version).
std::optional<int> parse(int argc, char** argv, Options& options) {
    const Given given = splitCommandLine(argc, argv);
    if (given.help) {
        usage(stdout);
        return 0;
    }
    if (given.version) {
        std::printf("%s (Trevalune) %s\n", kName, TREVALUNE_VERSION);
        return 0;
    }
    if (!given.extras.empty()) throw UsageError("unknown option \"" + given.extras.front() + "\"");
    applyGiven(given, options);
    return std::nullopt;
}

// SIGTERM and SIGINT only write to a pipe; the poll loop sees it and stops. The pipe lives as
// long as the process, since a signal may come at any moment.
int stopPipe[2] = {-1, -1};

extern "C" void onStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &byte, 1);
    errno = saved;
}

void setNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

/// "127.0.0.1:9100", "[::1]:9100".
std::string addressText(const sockaddr_storage& address) {
    char host[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&address);
        ::inet_ntop(AF_INET6, &a->sin6_addr, host, sizeof host);
        return "[" + std::string(host) + "]:" + std::to_string(ntohs(a->sin6_port));
    }
    const auto* a = reinterpret_cast<const sockaddr_in*>(&address);
    ::inet_ntop(AF_INET, &a->sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(a->sin_port));
}

/// A listening socket on the address or host name; a name may stand for several addresses
/// (localhost: ::1 and 127.0.0.1), and the first one that can be bound is taken. Prints
/// nothing on success; returns no descriptor, with a message, on failure.
UniqueFd listenOn(const Options& options, std::string& shownAddress) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(options.port);
    if (const int rc = ::getaddrinfo(options.bind.c_str(), port.c_str(), &hints, &found); rc != 0) {
        std::fprintf(stderr, "%s: cannot find the address of \"%s\": %s\n", kName,
                     options.bind.c_str(), ::gai_strerror(rc));
        return {};
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    int error = 0;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        UniqueFd fd(::socket(a->ai_family, a->ai_socktype, a->ai_protocol));
        if (!fd) {
            error = errno;
            continue;
        }
        const int on = 1;
        ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd.get(), a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd.get(), 64) != 0) {
            error = errno;
            continue;
        }
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &length);
        shownAddress = addressText(bound);
        setNonBlocking(fd.get());
        return fd;
    }
    std::fprintf(stderr, "%s: cannot listen on %s port %s: %s\n", kName, options.bind.c_str(),
                 port.c_str(), std::strerror(error));
    return {};
}

struct Connection {
    UniqueFd fd;
    std::unique_ptr<IncomingDocument> document;
};

/// Hands a recorded document to the preview. The recording is already safe on disk: a
/// preview that fails costs a message, never a document.
void showInPreview(PreviewPrinter* preview, const std::filesystem::path& path) {
    if (!preview) return;
    try {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        preview->document(path.filename().string(), bytes);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trevalune-virtual-printer: preview: %s\n", e.what());
    }
}

/// A preview page is drawn once no document has arrived for this long, so a run of many
/// small documents is drawn once rather than after each of them.
constexpr int kPreviewIdleMs = 300;

/// Reads what one connection has; true when its document is finished (committed at the end
/// of the connection, or dropped when the connection failed).
bool readFrom(Connection& c, std::vector<char>& buffer, PreviewPrinter* preview) {
    try {
        const ssize_t n = ::read(c.fd.get(), buffer.data(), buffer.size());
        if (n > 0) {
            c.document->write(buffer.data(), static_cast<std::size_t>(n));
            return false;
        }
        if (n == 0) {
            const std::size_t size = c.document->size();
            const auto path = c.document->commit();
            std::fprintf(stderr, "trevalune-virtual-printer: %s (%zu bytes)\n",
                         path.filename().c_str(), size);
            showInPreview(preview, path);
            return true;
        }
        if (errno == EINTR || errno == EAGAIN) return false;
        std::fprintf(stderr, "trevalune-virtual-printer: connection lost (%s), document dropped\n",
                     std::strerror(errno));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trevalune-virtual-printer: %s, document dropped\n", e.what());
    }
    return true;
}

/// Takes every connection waiting on the listener, each with a new document.
void acceptAll(int listener, DocumentStore& store, std::vector<Connection>& connections) {
    for (;;) {
        UniqueFd fd(::accept(listener, nullptr, nullptr));
        if (!fd) break;
        setNonBlocking(fd.get());
        try {
            connections.push_back({std::move(fd), store.begin()});
        } catch (const std::exception& e) {
            std::fprintf(stderr, "trevalune-virtual-printer: %s\n", e.what());
        }
    }
}

/// Serves until SIGTERM/SIGINT. Connections are read side by side; a document is numbered
/// when its connection ends. Returns the process exit code.
int serve(int listener, DocumentStore& store, PreviewPrinter* preview) {
    std::vector<Connection> connections;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({stopPipe[0], POLLIN, 0});
        fds.push_back({listener, POLLIN, 0});
        for (const auto& c : connections) fds.push_back({c.fd.get(), POLLIN, 0});
        const bool drawLater = preview && preview->pageInProgressChanged();
        const int ready = ::poll(fds.data(), fds.size(), drawLater ? kPreviewIdleMs : -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::perror("trevalune-virtual-printer: poll");
            return 1;
        }
        if (ready == 0) {
            try {
                preview->drawPageInProgress();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "trevalune-virtual-printer: preview: %s\n", e.what());
            }
            continue;
        }
        if (fds[0].revents != 0) {
            // Documents still arriving are incomplete: they are dropped, never published.
            return 0;
        }
        // Read before accepting, so the poll results still line up with `connections`.
        for (std::size_t i = connections.size(); i-- > 0;) {
            if (fds[i + 2].revents != 0 && readFrom(connections[i], buffer, preview))
                connections.erase(connections.begin() + static_cast<long>(i));
        }
        if (fds[1].revents & POLLIN) acceptAll(listener, store, connections);
    }
}

}  // namespace

static int run(int argc, char** argv) {
    Options options;
    try {
        if (const auto done = parse(argc, argv, options)) return *done;
    } catch (const UsageError& wrong) {
        std::fprintf(stderr, "%s: %s\n\n", kName, wrong.what());
        usage(stderr);
        return 2;
    }
    try {
        DocumentStore store(options.out);
        std::unique_ptr<PreviewPrinter> preview;
        if (!options.preview.empty()) {
            PreviewPrinter::Options previewOptions;
            previewOptions.folder = options.preview;
            previewOptions.render.bestValues = options.best;
            previewOptions.fontPath = options.font;
            previewOptions.continueNumbering = true;
            preview = std::make_unique<PreviewPrinter>(previewOptions);
        }

        if (::pipe(stopPipe) != 0) return 1;
        setNonBlocking(stopPipe[0]);
        setNonBlocking(stopPipe[1]);
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        ::signal(SIGPIPE, SIG_IGN);

        std::string shown;
        UniqueFd listener = listenOn(options, shown);
        if (!listener) return 1;
        std::printf("listening on %s\n", shown.c_str());
        std::fflush(stdout);
        const int rc = serve(listener.get(), store, preview.get());
        listener.reset();
        if (preview) {
            // The last page has no eject yet: it is drawn as far as it got.
            preview->finish();
        }
        return rc;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trevalune-virtual-printer: %s\n", e.what());
        return 1;
    }
}

int main(int argc, char** argv) {
    return trevalune::guardedMain("trevalune-virtual-printer", [&] { return run(argc, argv); });
}
