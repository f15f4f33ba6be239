#include "tools/trevalune-send/reading.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "rowreader/image.h"
#include "tools/trevalune-send/account.h"
#include "tools/trevalune-send/command_line.h"
#include "tools/trevalune-send/operation_table.h"
#include "tools/trevalune-send/send_command.h"

namespace trevalune::send {

namespace {

using rowreader::Doubt;

/// Each doubt's word for scripts and its text for the operator.
struct DoubtTraits {
    Doubt doubt;
    std::string_view word;
    Text text;
};
constexpr DoubtTraits kDoubts[] = {
    {Doubt::NoneStraight, "none-straight", Text::DoubtNoneStraight},
    {Doubt::TooClose, "too-close", Text::DoubtTooClose},
    {Doubt::NoRows, "no-rows", Text::DoubtNoRows},
    {Doubt::TooCoarse, "too-coarse", Text::DoubtTooCoarse},
    {Doubt::OtherPage, "other-page", Text::DoubtOtherPage},
    {Doubt::RowsMissing, "rows-missing", Text::DoubtRowsMissing},
    {Doubt::OutOfStep, "out-of-step", Text::DoubtOutOfStep},
    {Doubt::CutOff, "cut-off", Text::DoubtCutOff},
    {Doubt::Hidden, "hidden", Text::DoubtHidden},
    {Doubt::DarkBorder, "dark-border", Text::DoubtDarkBorder},
    {Doubt::TwoPages, "two-pages", Text::DoubtTwoPages},
    {Doubt::OtherMode, "other-mode", Text::DoubtOtherMode},
};

/// Each row fault's word for scripts and the row's own text.
struct FaultTraits {
    rowreader::RowFault fault;
    std::string_view word;
    Text text;
};
constexpr FaultTraits kFaults[] = {
    {rowreader::RowFault::CutOff, "cut-off", Text::RowCutOff},
    {rowreader::RowFault::DarkBorder, "dark-border", Text::RowDarkBorder},
    {rowreader::RowFault::Hidden, "hidden", Text::RowHidden},
    {rowreader::RowFault::OutOfStep, "out-of-step", Text::ReadRowOutOfStep},
};

const FaultTraits* traitsOf(rowreader::RowFault fault) {
    for (const FaultTraits& t : kFaults) {
        if (t.fault == fault) return &t;
    }
    return nullptr;
}

const DoubtTraits* traitsOf(Doubt doubt) {
    for (const DoubtTraits& t : kDoubts) {
        if (t.doubt == doubt) return &t;
    }
    return nullptr;
}

/// A number with `decimals` places; never "-0.0", which would read as a direction.
double rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double r = std::round(value * scale) / scale;
    return r == 0 ? 0.0 : r;
}

/// With `sign`, "+" on a positive number, so that the direction shows; zero has none.
std::string fixed(double value, int decimals, bool sign) {
    char text[32];
    const double r = rounded(value, decimals);
    std::snprintf(text, sizeof text, sign && r != 0 ? "%+.*f" : "%.*f", decimals, r);
    return text;
}

/// A mode with a straight row is read; every other reading cannot be told.
bool told(const rowreader::ModeReading& r) {
    return r.doubt == Doubt::None && r.straight.has_value();
}

/// The picture's bytes: a file (by any name, on every system), or standard input for "-".
std::vector<std::uint8_t> readPicture(const std::string& path, System& system, Language l) {
    try {
        if (path != "-") return rowreader::readImageFile(path);
        std::vector<std::uint8_t> bytes;
        char chunk[1 << 16];
        while (system.in.read(chunk, sizeof chunk) || system.in.gcount() > 0) {
            bytes.insert(bytes.end(), chunk, chunk + system.in.gcount());
            if (static_cast<long long>(bytes.size()) > rowreader::kMaxImageFileBytes) {
                throw rowreader::ImageFileError("it holds more than any picture this tool reads");
            }
        }
        return bytes;
    } catch (const rowreader::ImageFileError& e) {
        throw PictureError(say(l, Text::CannotRead, {path, e.what()}));
    } catch (const std::exception& e) {  // a stream's failure, memory
        throw PictureError(say(l, Text::CannotRead, {path, e.what()}));
    }
}

/// Where page `page` (from 0) of `pages` is drawn: OUT.png itself for the first, OUT-2.png
/// beside it for the second, and so on.
std::string annotationPath(const std::string& path, int page) {
    if (page == 0) return path;
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string suffix = "-" + std::to_string(page + 1);
    return extension ? path.substr(0, dot) + suffix + path.substr(dot) : path + suffix;
}

}  // namespace

