// trevalune-send against a recording spooler and a recording clock: the printer it chooses,
// what it says, its exit statuses, and hex text taken exactly as the window's command box takes it.
#include "tools/trevalune-send/send_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "alignment/config_block.h"
#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "printer/bytes.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_spooler.h"
#include "tests/support/temp_folder.h"

namespace trevalune {
namespace {

using ::testing::HasSubstr;
using Names = std::vector<std::string>;

/// One queue's thread at a time on the shared recording spooler.
class LockedSpooler final : public Spooler {
public:
    LockedSpooler(RecordingSpooler& inner, std::mutex& mutex) : inner_(inner), mutex_(mutex) {}
    template <class F>
    decltype(auto) locked(F f) {
        const std::lock_guard lock(mutex_);
        return f();
    }
    PrinterList listPrinters() override {
        return locked([&] { return inner_.listPrinters(); });
    }
    SendResult sendRawDocument(const std::string& p, const std::string& n,
                               std::string_view d) override {
        return locked([&] { return inner_.sendRawDocument(p, n, d); });
    }
    JobQuery queryActiveJobs(const std::string& p) override {
        return locked([&] { return inner_.queryActiveJobs(p); });
    }
    PrinterState printerState(const std::string& p) override {
        return locked([&] { return inner_.printerState(p); });
    }
    JobState jobState(const std::string& p, int job) override {
        return locked([&] { return inner_.jobState(p, job); });
    }
    void setDefaultPrinter(const std::string& p) override {
        locked([&] { inner_.setDefaultPrinter(p); });
    }
    std::optional<std::string> defaultPrinter() override {
        return locked([&] { return inner_.defaultPrinter(); });
    }

private:
    RecordingSpooler& inner_;
    std::mutex& mutex_;
};

class ScriptedTerminal final : public send::Terminal {
public:
    std::optional<std::string> ask(const std::string& prompt) override {
        prompts.push_back(prompt);
        if (answers.empty()) return std::nullopt;
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<std::string> answers;
    Names prompts;
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

/// A run of the program over a recording spooler with these printers.
struct Sender {
    explicit Sender(Names printers) : spooler(std::move(printers)) {}

    Outcome run(const Names& arguments, const std::string& input = {}) {
        std::istringstream in(input);
        std::ostringstream out, err;
        send::System system{
            [this](const send::SpoolerOptions& options) -> std::unique_ptr<Spooler> {
                const std::lock_guard lock(mutex);  // each queue's thread opens its own
                ++spoolersOpened;
                servers.push_back(options.server);
                return std::make_unique<LockedSpooler>(spooler, mutex);
            },
            clock,
            in,
            out,
            err,
            [this](const std::string& name) -> std::optional<std::string> {
                const auto it = environment.find(name);
                if (it == environment.end()) return std::nullopt;
                return it->second;
            },
            terminal};
        Outcome r;
        r.status = send::runSend(arguments, system);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    RecordingSpooler spooler;
    std::mutex mutex;
    testing::FakeClock clock;
    std::map<std::string, std::string> environment;
    send::Terminal* terminal = nullptr;
    int spoolersOpened = 0;
    Names servers;
};

Names printersOf(const RecordingSpooler& spooler) {
    Names out;
    for (const auto& d : spooler.documents) out.push_back(d.printer);
    return out;
}

TEST(SendCommandTest, ChoosesThePrinterAsLpDoesThenAsTheWindowPreselects) {
    struct Case {
        Names printers;
        std::optional<std::string> userDefault;
        std::map<std::string, std::string> environment;
        Names options;
        std::string chosen;  ///< empty: none, status 1
    } cases[] = {
        {{"Office1", "RZ7-a", "RZ7-b"}, {}, {}, {}, "RZ7-a"},
        {{"Office1", "RZ7-a"}, "Office1", {}, {}, "Office1"},
        {{"Office1", "RZ7-a", "P"}, "Office1", {{"PRINTER", "P"}}, {}, "P"},
        {{"Office1", "RZ7-a", "P"}, "Office1", {{"PRINTER", "lp"}}, {}, "Office1"},
        {{"Office1", "RZ7-a", "P", "L"}, {}, {{"PRINTER", "P"}, {"LPDEST", "L"}}, {}, "L"},
        {{"Office1", "RZ7-a", "L", "D"}, "L", {{"LPDEST", "L"}}, {"-d", "D"}, "D"},
        {{"Office1", "RZ7-a", "L", "D"}, {}, {{"LPDEST", "L"}}, {"--printer=D"}, "D"},
        // The window selects nothing with a single printer, and so does the command line.
        {{"RZ7-a"}, {}, {}, {}, ""},
        {{"Office1", "Office2"}, {}, {}, {}, "Office2"},
        {{}, {}, {}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options) + " " +
                     ::testing::PrintToString(c.environment));
        Sender s(c.printers);
        s.spooler.userDefault = c.userDefault;
        s.environment = c.environment;
        Names args = c.options;
        args.push_back("eject");
        const Outcome r = s.run(args);
        const Outcome listed = s.run({"list"});
        if (c.chosen.empty()) {
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(s.spooler.documents.size(), 0u);
            EXPECT_THAT(r.err, HasSubstr("no printer chosen"));
            EXPECT_EQ(listed.out.find('*'), std::string::npos);
            continue;
        }
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(printersOf(s.spooler), Names{c.chosen});
        EXPECT_EQ(r.out, c.chosen + "-1\n");
        if (c.options.empty()) {
            EXPECT_THAT(listed.out, HasSubstr("* " + c.chosen + "\n"));
        }
        EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), c.printers.size());
    }
}

TEST(SendCommandTest, StatusesAndMessagesSayWhatLeftAndNothingLeavesARefusedRun) {
    const std::string eject = bytesOf({0x1D, 0x56, 0x53});
    const std::string usage = "\nTry 'trevalune-send --help' for more information.\n";
    struct Case {
        Names arguments;
        int status;
        std::string err;  ///< the whole error stream
        std::size_t sent = 0;
        std::string refusing = {};  ///< RZ7-a takes no document, for this reason
        std::string unreachable = {};
    } cases[] = {
        {{"-d", "NoSuch", "eject"},
         1,
         "trevalune-send: NoSuch could not be opened for document 1, so nothing more was sent: "
         "no such printer\n"},
        {{"factory-reset"},
         1,
         "trevalune-send: RZ7-a did not take document 1, so nothing more was sent: stopped\n",
         0,
         "stopped"},
        {{"eject"},
         1,
         "trevalune-send: no print server answers at 127.0.0.1:1; nothing was sent\n",
         0,
         {},
         "127.0.0.1:1"},
        {{"alignment-test", "abc"},
         2,
         "trevalune-send: refused, nothing was sent: "
         "高速的测试中心值“abc”不是数字，没有发送任何内容。\n"},
        {{"alignment-test", "256"}, 2, ""},
        {{"set", "high-density", "x1"}, 2, ""},
        {{"set-all", "16", "24", "300"}, 2, ""},
        {{"set-all", "16", "24", "-1", "--test-page"}, 2, ""},
        {{"set", "high-speed", "121"},
         2,
         "trevalune-send: the value \"121\" is above 120, which the window's value box never "
         "holds (it makes 119 of it); nothing was sent" +
             usage},
        {{"set", "fast", "16"},
         2,
         "trevalune-send: unknown mode \"fast\": high-speed, high-density or super-high-density" +
             usage},
        {{"hex", "1D", "565"}, 2, ""},
        {{"hex", "1G"}, 2, ""},
        {{"file", "/no/such/file.prn"}, 2, ""},
        {{"file", "-"},
         2,
         "trevalune-send: refused, nothing was sent: standard input is empty: "
         "nothing to send.\n"},
        {{"text", ""}, 2, ""},
        {{"bogus"}, 2, "trevalune-send: unknown operation \"bogus\"" + usage},
        {{}, 2, "trevalune-send: no operation given" + usage},
        {{"eject", "1"}, 2, "trevalune-send: usage: trevalune-send [OPTIONS] eject " + usage},
        {{"set", "high-speed"}, 2, ""},
        {{"--bogus", "eject"},
         2,
         "trevalune-send: not expected: --bogus" + usage},
        {{"-d"}, 2, "trevalune-send: --printer needs a value" + usage},
        {{"--extra-wait", "5s", "set", "high-speed", "16"}, 2, ""},
        {{"--extra-wait", "60001", "set", "high-speed", "16"}, 2, ""},
        {{"--test-page", "eject"}, 2, "trevalune-send: --test-page does not go with eject" + usage},
        {{"--hex", "0A", "eject"}, 2, ""},
        {{"--hex", "0A", "--hex", "1D565"}, 2, ""},
        {{"align", "high-speed"}, 2, ""},  // no terminal
        {{"--", "-d", "eject"}, 2, "trevalune-send: unknown operation \"-d\"" + usage},
        {{"eject"}, 0, "", 1},
        {{"--hex", "0A", "--text", "打印", "--hex", "1d 56 53"}, 0, "", 3},
        {{"hex", "1B", "4a", "10", "--save"}, 0, "", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        Sender s({"Office1", "RZ7-a"});
        if (!c.refusing.empty()) s.spooler.refusing["RZ7-a"] = c.refusing;
        s.spooler.unreachableServer = c.unreachable;
        const Outcome r = s.run(c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(s.spooler.documents.size(), c.sent);
        if (c.status == 2) {
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'),
                      r.err.find("Try ") == std::string::npos ? 1 : 2)
                << r.err;
        }
        if (!c.err.empty() || c.status == 0) {
            EXPECT_EQ(r.err, c.err);
        }
    }
    // A usage error in Chinese is Chinese, the window's own texts quoted as they are.
    Sender zh({"Office1", "RZ7-a"});
    zh.environment = {{"LANG", "C"}, {"LC_ALL", "zh_CN.UTF-8"}};
    EXPECT_EQ(zh.run({"bogus"}).err,
              "trevalune-send: 未知的操作“bogus”\n请运行 'trevalune-send --help' 查看用法。\n");
    EXPECT_EQ(
        zh.run({"-d", "NoSuch", "save"}).err,
        "trevalune-send: 无法打开打印机 NoSuch（第 1 个文档），之后的内容未发送：没有这台打印机\n");
}

TEST(SendCommandTest, PrintsJobIdsUnlessQuietAndStopsAQueueAtItsFirstFailure) {
    Sender s({"Office1", "RZ7-a"});
    Outcome r = s.run({"factory-reset"});
    EXPECT_EQ(r.out, "RZ7-a-1\nRZ7-a-2\nRZ7-a-3\n");
    EXPECT_EQ(s.clock.waits, (std::vector<int>{2500, 1000}));
    r = s.run({"-q", "factory-reset"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 0);

    // The printer goes away after the first document: nothing more is sent, nor waited for.
    Sender gone({"Office1", "RZ7-a"});
    gone.spooler.onDocument = [&](const RecordingSpooler::Document&) {
        gone.spooler.printers.clear();
    };
    r = gone.run({"factory-reset"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(gone.spooler.documents.size(), 1u);
    EXPECT_EQ(gone.clock.waits, (std::vector<int>{2500}));
    EXPECT_EQ(r.out, "RZ7-a-1\n");
}

TEST(SendCommandTest, DryRunShowsDocumentsAndWaitsAndAsksNoServer) {
    Sender s({"Office1", "RZ7-a"});
    s.environment = {{"PRINTER", "RZ7-a"}};
    const Outcome r = s.run({"-n", "--server", "nowhere:1", "factory-reset"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "dry run, nothing sent; printer: RZ7-a\n"
              "document 1, 5 bytes: 1B 3A 00 00 52\nwait 2500 ms\n"
              "document 2, 31 bytes: " +
                  std::string(kFactoryBlockSpaced) +
                  "\nwait 1000 ms\ndocument 3, 5 bytes: 1B 3A 00 00 52\n");
    EXPECT_EQ(s.spoolersOpened, 0);
    EXPECT_TRUE(s.clock.waits.empty());
    EXPECT_EQ(
        s.run({"--dry-run", "-d", "A", "-d", "B", "set", "high-speed", "16", "--extra-wait=0"})
            .out.substr(0, 40),
        "dry run, nothing sent; printer: A, B\nwai");
}

TEST(SendCommandTest, FileAndStandardInputOfAnySizeGoAsOneDocument) {
    std::string mebibyte(1 << 20, '\0');
    for (std::size_t i = 0; i < mebibyte.size(); ++i) mebibyte[i] = static_cast<char>(i * 7);
    Sender s({"Office1", "RZ7-a"});
    Outcome r = s.run({"file", "-"}, mebibyte);
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(s.spooler.payloads(), Names{mebibyte});

    testing::TempFolder folder;
    const std::string path = folder.path().string() + "/big.prn";
    std::ofstream(path, std::ios::binary) << mebibyte << "x";
    r = s.run({"file", path});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(s.spooler.payloads().back(), mebibyte + "x");
}

TEST(SendCommandTest, EveryQueueGetsItsDocumentsInOrder) {
    Sender s({"A", "B", "C"});
    const Outcome r =
        s.run({"-d", "A", "-d", "B", "-d", "C", "--server", "h:1", "alignment-test", "30"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(s.spoolersOpened, 3);
    EXPECT_EQ(s.servers, Names(3, "h:1"));
    const std::vector<Bytes> page = buildAlignmentTest("30").documents();
    for (const std::string queue : {"A", "B", "C"}) {
        std::vector<Bytes> got;
        for (const auto& d : s.spooler.documents) {
            if (d.printer == queue) got.push_back(d.data);
        }
        EXPECT_EQ(got, page) << queue;
    }
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 180);

    // One queue failing does not stop the others; the status says it.
    Sender f({"A", "C"});
    EXPECT_EQ(f.run({"-d", "A", "-d", "B", "-d", "C", "eject"}).status, 1);
    EXPECT_EQ(printersOf(f.spooler).size(), 2u);
}

TEST(SendCommandTest, AlignPrintsUntilTheMarkedRowIsStraightThenSaves) {
    Sender s({"Office1", "RZ7-a"});
    ScriptedTerminal terminal;
    terminal.answers = {"33", "x", "500", "31", ""};
    s.terminal = &terminal;
    const Outcome r = s.run({"--extra-wait", "0", "align", "super-high-density", "--from", "30"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<Bytes> expected;
    for (const char* v : {"30", "33", "31"}) {
        const auto round =
            buildSetSingleItem(PrintMode::SuperHighDensity, {"16", "24", v}, "0").documents();
        expected.insert(expected.end(), round.begin(), round.end());
    }
    expected.push_back(buildSaveCommand());
    EXPECT_EQ(s.spooler.payloads(), expected);
    EXPECT_EQ(terminal.prompts,
              Names({"Which row is straight? [30] ", "Which row is straight? [33] ",
                     "Which row is straight? [33] ", "Which row is straight? [33] ",
                     "Which row is straight? [31] "}));
    EXPECT_THAT(r.err, HasSubstr("super-high-density is 31; saved."));

    // The operator ends the input: nothing is saved, status 1.
    Sender stop({"Office1", "RZ7-a"});
    ScriptedTerminal none;
    stop.terminal = &none;
    EXPECT_EQ(stop.run({"align", "high-speed"}).status, 1);
    EXPECT_EQ(stop.spooler.documents.size(), 44u);  // one round of 设置单项, no save
    EXPECT_EQ(stop.run({"align", "high-speed", "--from", "4"}).status, 2);
}

TEST(SendCommandTest, HexTextIsTakenAsTheCommandBoxTakesIt) {
    // The box's own rules: blanks anywhere, both cases, whole byte pairs, nothing else.
    const std::pair<std::string, std::optional<Bytes>> cases[] = {
        {"  1 D56 5 3  ", bytesOf({0x1D, 0x56, 0x53})},
        {"00 FF 7f 80", bytesOf({0x00, 0xFF, 0x7F, 0x80})},
        {std::string(300, 'f') + " " + std::string(300, 'F'), std::string(300, '\xFF')},
        {"1D565", std::nullopt},
        {"    ", std::nullopt},
        {"1D 5g 53", std::nullopt},
        {"1D\t56,53 1D,", std::nullopt},
        {"１Ａ", std::nullopt},
    };
    for (const auto& [text, sent] : cases) {
        SCOPED_TRACE("hex text \"" + text + "\"");
        for (const Names& args : {Names{"--hex", text}, Names{"hex", text}}) {
            Sender s({"Office1", "RZ7-a"});
            EXPECT_EQ(s.run(args).status, sent ? 0 : 2);
            EXPECT_EQ(s.spooler.payloads(), sent ? Names{*sent} : Names{});
        }
    }
}

}  // namespace
}  // namespace trevalune
