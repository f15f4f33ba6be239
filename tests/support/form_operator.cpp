#include "tests/support/form_operator.h"

#include <algorithm>
#include <string>

#include "common/utf16.h"
#include "form/form1.h"
#include "tests/support/recording_face.h"

namespace trevalune::testing {

namespace {

/// Inserts `what` at the native caret and tells the form.
void insertAtCaret(Form1& form, RecordingFace& face, Control control, std::u16string_view what) {
    std::u16string text = toUtf16(face.texts[control]);
    std::size_t& caret = face.carets[control];
    caret = std::min(caret, text.size());
    text.insert(caret, what);
    caret += what.size();
    face.texts[control] = toUtf8(text);
    form.textEdited(control, toUtf8(text), caret);
}

}  // namespace

void typeKeys(Form1& form, RecordingFace& face, Control control, std::string_view keys) {
    const std::u16string typed = toUtf16(keys);
    for (std::size_t at = 0; at < typed.size();) {
        // A surrogate pair is one key.
        const bool pair = typed[at] >= 0xD800 && typed[at] <= 0xDBFF && at + 1 < typed.size();
        const std::size_t length = pair ? 2 : 1;
        insertAtCaret(form, face, control, std::u16string_view(typed).substr(at, length));
        at += length;
    }
}

void replaceText(Form1& form, RecordingFace& face, Control control, std::string_view text) {
    face.texts[control].clear();
    face.carets[control] = 0;
    insertAtCaret(form, face, control, toUtf16(text));
}

void pick(Form1& form, RecordingFace& face, Control control, int index) {
    face.setCurrentIndex(control, index);
    form.selected(control, index);
}

}  // namespace trevalune::testing
