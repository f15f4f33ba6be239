// The Win32 face in-process under Wine: the controls it builds from the table, and the
// operator's clicks, typing and picks reaching the form. The form's own rules are tested
// against a recording face; here only what the native window adds.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "alignment/test_print.h"
#include "form/control_table.h"
#include "form/utf16.h"
#include "printer/recording_spooler.h"
#include "tests/support/fake_clock.h"
#include "tests/win32/window_fixture.h"

namespace trevalune {
namespace {

using testing::MessageBoxAnswerer;

std::wstring wide(std::string_view utf8) {
    const std::u16string text = toUtf16(utf8);
    return {text.begin(), text.end()};
}

std::wstring className(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

RECT rectInClient(HWND control, HWND main) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class Win32FaceTest : public ::testing::Test {
protected:
    RecordingSpooler spooler{{"Office1", "RZ7-virtual"}};
    testing::FakeClock clock;
    testing::Win32Window window{spooler, clock};

    std::vector<std::string> payloads() const { return spooler.payloads(); }

    /// The controls the Tab key visits, from the first tab stop round to it again.
    std::vector<std::string> tabWalk() const {
        std::vector<std::string> names;
        const HWND first = GetNextDlgTabItem(window.main(), nullptr, FALSE);
        for (HWND h = first; h != nullptr && names.size() < 100;) {
            names.push_back(window.nameOf(h));
            h = GetNextDlgTabItem(window.main(), h, FALSE);
            if (h == first) break;
        }
        return names;
    }
};

// --- The window as built ---

TEST_F(Win32FaceTest, OpensAtTheDesignSizeWithTheTitle) {
    ASSERT_EQ(window.face.dpi(), 96) << "the expected pixels below are for 96 DPI";
    RECT client;
    GetClientRect(window.main(), &client);
    EXPECT_EQ(client.right, 454);
    EXPECT_EQ(client.bottom, 169);
    wchar_t title[64] = {};
    GetWindowTextW(window.main(), title, 64);
    EXPECT_EQ(std::wstring(title), L"Trevalune");
    EXPECT_TRUE(GetWindowLongPtrW(window.main(), GWL_STYLE) & WS_THICKFRAME) << "resizable";
}

TEST_F(Win32FaceTest, EveryControlOfTheTableWithItsKindGeometryAndCaption) {
    for (const ControlSpec& spec : controlTable()) {
        SCOPED_TRACE(std::string(spec.name));
        const HWND h = window.hwnd(spec.name);
        if (spec.kind == ControlKind::Timer) {
            EXPECT_EQ(h, nullptr);
            continue;
        }
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GetParent(h), window.main()) << "WM_COMMAND must reach the main window";
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
        switch (spec.kind) {
            case ControlKind::Button:
                EXPECT_EQ(className(h), L"Button");
                EXPECT_EQ(style & BS_TYPEMASK, DWORD(BS_PUSHBUTTON));
                break;
            case ControlKind::Frame:
                EXPECT_EQ(className(h), L"Button");
                EXPECT_EQ(style & BS_TYPEMASK, DWORD(BS_GROUPBOX));
                break;
            case ControlKind::Option:
                EXPECT_EQ(className(h), L"Button");
                EXPECT_EQ(style & BS_TYPEMASK, DWORD(BS_RADIOBUTTON)) << "not automatic";
                break;
            case ControlKind::CheckBox:
                EXPECT_EQ(className(h), L"Button");
                EXPECT_EQ(style & BS_TYPEMASK, DWORD(BS_CHECKBOX)) << "not automatic";
                break;
            case ControlKind::ComboEditable:
                EXPECT_EQ(className(h), L"ComboBox");
                EXPECT_EQ(style & 3, DWORD(CBS_DROPDOWN));
                break;
            case ControlKind::ComboList:
                EXPECT_EQ(className(h), L"ComboBox");
                EXPECT_EQ(style & 3, DWORD(CBS_DROPDOWNLIST));
                break;
            case ControlKind::Label:
                EXPECT_EQ(className(h), L"Static");
                break;
            case ControlKind::TextBox:
                EXPECT_EQ(className(h), L"Edit");
                EXPECT_FALSE(style & ES_MULTILINE);
                break;
            case ControlKind::TextBoxMultiline:
                EXPECT_EQ(className(h), L"Edit");
                EXPECT_EQ(style & (ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL),
                          DWORD(ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL));
                break;
            case ControlKind::Timer:
                break;
        }
        const RECT want = testing::designPixels(spec.name);
        const RECT got = rectInClient(h, window.main());
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right - got.left, want.right - want.left);
        EXPECT_EQ(got.bottom - got.top, want.bottom - want.top);
        // What the form holds (the table's caption, or what Form_Load made of it).
        EXPECT_EQ(window.text(spec.name), wide(window.form.control(spec.name).text));
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, window.form.control(spec.name).enabled);
    }
    EXPECT_EQ(window.text("Command12"), L"换页");
    EXPECT_EQ(window.text("Command18"), L"Korvel");
    EXPECT_EQ(window.text("Frame7"), L"Korvel参数");
    EXPECT_EQ(window.text("Frame4"), L"");
    EXPECT_EQ(window.text("Label8"), L"完成.....");
    EXPECT_EQ(window.text("Combo1"), L"RZ7-virtual");
    EXPECT_EQ(window.text("Combo2"), L"31");
    EXPECT_EQ(window.text("cmbsz"), L"16");
    EXPECT_FALSE(IsWindowEnabled(window.hwnd("Command9")));
    EXPECT_EQ(SendMessageW(window.hwnd("Optgs"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(window.hwnd("Combo2"), CB_GETCOUNT, 0, 0), 116);
}

TEST_F(Win32FaceTest, OnlyTheBoxBelowItsFrameIsHidden) {
    // Text1 lies below Frame4's bottom edge: the frame clips it away entirely.
    std::vector<std::string> hidden;
    for (const ControlSpec& spec : controlTable()) {
        if (const HWND h = window.hwnd(spec.name); h != nullptr && !IsWindowVisible(h)) {
            hidden.emplace_back(spec.name);
        }
    }
    EXPECT_EQ(hidden, std::vector<std::string>{"Text1"});
}

TEST_F(Win32FaceTest, FontsAreSongAtTheDesignSizes) {
    // points -> pixel height at 96 DPI, fractional sizes included
    const std::map<double, LONG> heights = {
        {9, -12}, {12, -16}, {14.25, -19}, {15, -20}, {15.75, -21}};
    for (const ControlSpec& spec : controlTable()) {
        const HWND h = window.hwnd(spec.name);
        if (h == nullptr) continue;
        SCOPED_TRACE(std::string(spec.name));
        LOGFONTW font{};
        ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)),
                               sizeof font, &font));
        EXPECT_EQ(std::wstring(font.lfFaceName), L"宋体");
        EXPECT_EQ(font.lfHeight, heights.at(spec.fontPoints > 0 ? spec.fontPoints : 9));
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
        EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
    }
}

