#include "tests/behaviour/form_fixture.h"

#include <algorithm>

#include "form/control_table.h"
#include "printer/bytes.h"

namespace trevalune::testing {

void FormTest::SetUp() {
    spooler.onDocument = [this](const RecordingSpooler::Document& d) {
        if (!countDocuments) {
            log.push_back("doc " + toHexText(d.data));
            return;
        }
        if (log.empty() || !log.back().ends_with(" docs")) log.push_back("0 docs");
        log.back() = std::to_string(std::stoi(log.back()) + 1) + " docs";
    };
    clock.onWait = [this](int ms) { log.push_back("wait " + std::to_string(ms)); };
    start();
}

void FormTest::start(std::vector<std::string> printers) {
    form.reset();
    face = RecordingFace();
    face.onMessage = [this](const RecordingFace::Message& m) { log.push_back("msg " + m.text); };
    face.onRepaint = [this](const std::string& entry) {
        if (entry.starts_with("Label8 ")) log.push_back("caption " + entry.substr(7));
    };
    spooler.printers = std::move(printers);
    spooler.defaultChanges.clear();
    forget();  // what the start-up itself did stays visible
    form = std::make_unique<Form1>(face, spooler, clock, folder.path());
}

void FormTest::forget() {
    log.clear();
    spooler.documents.clear();
    face.messages.clear();
    face.diagnostics.clear();
    clock.waits.clear();
}

Controls FormTest::disabledButtons() const {
    Controls off;
    for (Control b : Form1::commandButtons())
        if (!form->control(b).enabled) off.push_back(b);
    for (const ControlSpec& c : controlTable())
        if (c.kind == ControlKind::Button && !form->control(c.id).enabled &&
            std::ranges::find(off, c.id) == off.end())
            off.push_back(c.id);
    return off;
}

void FormTest::expectFaceShowsForm() const {
    for (const ControlSpec& c : controlTable()) {
        const ControlState& s = form->control(c.id);
        EXPECT_EQ(face.texts.at(c.id), s.text) << c.id;
        EXPECT_EQ(face.enabled.at(c.id), s.enabled) << c.id;
        EXPECT_EQ(face.checked.at(c.id), s.checked) << c.id;
        EXPECT_EQ(face.items.at(c.id), s.items) << c.id;
        EXPECT_EQ(face.currentIndex.at(c.id), s.currentIndex) << c.id;
    }
}

}  // namespace trevalune::testing
