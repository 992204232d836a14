// The batch's readers on arbitrary input: no crash, no read past the buffer; the line reader
// gives back the input line by line (its byte-order mark skipped, long lines flagged), and
// the CSV reader's records, written again with every field quoted, read back the same, with
// record lines that never go back and never pass the input's last line.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/BatchInput.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// A descriptor that reads bytes (a memory file, rewound).
int Source(const std::string& bytes) {
    const int fd = ::memfd_create("input", MFD_CLOEXEC);
    Check(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    Check(::lseek(fd, 0, SEEK_SET) == 0);
    return fd;
}

using Records = std::vector<std::vector<std::string>>;

// Reads every well-formed record; false when one is malformed or too long.
bool ReadCsv(const std::string& bytes, Records& records) {
    const int fd = Source(bytes);
    qrdesk::cli::CsvReader reader(fd);
    std::vector<std::string> fields;
    bool tooLong = false, malformed = false, whole = true;
    const auto lines = 1 + std::count(bytes.begin(), bytes.end(), '\n');
    std::int64_t lastLine = 0;
    while (reader.Next(fields, tooLong, malformed)) {
        Check(reader.Line() >= lastLine && reader.Line() >= 1 && reader.Line() <= lines);
        lastLine = reader.Line();
        whole = whole && !tooLong && !malformed;
        records.push_back(fields);
    }
    Check(reader.Error() == 0);
    ::close(fd);
    return whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string body = input.starts_with("\xEF\xBB\xBF") ? input.substr(3) : input;

    // Lines: joined again they are the input.
    const int fd = Source(input);
    qrdesk::cli::LineReader lines(fd);
    std::string line, joined;
    bool tooLong = false, anyTooLong = false;
    std::size_t count = 0;
    while (lines.Next(line, tooLong)) {
        Check(line.size() <= qrdesk::cli::kMaxLineBytes + 1 &&
              (tooLong == (line.size() > qrdesk::cli::kMaxLineBytes)));
        anyTooLong = anyTooLong || tooLong;
        joined += line + "\n";
        ++count;
    }
    ::close(fd);
    Check(lines.Error() == 0 && lines.Consumed() == static_cast<std::int64_t>(size));
    if (!anyTooLong) {
        if (!body.empty() && !body.ends_with('\n')) joined.pop_back();
        Check(joined == body);
    }

    // CSV: every field quoted and written again reads back the same.
    Records records, again;
    if (!ReadCsv(input, records)) return 0;
    std::string written;
    for (const auto& record : records) {
        for (std::size_t k = 0; k < record.size(); ++k) {
            std::string quoted = "\"";
            for (const char c : record[k]) quoted += c == '"' ? "\"\"" : std::string(1, c);
            written += (k ? "," : "") + quoted + "\"";
        }
        written += "\r\n";
    }
    Check(ReadCsv(written, again) && again == records);
    return 0;
}
