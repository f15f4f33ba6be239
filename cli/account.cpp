#include "cli/account.h"

#include <nlohmann/json.hpp>

#include <array>
#include <map>

namespace trevalune::send {

namespace {

/// The Chinese of the spooler's state words; the English are `stateName`'s.
constexpr std::array<std::string_view, 4> kPrinterStatesChinese = {"空闲", "正在打印", "已停止",
                                                                   "已暂停"};
constexpr std::array<std::string_view, 9> kJobStatesChinese = {"等待中", "被保留",     "正在打印",
                                                               "已停止", "已完成",     "已取消",
                                                               "已中止", "已离开队列", "状态不明"};

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
            s == JobState::State::Pending || s == JobState::State::Printing ||
            s == JobState::State::Unknown) {
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

/// Every job whose state could not be read, and the first reason why.
std::string jobsNotKnown(const QueueAccount& a, Language l) {
    std::string jobs;
    std::string why;
    for (const DocumentRecord& d : a.documents) {
        if (!d.finalState || d.finalState->state != JobState::State::Unknown) continue;
        jobs += (jobs.empty() ? "" : ", ") + a.queue + "-" + std::to_string(d.result.jobId);
        if (why.empty()) why = d.finalState->message;
    }
    return say(l, Text::WaitNotKnown, {jobs, why.empty() ? say(l, Text::NoReasonGiven) : why});
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
    return taken() == planned && refusedPage.empty() && !interrupted && fault.empty() &&
           (waitEnd == WaitEnd::NotAsked || waitEnd == WaitEnd::Completed ||
            waitEnd == WaitEnd::LeftQueue);
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
    if (!a.fault.empty()) line += say(l, Text::AccountFault, {a.fault});
    if (a.interrupted) line += say(l, Text::AccountInterrupted);
    switch (a.waitEnd) {
        case WaitEnd::NotAsked:
            break;
        case WaitEnd::Completed:
            line += say(l, Text::WaitCompleted);
            break;
        case WaitEnd::LeftQueue:
            line += say(l, Text::WaitLeft);
            break;
        case WaitEnd::NotKnown:
            line += jobsNotKnown(a, l);
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
    // A reason that ends its sentence ("... is not accepting jobs.") goes on after a ';'.
    for (const std::string_view semicolon : {";", "；"}) {
        for (std::size_t at; (at = line.find("." + std::string(semicolon))) != line.npos;) {
            line.erase(at, 1);
        }
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

nlohmann::json toJson(const QueueAccount& a, bool runInterrupted) {
    nlohmann::json documents = nlohmann::json::array();
    const auto orNull = [](const std::string& text) {
        return text.empty() ? nlohmann::json() : nlohmann::json(text);
    };
    for (const DocumentRecord& d : a.documents) {
        const JobState* s = d.finalState ? &*d.finalState : nullptr;
        documents.push_back(
            {{"number", d.number},
             {"outcome", outcomeName(d.result.outcome)},
             {"job", d.result.jobId != 0 ? nlohmann::json(d.result.jobId) : nlohmann::json()},
             {"reason", orNull(d.result.reason)},
             {"job_state", s ? nlohmann::json(stateName(s->state)) : nlohmann::json()},
             {"job_state_reasons", s ? nlohmann::json(s->reasons) : nlohmann::json()},
             {"job_state_message", s ? orNull(s->message) : nlohmann::json()}});
    }
    constexpr std::array<std::string_view, 7> kWaitEnds = {
        "", "completed", "left-queue", "job-failed", "time-up", "interrupted", "not-known"};
    nlohmann::json wait;
    if (a.waitEnd != WaitEnd::NotAsked) {
        wait = {{"result", kWaitEnds[static_cast<std::size_t>(a.waitEnd)]},
                {"seconds", a.waitedSeconds},
                {"printer", a.stateAtWaitEnd ? toJson(*a.stateAtWaitEnd) : nlohmann::json()}};
    }
    return {{"queue", a.queue},
            {"planned", a.planned},
            {"taken", a.taken()},
            {"succeeded", a.succeeded()},
            {"interrupted", a.interrupted || runInterrupted},
            {"error", orNull(a.fault)},
            {"warning", a.warned ? toJson(*a.warned) : nlohmann::json()},
            {"refused_page", orNull(a.refusedPage)},
            {"documents", std::move(documents)},
            {"wait", std::move(wait)}};
}

nlohmann::json buildRunJson(int status, const std::string& operation, const std::string& error,
                            nlohmann::json queues, const nlohmann::json& more) {
    // Statuses above 2 are the signals' (128 + N): the run was interrupted.
    nlohmann::json all = {
        {"status", status},
        {"operation", operation.empty() ? nlohmann::json() : nlohmann::json(operation)},
        {"interrupted", status > 2},
        {"error", error.empty() ? nlohmann::json() : nlohmann::json(error)},
        {"queues", std::move(queues)}};
    if (more.is_object()) all.update(more);
    return all;
}

}  // namespace trevalune::send
