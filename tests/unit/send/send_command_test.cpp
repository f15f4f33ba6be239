// trevalune-send against a recording spooler and a recording clock: the printer it chooses,
// what it says and in which language, its account and JSON, its exit statuses, interruptions,
// --wait, and hex text taken exactly as the window's command box takes it.
#include "cli/send_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>
#include <thread>

#include "alignment/config_block.h"
#include "alignment/set_items.h"
#include "alignment/test_print.h"
#include "cli/command_line.h"
#include "cli/command_scanner.h"
#include "cli/input_fanout.h"
#include "cli/interruption.h"
#include "operations/catalogue.h"
#include "printer/windows/spooler_status.h"
#include "rowreader/image_decode.h"
#include "tests/support/fake_clock.h"
#include "tests/support/json_schema.h"
#include "tests/support/recording_spooler.h"
#include "tests/support/temp_folder.h"

namespace trevalune {
namespace {

using ::testing::HasSubstr;
using Names = std::vector<std::string>;
const std::string kEject = "\x1D\x56\x53";
const std::string kUsage = "\nTry 'trevalune-send --help' for more information.\n";

/// One queue's thread at a time on the shared recording spooler.
class LockedSpooler final : public Spooler {
public:
    LockedSpooler(RecordingSpooler& inner, std::mutex& mutex) : in_(inner), mutex_(mutex) {}
    template <class F>
    decltype(auto) locked(F f) {
        const std::lock_guard lock(mutex_);
        return f();
    }
    // clang-format off
    PrinterList listPrinters() override { return locked([&] { return in_.listPrinters(); }); }
    SendResult sendRawDocument(const std::string& p, const std::string& n, std::string_view d) override {
        return locked([&] { return in_.sendRawDocument(p, n, d); });
    }
    JobQuery queryActiveJobs(const std::string& p) override { return locked([&] { return in_.queryActiveJobs(p); }); }
    PrinterState printerState(const std::string& p) override { return locked([&] { return in_.printerState(p); }); }
    JobState jobState(const std::string& p, int j) override { return locked([&] { return in_.jobState(p, j); }); }
    void setDefaultPrinter(const std::string& p) override { locked([&] { in_.setDefaultPrinter(p); }); }
    std::optional<std::string> defaultPrinter() override { return locked([&] { return in_.defaultPrinter(); }); }
    // clang-format on

private:
    RecordingSpooler& in_;
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

using rowreader::Doubt;
using rowreader::ModeReading;

/// A reading of high speed: rows (value, offset, a column less a value), the straight row,
/// the doubt; where the rows decide, the line's crossing as the reader predicts it.
ModeReading reading(std::vector<std::pair<int, double>> rows, std::optional<int> straight,
                    Doubt doubt, double confidence = 0, PrintMode mode = PrintMode::HighSpeed) {
    ModeReading r{mode, {}, straight, doubt, confidence, false, {}};
    for (const auto& [value, offset] : rows)
        r.rows.push_back({value, true, value == 16, offset, 0.1});
    if (doubt == Doubt::None || doubt == Doubt::NoneStraight) {
        double sum = 0;
        for (const auto& [value, offset] : rows) sum += value + offset;
        r.predicted = sum / static_cast<double>(rows.size());
    }
    return r;
}

/// Hands out one page's readings per picture, or throws for "not a picture"; keeps what it
/// was asked.
class FakeRowReader final : public send::RowReader {
public:
    std::vector<ModeReading> read(std::span<const std::uint8_t> bytes,
                                  const rowreader::ReadOptions& options) override {
        pictures.emplace_back(bytes.begin(), bytes.end());
        asked.push_back(options);
        if (pictures.back() == "junk") {
            throw rowreader::ImageError("not a PNG", rowreader::ImageFault::NotAPicture);
        }
        if (pictures.back() == "empty") {
            throw rowreader::ImageError("empty", rowreader::ImageFault::EmptyFile);
        }
        if (pages.empty() || pictures.back() == "x") throw rowreader::ImageError("damaged PNG");
        std::vector<ModeReading> page = pages.front();
        if (pages.size() > 1 || !repeatLast) pages.pop_front();
        return page;
    }
    int pageCount(std::span<const std::uint8_t>) override { return pagesInPicture; }
    /// A page's drawing is one pixel of the page's number in red.
    std::vector<ModeReading> readPage(std::span<const std::uint8_t> bytes,
                                      const rowreader::ReadOptions& options, int page,
                                      rowreader::RgbImage* annotation) override {
        if (annotation) *annotation = {1, 1, {static_cast<std::uint8_t>(100 * (page + 1)), 0, 0}};
        return read(bytes, options);
    }
    std::deque<std::vector<ModeReading>> pages;
    int pagesInPicture = 1;
    bool repeatLast = false;
    Names pictures;
    std::vector<rowreader::ReadOptions> asked;
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
        if (outputFails) out.setstate(std::ios::badbit);
        send::System system{
            [this](const send::SpoolerOptions& options) -> std::unique_ptr<Spooler> {
                const std::lock_guard lock(mutex);  // each queue's thread opens its own
                opened.push_back(options);
                if (opened.size() == failingOpen) throw std::bad_alloc();
                return std::make_unique<LockedSpooler>(spooler, mutex);
            },
            clock,
            in,
            out,
            err,
            [this](const std::string& name) -> std::optional<std::string> {
                const auto it = environment.find(name);
                return it == environment.end() ? std::nullopt : std::optional(it->second);
            },
            terminal};
        system.platform = platform;
        system.interruption = &interruption;
        system.rowReader = rowReader;
        system.scanner = &scanner;
        system.openInput = openInput;
        const int status = send::runSend(arguments, system);
        // Every JSON any test makes is held to the schema a script relies on.
        const auto operands = std::find(arguments.begin(), arguments.end(), "--");
        if (!outputFails && std::find(arguments.begin(), operands, "--json") != operands) {
            EXPECT_THAT(
                testing::schemaErrors(testing::sendSchema(), nlohmann::json::parse(out.str())),
                ::testing::IsEmpty())
                << out.str();
        }
        return {status, out.str(), err.str()};
    }
    std::vector<std::string> sentTo(const std::string& printer) const {
        std::vector<std::string> got;
        for (const auto& d : spooler.documents)
            if (d.printer == printer) got.push_back(d.data);
        return got;
    }

