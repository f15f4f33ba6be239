#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "tools/virtual-printer/unique_fd.h"

namespace trevalune::vprinter {

/// One document while it arrives. Its bytes go to a hidden temporary file; commit() gives it
/// its numbered name in one atomic step, so a reader of the folder never sees half a document.
/// Destroying it without commit() throws the bytes away.
class IncomingDocument final {
public:
    IncomingDocument(const IncomingDocument&) = delete;
    IncomingDocument& operator=(const IncomingDocument&) = delete;
    ~IncomingDocument();

    /// Appends bytes; throws std::system_error when the disk refuses them.
    void write(const char* data, std::size_t size);
    std::size_t size() const { return size_; }

    /// Publishes the document under the next free number; returns its path.
    std::filesystem::path commit();

private:
    friend class DocumentStore;
    IncomingDocument(class DocumentStore& store, std::filesystem::path temporary, UniqueFd fd);
    void discard() noexcept;

    DocumentStore& store_;
    std::filesystem::path temporary_;
    UniqueFd fd_;
    std::size_t size_ = 0;
};

/// The output folder: doc-000001.prn, doc-000002.prn, ... in the order documents ended
/// (preview/document_names.h).
/// Numbering continues after the highest number already in the folder.
class DocumentStore final {
public:
    /// Creates the folder if it is missing.
    explicit DocumentStore(std::filesystem::path folder);

    std::unique_ptr<IncomingDocument> begin();
    const std::filesystem::path& folder() const { return folder_; }

private:
    friend class IncomingDocument;
    std::filesystem::path publish(const std::filesystem::path& temporary);

    std::filesystem::path folder_;
    long next_ = 1;
    long temporaries_ = 0;
};

}  // namespace trevalune::vprinter
