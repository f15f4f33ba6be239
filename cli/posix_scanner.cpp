#include "cli/command_scanner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/interruption.h"

extern char** environ;

namespace trevalune::send {

namespace {

/// Both ends of a pipe, closed however the scan ends.
struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() {
        if (::pipe2(fd, O_CLOEXEC) != 0) fd[0] = fd[1] = -1;
    }
    ~Pipe() {
        closeEnd(0);
        closeEnd(1);
    }
    void closeEnd(int i) {
        if (fd[i] >= 0) ::close(fd[i]);
        fd[i] = -1;
    }
    bool ok() const { return fd[0] >= 0; }
};

/// How long a command asked to stop may take before its whole group is killed.
constexpr int kStopGraceMs = 300;

/// The spawn's attributes: the child gets an empty signal mask, since our threads block the
/// signals that the signal thread takes, and a blocked mask survives exec; every signal at its
/// default (an ignored SIGPIPE would survive exec too, and a pipeline would never end); a
/// process group of its own, so that stopping it reaches every process the shell started; and
/// no terminal input (align asks its questions there).
struct SpawnAttributes {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    SpawnAttributes(int out, int err) {
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    }
    ~SpawnAttributes() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

}  // namespace

ScanResult CommandScanner::scan(const std::string& command) {
    ScanResult result;
    Pipe out, err;
    if (!out.ok() || !err.ok()) {
        result.failure = std::strerror(errno);
        return result;
    }
    pid_t pid = 0;
    {
        const SpawnAttributes spawn(out.fd[1], err.fd[1]);
        const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
        const int failed = ::posix_spawn(&pid, "/bin/sh", &spawn.actions, &spawn.attributes,
                                         const_cast<char**>(argv), environ);
        if (failed != 0) {
            result.failure = std::strerror(failed);
            return result;
        }
    }
    out.closeEnd(1);
    err.closeEnd(1);
    std::string* into[2] = {&result.output, &result.errors};
    Pipe* pipes[2] = {&out, &err};
    char buffer[64 * 1024];
    bool stopped = false;
    int stoppingMs = 0;  // since the group was asked to stop
    while (out.fd[0] >= 0 || err.fd[0] >= 0) {
        pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
        // Polled with a limit so that a request to stop is seen while the command runs.
        const int ready = ::poll(fds, 2, 100);
        if (!stopped && interruption_ != nullptr && interruption_->requested()) {
            result.interrupted = stopped = true;
            ::kill(-pid, SIGTERM);
        }
        if (stopped && (stoppingMs += 100) > kStopGraceMs) {
            // One that ignores SIGTERM, or a child holding the pipes: the whole group goes.
            ::kill(-pid, SIGKILL);
            break;
        }
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < 2 && ready > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                if (!result.tooLarge) into[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                pipes[i]->closeEnd(0);
            }
        }
        if (!stopped && result.output.size() > maxBytes_) {
            result.tooLarge = stopped = true;
            result.output.clear();
            ::kill(-pid, SIGTERM);
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace trevalune::send
