#include "cli/BatchInput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qrdesk::cli {

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
}

bool InputBuffer::Fill() {
    if (begin_ < end_) return true;
    if (eof_ || error_ != 0) return false;
    begin_ = end_ = 0;
    do {
        const long n = ReadUnlessStopped(fd_, buffer_ + end_, sizeof buffer_ - end_, signals_);
        if (n < 0) {
            error_ = errno;
            return false;
        }
        end_ += static_cast<std::size_t>(n);
        eof_ = n == 0;
        // At the start, until a byte-order mark is either whole or ruled out.
    } while (!started_ && !eof_ && end_ < 3 && std::memcmp(buffer_, kByteOrderMark, end_) == 0);
    if (!started_ && end_ >= 3 && std::memcmp(buffer_, kByteOrderMark, 3) == 0) Take(3);
    started_ = true;
    return begin_ < end_ || Fill();  // the mark alone so far
}

bool LineReader::Next(std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    bool started = false;
    while (input_.Fill()) {
        started = true;
        const char* from = input_.Data();
        const auto* newline = static_cast<const char*>(std::memchr(from, '\n', input_.Size()));
        const std::size_t length =
            newline ? static_cast<std::size_t>(newline - from) : input_.Size();
        // Keep at most one byte past the limit: enough to know the line is too long.
        const std::size_t room = kMaxLineBytes + 1 - line.size();
        line.append(from, std::min(room, length));
        if (line.size() > kMaxLineBytes) tooLong = true;
        input_.Take(length + (newline ? 1 : 0));
        if (newline) return true;
    }
    return started && input_.Error() == 0;
}

bool CsvReader::Next(std::vector<std::string>& fields, bool& tooLong, bool& malformed) {
    fields.assign(1, std::string());
    tooLong = malformed = false;
    std::size_t size = 0;
    bool started = false, quoted = false, afterQuote = false;
    auto put = [&](char c) {
        if (++size > kMaxLineBytes) {
            tooLong = true;
            return;
        }
        fields.back() += c;
    };
    while (input_.Fill()) {
        if (!started) recordLine_ = line_;
        started = true;
        const char c = *input_.Data();
        input_.Take(1);
        if (c == '\n') ++line_;
        if (quoted) {
            if (c != '"') {
                put(c);
            } else if (input_.Fill() && *input_.Data() == '"') {
                input_.Take(1);
                put('"');
            } else {
                quoted = false;
                afterQuote = true;
            }
            continue;
        }
        if (c == ',') {
            fields.emplace_back();
            afterQuote = false;
        } else if (c == '\n') {
            if (!fields.back().empty() && fields.back().back() == '\r' && !afterQuote)
                fields.back().pop_back();
            return true;
        } else if (c == '"' && fields.back().empty() && !afterQuote) {
            quoted = true;
        } else if (c == '\r' && afterQuote) {
            // CRLF after a quoted field
        } else {
            if (c == '"' || afterQuote) malformed = true;
            put(c);
        }
    }
    if (quoted) malformed = true;
    if (started && !fields.back().empty() && fields.back().back() == '\r' && !afterQuote)
        fields.back().pop_back();
    return started && input_.Error() == 0;
}

}  // namespace qrdesk::cli
