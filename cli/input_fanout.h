#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <istream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "printer/spooler.h"

namespace trevalune::send {

/// Where a streamed document's bytes come from: standard input or a FIFO.
class InputReader {
public:
    virtual ~InputReader() = default;
    /// Up to `size` bytes into `buffer`: how many, 0 at the end. Throws InputError when the
    /// read fails or the run is asked to stop meanwhile (the reason its what()).
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

struct InputError {
    std::string why;
};

/// Reads a C++ stream: for tests, and where the input cannot be polled.
class IstreamReader final : public InputReader {
public:
    explicit IstreamReader(std::istream& in) : in_(in) {}
    std::size_t read(char* buffer, std::size_t size) override;

private:
    std::istream& in_;
};

/// One reader, many queues: the input is read once, block by block, and every queue's
/// stream takes each block in turn. A block is dropped when every queue has passed it, and
/// no queue runs more than kWindowBlocks ahead of the slowest, so memory stays bounded
/// whatever the size of the input.
class InputFanout final {
public:
    static constexpr std::size_t kBlockBytes = 256 << 10;
    static constexpr std::size_t kWindowBlocks = 16;

    /// One stream for each queue.
    InputFanout(InputReader& input, const std::vector<std::string>& queues);
    InputFanout(const InputFanout&) = delete;
    InputFanout& operator=(const InputFanout&) = delete;
    ~InputFanout();

    /// Reads the first block: false when the input is empty (nothing to send).
    bool hasData();
    /// The queue's stream; done() lets the other queues go on without it (again is harmless).
    DocumentStream& stream(const std::string& queue);
    void done(const std::string& queue);

private:
    class Stream;
    std::string_view next(std::size_t index);
    /// A block read whole, or up to the end; `why` set when the read failed.
    std::string readBlock(std::string& why);
    /// Drops the blocks every reader has passed (the one a reader holds stays).
    void dropPassed();
    std::size_t slowest() const;

    InputReader& input_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> blocks_;
    std::size_t firstBlock_ = 0;  ///< the number of blocks_.front()
    bool reading_ = false;
    bool ended_ = false;
    std::string failure_;
    std::vector<std::size_t> cursors_;  ///< the next block of each reader; SIZE_MAX when done
    std::vector<std::string> queues_;
    std::vector<std::unique_ptr<Stream>> streams_;
};

}  // namespace trevalune::send
