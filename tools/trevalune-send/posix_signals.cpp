#include "tools/trevalune-send/posix_signals.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <thread>

#include "tools/trevalune-send/interruption.h"

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
            if (interruption.requested()) std::_Exit(128 + signal);
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

}  // namespace trevalune::send
