#include "tools/trevalune-send/account.h"

#include <nlohmann/json.hpp>

#include <array>
#include <map>

namespace trevalune::send {

namespace {

/// The Chinese of the spooler's state words; the English are `stateName`'s.
constexpr std::array<std::string_view, 4> kPrinterStatesChinese = {"空闲", "正在打印", "已停止",
                                                                   "已暂停"};
constexpr std::array<std::string_view, 8> kJobStatesChinese = {
    "等待中", "被保留", "正在打印", "已停止", "已完成", "已取消", "已中止", "已离开队列"};

std::string said(Language l, JobState::State state) {
    return l == Language::Chinese ? std::string(kJobStatesChinese[static_cast<std::size_t>(state)])
                                  : std::string(stateName(state));
}

/// "3 pending, 1 printing": the jobs' states, counted, in the order of the states.
std::string jobSummary(const QueueAccount& a, Language l) {
    std::map<JobState::State, int> counts;
    for (const DocumentRecord& d : a.documents) {
        if (d.finalState) ++counts[d.finalState->state];
    }
    std::string out;
    for (const auto& [state, n] : counts) {
        out += (out.empty()              ? ""
                : l == Language::Chinese ? "，"
                                         : ", ") +
               say(l, Text::JobCount, {std::to_string(n), said(l, state)});
    }
    return out;
}

/// The first job that ended the wait by failing, and why.
std::string failedJob(const QueueAccount& a, Language l) {
    for (const DocumentRecord& d : a.documents) {
        if (!d.finalState) continue;
        const JobState::State s = d.finalState->state;
        if (s == JobState::State::Completed || s == JobState::State::Gone ||
            s == JobState::State::Pending || s == JobState::State::Printing) {
            continue;
        }
        std::string why;
        for (const std::string& r : d.finalState->reasons) why += (why.empty() ? "" : ", ") + r;
        if (!d.finalState->message.empty())
            why += (why.empty() ? "" : ": ") + d.finalState->message;
        return say(l, Text::WaitJobFailed,
                   {a.queue + "-" + std::to_string(d.result.jobId), said(l, s),
                    why.empty() ? "" : " (" + why + ")"});
    }
    return {};
}

bool everyJobLeft(const QueueAccount& a) {
    for (const DocumentRecord& d : a.documents) {
        if (d.finalState && d.finalState->state != JobState::State::Gone) return false;
    }
    return true;
}

}  // namespace

std::size_t QueueAccount::taken() const {
    std::size_t n = 0;
    for (const DocumentRecord& d : documents) n += d.result.isTaken() ? 1 : 0;
    return n;
}

const DocumentRecord* QueueAccount::failure() const {
    if (documents.empty() || documents.back().result.isTaken()) return nullptr;
    return &documents.back();
}

bool QueueAccount::succeeded() const {
    return taken() == planned && refusedPage.empty() && !interrupted &&
           (waitEnd == WaitEnd::NotAsked || waitEnd == WaitEnd::Completed);
}

std::string_view outcomeName(SendResult::Outcome outcome) {
    constexpr std::array<std::string_view, 4> kNames = {"not-opened", "not-taken", "taken",
                                                        "unknown"};
    return kNames[static_cast<std::size_t>(outcome)];
}

std::string stateText(const PrinterState& s, Language l) {
    const bool zh = l == Language::Chinese;
    std::string text = zh ? std::string(kPrinterStatesChinese[static_cast<std::size_t>(s.state)])
                          : std::string(stateName(s.state));
    if (!s.acceptingJobs) text += say(l, Text::NotAccepting);
    for (const std::string& r : s.reasons) {
        // A stopped or paused queue says "paused" as its reason as well.
        if (r != "paused" || s.state == PrinterState::State::Idle) text += ", " + r;
    }
    if (!s.message.empty()) text += (zh ? "：" : ": ") + s.message;
    return text;
}

std::string accountLine(const QueueAccount& a, Language l) {
    std::string line =
        say(l, Text::AccountTaken, {a.queue, std::to_string(a.taken()), std::to_string(a.planned)});
    if (const DocumentRecord* f = a.failure()) {
        const Text text =
            f->result.outcome == SendResult::Outcome::NotOpened ? Text::AccountNotOpened
            : f->result.outcome == SendResult::Outcome::Unknown ? Text::AccountUnknown
                                                                : Text::AccountNotTaken;
        const std::string job =
            f->result.jobId == 0
                ? std::string()
                : say(l, Text::AccountJob, {a.queue + "-" + std::to_string(f->result.jobId)});
        const std::string rest = static_cast<std::size_t>(f->number) < a.planned
                                     ? say(l, Text::AccountRestNotSent)
                                     : std::string();
        // The spooler's reason last, as it gave it.
        line +=
            say(l, text,
                {std::to_string(f->number), job, rest,
                 f->result.reason.empty() ? say(l, Text::UnknownPrinterReason) : f->result.reason});
    }
    if (!a.refusedPage.empty()) line += say(l, Text::AccountRefusedPage, {a.refusedPage});
    if (a.interrupted) line += say(l, Text::AccountInterrupted);
    switch (a.waitEnd) {
        case WaitEnd::NotAsked:
            break;
        case WaitEnd::Completed:
            line += say(l, everyJobLeft(a) ? Text::WaitLeft : Text::WaitCompleted);
            break;
        case WaitEnd::JobFailed:
            line += failedJob(a, l);
            break;
        case WaitEnd::TimeUp:
            line += say(l, Text::WaitTimeUp, {std::to_string(a.waitedSeconds), jobSummary(a, l)});
            break;
        case WaitEnd::Interrupted:
            line += say(l, Text::WaitInterrupted, {jobSummary(a, l)});
            break;
    }
    if (a.stateAtWaitEnd && a.stateAtWaitEnd->needsAttention()) {
        line += say(l, Text::WaitPrinterState, {stateText(*a.stateAtWaitEnd, l)});
    }
    return line;
}

nlohmann::json toJson(const PrinterState& s) {
    return {{"state", stateName(s.state)},
            {"accepting_jobs", s.acceptingJobs},
            {"reasons", s.reasons},
            {"message", s.message},
            {"jobs_waiting", s.jobsWaiting}};
}

nlohmann::json toJson(const QueueAccount& a) {
    nlohmann::json documents = nlohmann::json::array();
    for (const DocumentRecord& d : a.documents) {
        nlohmann::json doc = {{"number", d.number}, {"outcome", outcomeName(d.result.outcome)}};
        doc["job"] = d.result.jobId != 0 ? nlohmann::json(d.result.jobId) : nlohmann::json();
        doc["reason"] =
            d.result.reason.empty() ? nlohmann::json() : nlohmann::json(d.result.reason);
        if (d.finalState) {
            doc["job_state"] = stateName(d.finalState->state);
            doc["job_state_reasons"] = d.finalState->reasons;
            if (!d.finalState->message.empty()) doc["job_state_message"] = d.finalState->message;
        }
        documents.push_back(std::move(doc));
    }
    constexpr std::array<std::string_view, 5> kWaitEnds = {"", "completed", "job-failed", "time-up",
                                                           "interrupted"};
    nlohmann::json wait;
    if (a.waitEnd != WaitEnd::NotAsked) {
        wait = {{"result", kWaitEnds[static_cast<std::size_t>(a.waitEnd)]},
                {"seconds", a.waitedSeconds}};
        wait["printer"] = a.stateAtWaitEnd ? toJson(*a.stateAtWaitEnd) : nlohmann::json();
    }
    return {
        {"queue", a.queue},
        {"planned", a.planned},
        {"taken", a.taken()},
        {"succeeded", a.succeeded()},
        {"interrupted", a.interrupted},
        {"warning", a.warned ? toJson(*a.warned) : nlohmann::json()},
        {"refused_page", a.refusedPage.empty() ? nlohmann::json() : nlohmann::json(a.refusedPage)},
        {"documents", std::move(documents)},
        {"wait", std::move(wait)}};
}

}  // namespace trevalune::send
