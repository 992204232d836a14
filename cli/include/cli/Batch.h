#pragma once
// Batch mode: one symbol per line or CSV record of a file, on every core, streaming.

#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/BatchInput.h"
#include "cli/Options.h"
#include "cli/Signals.h"

namespace qrdesk::cli {

struct BatchSummary {
    std::int64_t lines = 0;  // lines or records read
    std::int64_t written = 0;
    std::int64_t failed = 0;
    std::int64_t empty = 0;     // empty lines skipped
    std::int64_t existing = 0;  // existing files skipped (--skip-existing)
    std::int64_t otherShards = 0;
    int signal = 0;         // the signal that stopped the batch, 0 for none
    bool diskFull = false;  // stopped by a folder that takes no more files
    int code = kOk;         // the process's exit code
};

// The file name of line for a --name template: every {line} or {line:0N} replaced by the
// line number (padded with zeros to N digits).
std::string BatchFileName(const std::string& nameTemplate, std::int64_t line);

// Runs the batch of options (options.batch set); failures (in line order), the progress bar
// (when progress) and the summary go to err. A stop signal (see Signals.h) stops it within a
// moment whatever it is reading: no more lines are taken, the files in flight are removed,
// and the code is 128 + the signal. So does the first failure that every later file would
// share (the folder cannot be written, is full or read-only), with one message.
BatchSummary RunBatch(const CliOptions& options, std::FILE* err, bool progress,
                      const StopSignals* stopSignals = nullptr);

}  // namespace qrdesk::cli
