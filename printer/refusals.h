#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/language.h"

namespace trevalune {

/// Every way the builders refuse input before anything is sent. Its texts, in both languages,
/// are one table (refusals.cpp); a throw site gives the code and the words that fill it.
enum class RefusalCode {
    CaptionNotANumber,     ///< {1}: whose value, {2}: the caption
    CaptionOutsideByte,    ///< the same
    ValueOutsideByte,      ///< {1}: whose value, {2}: the number
    CentreOutOfRange,      ///< {1}: the centre value
    NoHexToSend,           ///< the command box holds only blanks
    OddHexDigits,          ///< {1}: how many digits
    CharacterNotHex,       ///< {1}: the character's name
    CharactersNotHex,      ///< {1}: their names
    HexTextEmpty,          ///< the hex text of the command line
    HexFieldBlank,         ///< {1}: the character's place, {2}: the field quoted
    HexFieldNotHex,        ///< the same
    FileMissing,           ///< {1}: the file
    NotARegularFile,       ///< the same
    FileUnreadable,        ///< the same
    FileReadFailed,        ///< the same
    FileEmpty,             ///< the same
    FileTooLarge,          ///< the same
    NoGbkConverter,        ///< the system cannot convert to or from code page 936
    TextNotConvertibleAt,  ///< {1}: the byte, {2}: which way ("to GBK", "from GBK")
    TextNotConvertible,    ///< {1}: which way
    StdinEmpty,            ///< the command line's standard input held nothing
    StdinTooLarge,         ///< it held more than one document can
    TextEmpty,             ///< the command line's text is empty
};

/// The text of a refusal in one language, {1}, {2}, ... filled from `args`.
std::string refusalText(RefusalCode code, Language language, const std::vector<std::string>& args);

/// The language the window shows a refusal in: Chinese, but English for the messages that
/// are English by design (the hex text and GBK conversion).
Language windowLanguage(RefusalCode code);

}  // namespace trevalune
