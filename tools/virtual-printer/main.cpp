// virtual-printer: an AppSocket (raw TCP, "port 9100") printer that records every document.
// One TCP connection is one document; see README.md.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

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
#include <string>
#include <vector>

#include "tools/virtual-printer/document_store.h"
#include "tools/virtual-printer/preview/preview_printer.h"

namespace {

using trevalune::preview::PreviewPrinter;
using trevalune::vprinter::DocumentStore;
using trevalune::vprinter::IncomingDocument;

struct Options {
    std::string bind = "127.0.0.1";  // never another address unless asked for
    int port = 9100;
    std::string out = "virtual-printer-out";
    std::string preview;  // empty: record only
    std::array<int, 3> best{16, 24, 40};
    std::string font;
};

void usage(std::FILE* to) {
    std::fputs(
        "usage: virtual-printer [--bind ADDR] [--port N] [--out DIR] [--preview DIR]\n"
        "                       [--best HS,HD,SHD] [--font FILE]\n"
        "  --bind ADDR  address to listen on (default 127.0.0.1)\n"
        "  --port N     TCP port, 0 picks a free one (default 9100)\n"
        "  --out DIR    folder for the recorded documents, created if missing\n"
        "               (default ./virtual-printer-out)\n"
        "  --preview DIR  also decode and draw what arrives: DIR/page-NNNNNN.png per page\n"
        "               (the page still printing is drawn when the printer falls idle) and\n"
        "               DIR/listing.txt\n"
        "  --best A,B,C the simulated best values of the three modes (default 16,24,40)\n"
        "  --font FILE  CJK font for the previews (default WenQuanYi Micro Hei)\n"
        "Prints 'listening on ADDR:PORT' once it accepts connections. Every connection is one\n"
        "document, saved as DIR/doc-NNNNNN.prn when the sender closes it.\n",
        to);
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--bind") {
            options.bind = value;
        } else if (arg == "--out") {
            options.out = value;
        } else if (arg == "--preview") {
            options.preview = value;
        } else if (arg == "--font") {
            options.font = value;
        } else if (arg == "--best") {
            if (!trevalune::preview::parseBestValues(value, options.best)) return false;
        } else if (arg == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port < 0 || port > 65535) return false;
            options.port = static_cast<int>(port);
        } else {
            return false;
        }
    }
    return true;
}

// SIGTERM and SIGINT only write to a pipe; the poll loop sees it and stops.
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

/// A listening socket on a numeric address; prints nothing, returns -1 with a message on failure.
int listenOn(const Options& options, std::string& shownAddress) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(options.port);
    if (const int rc = ::getaddrinfo(options.bind.c_str(), port.c_str(), &hints, &found); rc != 0) {
        std::fprintf(stderr, "virtual-printer: bad address %s: %s\n", options.bind.c_str(),
                     ::gai_strerror(rc));
        return -1;
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    const int fd = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (fd < 0) return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0 || ::listen(fd, 64) != 0) {
        std::fprintf(stderr, "virtual-printer: cannot listen on %s port %s: %s\n",
                     options.bind.c_str(), port.c_str(), std::strerror(errno));
        ::close(fd);
        return -1;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    char host[INET6_ADDRSTRLEN] = {};
    int boundPort = 0;
    if (bound.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&bound);
        ::inet_ntop(AF_INET6, &a->sin6_addr, host, sizeof host);
        boundPort = ntohs(a->sin6_port);
        shownAddress = "[" + std::string(host) + "]:" + std::to_string(boundPort);
    } else {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&bound);
        ::inet_ntop(AF_INET, &a->sin_addr, host, sizeof host);
        boundPort = ntohs(a->sin_port);
        shownAddress = std::string(host) + ":" + std::to_string(boundPort);
    }
    setNonBlocking(fd);
    return fd;
}

struct Connection {
    int fd = -1;
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
        std::fprintf(stderr, "virtual-printer: preview: %s\n", e.what());
    }
}

/// A preview page is drawn once no document has arrived for this long, so a run of many
/// small documents is drawn once rather than after each of them.
constexpr int kPreviewIdleMs = 300;

/// Serves until SIGTERM/SIGINT. Connections are read side by side; a document is numbered
/// when its connection ends. Returns the process exit code.
int serve(int listener, DocumentStore& store, PreviewPrinter* preview) {
    std::vector<Connection> connections;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({stopPipe[0], POLLIN, 0});
        fds.push_back({listener, POLLIN, 0});
        for (const auto& c : connections) fds.push_back({c.fd, POLLIN, 0});
        const bool drawLater = preview && preview->pageInProgressChanged();
        const int ready = ::poll(fds.data(), fds.size(), drawLater ? kPreviewIdleMs : -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::perror("virtual-printer: poll");
            return 1;
        }
        if (ready == 0) {
            try {
                preview->drawPageInProgress();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "virtual-printer: preview: %s\n", e.what());
            }
            continue;
        }
        if (fds[0].revents != 0) {
            // Documents still arriving are incomplete: they are dropped, never published.
            for (auto& c : connections) ::close(c.fd);
            return 0;
        }
        // Read before accepting, so the poll results still line up with `connections`.
        for (std::size_t i = connections.size(); i-- > 0;) {
            if (fds[i + 2].revents == 0) continue;
            Connection& c = connections[i];
            bool finished = false;
            try {
                const ssize_t n = ::read(c.fd, buffer.data(), buffer.size());
                if (n > 0) {
                    c.document->write(buffer.data(), static_cast<std::size_t>(n));
                } else if (n == 0) {
                    const std::size_t size = c.document->size();
                    const auto path = c.document->commit();
                    std::fprintf(stderr, "virtual-printer: %s (%zu bytes)\n",
                                 path.filename().c_str(), size);
                    finished = true;
                    showInPreview(preview, path);
                } else if (errno != EINTR && errno != EAGAIN) {
                    std::fprintf(stderr,
                                 "virtual-printer: connection lost (%s), document dropped\n",
                                 std::strerror(errno));
                    finished = true;
                }
            } catch (const std::exception& e) {
                std::fprintf(stderr, "virtual-printer: %s, document dropped\n", e.what());
                finished = true;
            }
            if (finished) {
                ::close(c.fd);
                connections.erase(connections.begin() + static_cast<long>(i));
            }
        }
        if (fds[1].revents & POLLIN) {
            for (;;) {
                const int fd = ::accept(listener, nullptr, nullptr);
                if (fd < 0) break;
                setNonBlocking(fd);
                try {
                    connections.push_back({fd, store.begin()});
                } catch (const std::exception& e) {
                    std::fprintf(stderr, "virtual-printer: %s\n", e.what());
                    ::close(fd);
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
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
        const int listener = listenOn(options, shown);
        if (listener < 0) return 1;
        std::printf("listening on %s\n", shown.c_str());
        std::fflush(stdout);
        const int rc = serve(listener, store, preview.get());
        ::close(listener);
        if (preview) {
            // The last page has no eject yet: it is drawn as far as it got.
            preview->finish();
        }
        return rc;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "virtual-printer: %s\n", e.what());
        return 1;
    }
}
