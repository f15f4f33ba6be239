#include "printer/cups/terminal_login.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace trevalune {

std::optional<std::string> TerminalLogin::password(const std::string& user,
                                                   const std::string& server) {
    // Held while the operator types: the other queues wait for this answer, not for prompts
    // of their own.
    const std::lock_guard lock(mutex_);
    if (!asked_) {
        asked_ = true;
        answer_ = ask_("Password for " + user + " on " + server + "? ");
    }
    return answer_;
}

std::optional<std::string> TerminalLogin::askOnTerminal(const std::string& prompt,
                                                        const std::function<bool()>& stopped) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    const int in = tty >= 0 ? tty : STDIN_FILENO;
    const int out = tty >= 0 ? tty : STDERR_FILENO;
    const auto say = [out](const std::string& text) {
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(out, text.data() + done, text.size() - done);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    };
    // Echo goes off before the prompt shows: an answer typed at once must not be echoed.
    termios saved{};
    const bool quiet = ::tcgetattr(in, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(in, TCSAFLUSH, &silent);
    }
    say(prompt);
    std::string line;
    bool ended = true;
    for (char c = 0; !stopped();) {
        pollfd ready{in, POLLIN, 0};
        if (const int seen = ::poll(&ready, 1, 100); seen <= 0) {
            if (seen == 0 || errno == EINTR) continue;
            break;
        }
        if (::read(in, &c, 1) != 1) break;
        if (c == '\n') {
            ended = false;
            break;
        }
        line += c;
    }
    if (quiet) ::tcsetattr(in, TCSAFLUSH, &saved);
    say("\n");  // the operator's Enter was not echoed
    if (tty >= 0) ::close(tty);
    if (ended && (line.empty() || stopped())) return std::nullopt;
    return line;
}

}  // namespace trevalune
