// The reading window: a page dropped on the window as Explorer drops it, read, its value taken
// and set with 设置单项; a file that is no picture.

#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/face-win32/window_fixture.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_spooler.h"

namespace trevalune {
namespace {

namespace fs = std::filesystem;

class ReadingWindowTest : public ::testing::Test {
protected:
    RecordingSpooler spooler{{"Office1", "RZ7-virtual"}};
    testing::FakeClock clock;
    testing::Win32Window window{spooler, clock};
    // Chinese folders and file names reach the reader whole.
    const fs::path folder = fs::temp_directory_path() / L"扫描的页面";

    fs::path copyOfPage(const char* page, const wchar_t* name) const {
        fs::create_directories(folder);
        fs::copy_file(testing::testPage(page), folder / name, fs::copy_options::overwrite_existing);
        return folder / name;
    }
    /// The reading window's children of a class ("Static": the verdicts; "Button"), in order.
    std::vector<HWND> shown(const wchar_t* className) const {
        std::vector<HWND> children;
        const HWND reading = window.face.reading()->window();
        for (HWND c = GetWindow(reading, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t name[32] = {};
            GetClassNameW(c, name, 32);
            if (std::wstring(name) == className) children.push_back(c);
        }
        return children;
    }
    std::vector<std::wstring> texts(const wchar_t* className) const {
        std::vector<std::wstring> texts;
        for (HWND c : shown(className)) texts.push_back(testing::windowText(c));
        return texts;
    }
};

TEST_F(ReadingWindowTest, ADroppedPageIsReadItsValueTakenAndSetSingleItemSendsIt) {
    const std::wstring valueBefore = window.text(Control::valueBox);
    testing::dropFile(window.main(),
                      copyOfPage("super-high-density-39.png", L"超高密度 第39行.png"));
    window.pump();
    const HWND reading = window.face.reading()->window();
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(GetWindow(reading, GW_OWNER), window.main());
    EXPECT_NE(testing::windowText(reading).find(L"超高密度 第39行.png"), std::wstring::npos);
    EXPECT_EQ(texts(L"Static"), std::vector<std::wstring>{L"超高密：39 行是直的（可信度 0.68）"});
    ASSERT_EQ(texts(L"Button"), std::vector<std::wstring>{L"选择超高密，参数填 39"});
    const auto bars = [&] {
        return GetWindowLongPtrW(window.face.reading()->picture(), GWL_STYLE) &
               (WS_VSCROLL | WS_HSCROLL);
    };
    EXPECT_EQ(bars(), WS_VSCROLL) << "a page is as wide as the window, and scrolls down";
    EXPECT_EQ(window.text(Control::valueBox), valueBefore) << "nothing changes before the button";
    EXPECT_TRUE(spooler.documents.empty());

    SendMessageW(shown(L"Button")[0], BM_CLICK, 0, 0);
    window.pump();
    EXPECT_EQ(SendMessageW(window.hwnd(Control::superHighDensityOption), BM_GETCHECK, 0, 0),
              BST_CHECKED);
    EXPECT_EQ(window.text(Control::valueBox), L"39");
    EXPECT_TRUE(spooler.documents.empty()) << "taking sends nothing";
    window.click(Control::setSingleItem);
    ASSERT_EQ(spooler.documents.size(), 60u);
    EXPECT_EQ(spooler.payloads()[0], std::string("\x1B\x01\x40QV627\x0C\x27\x00\n\n", 13))
        << "super-high density (0C) set to 39 (27)";

    // Another page: the same window, its verdict, no button where nothing can be taken.
    testing::dropFile(reading, copyOfPage("super-high-density-cannot-tell.png", L"说不准.png"));
    window.pump();
    EXPECT_EQ(window.face.reading()->window(), reading);
    EXPECT_EQ(bars(), WS_VSCROLL);
    EXPECT_EQ(shown(L"Button"), std::vector<HWND>{});
    EXPECT_EQ(texts(L"Static"),
              std::vector<std::wstring>{L"超高密：无法判断：有两行都在测量误差之内接近直线："
                                        L"以它们为中心再打印，或者用眼睛判断"});
    EXPECT_EQ(spooler.documents.size(), 60u);
    DestroyWindow(window.main());
    EXPECT_FALSE(IsWindow(reading)) << "closed with the main window";
}

TEST_F(ReadingWindowTest, AFileThatIsNoPictureIsOneMessageAndNothingElse) {
    fs::create_directories(folder);
    std::ofstream(folder / L"不是图片.png") << "not a picture";
    const std::wstring valueBefore = window.text(Control::valueBox);
    testing::MessageBoxAnswerer answerer;
    testing::dropFile(window.main(), folder / L"不是图片.png");
    window.pump();
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(answerer.boxes()[0],
              (folder / L"不是图片.png").wstring() + L" 不是 PNG、JPEG 或 TIFF 图片");
    EXPECT_EQ(window.face.reading()->window(), nullptr);
    EXPECT_EQ(window.text(Control::valueBox), valueBefore);
    EXPECT_TRUE(spooler.documents.empty());
}

// The system menu's entry and Ctrl+O (cancelled here) open the system's dialog; its choice is
// read. While the dialog holds the main window, the reading window's buttons are held too.
TEST_F(ReadingWindowTest, TheSystemMenuAndCtrlOOpenThePictureChosenInTheOpenDialog) {
    wchar_t item[64] = {};
    GetMenuStringW(GetSystemMenu(window.main(), FALSE), 0x0010, item, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(item), L"打开扫描图片…\tCtrl+O");
    static std::wstring choice;               // none: Cancel
    static std::vector<bool> readingEnabled;  // while each dialog was open
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND dialog = FindWindowW(L"#32770", L"打开扫描图片");
        if (dialog == nullptr || !IsWindowVisible(dialog) || GetPropW(dialog, L"answered")) return;
        SetPropW(dialog, L"answered", dialog);
        readingEnabled.push_back(IsWindowEnabled(FindWindowW(L"Trevalune.Reading", nullptr)));
        for (int field : {edt1, cmb13}) SetDlgItemTextW(dialog, field, choice.c_str());
        PostMessageW(dialog, WM_COMMAND, choice.empty() ? IDCANCEL : IDOK, 0);
    });
    choice = copyOfPage("super-high-density-39.png", L"打开的页面.png").wstring();
    SendMessageW(window.main(), WM_SYSCOMMAND, 0x0010, 0);
    window.pump();
    const HWND reading = window.face.reading()->window();
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(texts(L"Button"), std::vector<std::wstring>{L"选择超高密，参数填 39"});

    choice.clear();
    INPUT keys[4] = {};
    for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[3].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = keys[2].ki.wVk = 'O';
    keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SetFocus(window.hwnd(Control::printerList));
    SendInput(4, keys, sizeof(INPUT));
    for (int i = 0; i < 50 && readingEnabled.size() < 2; ++i, Sleep(10)) window.pump();
    ASSERT_EQ(readingEnabled.size(), 2u) << "a dialog each time";
    EXPECT_FALSE(readingEnabled[1]) << "held while the dialog holds the main window";
    EXPECT_TRUE(IsWindowEnabled(reading)) << "again once the dialog closed";
    EXPECT_EQ(window.face.reading()->window(), reading);
    KillTimer(nullptr, timer);
}

}  // namespace
}  // namespace trevalune
