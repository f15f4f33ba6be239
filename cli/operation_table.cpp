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
    {"eject", "", 0, 0, Text::AboutEject, plain<Operation::PageEject>},
    {"line-feed", "", 0, 0, Text::AboutLineFeed, plain<Operation::LineFeed>},
    {"micro-feed", "", 0, 0, Text::AboutMicroFeed, plain<Operation::MicroFeedForward>},
    {"micro-back", "", 0, 0, Text::AboutMicroBack, plain<Operation::MicroFeedBack>},
    {"self-test", "", 0, 0, Text::AboutSelfTest, plain<Operation::SelfTest>},
    {"save", "", 0, 0, Text::AboutSave, plain<Operation::Save>},
    {"factory-reset", "", 0, 0, Text::AboutFactoryReset, plain<Operation::FactoryReset>},
    {"alignment-test", "[CENTRE]", 0, 1, Text::AboutAlignmentTest, alignmentTest},
    {"set", "MODE VALUE", 2, 2, Text::AboutSet, set},
    {"set-all", "HS HD SHD [--test-page]", 3, 3, Text::AboutSetAll, setAll},
    {"pin-test", "", 0, 0, Text::AboutPinTest, plain<Operation::PinTest>},
    {"pin-test-densities", "", 0, 0, Text::AboutPinTestDensities,
     plain<Operation::PinTestDensities>},
    {"file", "PATH|-", 1, 1, Text::AboutFile, file},
    {"hex", "HEX... [--save]", 1, kAny, Text::AboutHex, hex},
    {"text", "TEXT...", 1, kAny, Text::AboutText, text},
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
