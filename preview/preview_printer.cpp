#include "preview/preview_printer.h"

#include <cstdio>
#include <stdexcept>
#include <system_error>

namespace trevalune::preview {

namespace fs = std::filesystem;

namespace {

/// The number in "PREFIX-000042.png", or 0.
int pageNumberOf(const std::string& name, const std::string& prefix) {
    const std::string head = prefix + "-";
    if (name.size() != head.size() + 10 || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - 4, 4, ".png") != 0) {
        return 0;
    }
    int n = 0;
    for (std::size_t i = head.size(); i < head.size() + 6; ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

}  // namespace

bool parseBestValues(std::string_view text, std::array<int, 3>& best) {
    std::array<int, 3> values{};
    for (int i = 0; i < 3; ++i) {
        const std::size_t end = i < 2 ? text.find(',') : text.size();
        if (end == std::string_view::npos || end == 0 || end > 3) return false;
        int v = 0;
        for (const char c : text.substr(0, end)) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        if (v > 255) return false;
        values[i] = v;
        text.remove_prefix(i < 2 ? end + 1 : end);
    }
    best = values;
    return true;
}

PreviewPrinter::PreviewPrinter(Options options)
    : options_(std::move(options)),
      glyphs_(options_.fontPath),
      renderer_(options_.render,
                [this](const Page& page) {
                    const fs::path path = pagePath(page.number());
                    write(page, path);
                    pages_.push_back(path);
                    changed_ = false;
                }),
      decoder_([this](const Event& e) {
          listing_->add(e);
          renderer_.apply(e);
          changed_ = true;
      }) {
    std::error_code error;
    fs::create_directories(options_.folder, error);
    if (!fs::is_directory(options_.folder)) {
        throw std::runtime_error("cannot create " + options_.folder.string());
    }
    if (options_.continueNumbering) {
        for (const auto& entry : fs::directory_iterator(options_.folder)) {
            firstNumber_ = std::max(
                firstNumber_, pageNumberOf(entry.path().filename().string(), options_.prefix) + 1);
        }
    }
    listingFile_.open(listingPath(), options_.continueNumbering ? std::ios::app : std::ios::trunc);
    if (!listingFile_) throw std::runtime_error("cannot write " + listingPath().string());
    listing_ = std::make_unique<Listing>(listingFile_);
}

PreviewPrinter::~PreviewPrinter() {
    try {
        finish();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "print preview: %s\n", e.what());
    }
}

fs::path PreviewPrinter::pagePath(int pageNumber) const {
    char name[32];
    std::snprintf(name, sizeof name, "-%06d.png", firstNumber_ + pageNumber - 1);
    return options_.folder / (options_.prefix + name);
}

void PreviewPrinter::write(const Page& page, const fs::path& path) {
    // Written beside and renamed, so that a viewer never opens half a picture.
    const fs::path temporary = path.parent_path() / ("." + path.filename().string() + ".tmp");
    writePagePng(page, temporary, glyphs_);
    fs::rename(temporary, path);
}

void PreviewPrinter::document(std::string_view name, std::string_view bytes) {
    listing_->heading(decoder_.offset(), std::string(name) + ", " + std::to_string(bytes.size()) +
                                             " bytes, from " + std::to_string(decoder_.offset()));
    feed(bytes);
    // A text line ends with its document, so the listing on disk is complete up to here
    // (but for a command still waiting for bytes of the next document).
    listing_->flush();
    listingFile_.flush();
}

void PreviewPrinter::feed(std::string_view bytes) {
    decoder_.feed(bytes);
}

void PreviewPrinter::drawPageInProgress() {
    if (!changed_) return;
    changed_ = false;
    if (renderer_.pageStarted()) write(renderer_.page(), pagePath(renderer_.page().number()));
}

void PreviewPrinter::finish() {
    if (finished_) return;
    finished_ = true;
    decoder_.finish();
    renderer_.finish();
    listing_->finish();
    listingFile_.flush();
}

}  // namespace trevalune::preview
