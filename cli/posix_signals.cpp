#include "cli/posix_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>

#include "cli/interruption.h"

namespace trevalune::send {

void takeSignals(Interruption& interruption) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // Detached: it lives as long as the process, and sigwait cannot be woken to end it.
    std::thread([set, &interruption] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0) continue;
            if (interruption.requested()) {
                interruption.sayLastWords(128 + signal);  // the account as far as it is known
                std::_Exit(128 + signal);
            }
            interruption.request(128 + signal);
        }
    }).detach();
}

std::optional<std::string> PosixTerminal::ask(const std::string& prompt) {
    std::cerr << prompt << std::flush;
    std::string line;
    for (;;) {
        // Polled, not read blocking: the signal thread cannot interrupt a read it does not own.
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&in, 1, 100);
        if (interruption_.requested()) {
            std::cerr << '\n';  // the answer's line stays unfinished otherwise
            return std::nullopt;
        }
        if (ready <= 0) continue;
        char c = 0;
        if (read(STDIN_FILENO, &c, 1) != 1)
            return line.empty() ? std::nullopt : std::optional(line);
        if (c == '\n') return line;
        line += c;
    }
}

PosixInput::PosixInput(const std::string& path, const Interruption& interruption,
                       std::string interrupted)
    : fd_(STDIN_FILENO),
      owned_(path != "-"),
      interruption_(interruption),
      interrupted_(std::move(interrupted)) {
    if (!owned_) return;
    // Not blocking while opening: a FIFO's open waits for a writer, and that wait could not be
    // interrupted; the reads wait in poll instead.
    fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw InputError{std::strerror(errno)};
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

PosixInput::~PosixInput() {
    if (owned_) close(fd_);
}

std::size_t PosixInput::read(char* buffer, std::size_t size) {
    for (;;) {
        if (interruption_.requested()) throw InputError{interrupted_};
        pollfd in{fd_, POLLIN, 0};
        const int ready = poll(&in, 1, 100);
        if (ready < 0 && errno != EINTR) throw InputError{std::strerror(errno)};
        if (ready <= 0) continue;
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR && errno != EAGAIN) throw InputError{std::strerror(errno)};
    }
}

}  // namespace trevalune::send
