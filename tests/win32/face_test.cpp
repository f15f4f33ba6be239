// The Win32 face in-process under Wine: the controls it builds from the table, and the
// operator's clicks, typing and picks reaching the form. The form's own rules are tested
// against a recording face; here only what the native window adds.

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "alignment/test_print.h"
#include "form/control_table.h"
#include "operations/utf16.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_spooler.h"
#include "tests/win32/window_fixture.h"

namespace trevalune {
namespace {

using Names = std::vector<std::string>;
using Controls = std::vector<std::optional<Control>>;

std::wstring wide(std::string_view utf8) {
    const std::u16string text = toUtf16(utf8);
    return {text.begin(), text.end()};
}

class Win32FaceTest : public ::testing::Test {
protected:
    RecordingSpooler spooler{{"Office1", "RZ7-virtual"}};
    testing::FakeClock clock;
    testing::Win32Window window{spooler, clock};

    bool checked(Control name) const {
        return SendMessageW(window.hwnd(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    RECT rectInClient(HWND control) const {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, window.main(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    /// The controls the Tab key visits, from the first tab stop round to it again.
    Controls tabWalk() const {
        Controls names;
        const HWND first = GetNextDlgTabItem(window.main(), nullptr, FALSE);
        for (HWND h = first; h != nullptr && names.size() < 100;) {
            names.push_back(window.nameOf(h));
            h = GetNextDlgTabItem(window.main(), h, FALSE);
            if (h == first) break;
        }
        return names;
    }
};

TEST_F(Win32FaceTest, EveryControlAsDesigned) {
    ASSERT_EQ(window.face.dpi(), 96) << "the expected pixels below are for 96 DPI";
    RECT client;
    GetClientRect(window.main(), &client);
    EXPECT_EQ(client.right, 454);
    EXPECT_EQ(client.bottom, 169);
    wchar_t title[64] = {};
    GetWindowTextW(window.main(), title, 64);
    EXPECT_EQ(std::wstring(title), L"Trevalune");
    EXPECT_TRUE(GetWindowLongPtrW(window.main(), GWL_STYLE) & WS_THICKFRAME) << "resizable";

    struct Native {
        std::wstring className;
        DWORD mask;
        DWORD style;
    };
    const std::map<ControlKind, Native> natives = {
        {ControlKind::Button, {L"Button", BS_TYPEMASK, BS_PUSHBUTTON}},
        {ControlKind::Frame, {L"Button", BS_TYPEMASK, BS_GROUPBOX}},
        // Not the automatic kinds: the form decides what is checked.
        {ControlKind::Option, {L"Button", BS_TYPEMASK, BS_RADIOBUTTON}},
        {ControlKind::CheckBox, {L"Button", BS_TYPEMASK, BS_CHECKBOX}},
        {ControlKind::ComboEditable, {L"ComboBox", 3, CBS_DROPDOWN}},
        {ControlKind::ComboList, {L"ComboBox", 3, CBS_DROPDOWNLIST}},
        {ControlKind::Label, {L"Static", 0, 0}},
        {ControlKind::TextBox, {L"Edit", ES_MULTILINE, 0}},
        {ControlKind::TextBoxMultiline,
         {L"Edit", ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL,
          ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL}},
    };
    // points -> pixel height at 96 DPI, fractional sizes included
    const std::map<double, LONG> fontHeights = {{12, -16}, {14.25, -19}, {15, -20}, {15.75, -21}};
    // Where none is designed: the system's dialog font at its own size.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const LOGFONTW& dialog = metrics.lfMessageFont;
    std::map<HWND, int> zIndex;  // 0 is the top
    for (HWND w = GetWindow(window.main(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        zIndex.emplace(w, static_cast<int>(zIndex.size()));
    }
    const auto px = [](int twips) -> LONG { return twipsToPixels(twips, 96); };

    std::vector<Control> hidden;
    for (const ControlSpec& spec : controlTable()) {
        SCOPED_TRACE(std::string(controlName(spec.id)));
        if (spec.kind == ControlKind::Timer) {
            EXPECT_EQ(window.face.control(spec.id), nullptr);  // a WM_TIMER, not a window
            continue;
        }
        const HWND h = window.hwnd(spec.id);
        EXPECT_EQ(GetParent(h), window.main()) << "WM_COMMAND must reach the main window";
        const Native& native = natives.at(spec.kind);
        wchar_t className[64] = {};
        GetClassNameW(h, className, 64);
        EXPECT_EQ(className, native.className);
        EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & native.mask, native.style);

        const Twips t = absoluteGeometry(spec);
        const RECT r = rectInClient(h);
        EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                  (std::array{px(t.left), px(t.top), px(t.left + t.width) - px(t.left),
                              px(t.top + t.height) - px(t.top)}));
        // What the form holds (the table's caption, or what Form_Load made of it).
        EXPECT_EQ(window.text(spec.id), wide(window.form.control(spec.id).text));
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, window.form.control(spec.id).enabled);

        LOGFONTW font{};
        ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)),
                               sizeof font, &font));
        if (spec.fontPoints > 0) {
            EXPECT_EQ(std::wstring(font.lfFaceName), L"宋体");
            EXPECT_EQ(font.lfHeight, fontHeights.at(spec.fontPoints));
            EXPECT_EQ(font.lfWeight, FW_NORMAL);
            EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
        } else {
            EXPECT_EQ(std::wstring(font.lfFaceName), dialog.lfFaceName);
            EXPECT_EQ(font.lfHeight, dialog.lfHeight);
            EXPECT_EQ(font.lfWeight, dialog.lfWeight);
        }

        // Frames lie under what they hold, so they never paint over it.
        for (const ControlSpec* c = findControlSpec(spec.container); c != nullptr;
             c = findControlSpec(c->container)) {
            EXPECT_LT(zIndex.at(h), zIndex.at(window.hwnd(c->id))) << "in " << c->id;
        }
        if (!IsWindowVisible(h)) hidden.push_back(spec.id);
    }
    EXPECT_EQ(hidden, std::vector<Control>{Control::Text1})
        << "only the box below Frame4's bottom edge is clipped away";
    EXPECT_EQ(SendMessageW(window.hwnd(Control::Combo2), CB_GETCOUNT, 0, 0), 116);
}

// Clicks on buttons and typing into the command box are print_test.cpp's, byte for byte.
TEST_F(Win32FaceTest, TheOperatorsActionsReachTheForm) {
    {
        testing::MessageBoxAnswerer answerer;
        window.type(Control::Text2, L"1x");
        EXPECT_EQ(answerer.boxes(), std::vector<std::wstring>{L"请输入的数据是16进制的范围"})
            << "OK alone, no icon";
    }
    EXPECT_EQ(window.text(Control::Text2), L"1");
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(window.hwnd(Control::Text2), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end, 1u) << "the caret stays where the operator was typing";

    // An editable list: the value follows into the mode's caption; above 120 it is capped.
    SendMessageW(window.hwnd(Control::cmbsz), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    window.type(Control::cmbsz, L"500");
    EXPECT_EQ(window.text(Control::cmbsz), L"119");
    EXPECT_EQ(window.text(Control::Labgs), L"119");

    window.click(Control::Optcgs);
    EXPECT_TRUE(checked(Control::Optcgs));
    EXPECT_FALSE(checked(Control::Optgs));
    EXPECT_EQ(window.text(Control::cmbsz), L"24");
    window.click(Control::Check1);
    EXPECT_TRUE(checked(Control::Check1));
    EXPECT_TRUE(IsWindowEnabled(window.hwnd(Control::Command9)));

    SendMessageW(window.main(), WM_TIMER, 1, 0);
    const std::wstring shown = window.text(Control::Labtime);
    EXPECT_NE(shown.find(L"2026"), std::wstring::npos) << std::string(shown.begin(), shown.end());
    EXPECT_NE(shown.find(L"05:03"), std::wstring::npos);

    SendMessageW(window.hwnd(Control::Command2), BM_CLICK, 0, 0);  // 退出
    EXPECT_FALSE(IsWindow(window.main()));
    EXPECT_FALSE(window.pump()) << "WM_QUIT ends the message loop";
}

TEST_F(Win32FaceTest, AnExceptionInAClickIsOneBoxAndTheWindowGoesOn) {
    spooler.onDocument = [](const RecordingSpooler::Document&) {
        throw std::runtime_error("spooler broke");
    };
    {
        testing::MessageBoxAnswerer answerer;
        SendMessageW(window.hwnd(Control::Command12), BM_CLICK, 0,
                     0);  // through the window procedure
        EXPECT_EQ(answerer.boxes(), std::vector<std::wstring>{L"spooler broke"});
    }
    spooler.onDocument = nullptr;
    SendMessageW(window.hwnd(Control::Command5), BM_CLICK, 0, 0);
    // The recording spooler keeps the eject before it throws.
    EXPECT_EQ(spooler.payloads(), (Names{"\x1D\x56\x53", "\n"}));
    EXPECT_TRUE(IsWindow(window.main()));
}

TEST_F(Win32FaceTest, EveryPickInCombo1IsOneDefaultChangeTheShownPrinterIncluded) {
    const HWND combo = window.hwnd(Control::Combo1);
    Names changes{"Office1", "RZ7-virtual"};  // Form_Load's
    ASSERT_EQ(spooler.defaultChanges, changes);
    SetFocus(combo);
    window.key(VK_F4, combo);  // open the list on the shown printer and pick it again
    window.key(VK_RETURN, combo);
    changes.push_back("RZ7-virtual");
    EXPECT_EQ(spooler.defaultChanges, changes);

    window.key(VK_UP, combo);  // list closed: the arrow picks at once
    changes.push_back("Office1");
    EXPECT_EQ(spooler.defaultChanges, changes);
    window.key(VK_F4, combo);  // list open: moving in it is not a pick yet
    window.key(VK_DOWN, combo);
    EXPECT_EQ(spooler.defaultChanges, changes);
    window.key(VK_RETURN, combo);
    changes.push_back("RZ7-virtual");
    EXPECT_EQ(spooler.defaultChanges, changes);
}

TEST_F(Win32FaceTest, TabVisitsOnlyWhatTheOperatorSees) {
    // The order itself is the control table's (ControlTable tests).
    const auto order = focusOrder(kClientWidthTwips, kClientHeightTwips);
    const Controls atDesignSize(order.begin(), order.end());
    EXPECT_EQ(tabWalk(), atDesignSize);

    // As tall as this 768-pixel screen allows, shorter than the form: the client area
    // scrolls, and every control joins, the bottom row too.
    window.resizeClient(500, 720);
    ASSERT_TRUE(GetWindowLongPtrW(window.main(), GWL_STYLE) & WS_VSCROLL);
    Controls enlarged;
    for (Control name : focusOrder(100000, 100000)) {
        if (IsWindowEnabled(window.hwnd(name))) enlarged.emplace_back(name);  // not Command9 yet
    }
    EXPECT_EQ(tabWalk(), enlarged);
    // Tab onto the Windows button, in the bottom row, scrolls it wholly into view.
    SetFocus(window.hwnd(Control::Command8));
    window.key(VK_TAB);
    ASSERT_EQ(window.nameOf(GetFocus()), Control::Command14);
    RECT client;
    GetClientRect(window.main(), &client);
    const RECT shown = rectInClient(window.hwnd(Control::Command14));
    EXPECT_GT(window.face.scrollPosition().y, 0);
    EXPECT_TRUE(shown.top >= 0 && shown.bottom <= client.bottom)
        << shown.top << " " << shown.bottom;

    SetFocus(window.hwnd(Control::Text2));
    window.key(VK_TAB);
    EXPECT_EQ(window.text(Control::Text2), L"") << "Tab leaves the command box, typing nothing";
    EXPECT_NE(window.nameOf(GetFocus()), Control::Text2);

    SetFocus(window.hwnd(Control::Command2));  // 退出, below the design size
    window.resizeClient(454, 169);
    EXPECT_EQ(tabWalk(), atDesignSize);
    EXPECT_EQ(window.nameOf(GetFocus()), Control::Combo1) << "the focus left the hidden button";
    window.key(VK_SPACE);
    EXPECT_TRUE(IsWindow(window.main())) << "Space did not press 退出";
    window.key(VK_TAB);
    window.key(VK_TAB);
    EXPECT_EQ(window.nameOf(GetFocus()), Control::Command18);
    window.key(VK_SPACE);
    const std::size_t korvel = buildAlignmentTest("31").documentCount();
    EXPECT_EQ(spooler.documents.size(), korvel);
    window.key(VK_TAB);
    window.key(VK_RETURN);                     // Enter presses the focused button too
    SetFocus(window.hwnd(Control::Command5));  // focused without the dialog keys: not the default
    window.key(VK_RETURN);
    ASSERT_EQ(spooler.documents.size(), korvel + 2);
    EXPECT_EQ(spooler.documents[korvel].data, "\x1D\x56\x53") << "换页";
    EXPECT_EQ(spooler.documents[korvel + 1].data, "\x0A") << "换行";
}

TEST_F(Win32FaceTest, ArrowKeysInTheModeGroupSelectTheNextModeAsAClickWould) {
    window.resizeClient(500, 720);
    SetFocus(window.hwnd(Control::Optgs));
    const struct {
        WPARAM key;
        Control mode;
        const wchar_t* value;
    } steps[] = {{VK_RIGHT, Control::Optcgs, L"24"},
                 {VK_DOWN, Control::Optcgm, L"40"},
                 {VK_DOWN, Control::Optgs, L"16"},
                 {VK_UP, Control::Optcgm, L"40"},
                 {VK_LEFT, Control::Optcgs, L"24"}};
    for (const auto& step : steps) {
        window.key(step.key);
        EXPECT_EQ(window.nameOf(GetFocus()), step.mode);
        for (Control option : {Control::Optgs, Control::Optcgs, Control::Optcgm}) {
            EXPECT_EQ(checked(option), option == step.mode) << option;
        }
        EXPECT_EQ(window.text(Control::cmbsz), step.value) << step.mode;
    }
}

TEST_F(Win32FaceTest, MovedToAMonitorOfAnotherScaleTheWindowIsLaidOutAgain) {
    // What Windows sends when the window reaches a 150 % monitor: the new DPI and the rect it
    // suggests, here the design's client area at 144 DPI.
    const DWORD style = DWORD(GetWindowLongPtrW(window.main(), GWL_STYLE));
    RECT suggested{30, 40, 30 + 681, 40 + 254};
    AdjustWindowRectEx(&suggested, style, FALSE, 0);
    SendMessageW(window.main(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    window.pump();

    EXPECT_EQ(window.face.dpi(), 144);
    RECT frame;
    GetWindowRect(window.main(), &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested));
    for (Control name : {Control::Command18, Control::Combo1, Control::Command8, Control::Optcgm}) {
        const Twips t = absoluteGeometry(*findControlSpec(name));
        const RECT r = rectInClient(window.hwnd(name));
        EXPECT_EQ((std::array{r.left, r.top, r.right}),
                  (std::array<LONG, 3>{twipsToPixels(t.left, 144), twipsToPixels(t.top, 144),
                                       twipsToPixels(t.left + t.width, 144)}))
            << name;
    }
    LOGFONTW font{};
    GetObjectW(
        reinterpret_cast<HFONT>(SendMessageW(window.hwnd(Control::Command8), WM_GETFONT, 0, 0)),
        sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -24) << "12 points at 144 DPI";
}

}  // namespace
}  // namespace trevalune
