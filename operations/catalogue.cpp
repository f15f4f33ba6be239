#include "operations/catalogue.h"

#include <stdexcept>

#include "alignment/config_block.h"
#include "alignment/hanzi_sample.h"
#include "alignment/set_all_test_page.h"
#include "alignment/test_print.h"
#include "operations/command_panel.h"
#include "operations/driver_file.h"
#include "printer/bytes.h"
#include "printer/printer_link.h"

namespace trevalune {

namespace {

OperationWork pages(std::vector<PinTestPage> all) {
    OperationWork work;
    for (const PinTestPage& page : all) {
        // A page that refuses itself sends nothing, so it counts nothing either.
        try {
            work.timeline.append(page.build());
        } catch (const Refusal&) {
        }
    }
    work.pinTestPages = std::move(all);
    return work;
}

template <Timeline (*Build)()>
OperationWork fixed(const OperationInput&) {
    return OperationWork::of(Build());
}

OperationWork alignmentTest(const OperationInput& in) {
    return OperationWork::of(buildAlignmentTest(in.centre.get()));
}
OperationWork setSingleItem(const OperationInput& in) {
    const AlignValue& value = in.values[modeIndex(in.mode)].get();
    return OperationWork::of(buildSetSingleItem(in.mode, value, in.extraWaitMs));
}
OperationWork setAllItems(const OperationInput& in) {
    return OperationWork::of(buildSetAllItems(in.modeValues(), in.extraWaitMs));
}
OperationWork setAllWithTestPage(const OperationInput& in) {
    return OperationWork::of(
        buildSetAllWithTestPage(in.modeValues(), in.extraWaitMs, kHanziSample));
}
OperationWork pinTest(const OperationInput& in) {
    return pages(buildPinTestSequence(in.now));
}
OperationWork pinTestDensities(const OperationInput&) {
    return pages(buildThreeDensitySequence());
}
OperationWork manualSend(const OperationInput& in) {
    return OperationWork::of(buildManualSend(in.command.get(), in.saveBracket));
}
OperationWork driverFile(const OperationInput& in) {
    Timeline t;
    t.text(readDriverFile(in.driverFile));
    return OperationWork::of(std::move(t));
}

constexpr OperationTraits kCatalogue[] = {
    {Operation::PageEject, "page eject", fixed<buildPageEject>},
    {Operation::LineFeed, "line feed", fixed<buildLineFeed>},
    {Operation::MicroFeedForward, "micro feed forward", fixed<buildMicroFeedForward>},
    {Operation::MicroFeedBack, "micro feed back", fixed<buildMicroFeedBack>},
    {Operation::SelfTest, "self-test", fixed<buildSelfTest>},
    {Operation::Save, "save", fixed<buildSave>},
    {Operation::FactoryReset, "factory reset", fixed<buildRestoreFactory>},
    {Operation::AlignmentTest, "alignment test page", alignmentTest},
    {Operation::SetSingleItem, "set single item", setSingleItem},
    {Operation::SetAllItems, "set all items", setAllItems},
    {Operation::SetAllWithTestPage, "set all with test page", setAllWithTestPage},
    {Operation::PinTest, "pin test", pinTest},
    {Operation::PinTestDensities, "pin test in three densities", pinTestDensities},
    {Operation::ManualSend, "hex command", manualSend},
    {Operation::DriverFile, "driver test file", driverFile},
};

}  // namespace

ModeValues OperationInput::modeValues() const {
    ModeValues out;
    for (PrintMode m : kAllModes) out.of(m) = values[modeIndex(m)].get();
    return out;
}

void OperationInput::setModeValues(const ModeValues& given) {
    for (PrintMode m : kAllModes) values[modeIndex(m)] = given.of(m);
}

std::span<const OperationTraits> operationCatalogue() {
    return kCatalogue;
}

const OperationTraits& traits(Operation operation) {
    for (const OperationTraits& t : kCatalogue) {
        if (t.operation == operation) return t;
    }
    throw std::logic_error("an operation missing from the catalogue");
}

OperationWork buildOperation(Operation operation, const OperationInput& input) {
    return traits(operation).build(input);
}

Timeline buildSave() {
    Timeline t;
    t.text(buildSaveCommand());
    return t;
}

Next runWork(const OperationWork& work, PrinterLink& link, Clock& clock, MessageSink& messages,
             const std::function<void(const std::string&)>& showCaption) {
    if (!work.pinTestPages.empty()) {
        return runPinTestSequence(work.pinTestPages, link, clock, messages);
    }
    link.beginOperation(static_cast<int>(work.timeline.documentCount()));
    return runTimeline(work.timeline, link, clock, showCaption);
}

}  // namespace trevalune
