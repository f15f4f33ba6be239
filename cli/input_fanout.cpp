#include "cli/input_fanout.h"

#include <algorithm>
#include <limits>

namespace trevalune::send {

namespace {
constexpr std::size_t kDone = std::numeric_limits<std::size_t>::max();
}

class InputFanout::Stream final : public DocumentStream {
public:
    Stream(InputFanout& fanout, std::size_t index) : fanout_(fanout), index_(index) {}
    std::string_view next() override { return fanout_.next(index_); }
    std::string failure() const override {
        const std::lock_guard lock(fanout_.mutex_);
        return fanout_.ended_ ? fanout_.failure_ : std::string();
    }

private:
    InputFanout& fanout_;
    std::size_t index_;
};

std::size_t IstreamReader::read(char* buffer, std::size_t size) {
    in_.read(buffer, static_cast<std::streamsize>(size));
    if (in_.bad()) throw InputError{"the input could not be read"};
    return static_cast<std::size_t>(in_.gcount());
}

InputFanout::InputFanout(InputReader& input, const std::vector<std::string>& queues)
    : input_(input), cursors_(queues.size(), 0), queues_(queues) {
    for (std::size_t i = 0; i < queues.size(); ++i) {
        streams_.push_back(std::make_unique<Stream>(*this, i));
    }
}

InputFanout::~InputFanout() = default;

std::string InputFanout::readBlock(std::string& why) {
    // Whole blocks, not a pipe's 64 KiB at a time: fewer, larger writes to the server.
    std::string block(kBlockBytes, '\0');
    std::size_t filled = 0;
    try {
        while (filled < block.size()) {
            const std::size_t got = input_.read(block.data() + filled, block.size() - filled);
            if (got == 0) break;
            filled += got;
        }
    } catch (const InputError& e) {
        why = e.why;
    }
    block.resize(filled);
    return block;
}

bool InputFanout::hasData() {
    std::unique_lock lock(mutex_);
    while (blocks_.empty() && !ended_) {
        // The first block, read before any queue starts: an empty input sends nothing.
        lock.unlock();
        std::string why;
        std::string block = readBlock(why);
        lock.lock();
        ended_ = !why.empty() || block.empty();
        failure_ = why;
        if (!block.empty()) blocks_.push_back(std::move(block));
    }
    return !blocks_.empty() && failure_.empty();
}

DocumentStream& InputFanout::stream(const std::string& queue) {
    return *streams_[std::find(queues_.begin(), queues_.end(), queue) - queues_.begin()];
}

void InputFanout::done(const std::string& queue) {
    const std::lock_guard lock(mutex_);
    cursors_[std::find(queues_.begin(), queues_.end(), queue) - queues_.begin()] = kDone;
    dropPassed();
    changed_.notify_all();
}

std::size_t InputFanout::slowest() const {
    return *std::min_element(cursors_.begin(), cursors_.end());
}

void InputFanout::dropPassed() {
    // A reader holds the block before its cursor until it asks for the next one.
    const std::size_t keep = slowest() == kDone ? kDone : std::max<std::size_t>(slowest(), 1) - 1;
    while (!blocks_.empty() && firstBlock_ < keep) {
        blocks_.pop_front();
        ++firstBlock_;
    }
}

std::string_view InputFanout::next(std::size_t index) {
    std::unique_lock lock(mutex_);
    std::size_t& cursor = cursors_[index];
    for (;;) {
        if (cursor == kDone) return {};
        if (cursor < firstBlock_ + blocks_.size()) {
            const std::string& block = blocks_[cursor - firstBlock_];
            ++cursor;
            dropPassed();
            changed_.notify_all();
            return block;
        }
        if (ended_) return {};
        if (reading_ || cursor >= slowest() + kWindowBlocks) {
            changed_.wait(lock);
            continue;
        }
        reading_ = true;
        lock.unlock();
        std::string why;
        std::string block = readBlock(why);
        lock.lock();
        reading_ = false;
        // A failed read ends the input at once: what it had read is no whole document.
        if (!why.empty()) {
            ended_ = true;
            failure_ = why;
        } else if (block.empty()) {
            ended_ = true;
        } else {
            blocks_.push_back(std::move(block));
        }
        changed_.notify_all();
    }
}

}  // namespace trevalune::send
