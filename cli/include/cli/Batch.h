#pragma once
// Batch mode: one symbol per line of a file, on every core, streaming.

#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/Options.h"

namespace qrdesk::cli {

// Longer lines cannot fit any symbol in any encoding; they are not kept in memory.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

// Reads lines from a file descriptor through a fixed buffer: memory stays flat whatever the
// file's size. A line's "\n" is removed (a final "\r" is the caller's business); the last
// line may lack its "\n".
class LineReader {
  public:
    explicit LineReader(int fd) : fd_(fd) {}
    // False at the end of the input or on a read error (then Error() is the errno).
    // tooLong: the line had more than kMaxLineBytes bytes; line then holds only a prefix.
    bool Next(std::string& line, bool& tooLong);
    int Error() const { return error_; }
    std::int64_t Consumed() const { return consumed_; }

  private:
    int fd_;
    int error_ = 0;
    std::int64_t consumed_ = 0;
    char buffer_[64 * 1024];
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

struct BatchSummary {
    std::int64_t lines = 0;
    std::int64_t written = 0;
    std::int64_t failed = 0;
    std::int64_t empty = 0;
    int code = kOk;  // the highest exit code among the failures
};

// Runs the batch of options (options.batch set); failures, the progress bar (when progress)
// and the summary go to err. Returns the summary; its code is the process's exit code.
BatchSummary RunBatch(const CliOptions& options, std::FILE* err, bool progress);

}  // namespace qrdesk::cli