TEST_F(Win32FaceTest, FramesLieUnderWhatTheyHold) {
    // Lower in z-order than every control they hold, so they never paint over them.
    auto zIndex = [&](HWND h) {
        int i = 0;
        for (HWND w = GetWindow(window.main(), GW_CHILD); w != nullptr;
             w = GetWindow(w, GW_HWNDNEXT), ++i) {
            if (w == h) return i;
        }
        return -1;
    };
    for (const ControlSpec& spec : controlTable()) {
        const HWND h = window.hwnd(spec.name);
        if (h == nullptr) continue;
        for (const ControlSpec* c = findControlSpec(spec.container); c != nullptr;
             c = findControlSpec(c->container)) {
            EXPECT_LT(zIndex(h), zIndex(window.hwnd(c->name))) << spec.name << " in " << c->name;
        }
    }
}

// --- Clicks and typing reach the form ---

TEST_F(Win32FaceTest, ButtonClicksSendTheFormsDocuments) {
    window.click("Command12");  // 换页
    EXPECT_EQ(payloads(), std::vector<std::string>{"\x1D\x56\x53"});
    window.click("Command18");  // Korvel: the alignment page around Combo2's 31
    std::vector<std::string> expected{"\x1D\x56\x53"};
    for (const Bytes& d : buildAlignmentTest("31").documents()) expected.push_back(d);
    EXPECT_EQ(payloads(), expected);
    for (const RecordingSpooler::Document& d : spooler.documents) {
        EXPECT_EQ(d.printer, "RZ7-virtual");
    }
}

TEST_F(Win32FaceTest, TypedCommandIsSentByTheSendButton) {
    window.type("Text2", L"1b 4A 10");
    EXPECT_EQ(window.form.control("Text2").text, "1b 4A 10");
    window.click("Command6");  // 发送
    EXPECT_EQ(payloads(), std::vector<std::string>{"\x1B\x4A\x10"});
    EXPECT_EQ(window.text("Text2"), L"") << "the box is emptied after a send";
}

