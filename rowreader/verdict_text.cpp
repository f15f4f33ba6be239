#include "rowreader/verdict_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/numbered_text.h"

namespace trevalune::rowreader {

namespace {

constexpr TwoLanguages kReadStraight{"{1}: {2} is straight (confidence {3})",
                                     "{1}：{2}是直的（可信度 {3}）"};
constexpr TwoLanguages kReadCannotTell{"{1}: cannot tell: {2}", "{1}：无法判断：{2}"};
constexpr TwoLanguages kReadRow{"  {1} {2}  offset {3} ± {4} columns",
                                "  {1} {2}  偏移 {3} ± {4} 列"};
constexpr TwoLanguages kReadRowNotMeasured{"  {1} {2}  not measured: {3}",
                                           "  {1} {2}  未测量：{3}"};
constexpr TwoLanguages kReadNothing{"no sample rows found on the picture", "图片上没有找到样张行"};
constexpr TwoLanguages kRowValue{"row {1}", "{1} 行"};
constexpr TwoLanguages kRowMiddle{"the middle row", "中间一行"};
constexpr TwoLanguages kRowAboveMiddle{"the row {1} above the middle", "中间一行上面第 {1} 行"};
constexpr TwoLanguages kRowBelowMiddle{"the row {1} below the middle", "中间一行下面第 {1} 行"};
constexpr TwoLanguages kNotMeasured{"not measured", "未测量"};
constexpr TwoLanguages kNotAPicture{
    "{1} is not a picture that can be read (PNG, JPEG or TIFF): {2}",
    "{1} 不是可以读取的图片（PNG、JPEG 或 TIFF）：{2}"};
constexpr TwoLanguages kNotPngJpegTiff{"{1} is not a PNG, JPEG or TIFF picture",
                                       "{1} 不是 PNG、JPEG 或 TIFF 图片"};
constexpr TwoLanguages kPictureFileEmpty{"{1} is empty: not a PNG, JPEG or TIFF picture",
                                         "{1} 是空文件，不是 PNG、JPEG 或 TIFF 图片"};

/// Each doubt's word for scripts and its text for the operator; {1}: the row it concerns.
struct DoubtTraits {
    Doubt doubt;
    std::string_view word;
    TwoLanguages text;
};
constexpr DoubtTraits kDoubts[] = {
    {Doubt::NoneStraight,
     "none-straight",
     {"no row is straight; the best value lies beyond {1}: print around it",
      "没有直的行；最佳值在{1}之外：以它为中心再打印"}},
    {Doubt::TooClose,
     "too-close",
     {"two rows are within the measurement's noise of straight: print around them again, or "
      "read the row by eye",
      "有两行都在测量误差之内接近直线：以它们为中心再打印，或者用眼睛判断"}},
    {Doubt::NoRows,
     "no-rows",
     {"no sample rows of this mode were found", "没有找到该模式的样张行"}},
    {Doubt::TooCoarse,
     "too-coarse",
     {"the picture's resolution is too coarse for this mode's columns; scan at 300 dpi or more",
      "图片的分辨率太低，分不清该模式的列；请以 300 dpi 以上扫描"}},
    {Doubt::OtherPage,
     "other-page",
     {"the row labels read are not the values printed; is it the page just printed?",
      "读到的行标签不是所打印的值；这是刚打印的那一页吗？"}},
    {Doubt::RowsMissing,
     "rows-missing",
     {"not every row of this mode was found, so which row is which is not known: scan the "
      "whole page",
      "没有找到该模式的全部行，无法知道哪一行是哪个值：请扫描整页"}},
    {Doubt::OutOfStep,
     "out-of-step",
     {"{1} is out of step (a crease or a fold?): flatten the page and scan it again",
      "{1}与其他行不成一线（有折痕吗？）：请把纸压平后重新扫描"}},
    {Doubt::CutOff,
     "cut-off",
     {"{1} is cut off by the picture's edge: scan the whole page",
      "{1}被图片边缘截断：请扫描整页"}},
    {Doubt::Hidden,
     "hidden",
     {"{1} is partly hidden (a crease, a dark band, a torn corner?): flatten the page, close the "
      "lid and scan it again",
      "{1}部分被遮住（折痕、黑边或缺角？）：请把纸压平、盖好盖板后重新扫描"}},
    {Doubt::DarkBorder,
     "dark-border",
     {"{1} is hidden by a dark border at the picture's edge (the scanner's lid open, or the desk "
      "around a photo): close the lid, or crop the picture to the page",
      "{1}被图片边缘的黑边遮住（扫描仪盖板没有盖好，或照片四周的桌面）：请盖好盖板，或把图片裁剪到"
      "纸边"}},
    {Doubt::TwoPages,
     "two-pages",
     {"two pages in the picture: scan one at a time", "图片里有两页：请一次扫描一页"}},
    {Doubt::OtherMode,
     "other-mode",
     {"the page shows another mode's rows: read it without --mode",
      "图片中是另一种模式的样行：请不指定 --mode 读取"}},
};

/// Each row fault's word for scripts, the row's own text and its line in the row list.
struct FaultTraits {
    RowFault fault;
    std::string_view word;
    TwoLanguages text;  ///< why a row is not measured
    TwoLanguages line;  ///< a measured row's line; empty for a row not measured
};
constexpr FaultTraits kFaults[] = {
    {RowFault::CutOff, "cut-off", {"cut off by the picture's edge", "被图片边缘截断"}, {}},
    {RowFault::DarkBorder,
     "dark-border",
     {"hidden by a dark border at the picture's edge", "被图片边缘的黑边遮住"},
     {}},
    {RowFault::Hidden, "hidden", {"partly hidden", "部分被遮住"}, {}},
    {RowFault::OutOfStep,
     "out-of-step",
     {},
     {"  {1} {2}  offset {3} ± {4} columns, out of step",
      "  {1} {2}  偏移 {3} ± {4} 列，与其他行不成一线"}},
};

const FaultTraits* traitsOf(RowFault fault) {
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

/// With `sign`, "+" on a positive number, so that the direction shows; zero has none.
std::string fixed(double value, int decimals, bool sign) {
    char text[32];
    const double r = roundedTo(value, decimals);
    std::snprintf(text, sizeof text, sign && r != 0 ? "%+.*f" : "%.*f", decimals, r);
    return text;
}

}  // namespace

double roundedTo(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double r = std::round(value * scale) / scale;
    return r == 0 ? 0.0 : r;
}

bool told(const ModeReading& r) {
    return r.doubt == Doubt::None && r.straight.has_value();
}

std::string modeName(PrintMode mode, Language l) {
    return std::string(l == Language::Chinese ? traits(mode).caption : traits(mode).word);
}

std::string rowName(const ModeReading& r, int value, Language l) {
    if (!r.valuesRelative) return buildSaid(kRowValue, l, {std::to_string(value)});
    if (value == 0) return buildSaid(kRowMiddle, l);
    // Counted from the middle: "row -1" would read as a value printed on the page.
    static constexpr const char* kCounts[] = {"one", "two", "three"};
    const int away = std::abs(value);
    const std::string count =
        l == Language::English && away <= 3 ? kCounts[away - 1] : std::to_string(away);
    return buildSaid(value < 0 ? kRowAboveMiddle : kRowBelowMiddle, l, {count});
}

std::string doubtText(const ModeReading& r, Language l) {
    const DoubtTraits* t = traitsOf(r.doubt);
    if (t == nullptr) return {};
    // The row the doubt concerns: the row its fault names, or the end row nearest straight.
    const RowReading* concerned = nullptr;
    for (const RowReading& row : r.rows) {
        if (concerned == nullptr && doubtOf(row.fault) == r.doubt) concerned = &row;
    }
    if (r.doubt == Doubt::NoneStraight && !r.rows.empty()) {
        concerned = std::abs(r.rows.front().offsetColumns) < std::abs(r.rows.back().offsetColumns)
                        ? &r.rows.front()
                        : &r.rows.back();
    }
    return buildSaid(t->text, l, {concerned ? rowName(r, concerned->value, l) : std::string()});
}

std::string_view doubtWord(Doubt doubt) {
    const DoubtTraits* t = traitsOf(doubt);
    return t ? t->word : std::string_view();
}

std::string_view faultWord(RowFault fault) {
    const FaultTraits* t = traitsOf(fault);
    return t ? t->word : std::string_view();
}

std::string buildRowList(const ModeReading& reading, Language l) {
    std::string list;
    for (const RowReading& row : reading.rows) {
        list += (list.empty() ? "" : ", ") + std::to_string(row.value) + " " +
                (row.measured() ? fixed(row.offsetColumns, 1, true) : buildSaid(kNotMeasured, l));
    }
    return list.empty() ? "-" : list;
}

std::string buildVerdictLine(const ModeReading& r, Language l, std::string_view name) {
    return told(r) ? buildSaid(kReadStraight, l,
                               {std::string(name), rowName(r, *r.straight, l),
                                fixed(r.confidence, 2, false)})
                   : buildSaid(kReadCannotTell, l, {std::string(name), doubtText(r, l)});
}

std::string buildReadingText(const ModeReading& r, Language l) {
    std::string text = buildVerdictLine(r, l, modeName(r.mode, l)) + '\n';
    for (const RowReading& row : r.rows) {
        std::string value = std::to_string(row.value) + (row.marked ? "*" : " ");
        value.insert(0, value.size() < 4 ? 4 - value.size() : 0, ' ');
        const std::string mark = told(r) && row.value == *r.straight ? ">" : " ";
        const FaultTraits* fault = traitsOf(row.fault);
        if (!row.measured()) {
            text += buildSaid(kReadRowNotMeasured, l, {mark, value, buildSaid(fault->text, l)});
        } else {
            text += buildSaid(fault ? fault->line : kReadRow, l,
                              {mark, value, fixed(row.offsetColumns, 1, true),
                               fixed(row.noiseColumns, 2, false)});
        }
        text += '\n';
    }
    return text;
}

std::string nothingFoundText(Language l) {
    return buildSaid(kReadNothing, l);
}

std::string pictureFault(const ImageError& error, const std::string& file, Language l) {
    switch (error.fault()) {
        case ImageFault::NotAPicture:
            return buildSaid(kNotPngJpegTiff, l, {file});
        case ImageFault::EmptyFile:
            return buildSaid(kPictureFileEmpty, l, {file});
        case ImageFault::Other:
            break;
    }
    return buildSaid(kNotAPicture, l, {file, error.what()});
}

}  // namespace trevalune::rowreader
