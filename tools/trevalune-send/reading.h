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

/// Why a mode's straight row is not given, in the operator's words.
std::string doubtText(rowreader::Doubt doubt, Language language);

/// "14 +2.0, 15 +1.5, ...": each row's value and offset in columns, as the account lists them.
std::string buildRowList(const rowreader::ModeReading& reading);

/// read-rows' lines for one mode: the verdict, then every row (">" on the straight one, "*"
/// after the value of the row marked on the page).
std::string buildReadingText(const rowreader::ModeReading& reading, Language language);

/// The same for --json and for align's account.
nlohmann::json buildReadingJson(const rowreader::ModeReading& reading, Language language);

/// The row align prints around next, as the technician would choose it from the reading:
/// the straight row; with no row straight the row nearest to straight (an end row, so the
/// next page moves towards the best value). Nothing where the reader cannot tell, or where
/// its rows contradict themselves (the row nearest to straight is the centre, yet none is
/// straight): then the technician is asked.
std::optional<int> buildAnswer(const rowreader::ModeReading& reading, double centre);

/// Writes the annotated page as PNG to `path`; PictureError when it cannot be written.
void writeAnnotation(const std::string& path, const rowreader::RgbImage& drawn, Language language);

/// read-rows IMAGE [--mode MODE]; returns the exit status (0 every mode read has a straight
/// row, 1 one cannot be told, 2 the file cannot be read or is not a picture).
int runReadRows(const CommandLine& c, System& system, Language language);

}  // namespace trevalune::send