    RecordingSpooler spooler;
    std::mutex mutex;
    testing::FakeClock clock;
    std::map<std::string, std::string> environment;
    send::Terminal* terminal = nullptr;
    send::Platform platform = send::Platform::Cups;
    send::Interruption interruption;
    std::vector<send::SpoolerOptions> opened;
    std::size_t failingOpen = 0;  ///< this opening (from 1) runs out of memory
    std::function<std::unique_ptr<send::InputReader>(const std::string&)> openInput;
    bool outputFails = false;
    FakeRowReader reader;
    send::RowReader* rowReader = &reader;
    send::CommandScanner scanner{&interruption, 1 << 20};
};

TEST(SendCommandTest, ChoosesThePrinterAsLpDoesThenAsTheWindowPreselects) {
    struct Case {
        Names printers;
        std::optional<std::string> userDefault;
        std::map<std::string, std::string> environment;
        Names options;
        std::string chosen;  ///< empty: none, status 1
        send::Platform platform = send::Platform::Cups;
    } cases[] = {
        {{"RZ1", "RZ7-a", "RZ7-b"}, {}, {}, {}, "RZ7-a"},
        {{"Office1", "RZ7-a"}, "Office1", {}, {}, "Office1"},
        {{"Office1", "RZ7-a", "P"}, "Office1", {{"PRINTER", "P"}}, {}, "P"},
        {{"Office1", "RZ7-a", "P"}, "Office1", {{"PRINTER", "lp"}}, {}, "Office1"},
        {{"Office1", "RZ7-a", "P", "L"}, {}, {{"PRINTER", "P"}, {"LPDEST", "L"}}, {}, "L"},
        {{"Office1", "RZ7-a", "L", "D"}, "L", {{"LPDEST", "L"}}, {"-d", "D"}, "D"},
        {{"Office1", "RZ7-a", "L", "D"}, {}, {{"LPDEST", "L"}}, {"--printer=D"}, "D"},
        // lp's variables mean nothing to the Windows spooler.
        {{"Office1", "RZ7-a", "L"}, {}, {{"LPDEST", "L"}}, {}, "RZ7-a", send::Platform::Windows},
        // The window selects nothing with a single printer, and so does the command line.
        {{"RZ7-a"}, {}, {}, {}, ""},
        {{"Office1", "Office2"}, {}, {}, {}, "Office2"},
        {{}, {}, {}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options) + ::testing::PrintToString(c.environment));
        Sender s(c.printers);
        s.spooler.userDefault = c.userDefault;
        s.environment = c.environment;
        s.platform = c.platform;
        Names args = c.options;
        args.push_back("eject");
        const Outcome r = s.run(args);
        const Outcome listed = s.run({"list"});
        const bool none = c.chosen.empty();
        EXPECT_EQ(r.status, none ? 1 : 0) << r.err;
        EXPECT_EQ(s.spooler.documents.size(), none ? 0u : 1u);
        EXPECT_EQ(s.sentTo(c.chosen), none ? Names{} : Names{kEject});
        EXPECT_EQ(r.out, none ? "" : c.chosen + "-1\n");
        EXPECT_THAT(r.err, HasSubstr(none ? "no printer chosen" : ": 1 of 1 documents taken"));
        // The list marks the printer a run without -d chooses, or none.
        const std::string mark = none ? "*" : "* " + c.chosen + "  idle";
        if (c.options.empty()) {
            EXPECT_EQ(listed.out.find(mark) == std::string::npos, none);
        }
        EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), c.printers.size());
    }
}

TEST(SendCommandTest, StatusesAndMessagesSayWhatLeftAndNothingLeavesARefusedRun) {
    const auto sender = [] {
        auto s = std::make_unique<Sender>(Names{"Office1", "RZ7-a", "Refusing", "Lost", "Gone"});
        s->spooler.refusing["Refusing"] = "stopped";
        s->spooler.onDocument = [p = s.get()](const RecordingSpooler::Document&) {
            p->spooler.unconfirmed["Lost"] = "Broken pipe";  // from the second document on
            std::erase(p->spooler.printers, "Gone");
        };
        return s;
    };
    // Refused before anything leaves: status 2, no output, nothing sent.
    // clang-format off
    const Names wrong[] = {
        {"--server", "", "eject"}, {"--server", "ipp://h:631/", "eject"}, {"--server", "h:0", "eject"},
        {"--server", "h:65536", "eject"}, {"--server", "h:", "eject"}, {"--server", "[::1]:70000", "eject"},
        {"--extra-wait", "", "save"}, {"--extra-wait", "5s", "save"}, {"--extra-wait", "60001", "save"},
        {"--wait=x", "eject"}, {"-U", "", "eject"}, {"alignment-test", "256"}, {"set", "high-density", "x1"},
        {"set-all", "16", "24", "300"}, {"set-all", "16", "24", "-1", "--test-page"}, {"text", ""},
        {"set", "high-speed"}, {"--hex", "0A", "eject"}, {"--hex", "0A", "--hex", "1D565"},
        {"hex", "１Ａ"}, {"-d", "A\x7F", "eject"}, {"align", "high-speed"} /* no terminal */};
    // clang-format on
    for (const Names& args : wrong) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const auto s = sender();
        const Outcome r = s->run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(s->spooler.documents.size(), 0u);
    }
    // clang-format off
    const struct {
        Names arguments;
        int status;
        std::string err;  ///< the whole error stream
        std::size_t sent = 0;
    } cases[] = {
        {{"-d", "NoSuch", "eject"}, 1,
         "NoSuch: 0 of 1 documents taken; the printer could not be opened for document 1: no "
         "such printer\n"},
        {{"-d", "Refusing", "factory-reset"}, 1,
         "Refusing: 0 of 3 documents taken; document 1 was not taken, so nothing more was sent: "
         "stopped\n"},
        {{"-d", "Lost", "factory-reset"}, 1,
         "Lost: 1 of 3 documents taken; the print server went away before it confirmed document "
         "2 (job Lost-2); its queue may hold it, so nothing more was sent: Broken pipe\n", 2},
        {{"-d", "Gone", "factory-reset"}, 1, "Gone: 1 of 3 documents taken; the printer could not "
         "be opened for document 2, so nothing more was sent: no such printer\n", 1},
        {{"-d", "Office1", "-d", "office1", "eject"}, 2,
         "the queue \"office1\" is named twice (\"Office1\" and \"office1\" are one queue); "
         "nothing was sent" + kUsage},
        {{"-d", "", "eject"}, 2, "-d needs a value that is not empty" + kUsage},
        {{"--timeout", "0", "eject"}, 2,
         "--timeout needs a whole number from 1 to 3600, not \"0\"" + kUsage},
        {{"alignment-test", "abc"}, 2, "refused: \"abc\" is not a number; nothing was sent.\n"},
        {{"set", "high-speed", "121"}, 2,
         "the value \"121\" is above 120, which the window's value box never holds (it makes 119 "
         "of it); nothing was sent" + kUsage},
        {{"set-all", "16", "24", "120.5"}, 2,
         "the value \"120.5\" is above 120, which the window's value box never holds (it makes "
         "119 of it); nothing was sent" + kUsage},
        {{"set", "fast", "16"}, 2,
         "unknown mode \"fast\": high-speed, high-density or super-high-density" + kUsage},
        {{"file", "/no/such/file.prn"}, 2,
         "refused: the file /no/such/file.prn does not exist; nothing was sent.\n"},
        // Names no queue can have, one of them splitting its line; none is sent to.
        {{"-d", "../A", "eject"}, 2, "-d \"../A\": a queue name has no spaces, '/', '#' or "
         "control characters; nothing was sent" + kUsage},
        {{"-d", "A\nB", "eject"}, 2, "-d \"A?B\": a queue name has no spaces, '/', '#' or "
         "control characters; nothing was sent" + kUsage},
        {{"file", "-"}, 2,
         "refused: standard input is empty: nothing to send.\n"},
        {{"bogus"}, 2, "unknown operation \"bogus\"" + kUsage},
        {{}, 2, "no operation given" + kUsage},
        {{"eject", "1"}, 2, "usage: trevalune-send [OPTIONS] eject " + kUsage},
        {{"--bogus", "eject"}, 2, "not expected: --bogus" + kUsage},
        {{"-d"}, 2, "--printer needs a value" + kUsage},
        {{"--json=x", "eject"}, 2, "--json takes no value" + kUsage},
        {{"--from", "3", "--from", "4"}, 2, "--from is given more than once" + kUsage},
        {{"--test-page", "eject"}, 2, "--test-page does not go with eject" + kUsage},
        {{"align", "high-speed", "--annotate", "d"}, 2, "--annotate does not go with align" + kUsage},
        {{"--", "-d", "eject"}, 2, "unknown operation \"-d\"" + kUsage},
        {{"--", "--wait", "eject"}, 2, "unknown operation \"--wait\"" + kUsage},
        // The bounds each option takes.
        {{"--extra-wait", "60000", "--server", "h:65535", "--timeout=3600", "--wait=0", "save"}, 0,
         "RZ7-a: 1 of 1 documents taken; every job completed\n", 1},
        {{"--hex", "0A", "--text", "打印", "--hex", "1d 56 53"}, 0, "RZ7-a: 3 of 3 documents "
         "taken\n", 3},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const auto s = sender();
        const Outcome r = s->run(c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(s->spooler.documents.size(), c.sent);
        EXPECT_EQ(r.err, "trevalune-send: " + c.err);
    }
    Sender down({"RZ7-a"});
    down.spooler.unreachableServer = "127.0.0.1:1";
    EXPECT_EQ(down.run({"eject"}).err,
              "trevalune-send: no print server answers at 127.0.0.1:1; nothing was sent\n");
    // Only CUPS has a server, a user and a request limit to give.
    Sender windows({"RZ7-a"});
    windows.platform = send::Platform::Windows;
    for (const char* option : {"--server=h", "-Uu", "--timeout=9"}) {
        EXPECT_EQ(windows.run({option, "eject"}).status, 2) << option;
    }
    EXPECT_THAT(windows.run({"--server=h", "eject"}).err,
                HasSubstr("--server works with CUPS only"));
    EXPECT_THAT(windows.run({"--help"}).out, Not(HasSubstr("LPDEST")));
    EXPECT_THAT(down.run({"--help"}).out, HasSubstr("LPDEST"));
    // What reaches the spooler's factory.
    Sender options({"RZ7-a"});
    options.run({"--server", "[::1]:631", "-U", "tech", "--timeout", "9", "-d", "RZ7-a", "eject"});
    ASSERT_EQ(options.opened.size(), 1u);
    EXPECT_EQ(options.opened[0].server, "[::1]:631");
    EXPECT_EQ(options.opened[0].user, "tech");
    EXPECT_EQ(options.opened[0].timeoutMs, 9000);
}

