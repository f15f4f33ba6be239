#pragma once

#include "rowreader/image.h"
#include "rowreader/reader.h"
#include "tools/trevalune-send/send_command.h"

namespace trevalune::send {

/// The program's row reader: the picture decoded as the platform decodes it, then read.
class LibraryRowReader final : public RowReader {
public:
    std::vector<rowreader::ModeReading> read(std::span<const std::uint8_t> bytes,
                                             const rowreader::ReadOptions& options) override {
        return rowreader::readRows(rowreader::decodeImage(bytes), options);
    }
};

}  // namespace trevalune::send
