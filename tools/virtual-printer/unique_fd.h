#pragma once

#include <unistd.h>

#include <utility>

namespace trevalune::vprinter {

/// Owns one file descriptor (a file, a socket) and closes it once, when it goes.
class UniqueFd final {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }
    int release() noexcept { return std::exchange(fd_, -1); }
    void reset(int fd = -1) noexcept {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    /// Closes now and says how that went: a file's last write error may only show here.
    int close() noexcept {
        const int fd = release();
        return fd < 0 ? 0 : ::close(fd);
    }

private:
    int fd_ = -1;
};

}  // namespace trevalune::vprinter