TEST(SendCommandTest, OneLanguagePerRunForEveryRefusal) {
    // clang-format off
    const Names refused[] = {{"hex", "1B4"}, {"hex", "1G"}, {"file", "/nope"}, {"alignment-test", "abc"},
                             {"set", "fast", "1"}, {"bogus"}, {"-d"}, {"--bogus"}, {"-d", "A", "-d", "a"},
                             {"--extra-wait", "x", "save"}, {"set", "high-speed", "300"}, {"--hex", "1D56 5"}};
    // clang-format on
    // Latin words that stay in Chinese: names, options, operations and the window's captions.
    const std::regex english("[A-Za-z]{3,}");
    const std::regex allowed(
        "trevalune|send|help|bogus|nope|abc|fast|speed|high|density|super|printer|extra|wait|"
        "hex|file|alignment|test");
    // That nothing was sent is said once: by the refusal's own words or by the prefix.
    const auto times = [](const std::string& s, const char* said) {
        const std::regex r(said);
        return std::distance(std::sregex_iterator(s.begin(), s.end(), r), std::sregex_iterator());
    };
    for (const Names& arguments : refused) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        Sender en({"A"});
        en.environment = {{"LANG", "en_GB.UTF-8"}};
        const std::string englishErr = en.run(arguments).err;
        EXPECT_TRUE(std::ranges::all_of(englishErr, [](unsigned char c) { return c < 0x80; }))
            << englishErr;
        EXPECT_LE(times(englishErr, "nothing was sent|nothing to send|not sent"), 1) << englishErr;
        Sender zh({"A"});
        zh.environment = {{"LANG", "C"}, {"LC_ALL", "zh_CN.UTF-8"}};
        const std::string chineseErr = zh.run(arguments).err;
        EXPECT_LE(times(chineseErr, "未发送|没有发送"), 1) << chineseErr;
        EXPECT_FALSE(std::regex_search(std::regex_replace(chineseErr, allowed, ""), english))
            << chineseErr;
    }
    Sender zh({"Office1", "RZ7-a"});
    zh.environment = {{"LC_ALL", "zh_CN.UTF-8"}};
    EXPECT_EQ(zh.run({"-d", "NoSuch", "save"}).err,
              "trevalune-send: NoSuch：1 个文档中已接受 0 个；无法为第 1 个文档打开打印机：没有这台"
              "打印机\n");
    // align names the mode in the run's language on every line; the set operation still gets
    // the command line's word.
    Sender align({"RZ7-a"});
    align.reader.pages = {
        {reading({{14, 2}, {15, 1}, {16, 0}, {17, -1}, {18, -2}}, 16, Doubt::None, .8)}};
    align.environment = {{"LC_ALL", "zh_CN.UTF-8"}};
    const Outcome said = align.run({"-d", "RZ7-a", "--extra-wait", "0", "align", "high-speed",
                                    "--scan-command", "printf picture"});
    for (const char* line :
         {"RZ7-a：高速 已设为 16，", "第 1 页，高速 16：", "高速 为 16；已保存。"})
        EXPECT_THAT(said.err, HasSubstr(line));
}