TEST_F(Win32FaceTest, ARefusedCharacterShowsAMessageBoxAndGoes) {
    MessageBoxAnswerer answerer;
    window.type("Text2", L"1x");
    const std::vector<MessageBoxAnswerer::Box> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"请输入的数据是16进制的范围");
    EXPECT_TRUE(boxes[0].okShown);
    EXPECT_FALSE(boxes[0].cancelShown);
    EXPECT_FALSE(boxes[0].iconShown);
    EXPECT_EQ(window.text("Text2"), L"1");
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(window.hwnd("Text2"), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end, 1u) << "the caret stays where the operator was typing";
    EXPECT_TRUE(payloads().empty());
}

TEST_F(Win32FaceTest, OptionAndCheckBoxShowWhatTheFormDecides) {
    window.click("Optcgs");
    EXPECT_EQ(SendMessageW(window.hwnd("Optcgs"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(window.hwnd("Optgs"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(window.text("cmbsz"), L"24");

    window.click("Check1");
    EXPECT_EQ(SendMessageW(window.hwnd("Check1"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(window.hwnd("Command9")));
    window.click("Check1");
    EXPECT_EQ(SendMessageW(window.hwnd("Check1"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(window.hwnd("Command9")));
}

TEST_F(Win32FaceTest, TypingInAnEditableListReachesTheForm) {
    // The value box follows into the selected mode's caption; above 120 it is capped.
    SendMessageW(window.hwnd("cmbsz"), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    window.type("cmbsz", L"50");
    EXPECT_EQ(window.text("Labgs"), L"50");
    window.type("cmbsz", L"0");
    EXPECT_EQ(window.text("cmbsz"), L"119");
    EXPECT_EQ(window.text("Labgs"), L"119");
}

TEST_F(Win32FaceTest, TimerTicksShowTheClock) {
    SendMessageW(window.main(), WM_TIMER, 1, 0);
    const std::wstring shown = window.text("Labtime");
    EXPECT_NE(shown.find(L"2026"), std::wstring::npos) << std::string(shown.begin(), shown.end());
    EXPECT_NE(shown.find(L"05:03"), std::wstring::npos);
}

TEST_F(Win32FaceTest, TheExitButtonClosesTheWindowAndEndsTheLoop) {
    SendMessageW(window.hwnd("Command2"), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(window.main()));
    EXPECT_FALSE(window.pump()) << "WM_QUIT ends the message loop";
}

// --- Every pick in Combo1 is a click ---

TEST_F(Win32FaceTest, RePickingTheShownPrinterMakesItTheDefaultAgain) {
    const HWND combo = window.hwnd("Combo1");
    ASSERT_EQ(spooler.defaultChanges, (std::vector<std::string>{"Office1", "RZ7-virtual"}));
    SetFocus(combo);

    window.key(VK_F4, combo);  // open the list on the shown printer
    window.key(VK_RETURN, combo);
    EXPECT_EQ(spooler.defaultChanges,
              (std::vector<std::string>{"Office1", "RZ7-virtual", "RZ7-virtual"}));

    // With the mouse: open the list, press and release on the shown printer. (Wine sends
    // CBN_SELENDOK and then CBN_SELCHANGE for it, Windows the other way round.)
    window.key(VK_F4, combo);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    RECT item;
    ASSERT_NE(SendMessageW(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item)),
              LB_ERR);
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(info.hwndList, WM_LBUTTONUP, 0, at);
    window.pump();
    EXPECT_EQ(spooler.defaultChanges.size(), 4u);
    EXPECT_EQ(spooler.defaultChanges.back(), "RZ7-virtual");
    EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));

    // The notification a pick ends in, on its own.
    SendMessageW(window.main(), WM_COMMAND,
                 MAKEWPARAM(window.face.controlId("Combo1"), CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo));
    window.pump();
    EXPECT_EQ(spooler.defaultChanges.size(), 5u);
}

TEST_F(Win32FaceTest, PickingAnotherPrinterIsOneChange) {
    const HWND combo = window.hwnd("Combo1");
    SetFocus(combo);
    window.key(VK_UP, combo);  // list closed: the arrow picks at once
    EXPECT_EQ(spooler.defaultChanges,
              (std::vector<std::string>{"Office1", "RZ7-virtual", "Office1"}));
    EXPECT_EQ(window.form.printerName(), "Office1");

    window.key(VK_F4, combo);  // list open: moving in it is not a pick yet
    window.key(VK_DOWN, combo);
    EXPECT_EQ(spooler.defaultChanges.size(), 3u);
    window.key(VK_RETURN, combo);
    EXPECT_EQ(spooler.defaultChanges,
              (std::vector<std::string>{"Office1", "RZ7-virtual", "Office1", "RZ7-virtual"}));
    EXPECT_EQ(window.text("Combo1"), L"RZ7-virtual");
}

// --- Keyboard focus follows what the operator sees ---

TEST_F(Win32FaceTest, TabVisitsOnlyTheVisibleControlsInVisualOrder) {
    EXPECT_EQ(tabWalk(),
              (std::vector<std::string>{"Combo1", "Combo2", "Command18", "Command12", "Command5",
                                        "Command10", "Command11", "Command1", "Command17"}));
}

TEST_F(Win32FaceTest, EnlargingTheWindowLetsTheLowerControlsJoin) {
    window.resizeClient(500, 720);  // as tall as the screen allows
    RECT client;
    GetClientRect(window.main(), &client);
    // Every enabled control that takes the focus and lies wholly in sight, row by row.
    std::vector<std::pair<std::pair<LONG, LONG>, std::string>> byPlace;
    for (const ControlSpec& spec : controlTable()) {
        const HWND h = window.hwnd(spec.name);
        if (h == nullptr || spec.kind == ControlKind::Frame || spec.kind == ControlKind::Label ||
            !IsWindowVisible(h) || !IsWindowEnabled(h)) {
            continue;
        }
        const RECT r = rectInClient(h, window.main());
        if (r.right <= client.right && r.bottom <= client.bottom) {
            byPlace.push_back({{r.top, r.left}, std::string(spec.name)});
        }
    }
    std::stable_sort(byPlace.begin(), byPlace.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> expected;
    for (const auto& [place, name] : byPlace) expected.push_back(name);
    const std::vector<std::string> walk = tabWalk();
    EXPECT_EQ(walk, expected);
    for (const char* lower : {"Command2", "Text2", "Command6", "Optcgm", "cmbsz", "Command15"}) {
        EXPECT_NE(std::find(walk.begin(), walk.end(), lower), walk.end()) << lower;
    }

    window.resizeClient(454, 169);
    EXPECT_EQ(tabWalk().size(), 9u);
}

TEST_F(Win32FaceTest, TheTabKeyMovesTheFocusAndNeverOntoAHiddenButton) {
    window.resizeClient(500, 720);
    SetFocus(window.hwnd("Command2"));  // 退出, below the design size
    ASSERT_EQ(window.nameOf(GetFocus()), "Command2");
    window.resizeClient(454, 169);
    EXPECT_EQ(window.nameOf(GetFocus()), "Combo1") << "the focus left the hidden button";
    window.key(VK_SPACE);
    EXPECT_TRUE(IsWindow(window.main())) << "Space did not press 退出";

    window.key(VK_TAB);
    EXPECT_EQ(window.nameOf(GetFocus()), "Combo2");
    window.key(VK_TAB);
    EXPECT_EQ(window.nameOf(GetFocus()), "Command18");
    window.key(VK_SPACE);
    EXPECT_EQ(spooler.documents.size(), buildAlignmentTest("31").documentCount());
    window.key(VK_TAB);
    EXPECT_EQ(window.nameOf(GetFocus()), "Command12");
    window.key(VK_RETURN);  // Enter presses the focused button too
    ASSERT_FALSE(spooler.documents.empty());
    EXPECT_EQ(spooler.documents.back().data, "\x1D\x56\x53");
    SetFocus(window.hwnd("Command5"));  // focused without the dialog keys: not the default
    window.key(VK_RETURN);
    EXPECT_EQ(spooler.documents.back().data, "\x0A") << "换行";
    EXPECT_EQ(spooler.documents.size(), buildAlignmentTest("31").documentCount() + 2);
}

TEST_F(Win32FaceTest, TabLeavesTheCommandBoxInsteadOfTypingIntoIt) {
    window.resizeClient(500, 720);
    SetFocus(window.hwnd("Text2"));
    window.key(VK_TAB);
    EXPECT_EQ(window.text("Text2"), L"");
    EXPECT_NE(window.nameOf(GetFocus()), "Text2");
}

}  // namespace
}  // namespace trevalune
