// The Win32 face in-process under Wine: only what the native window adds to the form, whose
// own rules are tested against a recording face.

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/utf16.h"
#include "form/control_table.h"
#include "form/window_rules.h"
#include "tests/face-win32/window_fixture.h"
#include "tests/support/control_print.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_spooler.h"
#include "tests/support/texts_to_show.h"

namespace trevalune {
namespace {

using Names = std::vector<std::string>;
using Windows = std::vector<HWND>;

class Win32FaceTest : public ::testing::Test {
protected:
    RecordingSpooler spooler{{"Office1", "RZ7-virtual"}};
    testing::FakeClock clock;
    testing::Win32Window window{spooler, clock};

    bool checked(Control name) const {
        return SendMessageW(window.hwnd(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    RECT rectInClient(Control name) const {
        RECT r;
        GetWindowRect(window.hwnd(name), &r);
        MapWindowPoints(nullptr, window.main(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    /// The control's rectangle against its place in the table at `dpi`, as the face laid it
    /// out for the fonts it shows there (form/caption_fit.h; the tops and heights as designed).
    void expectPlaced(Control name, int dpi) const {
        const Twips t = absoluteGeometry(*findControlSpec(name), window.face.layout());
        EXPECT_EQ(t.top, absoluteGeometry(*findControlSpec(name)).top) << name;
        const auto px = [dpi](int twips) { return LONG(twipsToPixels(twips, dpi)); };
        const RECT r = rectInClient(name);
        EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}),
                  (std::array{px(t.left), px(t.top), px(t.left + t.width), px(t.top + t.height)}))
            << name;
    }
    LOGFONTW fontOf(Control name) const {
        LOGFONTW font{};  // all zero if the control has no font
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.hwnd(name), WM_GETFONT, 0, 0)),
                   sizeof font, &font);
        return font;
    }
    /// The windows of the enabled ones of `names` (not Command9 at first), which Tab visits.
    Windows reachable(const std::vector<Control>& names) const {
        Windows windows;
        for (Control name : names)
            if (IsWindowEnabled(window.hwnd(name))) windows.push_back(window.hwnd(name));
        return windows;
    }
    /// The controls the Tab key visits, from the first tab stop round to it again.
    Windows tabWalk() const {
        Windows visited{GetNextDlgTabItem(window.main(), nullptr, FALSE)};
        for (HWND h; visited.size() < 100 &&
                     (h = GetNextDlgTabItem(window.main(), visited.back(), FALSE)) != visited[0];)
            visited.push_back(h);
        return visited;
    }
};

TEST_F(Win32FaceTest, EveryControlAsDesignedAtEveryScale) {
    ASSERT_EQ(window.face.dpi(), 96) << "the expected pixels below are for 96 DPI";
    RECT client;
    GetClientRect(window.main(), &client);
    // The design size, wider only where a caption widened its row.
    const Extent opening = designClientTwips(window.face.layout());
    EXPECT_EQ((std::array{client.right, client.bottom}),
              (std::array<LONG, 2>{twipsToPixels(opening.width, 96), 169}));
    EXPECT_EQ(testing::windowText(window.main()), L"Trevalune");
    EXPECT_TRUE(GetWindowLongPtrW(window.main(), GWL_STYLE) & WS_THICKFRAME) << "resizable";

    constexpr DWORD multiline = ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL;
    const std::map<ControlKind, std::tuple<std::wstring, DWORD, DWORD>> natives = {
        {ControlKind::Button, {L"Button", BS_TYPEMASK, BS_PUSHBUTTON}},
        {ControlKind::Frame, {L"Button", BS_TYPEMASK, BS_GROUPBOX}},
        // Not the automatic kinds: the form decides what is checked.
        {ControlKind::Option, {L"Button", BS_TYPEMASK, BS_RADIOBUTTON}},
        {ControlKind::CheckBox, {L"Button", BS_TYPEMASK, BS_CHECKBOX}},
        {ControlKind::ComboEditable, {L"ComboBox", 3, CBS_DROPDOWN}},
        {ControlKind::ComboList, {L"ComboBox", 3, CBS_DROPDOWNLIST}},
        {ControlKind::Label, {L"Static", 0, 0}},
        {ControlKind::TextBox, {L"Edit", ES_MULTILINE, 0}},
        {ControlKind::TextBoxMultiline, {L"Edit", multiline, multiline}},
    };
    // points -> pixel height at 96 DPI; where none is designed, the system's dialog font.
    const std::map<double, LONG> fontHeights = {{12, -16}, {14.25, -19}, {15, -20}, {15.75, -21}};
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const LOGFONTW& dialog = metrics.lfMessageFont;
    std::map<HWND, int> zIndex;  // 0 is the top
    for (HWND w = GetWindow(window.main(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        zIndex.emplace(w, static_cast<int>(zIndex.size()));

    std::vector<Control> hidden;
    for (const ControlSpec& spec : controlTable()) {
        SCOPED_TRACE(std::string(controlName(spec.id)));
        const HWND h = window.hwnd(spec.id);
        if (spec.kind == ControlKind::Timer) {
            EXPECT_EQ(h, nullptr);  // a WM_TIMER, not a window
            continue;
        }
        EXPECT_EQ(GetParent(h), window.main()) << "WM_COMMAND must reach the main window";
        const auto& [className, mask, style] = natives.at(spec.kind);
        wchar_t name[64] = {};
        GetClassNameW(h, name, 64);
        EXPECT_EQ(name, className);
        EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & mask, style);
        expectPlaced(spec.id, 96);
        // What the form holds (the table's caption, or what start-up made of it).
        const std::wstring text = window.text(spec.id);
        EXPECT_EQ(std::u16string(text.begin(), text.end()),
                  toUtf16(window.form.control(spec.id).text));
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, window.form.control(spec.id).enabled);

        const LOGFONTW font = fontOf(spec.id);
        const bool designed = spec.fontPoints > 0;
        EXPECT_EQ(std::wstring(font.lfFaceName), designed ? L"宋体" : dialog.lfFaceName);
        EXPECT_EQ(font.lfHeight, designed ? fontHeights.at(spec.fontPoints) : dialog.lfHeight);
        EXPECT_EQ(font.lfWeight, designed ? FW_NORMAL : dialog.lfWeight);
        EXPECT_TRUE(!designed || font.lfCharSet == GB2312_CHARSET);

        // Frames lie under what they hold, so they never paint over it.
        for (const ControlSpec* c = findControlSpec(spec.container); c != nullptr;
             c = findControlSpec(c->container))
            EXPECT_LT(zIndex.at(h), zIndex.at(window.hwnd(c->id))) << "in " << c->id;
        if (!IsWindowVisible(h)) hidden.push_back(spec.id);
    }
    EXPECT_EQ(hidden, std::vector<Control>{Control::extraWait})
        << "only the box below Frame4's bottom edge is clipped away";
    EXPECT_EQ(SendMessageW(window.hwnd(Control::centreList), CB_GETCOUNT, 0, 0), 116);
}

TEST_F(Win32FaceTest, EveryCaptionIsWholeAndNoTwoControlsTouchAtEveryScale) {
    const std::map<ControlKind, int> padding = {// at 96 DPI: edges, a mark and its gap
                                                {ControlKind::Button, 6},
                                                {ControlKind::Option, 16},
                                                {ControlKind::CheckBox, 16},
                                                {ControlKind::Frame, 12}};
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(::testing::Message() << dpi << " DPI");
        if (window.face.dpi() != dpi) {  // as when the window reaches a monitor of that scale
            RECT client;
            GetClientRect(window.main(), &client);
            RECT suggested{0, 0, MulDiv(client.right, dpi, window.face.dpi()),
                           MulDiv(client.bottom, dpi, window.face.dpi())};
            AdjustWindowRectEx(&suggested, DWORD(GetWindowLongPtrW(window.main(), GWL_STYLE)),
                               FALSE, 0);
            SendMessageW(window.main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            window.pump();
            RECT frame;  // where Windows suggested
            EXPECT_TRUE(GetWindowRect(window.main(), &frame) && EqualRect(&frame, &suggested));
        }
        ASSERT_EQ(window.face.dpi(), dpi);
        EXPECT_EQ(fontOf(Control::setAllWithTestPage).lfHeight, -MulDiv(16, dpi, 96))
            << "12 points";
        const HDC dc = GetDC(window.main());
        for (const ControlSpec& spec : controlTable()) {
            const std::vector<std::string> texts = testing::textsToShow(spec, window.face);
            if (texts.empty()) continue;
            const HWND h = window.hwnd(spec.id);
            const auto f = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
            const HGDIOBJ previous = SelectObject(dc, f);
            wchar_t face[LF_FACESIZE] = {};
            GetTextFaceW(dc, LF_FACESIZE, face);
            RECT r;
            GetClientRect(h, &r);
            const auto it = padding.find(spec.kind);
            const int pad = MulDiv(it == padding.end() ? 0 : it->second, dpi, 96);
            for (const std::string& utf8 : texts) {
                const std::wstring text = toWide(utf8);
                SIZE size{};
                GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
                EXPECT_LE(size.cx + pad, r.right)
                    << spec.id << " cuts off \"" << utf8 << "\" in " << fromWide(face);
            }
            SelectObject(dc, previous);
        }
        ReleaseDC(window.main(), dc);
        // Within the window and each frame no two controls overlap or touch, and each frame
        // holds what it holds (Text1, below its frame's edge, is never shown).
        for (const ControlSpec& a : controlTable()) {
            const HWND ha = window.hwnd(a.id);
            if (ha == nullptr || !IsWindowVisible(ha)) continue;
            RECT ra = rectInClient(a.id);
            if (a.container != Control::window) {
                const RECT frame = rectInClient(a.container);
                EXPECT_TRUE(ra.left >= frame.left && ra.right <= frame.right &&
                            ra.top >= frame.top && ra.bottom <= frame.bottom)
                    << a.id << " within " << a.container;
            }
            InflateRect(&ra, 1, 1);
            for (const ControlSpec& b : controlTable()) {
                const HWND hb = window.hwnd(b.id);
                if (&a == &b || b.container != a.container || hb == nullptr || !IsWindowVisible(hb))
                    continue;
                RECT rb = rectInClient(b.id), both;
                EXPECT_FALSE(IntersectRect(&both, &ra, &rb))
                    << a.id << " and " << b.id << " overlap or touch";
            }
        }
    }
}

TEST_F(Win32FaceTest, TabGoesFrameByFrameInVisualOrderAndStopsOnceInTheOptionGroup) {
    using C = Control;
    window.resizeClient(560, 720);  // the client area scrolls: every control within reach
    std::vector<Control> expected = {C::printerList,   C::centreList,         C::alignmentTest,
                                     C::pageEject,     C::lineFeed,           C::microFeedForward,
                                     C::microFeedBack, C::selfTest,           C::pinTest,
                                     C::quit,          C::pinTestDensities,   C::commandText,
                                     C::saveBracket,   C::sendCommand,        C::highSpeedOption,
                                     C::valueBox,      C::setSingleItem,      C::setAllItems,
                                     C::rest,          C::setAllWithTestPage, C::factoryReset,
                                     C::save,          C::driverFile};
    const auto windows = [&](const std::vector<Control>& names) {
        Windows w;
        for (Control name : names) w.push_back(window.hwnd(name));
        return w;
    };
    EXPECT_EQ(tabWalk(), windows(expected));
    // The Tab key itself, as the message loop's dialog keys take it.
    const auto focusedControl = [&]() -> std::optional<Control> {
        const HWND focus = GetFocus();
        for (const ControlSpec& c : controlTable())
            if (c.kind != ControlKind::Timer &&
                (window.hwnd(c.id) == focus || window.hwnd(c.id) == GetParent(focus)))
                return c.id;
        return std::nullopt;
    };
    SetFocus(window.hwnd(C::printerList));
    std::vector<std::optional<Control>> visited, forward(expected.begin() + 1, expected.end());
    forward.push_back(C::printerList);
    for (std::size_t i = 0; i < forward.size(); ++i) {
        window.key(VK_TAB);
        visited.push_back(focusedControl());
    }
    EXPECT_EQ(visited, forward);
    // Another mode, chosen by an arrow key: the Tab stop moves there.
    SetFocus(window.hwnd(C::highSpeedOption));
    window.key(VK_LEFT);
    ASSERT_EQ(focusedControl(), C::superHighDensityOption);
    window.key(VK_TAB);
    EXPECT_EQ(focusedControl(), C::valueBox);
    expected[14] = C::superHighDensityOption;
    EXPECT_EQ(tabWalk(), windows(expected));
}

// Clicks and typing through winspool, byte for byte, are tests/winspool's.
TEST_F(Win32FaceTest, TheOperatorsActionsReachTheForm) {
    const HWND combo = window.hwnd(Control::printerList);
    Names changes = spooler.defaultChanges;  // start-up's
    SetFocus(combo);
    // Every pick in the printer list is one default change, the shown printer's too. F4 opens
    // the list, where moving is no pick yet and Enter picks; when closed, an arrow picks.
    const std::pair<std::vector<WPARAM>, const char*> steps[] = {
        {{VK_F4, VK_RETURN}, "RZ7-virtual"},
        {{VK_UP}, "Office1"},
        {{VK_F4, VK_DOWN}, nullptr},
        {{VK_RETURN}, "RZ7-virtual"}};
    for (const auto& [keys, pick] : steps) {
        for (WPARAM key : keys) window.key(key, combo);
        if (pick != nullptr) changes.push_back(pick);
        EXPECT_EQ(spooler.defaultChanges, changes) << "after key " << keys.back();
    }

    {
        testing::MessageBoxAnswerer answerer;
        window.type(Control::commandText, L"1x");
        EXPECT_EQ(answerer.boxes(), std::vector<std::wstring>{L"请输入的数据是16进制的范围"})
            << "OK alone, no icon";
    }
    EXPECT_EQ(window.text(Control::commandText), L"1");
    EXPECT_EQ(HIWORD(SendMessageW(window.hwnd(Control::commandText), EM_GETSEL, 0, 0)), 1)
        << "the caret stays where the operator was typing";

    // An editable list: what the form makes of the value (capped) shows in it and in a label.
    SendMessageW(window.hwnd(Control::valueBox), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    window.type(Control::valueBox, L"500");
    EXPECT_EQ(window.text(Control::valueBox) + window.text(Control::highSpeedValue), L"119119");

    window.click(Control::highDensityOption);
    EXPECT_TRUE(checked(Control::highDensityOption));
    EXPECT_FALSE(checked(Control::highSpeedOption));
    window.click(Control::saveBracket);
    EXPECT_TRUE(checked(Control::saveBracket));
    EXPECT_TRUE(IsWindowEnabled(window.hwnd(Control::factoryBlock)));

    SendMessageW(window.main(), WM_TIMER, 1, 0);
    EXPECT_NE(window.text(Control::clock).find(L"2026"), std::wstring::npos) << "the clock shown";

    // An exception in a click is one box, and the window goes on.
    spooler.onDocument = [](const auto&) { throw std::runtime_error("spooler broke"); };
    {
        testing::MessageBoxAnswerer answerer;
        window.click(Control::pageEject);
        EXPECT_EQ(answerer.boxes(), std::vector<std::wstring>{L"spooler broke"});
    }
    spooler.onDocument = nullptr;
    window.click(Control::lineFeed);
    EXPECT_EQ(spooler.payloads(), (Names{"\x1D\x56\x53", "\n"})) << "kept, then thrown";

    SendMessageW(window.hwnd(Control::quit), BM_CLICK, 0, 0);  // 退出
    EXPECT_FALSE(IsWindow(window.main()));
    EXPECT_FALSE(window.pump()) << "WM_QUIT ends the message loop";
}

TEST_F(Win32FaceTest, TheKeysTheWindowDecidesAndScrolling) {
    const Extent opening = designClientTwips(window.face.layout());
    const auto stops = [&](int width, int height) {
        return reachable(tabStops(focusOrder(width, height, window.face.layout()),
                                  [&](Control c) { return checked(c); }));
    };
    const Windows atDesignSize = stops(opening.width, opening.height);
    EXPECT_EQ(tabWalk(), atDesignSize);
    // As tall as this 768-pixel screen allows, shorter than the form: the client area scrolls
    // (maximised, the next test's).
    window.resizeClient(500, 720);
    EXPECT_TRUE(GetWindowLongPtrW(window.main(), GWL_STYLE) & WS_VSCROLL);
    SendMessageW(window.main(), WM_VSCROLL, SB_BOTTOM, 0);  // the bar, dragged to its end
    EXPECT_LE(rectInClient(Control::save).bottom, 720) << "保存 in view";
    SendMessageW(window.main(), WM_VSCROLL, SB_TOP, 0);

    // The arrow keys in the mode group select the next mode, as a click would.
    SetFocus(window.hwnd(Control::highSpeedOption));
    for (const auto& [key, mode] : {std::pair{VK_RIGHT, Control::highDensityOption},
                                    {VK_DOWN, Control::superHighDensityOption},
                                    {VK_DOWN, Control::highSpeedOption},
                                    {VK_UP, Control::superHighDensityOption},
                                    {VK_LEFT, Control::highDensityOption}}) {
        window.key(key);
        EXPECT_EQ(GetFocus(), window.hwnd(mode));
        for (Control option : {Control::highSpeedOption, Control::highDensityOption,
                               Control::superHighDensityOption})
            EXPECT_EQ(checked(option), option == mode) << option;
    }

    SetFocus(window.hwnd(Control::commandText));
    // Another window active, then this one again: the focus comes back where it was.
    const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50, 50,
                                       nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    SetActiveWindow(window.main());
    DestroyWindow(other);
    EXPECT_EQ(GetFocus(), window.hwnd(Control::commandText));
    window.key(VK_TAB);
    EXPECT_EQ(window.text(Control::commandText), L"")
        << "Tab leaves the command box, typing nothing";
    EXPECT_NE(GetFocus(), window.hwnd(Control::commandText));

    SetFocus(window.hwnd(Control::quit));  // 退出, below the design size
    window.resizeClient(twipsToPixels(opening.width, 96), 169);
    EXPECT_EQ(tabWalk(), atDesignSize);
    EXPECT_EQ(GetFocus(), window.hwnd(Control::printerList)) << "the focus left the hidden button";
    window.key(VK_SPACE);
    EXPECT_TRUE(IsWindow(window.main())) << "Space did not press 退出";
    SetFocus(window.hwnd(Control::alignmentTest));
    window.key(VK_TAB);
    window.key(VK_RETURN);                     // Enter presses the button Tab focused
    SetFocus(window.hwnd(Control::lineFeed));  // focused without the dialog keys: not the default
    window.key(VK_RETURN);
    EXPECT_EQ(spooler.payloads(), (Names{"\x1D\x56\x53", "\n"})) << "换页, 换行";
}

// Maximised by the system (the caption's button) at 100, 150 and 200 %, twenty times each: the
// client area scrolls, and Tab and the wheel both reach 保存 (Command4) at the bottom.
TEST_F(Win32FaceTest, MaximisedAtEveryScaleTabAndTheWheelReachTheSaveButton) {
    const std::string save("\x1B\x3A\x00\x00\x52", 5);
    for (int dpi : {96, 144, 192}) {
        SCOPED_TRACE(dpi);
        RECT suggested{0, 0, twipsToPixels(kClientWidthTwips, dpi),
                       twipsToPixels(kClientHeightTwips, dpi)};
        SendMessageW(window.main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        for (int run = 0; run < 20; ++run) {
            ShowWindow(window.main(), SW_RESTORE);
            window.pump();
            ShowWindow(window.main(), SW_MAXIMIZE);
            window.pump();
            spooler.documents.clear();
            for (int i = 0; i < 60 && GetFocus() != window.hwnd(Control::save); ++i)
                window.key(VK_TAB);
            ASSERT_EQ(GetFocus(), window.hwnd(Control::save)) << "保存 by Tab, run " << run;
            window.key(VK_RETURN);
            // Up to the top by the wheel, then down to the bottom, and a click on 保存.
            for (int notches : {+40, -40})
                SendMessageW(window.main(), WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA), 0);
            RECT client;
            GetClientRect(window.main(), &client);
            const RECT shown = rectInClient(Control::save);
            ASSERT_TRUE(shown.top >= 0 && shown.bottom <= client.bottom) << shown.top;
            SendMessageW(window.hwnd(Control::save), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            SendMessageW(window.hwnd(Control::save), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            window.pump();
            EXPECT_EQ(spooler.payloads(), (Names{save, save})) << "run " << run;
        }
    }
}

// Enter in the command box is refused with one message, and the key that closes it stays
// there. Once Enter's CR LF cost two messages: Enter on OK opened the second one at once.
TEST_F(Win32FaceTest, EnterInTheCommandBoxCostsOneMessageClosedByAKey) {
    window.resizeClient(500, 720);
    static std::vector<std::wstring> shown;
    static WORD closingKey = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND box = FindWindowW(L"#32770", L"Trevalune");
        if (box == nullptr || !IsWindowVisible(box) || GetPropW(box, L"answered")) return;
        SetPropW(box, L"answered", box);
        shown.push_back(testing::windowText(GetDlgItem(box, 0xFFFF)));
        INPUT keys[2] = {};
        for (INPUT& k : keys) k.type = INPUT_KEYBOARD, k.ki.wVk = closingKey;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    });
    for (WORD key : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(key);
        shown.clear();
        closingKey = key;
        SetWindowTextW(window.hwnd(Control::commandText), L"");
        SetFocus(window.hwnd(Control::commandText));
        window.type(Control::commandText, L"1\r");
        for (int i = 0; i < 20; ++i, Sleep(10)) window.pump();  // what the key left, if any
        EXPECT_EQ(shown, std::vector<std::wstring>{L"请输入的数据是16进制的范围"});
        EXPECT_EQ(window.text(Control::commandText), L"1");
    }
    KillTimer(nullptr, timer);
}

// Only the focused value box shows its text selected: once both kept the selection Tab made.
TEST_F(Win32FaceTest, AValueBoxShowsItsSelectionOnlyWhileItHasTheFocus) {
    window.resizeClient(500, 720);
    const auto selected = [&](Control name) {
        DWORD start = 0, end = 0;
        SendMessageW(window.hwnd(name), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return end - start;
    };
    for (Control box : {Control::centreList, Control::valueBox}) {
        SetFocus(window.hwnd(Control::printerList));
        for (int i = 0; i < 40 && GetParent(GetFocus()) != window.hwnd(box); ++i)
            window.key(VK_TAB);
        EXPECT_EQ(selected(box), 2u) << box << ": Tab selects its two digits";
        window.key(VK_TAB);
        EXPECT_EQ(selected(box), 0u) << box << " after Tab";
    }
}

}  // namespace
}  // namespace trevalune
