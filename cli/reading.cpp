#include "cli/reading.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/account.h"
#include "cli/command_line.h"
#include "cli/operation_table.h"
#include "cli/send_command.h"
#include "rowreader/image.h"

namespace trevalune::send {

namespace {

using rowreader::roundedTo;
using rowreader::told;

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

nlohmann::json buildReadingJson(const rowreader::ModeReading& r, Language l) {
    nlohmann::json rows = nlohmann::json::array();
    for (const rowreader::RowReading& row : r.rows) {
        const std::string_view fault = rowreader::faultWord(row.fault);
        const auto measured = [&](double v, int decimals) {
            return row.measured() ? nlohmann::json(roundedTo(v, decimals)) : nlohmann::json();
        };
        rows.push_back({{"value", row.value},
                        {"marked", row.marked},
                        {"value_from_label", row.valueFromLabel},
                        {"offset_columns", measured(row.offsetColumns, 1)},
                        {"noise_columns", measured(row.noiseColumns, 2)},
                        {"fault", fault.empty() ? nlohmann::json() : nlohmann::json(fault)}});
    }
    const std::string_view doubt = told(r) ? std::string_view() : rowreader::doubtWord(r.doubt);
    return {{"mode", modeWord(r.mode)},
            {"straight", told(r) ? nlohmann::json(*r.straight) : nlohmann::json()},
            {"doubt", doubt.empty() ? nlohmann::json() : nlohmann::json(doubt)},
            {"reason", doubt.empty() ? nlohmann::json() : nlohmann::json(doubtText(r, l))},
            {"confidence", roundedTo(r.confidence, 2)},
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
        if (readings.empty() && pages > 1) text += rowreader::nothingFoundText(l) + '\n';
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
        if (!any && pages == 1) text = rowreader::nothingFoundText(l) + '\n';
        system.out << text;
    }
    return status;
}

}  // namespace trevalune::send
