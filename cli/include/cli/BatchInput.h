#pragma once
// The batch's input: lines, or CSV records, read from a file descriptor through a fixed
// buffer, so that memory stays flat whatever the file's size. A leading UTF-8 byte-order mark
// (as spreadsheets write it) is skipped.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/Signals.h"

namespace qrdesk::cli {

// Longer lines cannot fit any symbol in any encoding; they are not kept in memory.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

// Bytes from a descriptor, a buffer at a time. With stopSignals, a stop signal ends the input at
// once, whatever the descriptor is waiting for (Error() is then ECANCELED).
class InputBuffer {
  public:
    explicit InputBuffer(int fd, const StopSignals* stopSignals = nullptr)
        : fd_(fd), signals_(stopSignals) {}
    // Refills an empty buffer; false at the end of the input, on an error or a stop (Error()).
    bool Fill();
    const char* Data() const { return buffer_ + begin_; }
    std::size_t Size() const { return end_ - begin_; }
    void Take(std::size_t n) {
        begin_ += n;
        consumed_ += static_cast<std::int64_t>(n);
    }
    int Error() const { return error_; }
    std::int64_t Consumed() const { return consumed_; }

  private:
    int fd_;
    const StopSignals* signals_;
    int error_ = 0;
    std::int64_t consumed_ = 0;
    char buffer_[64 * 1024];
    std::size_t begin_ = 0, end_ = 0;
    bool eof_ = false;
    bool started_ = false;  // the byte-order mark is looked for once
};

// One line at a time; its "\n" is removed (a final "\r" is the caller's business); the last
// line may lack its "\n".
class LineReader {
  public:
    explicit LineReader(int fd, const StopSignals* stopSignals = nullptr)
        : input_(fd, stopSignals) {}
    // False at the end of the input or on a read error (then Error() is the errno).
    // tooLong: the line had more than kMaxLineBytes bytes; line then holds only a prefix.
    bool Next(std::string& line, bool& tooLong);
    int Error() const { return input_.Error(); }
    std::int64_t Consumed() const { return input_.Consumed(); }

  private:
    InputBuffer input_;
};

// One CSV record at a time (RFC 4180): fields separated by commas, records by CRLF or LF; a
// quoted field may hold commas, line breaks and doubled quotes.
class CsvReader {
  public:
    explicit CsvReader(int fd, const StopSignals* stopSignals = nullptr)
        : input_(fd, stopSignals) {}
    // False at the end of the input or on a read error. tooLong: the record had more than
    // kMaxLineBytes bytes (its fields hold a prefix). malformed: a quote where the standard
    // allows none, or a quoted field left open at the end.
    bool Next(std::vector<std::string>& fields, bool& tooLong, bool& malformed);
    int Error() const { return input_.Error(); }
    std::int64_t Consumed() const { return input_.Consumed(); }
    // The line of the file (from 1) where the last record began.
    std::int64_t Line() const { return recordLine_; }

  private:
    InputBuffer input_;
    std::int64_t line_ = 1, recordLine_ = 0;
};

}  // namespace qrdesk::cli