TEST(SendCommandTest, RedirectedTextFollowsTheConsolesCodePageButJsonStaysUtf8) {
    struct Case {
        Names arguments;
        unsigned console, expected;  // 0: UTF-8
    };
    const Case cases[] = {{{"eject"}, 936, 936},         {{"--json", "eject"}, 936, 0},
                          {{"eject"}, 65001, 0},         {{"eject"}, 0, 0},
                          {{"eject", "--json"}, 437, 0}, {{"file", "--", "--json"}, 437, 437}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(send::buildRedirectedCodePage(send::asksForJson(c.arguments), c.console),
                  c.expected);
    }
}

TEST(SendCommandTest, AStoppedOrOfflineQueueIsWarnedAboutBeforeItsFirstDocument) {
    const PrinterState::State idle = PrinterState::State::Idle;
    const std::string waits = "; its documents will wait in the queue";
    // clang-format off
    const struct {
        PrinterState state;
        std::string warning;  ///< empty: none
    } cases[] = {
        {{true, PrinterState::State::Stopped, true, {"paused"}, "Paused", 3}, "RZ7-a is stopped: Paused" + waits},
        {{true, idle, false, {}, "Rejecting Jobs", 0},
         "RZ7-a is idle, not accepting jobs: Rejecting Jobs; it may refuse the documents"},
        {{true, idle, true, {"offline-report"}, "", 0}, "RZ7-a is idle, offline-report" + waits},
        // Windows takes every document for a paused printer (or one offline, out of paper...).
        {printerStateFromWinspool(winspool::kPrinterStatusPaused, 0, 2), "RZ7-a is paused" + waits},
        {{true, PrinterState::State::Printing, true, {"connecting-to-device"}, "", 1}, ""},
        {{false, PrinterState::State::Stopped, false, {"paused"}, "", 0}, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.warning);
        Sender s({"RZ7-a"});
        s.spooler.states["RZ7-a"] = c.state;
        const Outcome r = s.run({"-d", "RZ7-a", "--json", "eject"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(s.spooler.documents.size(), 1u);
        const std::string account = "trevalune-send: RZ7-a: 1 of 1 documents taken\n";
        EXPECT_EQ(r.err, c.warning.empty()
                             ? account
                             : "trevalune-send: warning: " + c.warning + "\n" + account);
        const auto warned = nlohmann::json::parse(r.out)["queues"][0]["warning"];
        EXPECT_EQ(warned.is_null(), c.warning.empty());
    }
}

TEST(SendCommandTest, WaitFollowsEveryJobUntilItEnds) {
    using S = JobState::State;
    // clang-format off
    const struct {
        std::map<int, JobState> jobs;
        std::string wait;
        int status;
        std::vector<int> waits;
        std::string end;  ///< the end of the account line
    } cases[] = {
        {{}, "--wait", 0, {}, "; every job completed"},
        {{{1, {S::Gone, {}, {}}}, {3, {S::Gone, {}, {}}}}, "--wait", 0, {},
         "; every job left the queue; the spooler keeps no record of how a job ended, so that it "
         "printed is not confirmed"},
        // A server that stops answering, or a deleted queue, has not printed anything.
        {{{2, {S::Unknown, {}, "no answer within 5 s from h:631"}}, {3, {S::Unknown, {}, {}}}}, "--wait=9", 1, {},
         "; whether job RZ7-a-2, RZ7-a-3 completed is not known, its state cannot be read: no answer within 5 s from h:631"},
        {{{1, {S::Pending, {}, {}}}}, "--wait=3", 1, {1000, 1000, 1000},
         "; after 3 s the jobs are not done: 1 pending, 2 completed; the printer is stopped: Paused"},
        {{{3, {S::Printing, {}, {}}}}, "--wait=1", 1, {1000}, "; after 1 s the jobs are not done: 1 printing, 2 completed"},
        {{{2, {S::Held, {"job-hold-until-specified"}, {}}}}, "--wait", 1, {},
         "; job RZ7-a-2 is held (job-hold-until-specified)"},
        {{{3, {S::Aborted, {}, "Filter failed"}}}, "--wait=5", 1, {}, "; job RZ7-a-3 is aborted (Filter failed)"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.end);
        Sender s({"RZ7-a"});
        s.spooler.jobs = c.jobs;
        // Stopped, said only when the jobs wait: a printer found in no other case.
        const bool waiting = !c.jobs.empty() && c.jobs.begin()->second.state == S::Pending;
        s.spooler.states["RZ7-a"] = {
            waiting, PrinterState::State::Stopped, true, {"paused"}, "Paused", 2};
        const Outcome r = s.run({"-d", "RZ7-a", c.wait, "factory-reset"});
        EXPECT_EQ(r.status, c.status);
        const std::vector<int> waits(s.clock.waits.begin() + 2, s.clock.waits.end());
        EXPECT_EQ(waits, c.waits);
        EXPECT_EQ(r.err.substr(r.err.find("3 of 3 documents taken") + 22), c.end + "\n");
    }
}

TEST(SendCommandTest, AnInterruptedRunStartsNoNewDocumentAndAccountsForEveryQueue) {
    Sender s({"A", "B", "C"});
    // Stop at the tenth document in all: no queue can have had all its sixty by then.
    s.spooler.onDocument = [&](const RecordingSpooler::Document&) {
        if (s.spooler.documents.size() == 10) s.interruption.request(143);
    };
    const Outcome r = s.run({"-d", "A", "-d", "B", "-d", "C", "--json", "alignment-test", "30"});
    EXPECT_EQ(r.status, 143);
    EXPECT_LE(s.spooler.documents.size(), 12u);  // at most the one under way on each other queue
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["status"], 143);
    EXPECT_EQ(json["interrupted"], true);
    std::size_t taken = 0;
    for (const auto& queue : json["queues"]) {
        const std::string name = queue["queue"];
        SCOPED_TRACE(name);
        EXPECT_EQ(queue["interrupted"], true);
        EXPECT_EQ(queue["planned"], 60);
        EXPECT_EQ(queue["taken"], s.sentTo(name).size());
        EXPECT_EQ(queue["documents"].size(), s.sentTo(name).size());
        EXPECT_THAT(r.err,
                    HasSubstr(name + ": " + std::to_string(s.sentTo(name).size()) +
                              " of 60 documents taken; interrupted, nothing more was sent\n"));
        taken += s.sentTo(name).size();
    }
    EXPECT_EQ(taken, s.spooler.documents.size());
    // Without --json, every document taken has its job id on standard output.
    Sender t({"A"});
    t.spooler.onDocument = [&](const RecordingSpooler::Document&) { t.interruption.request(130); };
    const Outcome one = t.run({"-d", "A", "factory-reset"});
    EXPECT_EQ(one.status, 130);
    EXPECT_EQ(one.out, "A-1\n");
    EXPECT_EQ(t.spooler.documents.size(), 1u);
}

TEST(SendCommandTest, JsonSaysTheSameOnSuccessAndFailure) {
    Sender s({"A", "B"});
    s.spooler.refusing["B"] = "Destination \"B\" is not accepting jobs.";
    const Outcome r = s.run({"-d", "A", "-d", "B", "--json", "save"});
    EXPECT_EQ(r.status, 1);
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["operation"], "save");
    EXPECT_EQ(json["queues"][0]["documents"], nlohmann::json::parse(R"([{"number":1,
        "outcome":"taken","job":1,"reason":null,"job_state":null,"job_state_reasons":null,
        "job_state_message":null}])"));
    EXPECT_EQ(json["queues"][1]["documents"][0]["outcome"], "not-taken");
    EXPECT_EQ(json["queues"][1]["documents"][0]["reason"],
              "Destination \"B\" is not accepting jobs.");
    EXPECT_EQ(json["queues"][1]["succeeded"], false);
    // The spooler's sentence goes on after a ';' without its full stop.
    Sender late({"B"});
    late.spooler.onDocument = [&](const auto&) { late.spooler.refusing["B"] = "Not accepting."; };
    EXPECT_THAT(late.run({"-d", "B", "--wait", "factory-reset"}).err,
                HasSubstr("was sent: Not accepting; every job completed\n"));
    EXPECT_EQ(nlohmann::json::parse(s.run({"--json", "bogus"}).out),
              nlohmann::json::parse(R"({"status": 2, "operation": null, "interrupted": false,
                  "error": "unknown operation \"bogus\"", "queues": []})"));
    // "--" ends the options: a later --json is an operand.
    EXPECT_EQ(s.run({"-d", "A", "text", "--", "--json"}).out, "A-2\n");
    EXPECT_EQ(s.run({"-d", "A", "-q", "eject"}).out, "");
    const auto listed = nlohmann::json::parse(s.run({"--json", "list"}).out);
    EXPECT_EQ(listed["printers"][1]["name"], "B");
    EXPECT_EQ(listed["printers"][1]["state"]["state"], "idle");
}