void writeAnnotation(const std::string& path, const rowreader::RgbImage& drawn, Language l) {
    try {
        rowreader::writeImageFile(path, rowreader::encodePng(drawn));
    } catch (const std::exception& e) {
        throw PictureError(say(l, Text::CannotWrite, {path, e.what()}));
    }
}

std::string pictureFault(const rowreader::ImageError& error, const std::string& file, Language l) {
    switch (error.fault()) {
        case rowreader::ImageFault::NotAPicture:
            return say(l, Text::NotPngJpegTiff, {file});
        case rowreader::ImageFault::EmptyFile:
            return say(l, Text::PictureFileEmpty, {file});
        case rowreader::ImageFault::Other:
            break;
    }
    return say(l, Text::NotAPicture, {file, error.what()});
}

std::string modeName(PrintMode mode, Language l) {
    return std::string(l == Language::Chinese ? modeCaption(mode) : modeWord(mode));
}

std::string rowName(const rowreader::ModeReading& r, int value, Language l) {
    if (!r.valuesRelative) return say(l, Text::RowValue, {std::to_string(value)});
    if (value == 0) return say(l, Text::RowMiddle);
    // Counted from the middle: "row -1" would read as a value printed on the page.
    static constexpr const char* kCounts[] = {"one", "two", "three"};
    const int away = std::abs(value);
    const std::string count =
        l == Language::English && away <= 3 ? kCounts[away - 1] : std::to_string(away);
    return say(l, value < 0 ? Text::RowAboveMiddle : Text::RowBelowMiddle, {count});
}

std::string doubtText(const rowreader::ModeReading& r, Language l) {
    const DoubtTraits* t = traitsOf(r.doubt);
    if (t == nullptr) return {};
    // The row the doubt concerns: the row its fault names, or the end row nearest straight.
    const rowreader::RowReading* concerned = nullptr;
    for (const rowreader::RowReading& row : r.rows) {
        if (concerned == nullptr && rowreader::doubtOf(row.fault) == r.doubt) concerned = &row;
    }
    if (r.doubt == Doubt::NoneStraight && !r.rows.empty()) {
        concerned = std::abs(r.rows.front().offsetColumns) < std::abs(r.rows.back().offsetColumns)
                        ? &r.rows.front()
                        : &r.rows.back();
    }
    return say(l, t->text, {concerned ? rowName(r, concerned->value, l) : std::string()});
}

std::string buildRowList(const rowreader::ModeReading& reading, Language l) {
    std::string list;
    for (const rowreader::RowReading& row : reading.rows) {
        list += (list.empty() ? "" : ", ") + std::to_string(row.value) + " " +
                (row.measured() ? fixed(row.offsetColumns, 1, true) : say(l, Text::NotMeasured));
    }
    return list.empty() ? "-" : list;
}

std::string buildReadingText(const rowreader::ModeReading& r, Language l) {
    const std::string mode = modeName(r.mode, l);
    std::string text = told(r)
                           ? say(l, Text::ReadStraight,
                                 {mode, rowName(r, *r.straight, l), fixed(r.confidence, 2, false)})
                           : say(l, Text::ReadCannotTell, {mode, doubtText(r, l)});
    text += '\n';
    for (const rowreader::RowReading& row : r.rows) {
        std::string value = std::to_string(row.value) + (row.marked ? "*" : " ");
        value.insert(0, value.size() < 4 ? 4 - value.size() : 0, ' ');
        const bool straight = told(r) && row.value == *r.straight;
        const FaultTraits* fault = traitsOf(row.fault);
        const std::string mark = straight ? ">" : " ";
        text += (row.measured()
                     ? say(l, fault ? fault->text : Text::ReadRow,
                           {mark, value, fixed(row.offsetColumns, 1, true),
                            fixed(row.noiseColumns, 2, false)})
                     : say(l, Text::ReadRowNotMeasured, {mark, value, say(l, fault->text)})) +
                '\n';
    }
    return text;
}

