#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "common/language.h"
#include "common/numbered_text.h"
#include "rowreader/image.h"
#include "rowreader/reader.h"

namespace trevalune::rowreader {

// A reading in the operator's words, in both languages: the command line and the window say a
// verdict, a row and a doubt alike.

/// "cannot read FILE: WHY", for a path that is not a readable file.
inline constexpr TwoLanguages kCannotRead{"cannot read {1}: {2}", "无法读取 {1}：{2}"};

/// A block with a straight row is read; every other reading cannot be told.
bool told(const ModeReading& reading);

/// A mode's name: its option button's caption in Chinese, its command-line word in English.
std::string modeName(PrintMode mode, Language language);

/// A row as the operator finds it on the page: "row 16", or where the values are counted from
/// the middle row, "the row one above the middle".
std::string rowName(const ModeReading& reading, int value, Language language);

/// Why a block's straight row is not given, and what to do; it names the row the doubt
/// concerns. Empty when there is no doubt.
std::string doubtText(const ModeReading& reading, Language language);

/// The doubt's and a row fault's word for scripts; empty for none.
std::string_view doubtWord(Doubt doubt);
std::string_view faultWord(RowFault fault);

/// "14 +2.0, 15 +1.5, 16 not measured, ...": each row's value and offset in columns.
std::string buildRowList(const ModeReading& reading, Language language);

/// The verdict of a block called `name`: its straight row and how sure, or that it cannot
/// tell, why and what to do.
std::string buildVerdictLine(const ModeReading& reading, Language language, std::string_view name);

/// The verdict (the block called by its mode), then every row (">" on the straight one, "*"
/// after the value of the row marked on the page), each line ending in '\n'.
std::string buildReadingText(const ModeReading& reading, Language language);

/// "no sample rows found on the picture".
std::string nothingFoundText(Language language);

/// Why `file` cannot be decoded as a picture: in `language` where the kind of fault is known,
/// otherwise in the decoder's (the libraries') own words.
std::string pictureFault(const ImageError& error, const std::string& file, Language language);

/// `value` rounded to `decimals` places; never -0, which would read as a direction.
double roundedTo(double value, int decimals);

}  // namespace trevalune::rowreader
