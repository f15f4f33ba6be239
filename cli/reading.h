#pragma once

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <stdexcept>
#include <string>

#include "cli/texts.h"
#include "rowreader/image.h"
#include "rowreader/reader.h"
#include "rowreader/verdict_text.h"

namespace trevalune::send {

struct CommandLine;
struct System;

/// A picture that cannot be read: exit status 2 with its message, without the hint to --help.
class PictureError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The reading's words are the window's too: one place for both.
using rowreader::buildRowList;
using rowreader::doubtText;
using rowreader::modeName;
using rowreader::pictureFault;
using rowreader::rowName;

using rowreader::buildReadingText;

/// The same for --json and for align's account.
nlohmann::json buildReadingJson(const rowreader::ModeReading& reading, Language language);

/// Writes the annotated page as PNG to `path`; PictureError when it cannot be written.
void writeAnnotation(const std::string& path, const rowreader::RgbImage& drawn, Language language);

/// read-rows IMAGE [--mode MODE]; returns the exit status (0 every mode read has a straight
/// row, 1 one cannot be told, 2 the file cannot be read or is not a picture).
int runReadRows(const CommandLine& c, System& system, Language language);

}  // namespace trevalune::send
