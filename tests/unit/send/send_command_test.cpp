// trevalune-send against a recording spooler: hex text is taken exactly as the window's
// command box takes it, and the exit status and the lines say what really left.
#include "tools/trevalune-send/send_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "form/form1.h"
#include "printer/bytes.h"
#include "tests/support/fake_clock.h"
#include "tests/support/form_operator.h"
#include "tests/support/recording_face.h"
#include "tests/support/recording_spooler.h"
#include "tests/support/temp_folder.h"

namespace trevalune {
namespace {

using ::testing::HasSubstr;
using Names = std::vector<std::string>;

struct SendRun {
    int status = -1;
    std::string out;
    std::string err;
};

SendRun send(RecordingSpooler& spooler, const Names& arguments) {
    std::ostringstream out, err;
    SendRun run;
    run.status = runSend(arguments, spooler, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

/// Hex texts with what both the command box and the sender make of them: the one document
/// sent, or nothing (a refusal).
struct HexCase {
    std::string text;
    std::optional<Bytes> sent;
    Names refusedCharacters = {};  // as the sender names them; the box says no as each is typed
};

const HexCase kHexCases[] = {
    {"1D5653", bytesOf({0x1D, 0x56, 0x53})},
    {"1D 56 53", bytesOf({0x1D, 0x56, 0x53})},
    {"  1 D56 5 3  ", bytesOf({0x1D, 0x56, 0x53})},
    {"00 FF 7f 80", bytesOf({0x00, 0xFF, 0x7F, 0x80})},
    {std::string(300, 'f') + " " + std::string(300, 'F'), std::string(300, '\xFF')},
    {"1D565", std::nullopt},
    {"", std::nullopt},
    {"    ", std::nullopt},
    {"1D 5g 53", std::nullopt, {"\"g\""}},  // the window's own tests type "G"
    {"1D\t56,53 1D,", std::nullopt, {"U+0009", "\",\""}},
    {"0A\r\n0A", std::nullopt, {"U+000D", "U+000A"}},
    {"１Ａ", std::nullopt, {"\"１\"", "\"Ａ\""}},
};

TEST(SendCommandTest, HexTextIsTakenAsTheCommandBoxTakesIt) {
    for (const HexCase& c : kHexCases) {
        SCOPED_TRACE("hex text \"" + c.text + "\"");
        // The operator types the text into the box and clicks 发送.
        RecordingSpooler boxSpooler({"Office1", "RZ7-virtual"});  // the second is preselected
        testing::FakeClock clock;
        testing::TempFolder folder;
        testing::RecordingFace face;
        Form1 form(face, boxSpooler, clock, folder.path());
        testing::typeKeys(form, face, Control::Text2, c.text);
        const std::size_t refusedWhileTyping = face.messages.size();
        form.clicked(Control::Command6);

        RecordingSpooler sendSpooler({"Office1", "RZ7-virtual"});
        const SendRun run = send(sendSpooler, {"--hex", c.text});

        EXPECT_EQ(refusedWhileTyping != 0, !c.refusedCharacters.empty());
        if (c.sent) {
            EXPECT_EQ(boxSpooler.payloads(), Names{*c.sent});
            EXPECT_EQ(sendSpooler.payloads(), Names{*c.sent});
            EXPECT_EQ(run.status, 0) << run.err;
            continue;
        }
        EXPECT_EQ(sendSpooler.payloads(), Names{});
        EXPECT_EQ(run.status, 2);
        EXPECT_THAT(run.err, HasSubstr("nothing was sent"));
        if (!c.refusedCharacters.empty()) {
            std::string names;
            for (const auto& n : c.refusedCharacters) names += (names.empty() ? "" : ", ") + n;
            EXPECT_THAT(run.err,
                        HasSubstr(names + (c.refusedCharacters.size() == 1 ? " is" : " are") +
                                  " not allowed in hex text"));
            continue;  // the box never let them in; what is left is the operator's to mend
        }
        EXPECT_EQ(boxSpooler.payloads(), Names{});
        // The box's refusal is the sender's: the same message (an empty box says nothing).
        if (!c.text.empty()) {
            ASSERT_EQ(face.messages.size(), 1u);
            EXPECT_THAT(run.err, HasSubstr(face.messages[0].text));
        }
    }
}

TEST(SendCommandTest, TheStatusAndTheLinesSayWhatReallyLeft) {
    const std::string eject = bytesOf({0x1D, 0x56, 0x53});
    struct Case {
        Names printers;
        Names arguments;
        int status;
        Names sent;
        std::string err;  // the whole error stream
        std::string unreachable = {};
        std::string refusal = {};  ///< RZ7-a takes no document, for this reason
    } cases[] = {
        {{"Office1", "RZ7-a", "RZ7-b"},
         {"--hex", "1D 56 53", "--text", "打印", "--hex", "0a"},
         0,
         {eject, "\xB4\xF2\xD3\xA1", "\n"},
         "trevalune-send: 1D 56 53 -> RZ7-a\ntrevalune-send: B4 F2 D3 A1 -> RZ7-a\n"
         "trevalune-send: 0A -> RZ7-a\n"},
        {{"Office1", "RZ7-a"},
         {"--printer", "NoSuch", "--hex", "0A", "--hex", "0A"},
         1,
         {},
         "trevalune-send: NoSuch could not be opened for document 1 of 2 (0A), so nothing more "
         "was sent: The Printer Name you typed wasn't recognized.\n"},
        {{"Office1", "RZ7-a"},
         {"--hex", "0A", "--hex", "0A"},
         1,
         {},
         "trevalune-send: RZ7-a did not take document 1 of 2 (0A), so nothing more was sent: "
         "Destination \"RZ7-a\" is not accepting jobs.\n",
         {},
         "Destination \"RZ7-a\" is not accepting jobs."},
        {{"RZ7-a"},
         {"--hex", "0A"},
         1,
         {},
         "trevalune-send: No print server answers at 127.0.0.1:1, so no printer can be listed. "
         "Nothing was sent.\n",
         "127.0.0.1:1"},
        {{"Office1"},
         {"--hex", "0A"},
         1,
         {},
         "trevalune-send: no printer whose name begins with RZ7; use --printer NAME (printers: "
         "Office1). Nothing was sent.\n"},
        // A bad piece anywhere stops every piece.
        {{"Office1", "RZ7-a"},
         {"--hex", "0A", "--hex", "1D565", "--text", ""},
         2,
         {},
         "trevalune-send: --hex \"1D565\": "
         "去掉空格后共有5个16进制数字，不是偶数个（每个字节两个数字），未发送。\n"
         "trevalune-send: --text \"\": the text is empty: there is nothing to send.\n"
         "trevalune-send: nothing was sent.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        RecordingSpooler spooler(c.printers);
        spooler.unreachableServer = c.unreachable;
        if (!c.refusal.empty()) spooler.refusing["RZ7-a"] = c.refusal;
        const SendRun run = send(spooler, c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(spooler.payloads(), c.sent);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
        for (const auto& d : spooler.documents) EXPECT_EQ(d.name, "AAAAAA");
    }

    // The printer goes away after the first document: one line, status 1, nothing more sent.
    RecordingSpooler spooler({"Office1", "RZ7-a"});
    spooler.onDocument = [&](const RecordingSpooler::Document&) { spooler.printers.clear(); };
    const SendRun run = send(spooler, {"--hex", "0A", "--hex", "1D5653", "--hex", "0A"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(spooler.payloads(), Names{"\n"});
    EXPECT_EQ(run.err,
              "trevalune-send: 0A -> RZ7-a\n"
              "trevalune-send: RZ7-a could not be opened for document 2 of 3 (1D 56 53), so "
              "nothing more was sent: The Printer Name you typed wasn't recognized.\n");
}

}  // namespace
}  // namespace trevalune
