#include "form/reading_view.h"

#include <utility>

#include "rowreader/verdict_text.h"

namespace trevalune {

namespace {

/// The alignment test print's block is named for its button; its value is Korvel参数's.
constexpr std::string_view kTestPrintName = "Korvel";
constexpr std::string_view kTitle = "样张行读取 - ";

}  // namespace

ReadingView buildReadingView(std::string_view fileName,
                             const std::vector<rowreader::ModeReading>& readings,
                             rowreader::RgbImage picture, int pages) {
    ReadingView view;
    view.title = std::string(kTitle) + std::string(fileName);
    view.picture = std::move(picture);
    for (const rowreader::ModeReading& r : readings) {
        const std::string name = r.testPrint ? std::string(kTestPrintName)
                                             : rowreader::modeName(r.mode, Language::Chinese);
        ModeVerdict verdict{rowreader::buildVerdictLine(r, Language::Chinese, name), {}, {}};
        if (rowreader::told(r) && !r.valuesRelative) {
            const std::string value = std::to_string(*r.straight);
            verdict.take =
                TakeValue{r.testPrint ? std::nullopt : std::optional(r.mode), *r.straight};
            verdict.takeCaption =
                r.testPrint ? "Korvel参数填 " + value : "选择" + name + "，参数填 " + value;
        }
        view.verdicts.push_back(std::move(verdict));
    }
    if (readings.empty())
        view.verdicts.push_back({rowreader::nothingFoundText(Language::Chinese), {}, {}});
    if (pages > 1) {
        view.verdicts.push_back(
            {"图片共有 " + std::to_string(pages) + " 页，只读取了第 1 页。", {}, {}});
    }
    return view;
}

}  // namespace trevalune
