#pragma once

#include <utility>

#include "cli/send_command.h"
#include "rowreader/annotate.h"
#include "rowreader/image.h"
#include "rowreader/reader.h"
#include "rowreader/sideways.h"

namespace trevalune::send {

/// The program's row reader: the picture decoded as the platform decodes it, then read.
class LibraryRowReader final : public RowReader {
public:
    std::vector<rowreader::ModeReading> read(std::span<const std::uint8_t> bytes,
                                             const rowreader::ReadOptions& options) override {
        return readPage(bytes, options, 0, nullptr);
    }
    int pageCount(std::span<const std::uint8_t> bytes) override {
        return rowreader::imagePageCount(bytes);
    }
    std::vector<rowreader::ModeReading> readPage(std::span<const std::uint8_t> bytes,
                                                 const rowreader::ReadOptions& options, int page,
                                                 rowreader::RgbImage* annotation) override {
        const rowreader::GreyImage picture =
            rowreader::decodeImage(bytes, page, rowreader::Resolution::ForReading);
        // A page scanned sideways is read turned; its rows' outlines are then in the turned
        // picture, which is the one drawn.
        rowreader::TurnedReading read = rowreader::readRowsAnyWayUp(picture, options);
        if (annotation != nullptr)
            *annotation =
                rowreader::buildAnnotation(read.turned ? *read.turned : picture, read.readings);
        return std::move(read.readings);
    }
};

}  // namespace trevalune::send
