#include "cli/interruption.h"

#include <chrono>

namespace trevalune::send {

void Interruption::request(int status) {
    {
        const std::lock_guard lock(mutex_);
        int none = 0;
        status_.compare_exchange_strong(none, status);
    }
    changed_.notify_all();
}

void Interruption::sleepMs(int milliseconds) {
    if (milliseconds <= 0) return;
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                      [this] { return requested(); });
}

void Interruption::setLastWords(std::function<void(int status)> words) {
    const std::lock_guard lock(wordsMutex_);
    lastWords_ = std::move(words);
}

void Interruption::sayLastWords(int status) {
    const std::lock_guard lock(wordsMutex_);
    if (lastWords_) lastWords_(status);
}

}  // namespace trevalune::send
