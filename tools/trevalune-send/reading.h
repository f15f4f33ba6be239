#pragma once

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <stdexcept>
#include <string>

#include "rowreader/image.h"
#include "rowreader/reader.h"
#include "tools/trevalune-send/texts.h"

namespace trevalune::send {

struct CommandLine;
struct System;

/// A picture that cannot be read: exit status 2 with its message, without the hint to --help.
class PictureError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A mode's name in the run's language.
/// Why `file` (a path, or ScanOutput) cannot be read as a picture: in the run's language where
/// the kind of fault is known, otherwise in the decoder's (the libraries') own words.
std::string pictureFault(const rowreader::ImageError& error, const std::string& file,
                         Language language);

std::string modeName(PrintMode mode, Language language);

/// A row as the operator finds it on the page: "row 16", or where the values are counted from
/// the middle row, "the row one above the middle".
std::string rowName(const rowreader::ModeReading& reading, int value, Language language);

/// Why a mode's straight row is not given, and what to do, in the operator's words; it names
/// the row the doubt concerns.
std::string doubtText(const rowreader::ModeReading& reading, Language language);

/// "14 +2.0, 15 +1.5, 16 not measured, ...": each row's value and offset in columns, as the
/// account lists them.
std::string buildRowList(const rowreader::ModeReading& reading, Language language);

/// read-rows' lines for one mode: the verdict, then every row (">" on the straight one, "*"
/// after the value of the row marked on the page).
std::string buildReadingText(const rowreader::ModeReading& reading, Language language);

/// The same for --json and for align's account.
nlohmann::json buildReadingJson(const rowreader::ModeReading& reading, Language language);

/// Writes the annotated page as PNG to `path`; PictureError when it cannot be written.
void writeAnnotation(const std::string& path, const rowreader::RgbImage& drawn, Language language);

/// read-rows IMAGE [--mode MODE]; returns the exit status (0 every mode read has a straight
/// row, 1 one cannot be told, 2 the file cannot be read or is not a picture).
int runReadRows(const CommandLine& c, System& system, Language language);

}  // namespace trevalune::send
