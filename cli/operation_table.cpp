#include "cli/operation_table.h"

#include <cstdint>
#include <filesystem>

#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "alignment/value_text.h"
#include "operations/command_panel.h"
#include "printer/gbk.h"

namespace trevalune::send {

namespace {

std::string joined(const std::vector<std::string>& words) {
    std::string all;
    for (const std::string& w : words) all += (all.empty() ? "" : " ") + w;
    return all;
}

/// A value typed into the value box: the window's box makes kValueBoxCapped of a larger
/// value; the command line refuses it rather than send another value than the one given.
void checkBoxValue(const CommandInput& in, const std::string& text) {
    if (numericValue(text) > kValueBoxMax) {
        throw UsageError(say(in.language, Text::ValueAboveBox, {text}));
    }
}

/// The catalogue's input as the window holds it at start-up, with the command line's options.
OperationInput startInput(const CommandInput& in) {
    OperationInput out;
    out.centre = centreValueOf(kDefaultCentre);
    out.setModeValues(initialModeValues());
    out.extraWaitMs = in.extraWaitMs;
    out.saveBracket = in.saveBracket;
    out.now = in.now;
    return out;
}

template <Operation Op>
Work plain(const CommandInput& in) {
    return buildOperation(Op, startInput(in));
}

Work alignmentTest(const CommandInput& in) {
    OperationInput op = startInput(in);
    // A typed centre is taken as typed.
    if (!in.arguments.empty()) op.centre = centreValueOf(in.arguments[0]);
    return buildOperation(Operation::AlignmentTest, op);
}

Work set(const CommandInput& in) {
    OperationInput op = startInput(in);
    op.mode = parseMode(in.language, in.arguments[0]);
    checkBoxValue(in, in.arguments[1]);
    op.values[modeIndex(op.mode)] = modeValueOf(op.mode, in.arguments[1]);
    return buildOperation(Operation::SetSingleItem, op);
}

Work setAll(const CommandInput& in) {
    OperationInput op = startInput(in);
    for (std::size_t i = 0; i < kAllModes.size(); ++i) checkBoxValue(in, in.arguments[i]);
    op.setModeValues(modeValuesOf({in.arguments[0], in.arguments[1], in.arguments[2]}));
    return buildOperation(in.testPage ? Operation::SetAllWithTestPage : Operation::SetAllItems, op);
}

Work file(const CommandInput& in) {
    const std::string& path = in.arguments[0];
    if (path != "-") {
        OperationInput op = startInput(in);
        op.driverFile = std::filesystem::u8path(path);
        return buildOperation(Operation::DriverFile, op);
    }
    const Bytes bytes = in.readStandardInput();
    if (bytes.empty()) throw Refusal(RefusalCode::StdinEmpty);
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
        throw Refusal(RefusalCode::StdinTooLarge);
    }
    Timeline t;
    t.text(bytes);
    return Work::of(std::move(t));
}

Work hex(const CommandInput& in) {
    // As typed into 发送指令区: the words with blanks between them, one document.
    OperationInput op = startInput(in);
    op.command = commandBoxBytes(joined(in.arguments));
    return buildOperation(Operation::ManualSend, op);
}

Work text(const CommandInput& in) {
    const std::string all = joined(in.arguments);
    if (all.empty()) throw Refusal(RefusalCode::TextEmpty);
    Timeline t;
    t.text(toGbk(all));
    return Work::of(std::move(t));
}

constexpr std::size_t kAny = SIZE_MAX;

constexpr OperationTraits kOperations[] = {
    {"eject", "", 0, 0, "the page eject 1D 56 53 (换页)", "换页：1D 56 53",
     plain<Operation::PageEject>},
    {"line-feed", "", 0, 0, "a line feed 0A (换行)", "换行：0A", plain<Operation::LineFeed>},
    {"micro-feed", "", 0, 0, "ESC J 3, a small forward feed (微进纸)", "微进纸：ESC J 3",
     plain<Operation::MicroFeedForward>},
    {"micro-back", "", 0, 0, "ESC j 3, a small backward feed (微退纸)", "微退纸：ESC j 3",
     plain<Operation::MicroFeedBack>},
    {"self-test", "", 0, 0, "the self-test command 1B 3A 00 00 50 (打印自检)",
     "打印自检：1B 3A 00 00 50", plain<Operation::SelfTest>},
    {"save", "", 0, 0, "the save command 1B 3A 00 00 52 (保存)", "保存：1B 3A 00 00 52",
     plain<Operation::Save>},
    {"factory-reset", "", 0, 0,
     "save, wait 2.5 s, the factory configuration block, wait 1 s, save (恢复出厂)",
     "恢复出厂：保存，等 2.5 秒，出厂配置块，等 1 秒，保存", plain<Operation::FactoryReset>},
    {"alignment-test", "[CENTRE]", 0, 1,
     "the high-speed alignment test page around CENTRE (default {centre}): 60 documents for "
     "{rowsFrom} to {rowsTo}, otherwise the title and the eject only (Korvel)",
     "Korvel：以 CENTRE（默认 {centre}）为中心的高速对齐测试页；{rowsFrom} 到 {rowsTo} 时 60 "
     "个文档",
     alignmentTest},
    {"set", "MODE VALUE", 2, 2,
     "writes VALUE for MODE (high-speed, high-density, super-high-density) and prints its "
     "sample rows, with the waits of 设置单项 (the extra wait included)",
     "设置单项：写入 MODE（high-speed、high-density、super-high-density）的值 VALUE 并打印样张行",
     set},
    {"set-all", "HS HD SHD [--test-page]", 3, 3,
     "writes the three values and prints the sample rows of each mode (设置全部); with "
     "--test-page the values, save and the Chinese test page (the second 设置全部)",
     "设置全部：写入三个值并打印各模式的样张行；加 --test-page "
     "为第二个设置全部（写入、保存、汉字测试页）",
     setAll},
    {"pin-test", "", 0, 0,
     "the pin test pages with the current date and time, and the burn-in page (测针)",
     "测针：带当前日期时间的测针页和老化样张", plain<Operation::PinTest>},
    {"pin-test-densities", "", 0, 0,
     "one pin test line in each print mode, then ESC J 80 (测针功能)",
     "测针功能：每种打印模式一行测针，然后 ESC J 80", plain<Operation::PinTestDensities>},
    {"file", "PATH|-", 1, 1,
     "the file's bytes, or standard input's with -, unchanged as one document (Windows)",
     "Windows：文件（- 为标准输入）的字节原样作为一个文档", file},
    {"hex", "HEX... [--save]", 1, kAny,
     "hex text as typed into the command box (发送指令区), one document; --save brackets it "
     "with save commands as 选择 does",
     "发送指令区：十六进制文本，一个文档；--save 如勾选“选择”，前后加保存命令", hex},
    {"text", "TEXT...", 1, kAny, "UTF-8 text, sent as GBK in one document",
     "UTF-8 文本，以 GBK 作为一个文档发送", text},
};

}  // namespace

std::string_view modeWord(PrintMode mode) {
    return traits(mode).word;
}

PrintMode parseMode(Language language, const std::string& word) {
    for (PrintMode mode : kAllModes) {
        if (word == modeWord(mode)) return mode;
    }
    throw UsageError(say(language, Text::UnknownMode, {word}));
}

std::span<const OperationTraits> operationTable() {
    return kOperations;
}

const OperationTraits* findOperation(std::string_view name) {
    for (const OperationTraits& op : kOperations) {
        if (op.name == name) return &op;
    }
    return nullptr;
}

}  // namespace trevalune::send
