#include "cli/option_checks.h"

#include <utility>
#include <vector>

#include "cli/operation_table.h"

namespace trevalune::send {

namespace {

/// Digits a number may have: any more could overflow an int.
constexpr std::size_t kMaxDigits = 9;
/// A TCP port: 1 to 65535, at most five digits.
constexpr int kMaxPort = 65535;
constexpr std::size_t kMaxPortDigits = 5;

/// Whole digits, at most `max`; UsageError naming the option otherwise.
int wholeNumber(const std::string& option, const std::string& text, int min, int max, Language l) {
    const bool digits = !text.empty() && text.size() <= kMaxDigits &&
                        text.find_first_not_of("0123456789") == text.npos;
    if (!digits || std::stoi(text) < min || std::stoi(text) > max) {
        throw UsageError(
            say(l, Text::NotInRange, {option, text, std::to_string(min), std::to_string(max)}));
    }
    return std::stoi(text);
}

/// HOST, HOST:PORT, [IPv6]:PORT or a socket path, as CUPS_SERVER takes it; not a URL.
bool isServerAddress(const std::string& s) {
    if (s.empty()) return false;
    if (s.front() == '/') return true;
    std::string host = s;
    std::string port;
    if (s.front() == '[') {
        const std::size_t close = s.find(']');
        if (close == std::string::npos) return false;
        host = s.substr(1, close - 1);
        const std::string rest = s.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return false;
        if (!rest.empty()) port = rest.substr(1);
        if (!rest.empty() && port.empty()) return false;
    } else if (const std::size_t colon = s.find(':'); colon != std::string::npos) {
        host = s.substr(0, colon);
        port = s.substr(colon + 1);
        if (port.empty() || host.find_first_of(":") != std::string::npos) return false;
    }
    if (host.empty() || host.find_first_of("/@?# ") != std::string::npos) return false;
    if (port.empty()) return true;
    return port.size() <= kMaxPortDigits &&
           port.find_first_not_of("0123456789") == std::string::npos && std::stoi(port) >= 1 &&
           std::stoi(port) <= kMaxPort;
}

/// Printer names as the spooler compares them: CUPS and Windows ignore case.
std::string folded(std::string name) {
    for (char& ch : name) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return name;
}

/// A name no queue can have: CUPS takes none with a space, '/', '#' or a control character
/// (its server would answer "Forbidden" for "../A"), Windows none with a control character;
/// and one with a line break would split its account line.
void checkQueueName(const std::string& name, Platform platform, Language l) {
    const bool cups = platform == Platform::Cups;
    std::string shown = name;
    bool bad = false;
    for (char& ch : shown) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool control = byte < 0x20 || byte == 0x7F;
        bad = bad || control || (cups && (ch == ' ' || ch == '/' || ch == '#'));
        if (control) ch = '?';
    }
    if (bad) throw UsageError(say(l, cups ? Text::BadQueueName : Text::BadPrinterName, {shown}));
}

}  // namespace

void checkCommandLine(const CommandLine& c, const System& system, Language l) {
    wholeNumber("--extra-wait", c.extraWait, 0, kMaxExtraWaitMs, l);
    if (c.wait) wholeNumber("--wait", *c.wait, 0, kMaxWaitSeconds, l);
    if (system.platform != Platform::Cups) {
        for (const auto& [given, option] :
             {std::pair{c.server.has_value(), "--server"}, std::pair{c.user.has_value(), "--user"},
              std::pair{!c.timeout.empty(), "--timeout"}}) {
            if (given) throw UsageError(say(l, Text::CupsOnly, {option}));
        }
    }
    if (!c.timeout.empty()) wholeNumber("--timeout", c.timeout, 1, kMaxTimeoutSeconds, l);
    if (c.server && !isServerAddress(*c.server)) {
        throw UsageError(say(l, Text::BadServer, {*c.server}));
    }
    if (c.user && c.user->empty()) throw UsageError(say(l, Text::EmptyValue, {"-U"}));
    std::vector<std::string> seen;
    for (const std::string& p : c.printers) {
        if (p.empty()) throw UsageError(say(l, Text::EmptyValue, {"-d"}));
        checkQueueName(p, system.platform, l);
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (folded(seen[i]) == folded(p)) {
                throw UsageError(say(l, Text::QueueTwice, {c.printers[i], p}));
            }
        }
        seen.push_back(p);
    }
}

void checkOptionsFit(const CommandLine& c, const std::string& operation, Language l) {
    const struct {
        bool given;
        const char* option;
        const char* belongsTo;
    } kOwn[] = {{c.testPage, "--test-page", "set-all"},
                {c.save, "--save", "hex"},
                {c.from.has_value(), "--from", "align"},
                {c.scanCommand.has_value(), "--scan-command", "align"},
                {c.mode.has_value(), "--mode", "read-rows"},
                {c.annotate.has_value() && operation != "align", "--annotate", "read-rows"},
                {c.annotate.has_value() && operation == "align" && !c.scanCommand, "--annotate",
                 "align --scan-command"}};
    for (const auto& o : kOwn) {
        if (o.given && operation != o.belongsTo) {
            throw UsageError(say(l, Text::OptionNotHere, {o.option, operation}));
        }
    }
}

}  // namespace trevalune::send
