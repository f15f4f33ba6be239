#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "preview/decoder.h"
#include "preview/listing.h"
#include "preview/png_page.h"
#include "preview/renderer.h"

namespace trevalune::preview {

/// Reads "16,24,40" (three numbers 0..255) into the best values; false when it is not that.
bool parseBestValues(std::string_view text, std::array<int, 3>& best);

/// A printer that draws: decodes a stream as it arrives, writes its listing to
/// FOLDER/listing.txt and every page to FOLDER/PREFIX-NNNNNN.png. Used by the virtual
/// printer (documents one by one, as they arrive) and by the print-preview command.
class PreviewPrinter final {
public:
    struct Options {
        std::filesystem::path folder;
        RenderOptions render;
        std::string fontPath;  ///< empty: the usual CJK fonts
        std::string prefix = "page";
        /// Number pages after the highest one already in the folder (the live printer keeps
        /// earlier sessions' pages); otherwise start at 1, replacing what is there.
        bool continueNumbering = false;
    };

    /// Creates the folder; throws std::runtime_error when it or the listing cannot be opened.
    explicit PreviewPrinter(Options options);
    ~PreviewPrinter();
    PreviewPrinter(const PreviewPrinter&) = delete;
    PreviewPrinter& operator=(const PreviewPrinter&) = delete;

    /// One document of the stream: a note in the listing, then its bytes.
    void document(std::string_view name, std::string_view bytes);
    void feed(std::string_view bytes);
    /// Draws the page that is still printing, so that a viewer sees it before its eject.
    /// Does nothing when nothing changed since the last drawing.
    void drawPageInProgress();
    bool pageInProgressChanged() const { return changed_; }
    /// End of the stream: what is pending is decoded and the last page is drawn.
    void finish();

    /// Files of the finished pages, in order.
    const std::vector<std::filesystem::path>& pages() const { return pages_; }
    int errors() const { return listing_->errors(); }
    bool hasFont() const { return glyphs_.hasFont(); }
    std::filesystem::path listingPath() const { return options_.folder / "listing.txt"; }

private:
    std::filesystem::path pagePath(int pageNumber) const;
    void write(const Page& page, const std::filesystem::path& path);

    Options options_;
    int firstNumber_ = 1;
    std::ofstream listingFile_;
    std::unique_ptr<Listing> listing_;
    GlyphPainter glyphs_;
    Renderer renderer_;
    Decoder decoder_;
    std::vector<std::filesystem::path> pages_;
    bool changed_ = false;
    bool finished_ = false;
};

}  // namespace trevalune::preview
