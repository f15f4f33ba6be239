#include "tools/virtual-printer/document_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include "preview/document_names.h"

namespace trevalune::vprinter {

namespace fs = std::filesystem;

namespace {
[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}
}  // namespace

DocumentStore::DocumentStore(fs::path folder) : folder_(std::move(folder)) {
    fs::create_directories(folder_);
    for (const auto& entry : fs::directory_iterator(folder_)) {
        const long number = preview::documentNumber(entry.path().filename().string());
        if (number >= next_) next_ = number + 1;
    }
}

std::unique_ptr<IncomingDocument> DocumentStore::begin() {
    // Hidden and without the document suffix, so nothing that lists documents picks it up.
    const fs::path temporary = folder_ / (".incoming-" + std::to_string(::getpid()) + "-" +
                                          std::to_string(++temporaries_));
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!fd) fail("cannot create " + temporary.string());
    return std::unique_ptr<IncomingDocument>(new IncomingDocument(*this, temporary, std::move(fd)));
}

fs::path DocumentStore::publish(const fs::path& temporary) {
    // link() never replaces an existing name: a number taken meanwhile (another program
    // writing into the folder) is skipped instead of overwritten.
    for (;;) {
        const fs::path target = folder_ / preview::documentFileName(next_);
        if (::link(temporary.c_str(), target.c_str()) == 0) {
            ::unlink(temporary.c_str());
            ++next_;
            return target;
        }
        if (errno == EEXIST) {
            ++next_;
            continue;
        }
        // File systems without hard links: rename, after making sure the name is free.
        if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) {
            if (::access(target.c_str(), F_OK) == 0) {
                ++next_;
                continue;
            }
            if (::rename(temporary.c_str(), target.c_str()) == 0) {
                ++next_;
                return target;
            }
        }
        fail("cannot publish " + target.string());
    }
}

IncomingDocument::IncomingDocument(DocumentStore& store, fs::path temporary, UniqueFd fd)
    : store_(store), temporary_(std::move(temporary)), fd_(std::move(fd)) {}

IncomingDocument::~IncomingDocument() {
    discard();
}

void IncomingDocument::write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_.get(), data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot write " + temporary_.string());
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        size_ += static_cast<std::size_t>(n);
    }
}

fs::path IncomingDocument::commit() {
    if (fd_.close() != 0) fail("cannot write " + temporary_.string());
    fs::path published = store_.publish(temporary_);
    temporary_.clear();
    return published;
}

void IncomingDocument::discard() noexcept {
    fd_.reset();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace trevalune::vprinter