TEST(SendCommandTest, TheProgramsOwnFailuresAreAccountedAndNeverSuccess) {
    // One queue's thread runs out of memory: the other queue goes on, the account says which.
    Sender s({"A", "B"});
    s.failingOpen = 2;
    Outcome r = s.run({"-d", "A", "-d", "B", "--json", "eject"});
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(s.spooler.documents.size(), 1u);
    const std::string failed = s.spooler.documents[0].printer == "A" ? "B" : "A";
    EXPECT_THAT(r.err, HasSubstr("trevalune-send: " + failed +
                                 ": 0 of 1 documents taken; this "
                                 "program failed here, so nothing more was sent: out of memory\n"));
    auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["status"], 1);
    const auto& q = json["queues"][failed == "A" ? 0 : 1];
    EXPECT_EQ(q["error"], "out of memory");
    EXPECT_EQ(q["planned"], 1);
    EXPECT_EQ(q["succeeded"], false);
    // Before any queue: nothing was sent, and the JSON says it.
    Sender first({"A", "B"});
    first.failingOpen = 1;
    r = first.run({"--json", "eject"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(first.spooler.documents.empty());
    EXPECT_EQ(r.err, "trevalune-send: out of memory; nothing was sent\n");
    json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["status"], 1);
    EXPECT_EQ(json["error"], "out of memory; nothing was sent");
    // The JSON (or the job ids) cannot be written: no success.
    Sender mute({"A", "B"});
    mute.outputFails = true;
    r = mute.run({"-d", "A", "--json", "eject"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(mute.spooler.documents.size(), 1u);
    EXPECT_EQ(r.err,
              "trevalune-send: A: 1 of 1 documents taken\ntrevalune-send: standard output "
              "cannot be written; what it should hold is lost\n");
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
    EXPECT_TRUE(s.opened.empty());
    EXPECT_TRUE(s.clock.waits.empty());
}

TEST(SendCommandTest, FilesAndQueuesGetTheirDocumentsWholeAndInOrder) {
    std::string mebibyte(1 << 20, '\0');
    for (std::size_t i = 0; i < mebibyte.size(); ++i) mebibyte[i] = static_cast<char>(i * 7);
    Sender s({"Office1", "RZ7-a"});
    EXPECT_EQ(s.run({"file", "-"}, mebibyte).status, 0);
    testing::TempFolder folder;
    const std::string path = folder.path().string() + "/big.prn";
    std::ofstream(path, std::ios::binary) << mebibyte << "x";
    EXPECT_EQ(s.run({"file", path}).status, 0);
    EXPECT_EQ(s.spooler.payloads(), Names({mebibyte, mebibyte + "x"}));

    Sender q({"A", "B", "C"});
    const Outcome r =
        q.run({"-d", "A", "-d", "B", "-d", "C", "--server", "h:1", "set", "high-speed", "16"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const std::string queue : {"A", "B", "C"}) EXPECT_EQ(q.sentTo(queue), q.sentTo("A"));
    ASSERT_EQ(q.sentTo("A").size(), 44u);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 132);
}

/// Standard input in pieces of `piece` bytes; at read `stopAt` the run is asked to stop.
class PieceReader final : public send::InputReader {
public:
    PieceReader(std::string data, send::Interruption& stop, int stopAt, int& count)
        : reads(count), data_(std::move(data)), stop_(stop), stopAt_(stopAt) {}
    std::size_t read(char* buffer, std::size_t size) override {
        if (++reads == stopAt_) {
            stop_.request(130);
            throw send::InputError{"interrupted while the input was read"};
        }
        const std::size_t n = std::min({size, data_.size() - at_, std::size_t{100000}});
        std::copy_n(data_.data() + at_, n, buffer);
        at_ += n;
        return n;
    }
    int& reads;

private:
    std::string data_;
    std::size_t at_ = 0;
    send::Interruption& stop_;
    int stopAt_;
};

TEST(SendCommandTest, StandardInputIsReadOnceAndEveryQueueTakesItWhole) {
    // More than the queues may run ahead of one another: blocks are dropped and read again.
    std::string data(send::InputFanout::kBlockBytes * (send::InputFanout::kWindowBlocks + 5), '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 4099);
    for (const int stopAt : {0, 30}) {
        SCOPED_TRACE(stopAt);
        Sender s({"A", "B", "C"});
        int reads = 0;
        s.openInput = [&](const std::string& path) {
            EXPECT_EQ(path, "-");
            return std::make_unique<PieceReader>(data, s.interruption, stopAt, reads);
        };
        s.failingOpen = 2;  // a queue that never reads must not hold the others back
        const Outcome r = s.run({"-d", "A", "-d", "B", "-d", "C", "file", "-"});
        EXPECT_EQ(r.status, stopAt == 0 ? 1 : 130);
        // Read once for all queues: 21 blocks of three pieces each, then the end.
        EXPECT_EQ(reads, stopAt == 0 ? 21 * 3 + 1 : 30);
        EXPECT_EQ(s.spooler.documents.size(), stopAt == 0 ? 2u : 0u);
        for (const auto& d : s.spooler.documents) EXPECT_TRUE(d.data == data);
        if (stopAt != 0) {
            EXPECT_THAT(r.err, HasSubstr("0 of 1 documents taken; document 1 was not taken: "
                                         "interrupted while the input was read\n"));
        }
    }
}

TEST(SendCommandTest, AScanCommandRunsInAGroupOfItsOwnAndAStopEndsAllOfIt) {
    send::Interruption stop;
    send::CommandScanner scanner(&stop, 1 << 20);
    // Signals at their defaults (SIGPIPE is bit 12), its own process group, no terminal input.
    const send::ScanResult seen =
        scanner.scan("sed -n 's/^SigIgn:\\t//p' /proc/$$/status; ps -o pgid= -p $$; echo $$; cat");
    std::istringstream lines(seen.output);
    std::string ignored, group, pid;
    lines >> ignored >> group >> pid;
    EXPECT_EQ(std::stoull(ignored, nullptr, 16) & (1u << (SIGPIPE - 1)), 0u) << ignored;
    EXPECT_EQ(group, pid);
    // A child that keeps the pipe and one that ignores SIGTERM: the whole group ends at once.
    std::chrono::steady_clock::time_point asked;
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        asked = std::chrono::steady_clock::now();
        stop.request(143);
    });
    const send::ScanResult stopped = scanner.scan("sleep 30 & trap '' TERM; sleep 30");
    later.join();
    EXPECT_TRUE(stopped.interrupted);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
}

TEST(SendCommandTest, AlignPrintsUntilTheMarkedRowIsStraightThenSaves) {
    Sender s({"Office1", "RZ7-a"});
    ScriptedTerminal terminal;
    terminal.answers = {"33", "x", "500", "31", ""};
    s.terminal = &terminal;
    const Outcome r = s.run({"--extra-wait", "0", "align", "super-high-density", "--from", "30"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(s.spooler.documents.size(), 3 * 60u + 1);  // seven rows a round
    EXPECT_EQ(s.spooler.payloads().back(), buildSaveCommand());
    EXPECT_EQ(terminal.prompts,
              Names({"Which row is straight? [30] ", "Which row is straight? [33] ",
                     "Which row is straight? [33] ", "Which row is straight? [33] ",
                     "Which row is straight? [31] "}));
    EXPECT_THAT(r.err, HasSubstr("super-high-density is 31; saved."));

    // The operator ends the input, or the run is interrupted: nothing is saved.
    for (int stop : {0, 130}) {
        Sender s2({"Office1", "RZ7-a"});
        ScriptedTerminal answers;
        s2.terminal = &answers;
        if (stop != 0) s2.spooler.onDocument = [&](const auto&) { s2.interruption.request(stop); };
        const Outcome o = s2.run({"align", "high-speed"});
        EXPECT_EQ(o.status, stop == 0 ? 1 : stop);
        EXPECT_EQ(s2.spooler.documents.size(), stop == 0 ? 44u : 1u);
        // What the printer holds comes from what was taken, never from what was meant.
        EXPECT_THAT(o.err,
                    HasSubstr(stop == 0 ? "stopped: high-speed is 16 in the printer, not saved"
                                        : "stopped: high-speed in the printer: not known (1 "
                                          "of 44 documents taken), not saved"));
    }
    EXPECT_EQ(s.run({"align", "high-speed", "--from", "4"}).status, 2);
}

// Each word and its arguments fill the catalogue's input as the window's controls would hold it
// (centre 31, values 16/24/40, extra wait 5000) with only what the command line gives changed.
TEST(SendCommandTest, EveryOperationSendsWhatItsButtonSendsFromTheSameValues) {
    const testing::TempFolder folder;
    const auto file = folder.path() / "file.prn";
    std::ofstream(file, std::ios::binary) << "\x1b@driver";
    using O = Operation;
    const struct {
        Names arguments;
        Operation operation;
        std::function<void(OperationInput&)> window;  // what the operator changed there
    } cases[] = {
        // clang-format off
        {{"eject"}, O::PageEject, {}}, {{"line-feed"}, O::LineFeed, {}},
        {{"micro-feed"}, O::MicroFeedForward, {}}, {{"micro-back"}, O::MicroFeedBack, {}},
        {{"self-test"}, O::SelfTest, {}}, {{"save"}, O::Save, {}},
        {{"factory-reset"}, O::FactoryReset, {}}, {{"alignment-test"}, O::AlignmentTest, {}},
        {{"alignment-test", "4"}, O::AlignmentTest, [](auto& in) { in.centre = centreValueOf("4"); }},
        {{"--extra-wait", "300", "set", "high-density", "20"}, O::SetSingleItem, [](auto& in) {
             in.extraWaitMs = 300;
             in.mode = PrintMode::HighDensity;
             in.values[1] = AlignValue{20, 20};
         }},
        {{"set", "super-high-density", "120"}, O::SetSingleItem, [](auto& in) {
             in.mode = PrintMode::SuperHighDensity;
             in.values[2] = AlignValue{120, 120};
         }},
        {{"--extra-wait=300", "set-all", "18", "22", "38"}, O::SetAllItems, [](auto& in) {
             in.extraWaitMs = 300;
             in.setModeValues(modeValuesOf({"18", "22", "38"}));
         }},
        {{"set-all", "3", "24", "44", "--test-page"}, O::SetAllWithTestPage,
         [](auto& in) { in.setModeValues(modeValuesOf({"3", "24", "44"})); }},
        {{"pin-test"}, O::PinTest, [](auto& in) { in.now = {2027, 3, 14, 15, 9, 26}; }},
        {{"pin-test-densities"}, O::PinTestDensities, {}},
        {{"file", file.string()}, O::DriverFile, [&](auto& in) { in.driverFile = file; }},
        {{"hex", "1b", "4A 10"}, O::ManualSend, [](auto& in) { in.command = Bytes("\x1B\x4A\x10"); }},
        {{"hex", "--save", "1B 3A 45"}, O::ManualSend, [](auto& in) {
             in.command = Bytes("\x1B\x3A\x45");
             in.saveBracket = true;
         }},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        OperationInput window;
        window.centre = centreValueOf("31");
        window.setModeValues(initialModeValues());
        window.extraWaitMs = 5000;
        if (c.window) c.window(window);
        const Timeline expected = buildOperation(c.operation, window).timeline;
        Sender s({"P"});
        s.clock.current = window.now;
        Names arguments = c.arguments;
        arguments.insert(arguments.begin(), {"-d", "P"});
        ASSERT_EQ(s.run(arguments).status, 0);
        EXPECT_EQ(s.sentTo("P"), expected.documents());
        std::vector<int> waits;
        for (const Step& step : expected.steps())
            if (const auto* w = std::get_if<WaitStep>(&step)) waits.push_back(w->milliseconds);
        EXPECT_EQ(s.clock.waits, waits);
    }
}

TEST(SendCommandTest, ReadRowsSaysEveryRowAndTheVerdictPerMode) {
    const ModeReading straight =
        reading({{15, 1.04}, {16, 0.02}, {17, -0.96}}, 16, Doubt::None, 0.917);
    const ModeReading close =
        reading({{23, 0.3}, {24, -0.2}}, {}, Doubt::TooClose, 0, PrintMode::HighDensity);
    const std::string tooClose =
        "two rows are within the measurement's noise of straight: print around them again, or "
        "read the row by eye";
    const std::string straightSaid =
        "high-speed: row 16 is straight (confidence 0.92)\n     15   offset +1.0 ± 0.10 columns\n"
        "  >  16*  offset 0.0 ± 0.10 columns\n     17   offset -1.0 ± 0.10 columns\n";
    // The end row nearest straight lies under the lid's band: the band is what to put right.
    ModeReading border = reading({{14, 0}, {15, 1}, {16, 2}}, {}, Doubt::DarkBorder);
    border.rows[0].fault = rowreader::RowFault::DarkBorder;
    // clang-format off
    const struct {
        Names arguments;
        std::vector<ModeReading> readings;
        int status;
        std::string out;
        std::string err = "";
        std::string language = "en_GB.UTF-8";
        std::string input = "picture";
    } cases[] = {
        {{"read-rows", "-"}, {straight}, 0, straightSaid},
        {{"read-rows", "-"}, {straight, close}, 1, straightSaid + "high-density: cannot tell: " +
         tooClose + "\n     23   offset +0.3 ± 0.10 columns\n     24   offset -0.2 ± 0.10 columns\n"},
        {{"read-rows", "--mode", "high-density", "-"}, {}, 1,
         "no sample rows found on the picture\n"},
        {{"read-rows", "-"}, {border}, 1,
         "high-speed: cannot tell: row 14 is hidden by a dark border at the picture's edge (the "
         "scanner's lid open, or the desk around a photo): close the lid, or crop the picture to "
         "the page\n"
         "     14   not measured: hidden by a dark border at the picture's edge\n"
         "     15   offset +1.0 ± 0.10 columns\n"
         "     16*  offset +2.0 ± 0.10 columns\n"},
        {{"read-rows", "-"}, {border}, 1,
         "高速：无法判断：14 行被图片边缘的黑边遮住（扫描仪盖板没有盖好，或照片四周的桌面）："
         "请盖好盖板，或把图片裁剪到纸边\n"
         "     14   未测量：被图片边缘的黑边遮住\n"
         "     15   偏移 +1.0 ± 0.10 列\n"
         "     16*  偏移 +2.0 ± 0.10 列\n", "", "zh_CN.UTF-8"},
        {{"read-rows", "junk"}, {}, 2, "",
         "cannot read junk: No such file or directory\n"},
        {{"read-rows", "-", "--mode", "fast"}, {}, 2, "",
         "unknown mode \"fast\": high-speed, high-density or super-high-density" + kUsage},
        {{"read-rows", "-"}, {}, 2, "", "- is not a PNG, JPEG or TIFF picture\n", "en_GB.UTF-8", "junk"},
        {{"read-rows", "-"}, {}, 2, "", "- 不是 PNG、JPEG 或 TIFF 图片\n", "zh_CN.UTF-8", "junk"},
        {{"read-rows", "-"}, {}, 2, "", "- 是空文件，不是 PNG、JPEG 或 TIFF 图片\n", "zh_CN.UTF-8", "empty"},
        {{"read-rows", "-"}, {}, 2, "",
         "- is not a picture that can be read (PNG, JPEG or TIFF): damaged PNG\n", "en_GB.UTF-8", "x"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        Sender s({"P"});
        s.reader.pages = {c.readings};
        s.environment = {{"LANG", c.language}};
        const Outcome r = s.run(c.arguments, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err.empty() ? "" : "trevalune-send: " + c.err);
        EXPECT_TRUE(s.spooler.documents.empty());
        if (c.status == 2) continue;
        EXPECT_EQ(s.reader.pictures, Names{"picture"});
        EXPECT_EQ(s.reader.asked[0].mode.has_value(), c.arguments.size() == 4);
    }
    Sender s({"P"});
    FakeRowReader& reader = s.reader;
    reader.pages = {{straight, close}};
    Outcome r = s.run({"--json", "read-rows", "-"}, "picture");
    EXPECT_EQ(nlohmann::json::parse(r.out), nlohmann::json::parse(R"({"status": 1,
        "operation": "read-rows", "interrupted": false, "error": null, "queues": [], "modes": [
        {"mode": "high-speed", "straight": 16, "doubt": null, "reason": null, "confidence": 0.92,
         "page": 1, "rows": [{"value": 15, "marked": false, "value_from_label": true, "offset_columns": 1.0,
                   "noise_columns": 0.1, "fault": null},
                  {"value": 16, "marked": true, "value_from_label": true, "offset_columns": 0.0,
                   "noise_columns": 0.1, "fault": null},
                  {"value": 17, "marked": false, "value_from_label": true, "offset_columns": -1.0,
                   "noise_columns": 0.1, "fault": null}]},
        {"mode": "high-density", "straight": null, "doubt": "too-close",
         "reason": "two rows are within the measurement's noise of straight: print around them again, or read the row by eye", "confidence": 0.0,
         "page": 1, "rows": [{"value": 23, "marked": false, "value_from_label": true, "offset_columns": 0.3,
                   "noise_columns": 0.1, "fault": null},
                  {"value": 24, "marked": false, "value_from_label": true, "offset_columns": -0.2,
                   "noise_columns": 0.1, "fault": null}]}]})"));
    reader.pages = {{border}};
    const nlohmann::json said =
        nlohmann::json::parse(s.run({"--json", "read-rows", "-"}, "picture").out);
    EXPECT_EQ(said["modes"][0]["doubt"], "dark-border");
    EXPECT_EQ(said["modes"][0]["rows"][0]["fault"], "dark-border");
    EXPECT_EQ(said["modes"][0]["rows"][0]["offset_columns"], nullptr);
    s.rowReader = nullptr;
    EXPECT_EQ(s.run({"read-rows", "-"}, "picture").status, 2);

    // Every page of a picture read, each drawn beside the file named.
    const testing::TempFolder folder;
    const std::string drawn = (folder.path() / "drawn.png").string();
    reader.pages = {{straight}, {close}};
    reader.pagesInPicture = 2;
    s.rowReader = &reader;
    r = s.run({"read-rows", "-", "--annotate", drawn}, "picture");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, 13), "page 1 of 2:\n");
    EXPECT_NE(r.out.find("page 2 of 2:\nhigh-density: cannot tell"), std::string::npos);
    for (const auto& [file, red] :
         {std::pair{drawn, 100}, {drawn.substr(0, drawn.size() - 4) + "-2.png", 200}}) {
        EXPECT_EQ(rowreader::decodeImage(rowreader::readImageFile(file)).pixels,
                  std::vector<std::uint8_t>{rowreader::detail::luminance(red, 0, 0)});
    }
}

TEST(SendCommandTest, AlignTakesTheScannedPagesAnswerAndAsksOnlyWhereTheReaderCannotTell) {
    const ModeReading beyond =
        reading({{14, 4}, {15, 3}, {16, 2}, {17, 1.5}, {18, 0.6}}, {}, Doubt::NoneStraight);
    const ModeReading centreNearest =
        reading({{14, 2}, {15, 1}, {16, 0.5}, {17, 1}, {18, 2}}, {}, Doubt::TooClose);
    const ModeReading at19 =
        reading({{17, 1.9}, {18, 1}, {19, 0}, {20, -1}, {21, -2}}, 19, Doubt::None, 0.8);
    const ModeReading close = reading({{14, 1}, {15, 0.1}, {16, 0}, {17, -1}}, {}, Doubt::TooClose);
    const std::string picture = "printf picture";
    // clang-format off
    const struct {
        std::string command;
        std::vector<ModeReading> pages;
        bool terminal = false;
        bool pending = false;  ///< the page's jobs never complete
        int status = 0;
        std::vector<double> centres;  ///< pages read, by their centre
        std::string said;             ///< in the account
        Names prompts = {};
        std::string answeredBy = "reader";
    } cases[] = {
        {picture, {beyond, at19, at19}, false, false, 0, {16, 18, 19},
         "page 1, high-speed 16: rows read 14 +4.0, 15 +3.0, 16 +2.0, 17 +1.5, 18 +0.6; no row "
         "is straight, the offsets put the best value at 18: the next page prints around it\n"},
        // Printed once more around the same value, then the technician is asked.
        {picture, {close}, true, false, 0, {16, 16},
         "page 1, high-speed 16: rows read 14 +1.0, 15 +0.1, 16 0.0, 17 -1.0; not confirmed "
         "(two rows are within the measurement's noise of straight: print around them again, or "
         "read the row by eye): the next page prints around 16 once more\n",
         {"The reader cannot tell (two rows are within the measurement's noise of straight: "
          "print around them again, or read the row by eye). Which row is straight? [16] "},
         "technician"},
        {picture, {centreNearest}, false, false, 1, {16, 16},
         "the reader cannot tell which row is straight (two rows are within the measurement's "
         "noise of straight: print around them again, or read the row by eye) and there is no "
         "terminal to ask\n"},
        {"echo 'scanimage: no SANE devices found' >&2; exit 3", {at19}, false, false, 1, {},
         "the scan command failed with exit status 3: scanimage: no SANE devices found\n"},
        {"true", {at19}, false, false, 1, {},
         "the scan command wrote nothing on its standard output, where the picture must go\n"},
        {"printf junk", {at19}, false, false, 1, {16},
         "the scan command's output is not a PNG, JPEG or TIFF picture\n"},
        {picture, {at19}, false, true, 1, {}, "after 60 s the jobs are not done"},
        {picture, {beyond}, false, false, 1, {16, 18, 20, 22, 24, 26, 28, 30, 32, 34},
         "10 pages printed and the marked row was not straight on any of them\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        Sender s({"RZ7-a"});
        FakeRowReader& reader = s.reader;
        for (const ModeReading& page : c.pages) reader.pages.push_back({page});
        reader.repeatLast = true;
        // The reader's rows follow the page: each page's rows are the last case's, shifted.
        if (c.centres.size() == 10) {
            reader.pages.clear();
            for (int centre = 16; centre <= 34; centre += 2) {
                ModeReading r = beyond;
                for (auto& row : r.rows) row.value += centre - 16;
                *r.predicted += centre - 16;
                reader.pages.push_back({r});
            }
        }
        ScriptedTerminal terminal;
        terminal.answers = {""};
        s.terminal = c.terminal ? &terminal : nullptr;
        if (c.pending) s.spooler.jobs[44] = {JobState::State::Pending, {}, {}};
        const testing::TempFolder drawings;
        const Outcome r =
            s.run({"-d", "RZ7-a", "--json", "--extra-wait", "0", "align", "high-speed",
                   "--scan-command", c.command, "--annotate", drawings.path().string()});
        EXPECT_EQ(r.status, c.status);
        // Every page read is drawn, page-1.png on.
        const auto drawn = std::count_if(reader.pictures.begin(), reader.pictures.end(),
                                         [](const std::string& p) { return p != "junk"; });
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(drawings.path()), {}), drawn);
        const auto last = drawings.path() / ("page-" + std::to_string(drawn) + ".png");
        EXPECT_EQ(std::filesystem::exists(last), drawn > 0);
        EXPECT_THAT(r.err, HasSubstr(c.said));
        EXPECT_EQ(terminal.prompts, c.prompts);
        std::vector<double> centres;
        for (const auto& asked : reader.asked) {
            ASSERT_EQ(asked.printed.size(), 1u);
            const std::vector<int>& v = asked.printed[0].values;
            EXPECT_EQ(v.size(), 5u);
            centres.push_back(v[2]);
            EXPECT_EQ(asked.mode, PrintMode::HighSpeed);
        }
        EXPECT_EQ(centres, c.centres);
        const bool saved = s.spooler.payloads().back() == buildSaveCommand();
        EXPECT_EQ(saved, c.status == 0);
        const std::size_t pages =
            c.status == 0 ? c.centres.size() : std::max<std::size_t>(1, c.centres.size());
        EXPECT_EQ(s.spooler.documents.size(), pages * 44 + (saved ? 1 : 0));
        const auto json = nlohmann::json::parse(r.out);
        if (c.status == 0) {
            EXPECT_THAT(r.err, Not(HasSubstr("stopped")));
            EXPECT_EQ(json["pages"].back()["answered_by"], c.answeredBy);
        } else {
            const int held = c.centres.empty() ? 16 : static_cast<int>(c.centres.back());
            EXPECT_THAT(r.err,
                        HasSubstr(c.pending ? "high-speed in the printer: not known (44 of 44 "
                                              "documents taken, their jobs not completed)"
                                            : "high-speed is " + std::to_string(held) +
                                                  " in the printer, not saved"));
        }
    }
}

}  // namespace
}  // namespace trevalune
