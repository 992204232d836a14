#pragma once
// Batch mode: one symbol per line or CSV record of a file, on every core, streaming.

#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/BatchInput.h"
#include "cli/Options.h"

namespace qrdesk::cli {

struct BatchSummary {
    std::int64_t lines = 0;  // lines or records read
    std::int64_t written = 0;
    std::int64_t failed = 0;
    std::int64_t empty = 0;     // empty lines skipped
    std::int64_t existing = 0;  // existing files skipped (--skip-existing)
    std::int64_t otherShards = 0;
    int signal = 0;         // the signal that stopped the batch, 0 for none
    bool diskFull = false;  // stopped by a full, read-only or over-quota file system
    int code = kOk;         // the process's exit code
};

// The file name of line for a --name template: every {line} or {line:0N} replaced by the
// line number (padded with zeros to N digits).
std::string BatchFileName(const std::string& nameTemplate, std::int64_t line);

// Runs the batch of options (options.batch set); failures (in line order), the progress bar
// (when progress) and the summary go to err. SIGINT and SIGTERM stop it: no more lines are
// taken, the files in flight are removed, and the code is 128 + the signal.
BatchSummary RunBatch(const CliOptions& options, std::FILE* err, bool progress);

}  // namespace qrdesk::cli