nlohmann::json buildReadingJson(const rowreader::ModeReading& r, Language l) {
    nlohmann::json rows = nlohmann::json::array();
    for (const rowreader::RowReading& row : r.rows) {
        const FaultTraits* fault = traitsOf(row.fault);
        const auto measured = [&](double v, int decimals) {
            return row.measured() ? nlohmann::json(rounded(v, decimals)) : nlohmann::json();
        };
        rows.push_back({{"value", row.value},
                        {"marked", row.marked},
                        {"value_from_label", row.valueFromLabel},
                        {"offset_columns", measured(row.offsetColumns, 1)},
                        {"noise_columns", measured(row.noiseColumns, 2)},
                        {"fault", fault ? nlohmann::json(fault->word) : nlohmann::json()}});
    }
    const DoubtTraits* doubt = told(r) ? nullptr : traitsOf(r.doubt);
    return {{"mode", modeWord(r.mode)},
            {"straight", told(r) ? nlohmann::json(*r.straight) : nlohmann::json()},
            {"doubt", doubt ? nlohmann::json(doubt->word) : nlohmann::json()},
            {"reason", doubt ? nlohmann::json(doubtText(r, l)) : nlohmann::json()},
            {"confidence", rounded(r.confidence, 2)},
            {"rows", std::move(rows)}};
}

int runReadRows(const CommandLine& c, System& system, Language l) {
    if (c.words.size() != 2) {
        throw UsageError(say(l, Text::WrongArgumentCount,
                             {"read-rows", "IMAGE [--mode MODE] [--annotate FILE]"}));
    }
    rowreader::ReadOptions options;
    if (c.mode) options.mode = parseMode(l, *c.mode);
    if (system.rowReader == nullptr) throw UsageError(say(l, Text::NoReader));
    const std::string& path = c.words[1];
    const std::vector<std::uint8_t> bytes = readPicture(path, system, l);
    bool all = true, any = false;
    nlohmann::json modes = nlohmann::json::array();
    std::string text;
    // Every page of a multi-page TIFF is read, each with its own verdicts.
    const int pages = std::max(1, system.rowReader->pageCount(bytes));
    for (int page = 0; page < pages; ++page) {
        std::vector<rowreader::ModeReading> readings;
        rowreader::RgbImage drawn;
        try {
            readings =
                system.rowReader->readPage(bytes, options, page, c.annotate ? &drawn : nullptr);
        } catch (const rowreader::ImageError& e) {
            throw PictureError(pictureFault(e, path, l));
        }
        if (c.annotate) writeAnnotation(annotationPath(*c.annotate, page), drawn, l);
        if (pages > 1)
            text +=
                say(l, Text::ReadPage, {std::to_string(page + 1), std::to_string(pages)}) + '\n';
        if (readings.empty() && pages > 1) text += say(l, Text::ReadNothing) + '\n';
        any = any || !readings.empty();
        all = all && !readings.empty();
        for (const rowreader::ModeReading& r : readings) {
            all = all && told(r);
            nlohmann::json mode = buildReadingJson(r, l);
            mode["page"] = page + 1;  // of a multi-page TIFF; 1 for any other picture
            modes.push_back(std::move(mode));
            text += buildReadingText(r, l);
        }
    }
    const int status = all ? 0 : 1;
    if (c.json) {
        system.out << buildRunJson(status, "read-rows", {}, nlohmann::json::array(),
                                   {{"modes", std::move(modes)}})
                          .dump(2)
                   << '\n';
    } else {
        if (!any && pages == 1) text = say(l, Text::ReadNothing) + '\n';
        system.out << text;
    }
    return status;
}

}  // namespace trevalune::send
