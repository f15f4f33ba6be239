#include "cli/reporter.h"

#include "cli/interruption.h"

namespace trevalune::send {

Reporter::Reporter(System& system, Language language, const CommandLine& c)
    : system_(system), language_(language), jobIds_(!c.quiet && !c.json), json_(c.json) {
    if (system_.interruption == nullptr) return;
    system_.interruption->setLastWords([this](int status) { sayLastWords(status); });
}

Reporter::~Reporter() {
    if (system_.interruption != nullptr) system_.interruption->setLastWords({});
}

void Reporter::keep(const QueueAccount& a) {
    std::string line = accountLine(a, language_);
    nlohmann::json json = toJson(a, true);
    const std::lock_guard lock(mutex_);
    kept_[a.queue] = {std::move(line), std::move(json)};
}

void Reporter::setOperation(const std::string& operation) {
    const std::lock_guard lock(mutex_);
    operation_ = operation;
}

void Reporter::taken(const std::string& queue, int job) {
    if (!jobIds_) return;
    const std::lock_guard lock(mutex_);
    system_.out << queue << '-' << job << '\n' << std::flush;
}

void Reporter::line(const std::string& text) {
    const std::lock_guard lock(mutex_);
    system_.err << kName << ": " << text << '\n' << std::flush;
}

void Reporter::json(const nlohmann::json& object) {
    if (!json_) return;
    const std::lock_guard lock(mutex_);
    system_.out << object.dump(2) << '\n' << std::flush;
}

void Reporter::sayLastWords(int status) {
    const std::lock_guard lock(mutex_);
    nlohmann::json queues = nlohmann::json::array();
    for (const auto& [queue, kept] : kept_) {
        system_.err << kName << ": " << kept.first << '\n';
        queues.push_back(kept.second);
    }
    const std::string why = say(language_, Text::SecondSignal);
    system_.err << kName << ": " << why << '\n' << std::flush;
    if (json_) {
        system_.out << buildRunJson(status, operation_, why, std::move(queues), {}).dump(2) << '\n'
                    << std::flush;
    }
}

}  // namespace trevalune::send
